// Benchmarks of a baseline calibration on generated all-combinations surveys: every pair of
// pillars measured both ways, for 10 to 60 pillars. Solving the normal equations grows with the
// cube of the pillars, but at these sizes the observations and the coverage factor of every
// pair, both growing with the square, take most of the time.
// `mensuro_baseline_bench --write-baseline-survey DIR PILLARS` writes the survey to
// DIR/baseline-survey.txt instead, so that the command line can be timed on the same data.

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/baseline/baseline_calibration.h"
#include "core/data/measured_text.h"

namespace {

constexpr std::uint64_t kSeed = 20261209;

// The reference instrument: a constant it reads short by, its reading noise and its stated
// accuracy (the header's "^" and "%").
constexpr double kConstantMm = 0.3;
constexpr double kNoiseMm = 0.2;

// The survey's measured text: `pillars` pillars 10 to 40 m apart, and from every pillar every
// other one, so each pair is measured once each way.
std::string GenerateSurvey(std::size_t pillars) {
  // mt19937_64's output is fixed by the standard; the noise is a sum of three of its uniforms,
  // as the standard library's distributions differ between implementations.
  std::mt19937_64 engine(kSeed);
  const auto uniform = [&engine] { return static_cast<double>(engine() >> 11) * 0x1.0p-53; };
  const auto noise = [&uniform] { return (uniform() + uniform() + uniform() - 1.5) * 2.0; };
  std::vector<double> position;
  double along = 0.0;
  for (std::size_t i = 0; i < pillars; ++i) {
    position.push_back(along);
    along += 10.0 + 30.0 * uniform();
  }
  std::string text = fmt::format(
      "#Generated all-combinations survey of {} pillars\n@Reference EDM\n$2026-12-09\n^0.6\n%1\n",
      pillars);
  for (std::size_t i = 0; i < pillars; ++i) {
    for (std::size_t j = 0; j < pillars; ++j) {
      if (i != j) {
        const double d =
            std::abs(position[j] - position[i]) - kConstantMm * 1e-3 + noise() * kNoiseMm * 1e-3;
        text += fmt::format("P{:02},P{:02},{:.4f}\n", i + 1, j + 1, d);
      }
    }
  }
  return text;
}

// The adjustment alone, from the observations read.
void BM_AdjustBaselineSurvey(benchmark::State& state) {
  const std::string text = GenerateSurvey(static_cast<std::size_t>(state.range(0)));
  mensuro::MeasurementHeader header;
  mensuro::RecordTable table;
  mensuro::ParseMeasuredText(text, header, table);
  for (auto _ : state) {
    mensuro::BaselineSurveyError error;
    auto adjustment = mensuro::AdjustBaselineSurvey(table, header, {}, error);
    if (!adjustment) {
      state.SkipWithError(error.message.c_str());
      return;
    }
    benchmark::DoNotOptimize(adjustment->distances.data());
  }
  state.counters["observations"] = static_cast<double>(table.entries.size());
}
BENCHMARK(BM_AdjustBaselineSurvey)
    ->Arg(10)
    ->Arg(20)
    ->Arg(30)
    ->Arg(60)
    ->Unit(benchmark::kMillisecond);

// The whole calibration from the measured text, with a reference scale, as the command runs it.
void BM_CalibrateBaseline(benchmark::State& state) {
  mensuro::BaselineSurveyRequest request;
  request.measuredText = GenerateSurvey(static_cast<std::size_t>(state.range(0)));
  request.options.referenceScale = mensuro::ReferenceScale{0.8, 0.5, 2.0};
  for (auto _ : state) {
    mensuro::BaselineSurveyError error;
    auto calibration = mensuro::CalibrateBaseline(request, error);
    if (!calibration) {
      state.SkipWithError(error.message.c_str());
      return;
    }
    benchmark::DoNotOptimize(calibration->adjustment.distances.data());
  }
}
BENCHMARK(BM_CalibrateBaseline)->Arg(30)->Unit(benchmark::kMillisecond);

// Writes the survey of `pillars` pillars to DIR/baseline-survey.txt; 0 on success.
int WriteSurvey(const std::filesystem::path& directory, std::string_view pillarsText) {
  std::size_t pillars = 0;
  const auto [end, error] =
      std::from_chars(pillarsText.data(), pillarsText.data() + pillarsText.size(), pillars);
  if (error != std::errc() || end != pillarsText.data() + pillarsText.size() || pillars < 3 ||
      pillars > 999) {
    fmt::print(stderr, "--write-baseline-survey: PILLARS must be a whole number of 3 to 999\n");
    return 2;
  }
  std::error_code made;
  std::filesystem::create_directories(directory, made);
  const std::filesystem::path file = directory / "baseline-survey.txt";
  std::ofstream out(file, std::ios::binary);
  out << GenerateSurvey(pillars);
  out.close();
  if (!out) {
    fmt::print(stderr, "--write-baseline-survey: can't write {}\n", file.string());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string_view(argv[1]) == "--write-baseline-survey") {
    if (argc != 4) {
      fmt::print(stderr, "usage: {} --write-baseline-survey DIR PILLARS\n", argv[0]);
      return 2;
    }
    return WriteSurvey(argv[2], argv[3]);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
