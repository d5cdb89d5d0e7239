// The cyclic error in the plot: the residuals over one unit length with the fitted curve, the
// panel's words, and the exported picture that gains them only when a unit length is given.

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <QBuffer>
#include <QChart>
#include <QImage>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "core/analysis/cyclic_text.h"
#include "core/processing/project_processing.h"
#include "documents/calibration_chart.h"
#include "documents/calibration_plot_data.h"
#include "documents/plot_export.h"
#include "support/chart_series.h"

namespace mensuro::test {
namespace {

// Ten pairs from pillar 0, 57.3 m to 536.4 m apart, measured by a 1 mm + 1 ppm instrument with a
// constant of 0.8 mm and a cyclic error of 0.6 mm at a unit length of 10 m, to 0.1 mm.
ProcessedCalibration CyclicBench(std::optional<CyclicSettings> cyclic,
                                 std::vector<double> published = {}) {
  if (published.empty()) {
    for (int k = 1; k <= 10; ++k) {
      published.push_back(4.07 + 53.23 * k);
    }
  }
  std::string publishedText;
  std::string measuredText = "^1\n%1\n";
  for (std::size_t j = 0; j < published.size(); ++j) {
    const double P = published[j];
    const double C = P - 0.0008 - 0.0006 * std::sin(2.0 * std::numbers::pi * P / 10.0 + 0.7);
    publishedText += fmt::format("0,{},{:.4f}\n", j + 1, P);
    measuredText += fmt::format("0,{},{:.4f}\n", j + 1, C);
  }
  UncertaintyInputs conditions;
  conditions.cyclic = cyclic;
  ProcessedCalibration calibration =
      ProcessCalibration({}, measuredText, publishedText, conditions);
  EXPECT_TRUE(calibration.processed) << calibration.failure;
  return calibration;
}

TEST(cyclic_plot, residuals_over_the_unit_length_with_both_harmonics_curve_and_panel) {
  const ProcessedCalibration calibration = CyclicBench(CyclicSettings{10.0, 2});
  ASSERT_TRUE(calibration.cyclic && calibration.cyclic->estimable) << calibration.cyclic->reason;
  const CyclicAnalysis& analysis = *calibration.cyclic;
  const CalibrationPlotData data = MakeCalibrationPlotData(calibration);
  ASSERT_TRUE(data.cyclic.has_value());
  const CyclicPlot& cyclic = *data.cyclic;
  EXPECT_EQ(cyclic.unitLength, 10.0);

  // Each pair's plain-fit residual at the fractional part of its observed distance over U, in
  // the order of the pairs.
  ASSERT_EQ(cyclic.residuals.size(), data.pairs.size());
  ASSERT_EQ(data.pairs.size(), 10u);
  for (std::size_t j = 0; j < data.pairs.size(); ++j) {
    EXPECT_NEAR(cyclic.residuals[j].x, std::fmod(data.pairs[j].C, 10.0) / 10.0, 1e-12) << j;
    EXPECT_EQ(cyclic.residuals[j].y, data.pairs[j].residualMm) << j;
  }

  // The curve runs over one unit length: at 0 it is B1 + B2, at a quarter A1 − B2 (mm), and it
  // closes on itself.
  ASSERT_GE(cyclic.curve.size(), 41u);
  EXPECT_EQ(cyclic.curve.front().x, 0.0);
  EXPECT_EQ(cyclic.curve.back().x, 1.0);
  const CyclicHarmonic& first = analysis.harmonics[0];
  const CyclicHarmonic& second = analysis.harmonics[1];
  EXPECT_NEAR(cyclic.curve.front().y, (first.cosine + second.cosine) * 1000.0, 1e-9);
  EXPECT_NEAR(cyclic.curve.back().y, cyclic.curve.front().y, 1e-9);
  const auto quarter = std::find_if(cyclic.curve.begin(), cyclic.curve.end(),
                                    [](const PlotPoint& point) { return point.x == 0.25; });
  ASSERT_NE(quarter, cyclic.curve.end());
  EXPECT_NEAR(quarter->y, (first.sine - second.cosine) * 1000.0, 1e-9);
  // The first harmonic comes back about as it was put in.
  EXPECT_NEAR(first.amplitude, 0.0006, 0.0002);

  EXPECT_EQ(cyclic.panel, (std::vector<std::string>{
                              "U = 10.000 m",
                              "Harmonic 1: amplitude " + CyclicAmplitudeText(first) + ", phase " +
                                  CyclicPhaseText(first) + "; " + CyclicTestText(first),
                              "Harmonic 2: amplitude " + CyclicAmplitudeText(second) + ", phase " +
                                  CyclicPhaseText(second) + "; " + CyclicTestText(second),
                              "Verdict: " + CyclicVerdictText(analysis)}));

  // The chart draws the same points and curve, over the unit length, and a residual's marker
  // finds its pair.
  const std::unique_ptr<QChart> chart = MakeCyclicChart(data);
  const auto markers = SeriesNamed<QScatterSeries>(*chart, QStringLiteral("Residuals of the fit"));
  ASSERT_EQ(markers.size(), 1u);
  ASSERT_EQ(markers[0]->count(), 10);
  const auto curve = SeriesNamed<QLineSeries>(*chart, QStringLiteral("Fitted cyclic error"));
  ASSERT_EQ(curve.size(), 1u);
  EXPECT_EQ(curve[0]->count(), static_cast<qsizetype>(cyclic.curve.size()));
  const auto* xAxis = qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).value(0));
  ASSERT_NE(xAxis, nullptr);
  EXPECT_EQ(xAxis->min(), 0.0);
  EXPECT_EQ(xAxis->max(), 1.0);
  const QPointF seventh = markers[0]->at(6);
  EXPECT_EQ(PairAtMarker(data, *markers[0], seventh), &data.pairs[6]);
  EXPECT_EQ(PairAtMarker(data, *markers[0], QPointF(seventh.x(), seventh.y() + 1.0)), nullptr);
}

// Too few pairs: the residuals without a curve, and the panel says why.
TEST(cyclic_plot, not_estimable_shows_the_residuals_and_the_reason) {
  const ProcessedCalibration calibration =
      CyclicBench(CyclicSettings{1.5, 1}, {57.3, 110.53, 163.76, 216.99});
  const CalibrationPlotData data = MakeCalibrationPlotData(calibration);
  ASSERT_TRUE(data.cyclic.has_value());
  EXPECT_EQ(data.cyclic->residuals.size(), 4u);
  EXPECT_TRUE(data.cyclic->curve.empty());
  EXPECT_EQ(data.cyclic->panel,
            (std::vector<std::string>{"U = 1.500 m",
                                      "Verdict: not estimable: the cyclic error with 1 harmonic "
                                      "needs at least 5 station pairs; the fit has 4"}));
  const std::unique_ptr<QChart> chart = MakeCyclicChart(data);
  EXPECT_EQ(SeriesNamed<QScatterSeries>(*chart, QStringLiteral("Residuals of the fit")).size(), 1u);
  EXPECT_TRUE(SeriesNamed<QLineSeries>(*chart, QStringLiteral("Fitted cyclic error")).empty());
}

// Distances whose fractional parts of D/U bunch together: the panel ends with the design
// warning.
TEST(cyclic_plot, panel_gives_the_design_warning) {
  std::vector<double> bunched;
  for (int k = 1; k <= 9; ++k) {
    bunched.push_back(100.0 * k + 0.3 * k);
  }
  const ProcessedCalibration calibration = CyclicBench(CyclicSettings{10.0, 1}, bunched);
  ASSERT_TRUE(calibration.cyclic && calibration.cyclic->estimable) << calibration.cyclic->reason;
  ASSERT_FALSE(calibration.cyclic->warning.empty());
  const CalibrationPlotData data = MakeCalibrationPlotData(calibration);
  ASSERT_TRUE(data.cyclic.has_value());
  EXPECT_EQ(data.cyclic->panel.back(), "Warning: " + calibration.cyclic->warning);
}

// The size of the PNG picture in `bytes`.
QSize PictureSize(const std::string& bytes) {
  return QImage::fromData(QByteArray::fromStdString(bytes), "PNG").size();
}

// The export gains the cyclic error's chart and panel below the two charts, in a taller picture,
// only when the conditions give a unit length.
TEST(cyclic_plot, export_shows_it_only_with_a_unit_length) {
  QString reason;
  const CalibrationPlotData plain = MakeCalibrationPlotData(CyclicBench(std::nullopt));
  const CalibrationPlotData cyclic = MakeCalibrationPlotData(CyclicBench(CyclicSettings{10.0, 1}));
  EXPECT_FALSE(plain.cyclic.has_value());

  const std::optional<std::string> plainSvg = DrawPlot(PlotFileType::kSvg, plain, reason);
  const std::optional<std::string> cyclicSvg = DrawPlot(PlotFileType::kSvg, cyclic, reason);
  ASSERT_TRUE(plainSvg && cyclicSvg) << reason.toStdString();
  for (const char* part : {"Fractional part of D/U", "Cyclic error", "U = 10.000 m", "Verdict: "}) {
    EXPECT_EQ(plainSvg->find(part), std::string::npos) << part;
    EXPECT_NE(cyclicSvg->find(part), std::string::npos) << part;
  }
  // Both charts of the fit in either.
  EXPECT_NE(cyclicSvg->find("Residuals of the fit"), std::string::npos);
  EXPECT_NE(cyclicSvg->find("Published distance (m)"), std::string::npos);
  EXPECT_NE(plainSvg->find("Published distance (m)"), std::string::npos);

  const std::optional<std::string> plainPng = DrawPlot(PlotFileType::kPng, plain, reason);
  const std::optional<std::string> cyclicPng = DrawPlot(PlotFileType::kPng, cyclic, reason);
  ASSERT_TRUE(plainPng && cyclicPng) << reason.toStdString();
  EXPECT_EQ(PictureSize(*plainPng), QSize(kPlotPictureWidth, kPlotPictureWidth * 5 / 6));
  EXPECT_EQ(PictureSize(*cyclicPng), QSize(kPlotPictureWidth, kPlotPictureWidth * 4 / 3));
}

}  // namespace
}  // namespace mensuro::test
