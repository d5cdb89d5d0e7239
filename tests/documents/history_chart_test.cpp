// The charts of an instrument's history: each calibration's value with its ±U bar, and a change
// beyond its uncertainty marked.

#include <gtest/gtest.h>

#include <QChart>
#include <QDateTime>
#include <QLineSeries>
#include <QScatterSeries>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "documents/history_chart.h"
#include "support/temp_dir.h"

namespace mensuro::test {
namespace {

HistoryPoint Calibration(const std::string& date, double constantMm, double uMm,
                         std::optional<double> en) {
  HistoryPoint point;
  point.entry.identity.issueDate = date;
  point.entry.results.constantM = constantMm / 1000.0;
  point.entry.results.constantUncertaintyM = uMm / 1000.0;
  point.entry.results.scalePpm = 1.5;
  point.entry.results.scaleUncertaintyPpm = 0.4;
  point.constantEn = en;
  point.scaleEn = en ? std::optional(0.0) : std::nullopt;
  return point;
}

std::vector<QLineSeries*> Bars(const QChart& chart) {
  std::vector<QLineSeries*> bars;
  for (QAbstractSeries* series : chart.series()) {
    if (series->name() == QStringLiteral("±U (95 %)")) {
      bars.push_back(static_cast<QLineSeries*>(series));
    }
  }
  return bars;
}

QScatterSeries* Points(const QChart& chart, const QString& name) {
  for (QAbstractSeries* series : chart.series()) {
    if (series->name() == name) {
      return static_cast<QScatterSeries*>(series);
    }
  }
  return nullptr;
}

const QString kChanged = QStringLiteral("Changed beyond its uncertainty (E_n > 1)");

TEST(history_chart, values_with_their_bars_and_changes_marked) {
  // 0.4 mm to 2.9 mm with U of 1 mm each: E_n = 2.5 / 1.41 = 1.8, a change.
  const std::vector<HistoryPoint> history = {Calibration("2024-03-01", 0.4, 1.0, std::nullopt),
                                             Calibration("2025-03-01", 0.6, 1.0, 0.14),
                                             Calibration("2026-03-01", 3.1, 1.0, 1.8)};
  const std::unique_ptr<QChart> constant = MakeHistoryChart(history, HistoryQuantity::kConstant);
  const double last =
      static_cast<double>(QDateTime(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch());
  ASSERT_NE(Points(*constant, kChanged), nullptr);
  EXPECT_EQ(Points(*constant, kChanged)->points(), (QList<QPointF>{{last, 3.1}}));
  EXPECT_EQ(Points(*constant, QStringLiteral("Calibration"))->count(), 2);
  const std::vector<QLineSeries*> bars = Bars(*constant);
  ASSERT_EQ(bars.size(), 3u);
  EXPECT_EQ(bars[2]->points(), (QList<QPointF>{{last, 2.1}, {last, 4.1}}));

  // The scale did not change: nothing marked.
  const std::unique_ptr<QChart> scale = MakeHistoryChart(history, HistoryQuantity::kScale);
  EXPECT_EQ(Points(*scale, kChanged)->count(), 0);
  EXPECT_EQ(Points(*scale, QStringLiteral("Calibration"))->count(), 3);
}

// Two calibrations issued on one day, measured a year apart, stand a year apart.
TEST(history_chart, points_stand_at_their_dates_of_measurement) {
  std::vector<HistoryPoint> history = {Calibration("2026-03-01", 0.4, 1.0, std::nullopt),
                                       Calibration("2026-03-01", 0.6, 1.0, 0.14)};
  history[0].entry.measurementDate = "2025-02-27";
  history[1].entry.measurementDate = "2026-02-26";
  const std::unique_ptr<QChart> constant = MakeHistoryChart(history, HistoryQuantity::kConstant);
  const auto at = [](int year, int month, int day) {
    return static_cast<double>(
        QDateTime(QDate(year, month, day), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch());
  };
  EXPECT_EQ(Points(*constant, QStringLiteral("Calibration"))->points(),
            (QList<QPointF>{{at(2025, 2, 27), 0.4}, {at(2026, 2, 26), 0.6}}));
}

TEST(history_chart, written_as_svg_png_and_pdf) {
  const TempDir dir;
  const std::vector<HistoryPoint> history = {Calibration("2026-03-01", 0.4, 1.0, std::nullopt)};
  for (const char* name : {"history.svg", "history.png", "history.pdf"}) {
    const QString path = QString::fromStdString((dir.path() / name).string());
    QString reason;
    EXPECT_TRUE(SaveHistoryPlot(path, PlotFileTypeOf(path).value(), history,
                                QStringLiteral("Rangefinder R1, serial 4711"), reason))
        << name << ": " << reason.toStdString();
    EXPECT_GT(std::filesystem::file_size(dir.path() / name), 1000u) << name;
  }
}

// The cyclic error's amplitude is a third chart, of the calibrations that estimated it, and only
// when one did: a history without it draws the two charts it always drew.
TEST(history_chart, a_cyclic_amplitude_chart_only_with_cyclic_figures) {
  std::vector<HistoryPoint> history = {Calibration("2025-03-01", 0.4, 1.0, std::nullopt),
                                       Calibration("2026-03-01", 0.6, 1.0, 0.14)};
  QString reason;
  const auto svg = [&] {
    const std::optional<std::string> bytes =
        DrawHistoryPlot(PlotFileType::kSvg, history, QStringLiteral("R1"), reason);
    EXPECT_TRUE(bytes) << reason.toStdString();
    return bytes.value_or("");
  };
  EXPECT_FALSE(HasCyclicAmplitude(history));
  EXPECT_EQ(HistoryQuantities(history),
            (std::vector<HistoryQuantity>{HistoryQuantity::kConstant, HistoryQuantity::kScale}));
  EXPECT_EQ(svg().find("Cyclic error amplitude"), std::string::npos);

  history[1].entry.results.cyclic = RegisteredCyclic{.unitLengthM = 5.0,
                                                     .amplitudeM = 0.00048,
                                                     .amplitudeStdErrorM = 0.00005,
                                                     .phaseDegrees = 38.2,
                                                     .significant = true};
  EXPECT_EQ(HistoryQuantities(history).back(), HistoryQuantity::kCyclicAmplitude);
  const std::unique_ptr<QChart> cyclic =
      MakeHistoryChart(history, HistoryQuantity::kCyclicAmplitude);
  EXPECT_EQ(cyclic->title(), QStringLiteral("Cyclic error amplitude"));
  const double x =
      static_cast<double>(QDateTime(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch());
  EXPECT_EQ(Points(*cyclic, QStringLiteral("Calibration"))->points(), (QList<QPointF>{{x, 0.48}}));
  QLineSeries* bar = nullptr;
  for (QAbstractSeries* series : cyclic->series()) {
    if (series->name() == QStringLiteral("\u00b1 standard error")) {
      bar = static_cast<QLineSeries*>(series);
    }
  }
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->count(), 2);
  EXPECT_NEAR(bar->at(0).y(), 0.43, 1e-12);
  EXPECT_NEAR(bar->at(1).y(), 0.53, 1e-12);
  EXPECT_NE(svg().find("Cyclic error amplitude"), std::string::npos);
}

}  // namespace
}  // namespace mensuro::test
