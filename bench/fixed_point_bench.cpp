// One number of the report's tables, a distance as "%9.4f" writes it: through the format that
// the table lines compile once, and through fmt::sprintf, which parses its format every time.

#include <benchmark/benchmark.h>
#include <fmt/compile.h>
#include <fmt/printf.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

// Distances of up to 2 km in tenths of a millimetre, as a baseline's are.
std::vector<double> Distances() {
  std::mt19937_64 random(20261208);
  std::vector<double> values(1024);
  for (double& value : values) {
    value = static_cast<double>(random() % 20'000'000) / 10'000.0;
  }
  return values;
}

template <typename Append>
void BenchNumbers(benchmark::State& state, Append append) {
  const std::vector<double> values = Distances();
  std::string line;
  std::size_t i = 0;
  for (auto _ : state) {
    line.clear();
    append(line, values[i++ % values.size()]);
    benchmark::DoNotOptimize(line.data());
  }
}

void BM_CompiledFormat(benchmark::State& state) {
  BenchNumbers(state, [](std::string& line, double value) {
    fmt::format_to(std::back_inserter(line), FMT_COMPILE("{:>9.4f}"), value);
  });
}
BENCHMARK(BM_CompiledFormat);

void BM_Sprintf(benchmark::State& state) {
  BenchNumbers(state,
               [](std::string& line, double value) { line += fmt::sprintf("%9.4f", value); });
}
BENCHMARK(BM_Sprintf);

}  // namespace

BENCHMARK_MAIN();
