// Benchmarks of one processing run, from the two texts to the report, on generated projects of
// growing size. `mensuro_bench --write-project DIR N` writes the N-observation project to DIR
// instead, so that the command line can be measured on the same data.

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/analysis/report_text.h"
#include "core/data/measurement_header.h"
#include "core/processing/project_processing.h"

namespace {

using mensuro::MeasurementHeader;
using mensuro::ReportText;

constexpr std::uint64_t kSeed = 20240514;
constexpr std::size_t kLineStations = 1000;

// The instrument's errors that the generated observations carry, and its reading noise.
constexpr double kScaleErrorPpm = 4.0;
constexpr double kConstantErrorMm = 1.2;
constexpr double kNoiseMm = 0.3;

// Normal noise from mt19937_64, whose output the standard fixes; the standard library's
// distributions differ between implementations, so the same seed would give other texts.
class Noise {
 public:
  explicit Noise(std::uint64_t seed) : engine_(seed) {}

  // In (0, 1]: never 0, so its logarithm is finite.
  double Uniform() { return static_cast<double>((engine_() >> 11) + 1) * 0x1.0p-53; }

  double Gaussian(double sigma) {
    const double radius = std::sqrt(-2.0 * std::log(Uniform()));
    return sigma * radius * std::cos(2.0 * std::numbers::pi * Uniform());
  }

 private:
  std::mt19937_64 engine_;
};

struct StationPair {
  std::size_t from;
  std::size_t to;
};

// Stations along a line and the pairs measured between them.
struct Baseline {
  std::vector<std::string> names;
  std::vector<double> chainages;  // metres from the first station
  std::vector<StationPair> pairs;
};

struct ProjectTexts {
  std::string measured;
  std::string published;
  std::size_t observations = 0;
};

// Pillars at uneven spacing, as on a real baseline, so that all 21 distances differ.
Baseline SevenPillarBaseline() {
  Baseline baseline;
  baseline.chainages = {0.0, 61.2834, 153.9127, 312.4456, 527.0391, 780.6652, 1046.2218};
  for (std::size_t i = 0; i < baseline.chainages.size(); ++i) {
    baseline.names.push_back(fmt::format("P{}", i + 1));
    for (std::size_t j = i + 1; j < baseline.chainages.size(); ++j) {
      baseline.pairs.push_back({i, j});
    }
  }
  return baseline;
}

// `stations` stations 10 to 30 m apart; the pairs are neighbours first, then stations two
// apart, and so on, as a survey along a line would measure them. Needs `pairCount` at most
// stations * (stations - 1) / 2.
Baseline LineOfStations(std::size_t stations, std::size_t pairCount, Noise& noise) {
  Baseline baseline;
  double chainage = 0.0;
  for (std::size_t i = 0; i < stations; ++i) {
    baseline.names.push_back(fmt::format("S{:04}", i));
    baseline.chainages.push_back(chainage);
    chainage += 10.0 + 20.0 * noise.Uniform();
  }
  for (std::size_t gap = 1; baseline.pairs.size() < pairCount; ++gap) {
    for (std::size_t i = 0; i + gap < stations && baseline.pairs.size() < pairCount; ++i) {
      baseline.pairs.push_back({i, i + gap});
    }
  }
  return baseline;
}

// Published: one line per pair. Measured: `observations` lines going round the pairs, every
// second round in the reverse direction, each the published distance shortened by the
// instrument's scale and constant errors plus reading noise.
ProjectTexts GenerateProject(const Baseline& baseline, std::size_t observations, Noise& noise) {
  ProjectTexts texts;
  texts.observations = observations;
  std::vector<double> published;
  for (const StationPair& pair : baseline.pairs) {
    const double distance =
        std::round((baseline.chainages[pair.to] - baseline.chainages[pair.from]) * 1e4) / 1e4;
    published.push_back(distance);
    texts.published +=
        fmt::format("{},{},{:.4f}\n", baseline.names[pair.from], baseline.names[pair.to], distance);
  }

  texts.measured += "$2024-05-14\n!09:30\n#Generated project, fixed seed\n@EDM under test\n";
  texts.measured += "^1.0\n%1.5\n";
  const std::size_t pairCount = baseline.pairs.size();
  for (std::size_t k = 0; k < observations; ++k) {
    const StationPair& pair = baseline.pairs[k % pairCount];
    const bool reverse = (k / pairCount) % 2 == 1;
    const double distance = published[k % pairCount];
    const double observed = distance - kScaleErrorPpm * 1e-6 * distance - kConstantErrorMm * 1e-3 +
                            noise.Gaussian(kNoiseMm) * 1e-3;
    const std::string& from = baseline.names[reverse ? pair.to : pair.from];
    const std::string& to = baseline.names[reverse ? pair.from : pair.to];
    texts.measured += fmt::format("{},{},{:.4f}\n", from, to, observed);
  }
  return texts;
}

ProjectTexts SevenPillarProject(std::size_t observations) {
  Noise noise(kSeed);
  return GenerateProject(SevenPillarBaseline(), observations, noise);
}

// Every pair measured twice, once in each direction.
ProjectTexts LineProject(std::size_t observations) {
  Noise noise(kSeed);
  const Baseline baseline = LineOfStations(kLineStations, (observations + 1) / 2, noise);
  return GenerateProject(baseline, observations, noise);
}

void BenchProcessProject(benchmark::State& state, const ProjectTexts& project) {
  for (auto _ : state) {
    // A fresh run each time, as the command line makes it.
    MeasurementHeader header;
    ReportText report;
    std::string message;
    if (mensuro::ProcessProject(report, header, project.measured, project.published, message) !=
        0) {
      state.SkipWithError(message.c_str());
      break;
    }
    benchmark::DoNotOptimize(report.lines.data());
    benchmark::ClobberMemory();
  }
  const auto observations = static_cast<double>(project.observations);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(project.observations));
  state.counters["observations"] = observations;
  // Seconds per observation.
  state.counters["per_obs"] = benchmark::Counter(
      observations, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

bool ReadCount(std::string_view text, std::size_t& count) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  return error == std::errc{} && end == text.data() + text.size();
}

bool WriteFile(const std::filesystem::path& path, std::string_view text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();
  return static_cast<bool>(file);
}

// Writes measured.txt and published.txt of the line project with `count` observations.
int WriteProject(const std::filesystem::path& directory, std::string_view countText) {
  std::size_t count = 0;
  // At least three pairs, and no more pairs than the stations allow.
  const std::size_t maxCount = kLineStations * (kLineStations - 1);
  if (!ReadCount(countText, count) || count < 6 || count > maxCount) {
    fmt::print(stderr, "mensuro_bench: N must be a whole number from 6 to {}\n", maxCount);
    return 2;
  }
  const ProjectTexts project = LineProject(count);
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (error || !WriteFile(directory / "measured.txt", project.measured) ||
      !WriteFile(directory / "published.txt", project.published)) {
    fmt::print(stderr, "mensuro_bench: cannot write the project to '{}'\n", directory.string());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string_view(argv[1]) == "--write-project") {
    if (argc != 4) {
      fmt::print(stderr, "usage: mensuro_bench --write-project DIR N\n");
      return 2;
    }
    return WriteProject(argv[2], argv[3]);
  }

  // Generated once, before any timing; the registered benchmarks refer to them.
  const ProjectTexts pillars = SevenPillarProject(100);
  const ProjectTexts line10k = LineProject(10'000);
  const ProjectTexts line100k = LineProject(100'000);

  // The lambdas refer to the texts, which live until main returns, rather than copy them.
  const auto add = [](const char* name, const ProjectTexts& project, benchmark::TimeUnit unit) {
    benchmark::RegisterBenchmark(
        name, [&project](benchmark::State& state) { BenchProcessProject(state, project); })
        ->Unit(unit)
        ->UseRealTime();
  };
  add("ProcessProject/pillars:7/obs:100", pillars, benchmark::kMicrosecond);
  add("ProcessProject/stations:1000/obs:10000", line10k, benchmark::kMillisecond);
  add("ProcessProject/stations:1000/obs:100000", line100k, benchmark::kMillisecond);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
