// Benchmarks of drawing the calibration plot (both charts, into an image) for growing numbers
// of observations, on Qt's offscreen platform. The time must grow about linearly: Qt Charts is
// quadratic in the points of one scatter series, which the charts work around.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <string>

#include "documents/calibration_chart.h"
#include "documents/calibration_plot_data.h"
#include "documents/headless_platform.h"

namespace {

using mensuro::CalibrationPlotData;

// `observations` observations of half as many pairs along a 600 m line, a few of them flagged.
CalibrationPlotData Plot(int observations) {
  CalibrationPlotData data;
  data.title = "EDM under test";
  const int pairs = observations / 2;
  for (int i = 0; i < pairs; ++i) {
    const double P = 600.0 * (i + 1) / pairs;
    const double d = 1.5 + std::sin(i * 0.7);
    data.pairs.push_back({std::to_string(i), std::to_string(i + 1), P, P - d / 1000.0, d / 1000.0,
                          d, d - 1.5, std::fabs(d) / 2.0, i % 97 == 0});
    data.observations.push_back({.x = P, .y = d - 0.2});
    data.observations.push_back({.x = P, .y = d + 0.2});
  }
  data.largestDistance = 600.0;
  data.fitStart = {0.0, 1.5};
  data.fitEnd = {600.0, 1.5};
  data.upperLimitStart = {0.0, 6.0};
  data.upperLimitEnd = {600.0, 9.6};
  data.lowerLimitStart = {0.0, -6.0};
  data.lowerLimitEnd = {600.0, -9.6};
  return data;
}

void BenchDrawPlot(benchmark::State& state) {
  const int observations = static_cast<int>(state.range(0));
  const CalibrationPlotData data = Plot(observations);
  QImage image(1200, 1000, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    mensuro::DrawCalibrationCharts(painter, QRectF(image.rect()), data);
  }
  state.counters["observations"] = observations;
}

}  // namespace

BENCHMARK(BenchDrawPlot)
    ->Name("DrawCalibrationCharts")
    ->Arg(2000)
    ->Arg(8000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv) {
  mensuro::UseOffscreenPlatformUnlessChosen();
  int qtArgc = 1;
  char name[] = "mensuro_plot_bench";
  char* qtArgv[] = {name, nullptr};
  const QApplication application(qtArgc, qtArgv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
