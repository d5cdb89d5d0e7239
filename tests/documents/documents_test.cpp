// The plot's data and charts, the exported pictures and the certificate, drawn on Qt's offscreen
// platform from a small project whose figures are worked out by hand below.

#include <fmt/format.h>
#include <fmt/ranges.h>
#include <gtest/gtest.h>

#include <QAreaSeries>
#include <QChart>
#include <QCoreApplication>
#include <QDate>
#include <QGraphicsItemGroup>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <filesystem>
#include <iterator>
#include <numbers>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "core/analysis/cyclic_text.h"
#include "core/processing/project_processing.h"
#include "core/reduction/reduction_summary.h"
#include "documents/calibration_certificate.h"
#include "documents/calibration_chart.h"
#include "documents/calibration_plot_data.h"
#include "documents/document_fonts.h"
#include "documents/paged_pdf.h"
#include "documents/plot_export.h"
#include "documents/report_numbers.h"
#include "documents/uncertainty_summary.h"
#include "register/registered_figures.h"
#include "support/chart_series.h"
#include "support/temp_dir.h"
#include "ui/common/control_text.h"

namespace mensuro::test {
namespace {

// a = 1 mm, b = 2 ppm; A-B measured twice (mean 99.998), so four observations of three pairs.
// Differences in mm: A-C 5, A-B 2, A-D 9. The fit of d against P gives
// scale 5300 / 380000 mm per m and constant 260000 / 380000 mm. Standardized: A-C
// 5 / (1 + 0.59999) = 3.1, A-B 2 / 1.199996 = 1.7, A-D 9 / 2.199982 = 4.1.
constexpr std::string_view kMeasured =
    "^1\n%2\n@Rangefinder R1\n$07-12-2026\nA,B,99.997\nA,C,299.995\nB,A,99.999\nA,D,599.991\n";
constexpr std::string_view kPublished = "A,B,100\nA,C,300\nA,D,600\n";
constexpr double kScaleMmPerM = 5300.0 / 380000.0;
constexpr double kConstantMm = 260000.0 / 380000.0;

// The certificate's pages are read back with poppler's pdfinfo and pdftotext, programs of the
// build machine. A Windows build under Wine has none: there the command line's certificate is
// compared with the build machine's instead (tests/windows).
#ifdef _WIN32
#define SKIP_WITHOUT_PDF_TOOLS() GTEST_SKIP() << "poppler's tools are the build machine's"
#else
#define SKIP_WITHOUT_PDF_TOOLS()
#endif

ProcessedCalibration SmallCalibration(UncertaintyInputs conditions = {}) {
  MeasurementHeader header;
  header.publishedSource = "Example line";
  header.measuredFileName = "small.txt";
  ProcessedCalibration calibration = ProcessCalibration(
      std::move(header), std::string(kMeasured), std::string(kPublished), std::move(conditions));
  EXPECT_TRUE(calibration.processed) << calibration.failure;
  return calibration;
}

CalibrationPlotData SmallPlot() {
  return MakeCalibrationPlotData(SmallCalibration());
}

// Nine pairs of a 1 mm + 1.5 ppm instrument. F-A, measured on lines 7 and 12, lies 1.9 mm off
// the line of the others: an outlier, t = 4.72 against the limit 4.20 (6 degrees of freedom).
constexpr std::string_view kNinePublished =
    "A,B,47.6828\nA,C,104.7281\nA,D,152.4117\nA,E,234.2515\nA,F,281.9343\nA,G,347.5361\n"
    "A,H,395.2191\nA,I,455.9623\nA,J,503.6455\n";
constexpr std::string_view kNineMeasured =
    "^1\n%1.5\nA,B,47.6819\nA,C,104.7276\nA,D,152.4108\nA,E,234.2508\nA,F,281.9311\n"
    "A,G,347.5349\nA,H,395.2179\nA,I,455.9606\nA,J,503.6442\nF,A,281.9330\n";

ProcessedCalibration NinePairs(std::string published = std::string(kNinePublished),
                               std::vector<Exclusion> exclusions = {}) {
  ProcessedCalibration calibration =
      ProcessCalibration(MeasurementHeader(), std::string(kNineMeasured), std::move(published),
                         UncertaintyInputs(), std::move(exclusions));
  EXPECT_TRUE(calibration.processed) << calibration.failure;
  return calibration;
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    lines.push_back(line);
  }
  return lines;
}

// The blank-separated words of every line of `text`.
std::vector<std::vector<std::string>> WordsOfLines(const std::string& text) {
  std::vector<std::vector<std::string>> lines;
  for (const std::string& line : LinesOf(text)) {
    std::istringstream words(line);
    lines.emplace_back(std::istream_iterator<std::string>(words),
                       std::istream_iterator<std::string>());
  }
  return lines;
}

TEST(calibration_plot, data_of_a_small_project) {
  const CalibrationPlotData data = SmallPlot();
  EXPECT_EQ(data.title, "Rangefinder R1, 07-12-2026");

  // Every observation, not the means.
  const std::vector<std::pair<double, double>> observations = {
      {100, 3.0}, {300, 5.0}, {100, 1.0}, {600, 9.0}};
  ASSERT_EQ(data.observations.size(), observations.size());
  for (std::size_t i = 0; i < observations.size(); ++i) {
    EXPECT_EQ(data.observations[i].x, observations[i].first);
    EXPECT_NEAR(data.observations[i].y, observations[i].second, 1e-9);
  }

  // Pairs in the report's order: by their closing observation.
  ASSERT_EQ(data.pairs.size(), 3u);
  const char* names[] = {"A-C", "B-A", "A-D"};
  const double differences[] = {5.0, 2.0, 9.0};
  const bool flagged[] = {true, false, true};
  for (std::size_t i = 0; i < 3; ++i) {
    const PlotPair& pair = data.pairs[i];
    EXPECT_EQ(PairName(pair), names[i]);
    EXPECT_NEAR(pair.differenceMm, differences[i], 1e-9);
    EXPECT_NEAR(pair.residualMm, differences[i] - kConstantMm - kScaleMmPerM * pair.P, 1e-9);
    EXPECT_EQ(pair.flagged, flagged[i]) << names[i];
  }
  EXPECT_NEAR(data.pairs[1].C, 99.998, 1e-9);
  EXPECT_NEAR(data.pairs[2].standardizedDifference, 9.0 / 2.199982, 1e-9);

  EXPECT_EQ(data.largestDistance, 600.0);
  EXPECT_NEAR(data.fitStart.y, kConstantMm, 1e-9);
  EXPECT_NEAR(data.fitEnd.y, kConstantMm + 600 * kScaleMmPerM, 1e-9);
  EXPECT_EQ(data.fitEnd.x, 600.0);
  // +-3 (1 mm + 2 ppm * P): 3 mm at 0, 6.6 mm at 600 m.
  EXPECT_NEAR(data.upperLimitStart.y, 3.0, 1e-12);
  EXPECT_NEAR(data.upperLimitEnd.y, 6.6, 1e-12);
  EXPECT_NEAR(data.lowerLimitEnd.y, -6.6, 1e-12);

  EXPECT_EQ(PairDescription(data.pairs[2]),
            "A-D\nP = 600.0000 m\nC = 599.9910 m\nd = 9.0 mm\nStd. residual *4.1\n"
            "Outlier test not applicable: 3 station pairs; the test needs at least 4");
  // B-A was measured twice, 2 mm apart.
  EXPECT_NE(PairDescription(data.pairs[1])
                .find("\nStd. residual 1.7\n2 observations, s = 1.4 mm, spread 2.0 mm\n"),
            std::string::npos)
      << PairDescription(data.pairs[1]);
}

// Millimetres are the report's metres with the point moved, rounded once, as the report rounds.
TEST(report_numbers, millimetres_keep_the_reports_digits) {
  const std::pair<double, const char*> cases[] = {
      {0.0022, "2.2"},      {-0.0004, "-0.4"}, {0.0, "0.0"},     {-0.00001, "0.0"},
      {12.3456, "12345.6"}, {0.1234, "123.4"}, {0.00215, "2.2"},  // held as 0.0021500...01 m,
                                                                  // printed 0.0022; 2.15 mm as such
                                                                  // prints 2.1 0.0021499..., which
                                                                  // the report prints 0.0021
  };
  for (const auto& [metres, text] : cases) {
    EXPECT_EQ(MillimetresText(metres), text) << metres;
  }
  EXPECT_EQ(PpmText(0.721e-6), "0.721");
}

// What rounds to zero at the printed precision has no sign; anything else keeps its own.
TEST(report_numbers, zero_has_no_sign) {
  EXPECT_EQ(FixedText(-0.04, 1), "0.0");
  EXPECT_EQ(FixedText(-0.06, 1), "-0.1");
  EXPECT_EQ(FixedText(-0.0, 2), "0.00");
  EXPECT_EQ(PpmText(-0.0004e-6), "0.000");
  EXPECT_EQ(PpmText(-0.0006e-6), "-0.001");
}

// An accuracy reads as it was given, in the shortest form that reads back the same.
TEST(report_numbers, accuracy_as_given) {
  EXPECT_EQ(MmPlusPpmText(1.0, 0.75), "1 mm + 0.75 ppm");
  EXPECT_EQ(MmPlusPpmText(0.15, 2.0), "0.15 mm + 2 ppm");
  EXPECT_EQ(MmPlusPpmText(1.0, 0.1 + 0.2), "1 mm + 0.30000000000000004 ppm");
}

// The correction joins its parts by the scale's sign, each minus a real minus sign.
TEST(report_numbers, correction_as_a_surveyor_writes_it) {
  EXPECT_EQ(CorrectionText(0.0001, -4.978e-6), "0.1 mm \u2212 4.978 ppm \u00d7 distance");
  EXPECT_EQ(CorrectionText(-0.0007, 13.947e-6), "\u22120.7 mm + 13.947 ppm \u00d7 distance");
  EXPECT_EQ(CorrectionText(-0.00001, -0.0001e-6), "0.0 mm + 0.000 ppm \u00d7 distance");
}

// With pairs of their own, the baseline's line says how many took theirs, the formula of the
// others and the fitted line; or, when a pair has neither, that the baseline is left out.
TEST(uncertainty_summary, the_baseline_line_tells_the_pairs_own_uncertainties) {
  UncertaintyInputs inputs;
  inputs.baseline = BaselineUncertainty{{0.3, 1.5}, 2.0, std::nullopt};
  PairBaselineComponent pairs;
  pairs.pairs.resize(3);
  pairs.pairs[1].source = BaselinePairSource::kPair;
  pairs.intercept = 0.12e-3;
  pairs.slope = 0.8126e-6;
  pairs.dof = 20.0;
  EXPECT_EQ(UncertaintyInputLines(inputs, pairs).front(),
            "Baseline: own U of 1 of the 3 station pairs, U = 0.3 mm + 1.5 ppm (k = 2, infinite "
            "degrees of freedom) for the others; fitted u(D) = |a + b D| with a = 0.120 mm, "
            "b = 0.813 ppm (20 degrees of freedom)");
  for (BaselinePairInput& pair : pairs.pairs) {
    pair.source = BaselinePairSource::kPair;
  }
  pairs.dof.reset();
  EXPECT_EQ(UncertaintyInputLines(inputs, pairs).front(),
            "Baseline: each station pair's own U (3 pairs); fitted u(D) = |a + b D| with "
            "a = 0.120 mm, b = 0.813 ppm (infinite degrees of freedom)");
  pairs.leftOut = "the station pair A-B has no uncertainty";
  EXPECT_EQ(UncertaintyInputLines(inputs, pairs).front(),
            "Baseline: not given: the station pair A-B has no uncertainty");
  EXPECT_EQ(UncertaintyInputLines(inputs).front(),
            "Baseline: U = 0.3 mm + 1.5 ppm (k = 2, infinite degrees of freedom)");
}

TEST(calibration_plot, charts_draw_the_data) {
  const CalibrationPlotData data = SmallPlot();
  const std::unique_ptr<QChart> chart = MakeCalibrationChart(data);
  EXPECT_EQ(chart->title(), QStringLiteral("Rangefinder R1, 07-12-2026"));

  ASSERT_EQ(SeriesNamed<QScatterSeries>(*chart, QStringLiteral("Observations")).size(), 1u);
  EXPECT_EQ(SeriesNamed<QScatterSeries>(*chart, QStringLiteral("Observations"))[0]->count(), 4);
  const auto means = SeriesNamed<QScatterSeries>(*chart, QStringLiteral("Pair means"));
  ASSERT_EQ(means.size(), 1u);
  EXPECT_EQ(means[0]->points(), (QList<QPointF>{{100.0, data.pairs[1].differenceMm}}));
  // Flagged pairs in a shape and colour of their own, each named by its stations.
  const auto flagged =
      SeriesNamed<QScatterSeries>(*chart, QStringLiteral("Flagged pairs (3 or more)"));
  ASSERT_EQ(flagged.size(), 1u);
  EXPECT_EQ(flagged[0]->points(), (QList<QPointF>{{300.0, data.pairs[0].differenceMm},
                                                  {600.0, data.pairs[2].differenceMm}}));
  EXPECT_NE(flagged[0]->markerShape(), means[0]->markerShape());
  EXPECT_NE(flagged[0]->color(), means[0]->color());
  QStringList labels;
  for (const QGraphicsItem* item : chart->childItems()) {
    if (const auto* label = dynamic_cast<const QGraphicsSimpleTextItem*>(item)) {
      labels << label->text();
    }
  }
  EXPECT_EQ(labels, (QStringList{QStringLiteral("A-C"), QStringLiteral("A-D")}));

  const auto fit = SeriesNamed<QLineSeries>(*chart, QStringLiteral("Fitted line"));
  ASSERT_EQ(fit.size(), 1u);
  EXPECT_EQ(fit[0]->points(), (QList<QPointF>{{0.0, data.fitStart.y}, {600.0, data.fitEnd.y}}));
  std::vector<QLineSeries*> limits =
      SeriesNamed<QLineSeries>(*chart, QStringLiteral("Flag limit \u00b13 (a + b\u00b7P)"));
  const std::vector<QLineSeries*> lower = SeriesNamed<QLineSeries>(*chart, QString());
  limits.insert(limits.end(), lower.begin(), lower.end());
  ASSERT_EQ(limits.size(), 2u);
  EXPECT_EQ(limits[1]->points(), (QList<QPointF>{{0.0, -3.0}, {600.0, -6.6}}));
  EXPECT_EQ(limits[0]->pen().style(), Qt::DashLine);

  const auto* xAxis = qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).value(0));
  ASSERT_NE(xAxis, nullptr);
  EXPECT_EQ(xAxis->min(), 0.0);
  EXPECT_GE(xAxis->max(), 600.0);

  // Hovering finds the pair behind a marker of either chart, and nothing behind a dot.
  const PlotPair* found =
      PairAtMarker(data, *flagged[0], QPointF(600.0, data.pairs[2].differenceMm));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(PairName(*found), "A-D");
  const std::unique_ptr<QChart> residuals = MakeResidualChart(data);
  const auto residualMarkers = SeriesNamed<QScatterSeries>(*residuals, QStringLiteral("Residuals"));
  ASSERT_EQ(residualMarkers.size(), 1u);
  ASSERT_EQ(residualMarkers[0]->count(), 3);
  const QPointF residual = residualMarkers[0]->at(1);
  ASSERT_NE(PairAtMarker(data, *residualMarkers[0], residual), nullptr);
  EXPECT_EQ(PairName(*PairAtMarker(data, *residualMarkers[0], residual)), "B-A");
  EXPECT_EQ(
      PairAtMarker(data, *SeriesNamed<QScatterSeries>(*chart, QStringLiteral("Observations"))[0],
                   QPointF(100.0, 3.0)),
      nullptr);
}

// An outlier has a marker of its own in both charts, is named beside it, and its hover text
// gives its t against the limit.
TEST(calibration_plot, outliers_marked_named_and_described) {
  const CalibrationPlotData data = MakeCalibrationPlotData(NinePairs());
  ASSERT_EQ(data.pairs.size(), 9u);
  const PlotPair& outlier = data.pairs[8];
  ASSERT_EQ(PairName(outlier), "F-A");
  EXPECT_TRUE(outlier.outlier);
  EXPECT_TRUE(
      PairDescription(outlier).ends_with("\nt = 4.72 (limit \xb1"
                                         "4.20): an outlier"))
      << PairDescription(outlier);
  EXPECT_FALSE(data.pairs[1].outlier);
  EXPECT_TRUE(PairDescription(data.pairs[1])
                  .ends_with("\nt = -0.87 (limit \xb1"
                             "4.20)"))
      << PairDescription(data.pairs[1]);

  const QString name = QStringLiteral("Outlier (|t| > 4.20)");
  const std::unique_ptr<QChart> chart = MakeCalibrationChart(data);
  const auto marked = SeriesNamed<QScatterSeries>(*chart, name);
  ASSERT_EQ(marked.size(), 1u);
  EXPECT_EQ(marked[0]->points(), (QList<QPointF>{{outlier.P, outlier.differenceMm}}));
  const auto means = SeriesNamed<QScatterSeries>(*chart, QStringLiteral("Pair means"));
  ASSERT_EQ(means.size(), 1u);
  EXPECT_EQ(means[0]->count(), 8);
  EXPECT_NE(marked[0]->markerShape(), means[0]->markerShape());
  EXPECT_NE(marked[0]->color(), means[0]->color());
  EXPECT_EQ(PairAtMarker(data, *marked[0], marked[0]->at(0)), &outlier);
  QStringList labels;
  for (const QGraphicsItem* item : chart->childItems()) {
    if (const auto* label = dynamic_cast<const QGraphicsSimpleTextItem*>(item)) {
      labels << label->text();
    }
  }
  EXPECT_EQ(labels, QStringList{QStringLiteral("F-A")});

  const std::unique_ptr<QChart> residuals = MakeResidualChart(data);
  const auto residual = SeriesNamed<QScatterSeries>(*residuals, name);
  ASSERT_EQ(residual.size(), 1u);
  EXPECT_EQ(residual[0]->points(), (QList<QPointF>{{outlier.P, outlier.residualMm}}));
  EXPECT_EQ(SeriesNamed<QScatterSeries>(*residuals, QStringLiteral("Residuals"))[0]->count(), 8);
}

// The legend's entries wrap to further rows where one row would not hold them, below the plot
// and within the chart's width, never cut.
TEST(calibration_plot, legend_wraps_at_the_charts_width) {
  QGraphicsScene scene;
  QChart* chart = MakeCalibrationChart(SmallPlot()).release();
  scene.addItem(chart);  // the scene owns its items
  const auto rowsAt = [chart](double width) {
    chart->setGeometry(0.0, 0.0, width, 500.0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    std::set<double> rows;
    QStringList names;
    for (const QGraphicsItem* item : chart->childItems()) {
      if (dynamic_cast<const QGraphicsItemGroup*>(item) == nullptr) {
        continue;
      }
      for (const QGraphicsItem* part : item->childItems()) {
        if (const auto* label = dynamic_cast<const QGraphicsSimpleTextItem*>(part)) {
          names << label->text();
          const QRectF box = label->mapRectToItem(chart, label->boundingRect());
          EXPECT_GE(box.left(), 0.0) << label->text().toStdString() << " at " << width;
          EXPECT_LE(box.right(), width) << label->text().toStdString() << " at " << width;
          EXPECT_GT(box.top(), chart->plotArea().bottom()) << label->text().toStdString();
          rows.insert(box.top());
        }
      }
    }
    EXPECT_EQ(names,
              (QStringList{QStringLiteral("Correction \u00b1 U"), QStringLiteral("Pair means"),
                           QStringLiteral("Flagged pairs (3 or more)"),
                           QStringLiteral("Observations"), QStringLiteral("Fitted line"),
                           QStringLiteral("Flag limit \u00b13 (a + b\u00b7P)")}));
    return rows.size();
  };
  EXPECT_EQ(rowsAt(1400.0), 1u);
  EXPECT_EQ(rowsAt(500.0), 2u);
  EXPECT_EQ(rowsAt(1400.0), 1u);
}

// The band is IC(D) +- U(D) of the budget under the calibration's conditions, drawn under the
// markers and inside the value axis.
TEST(calibration_plot, uncertainty_band_around_the_fitted_line) {
  UncertaintyInputs conditions;
  conditions.resolution = 1.0;
  const ProcessedCalibration calibration = SmallCalibration(conditions);
  const CalibrationPlotData data = MakeCalibrationPlotData(calibration);
  ASSERT_EQ(data.bandUpper.size(), data.bandLower.size());
  ASSERT_GT(data.bandUpper.size(), 10u);
  EXPECT_EQ(data.bandUpper.back().x, 600.0);
  for (const double D : {0.0, 600.0}) {
    const CorrectionRow row = CorrectionsAt(calibration, {D}).front();
    const PlotPoint upper = D == 0.0 ? data.bandUpper.front() : data.bandUpper.back();
    const PlotPoint lower = D == 0.0 ? data.bandLower.front() : data.bandLower.back();
    EXPECT_NEAR(upper.y, (row.correction + row.expandedUncertainty) * 1000.0, 1e-9);
    EXPECT_NEAR(lower.y, (row.correction - row.expandedUncertainty) * 1000.0, 1e-9);
  }
  EXPECT_NEAR(data.bandUpper.front().y + data.bandLower.front().y, 2 * data.fitStart.y, 1e-9);

  const std::unique_ptr<QChart> chart = MakeCalibrationChart(data);
  const auto bands = SeriesNamed<QAreaSeries>(*chart, QStringLiteral("Correction \u00b1 U"));
  ASSERT_EQ(bands.size(), 1u);
  EXPECT_EQ(chart->series().front(), bands[0]);
  const auto* yAxis = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
  ASSERT_NE(yAxis, nullptr);
  EXPECT_LT(yAxis->min(), data.bandLower.front().y);
  EXPECT_GT(yAxis->max(), data.bandUpper.back().y);
}

// Many markers are spread over several series, every point drawn once.
TEST(calibration_plot, many_observations_keep_every_point) {
  CalibrationPlotData data = SmallPlot();
  data.observations.clear();
  for (int i = 0; i < 450; ++i) {
    data.observations.push_back({.x = static_cast<double>(i), .y = 1.0});
  }
  const std::unique_ptr<QChart> chart = MakeCalibrationChart(data);
  QList<QPointF> drawn;
  for (QScatterSeries* series :
       SeriesNamed<QScatterSeries>(*chart, QStringLiteral("Observations"))) {
    drawn += series->points();
  }
  ASSERT_EQ(drawn.size(), 450);
  for (int i = 0; i < 450; ++i) {
    EXPECT_EQ(drawn[i].x(), i);
  }
}

TEST(plot_export, writes_svg_png_and_pdf_by_extension) {
  EXPECT_EQ(PlotFileTypeOf(QStringLiteral("a/plot.SVG")), PlotFileType::kSvg);
  EXPECT_EQ(PlotFileTypeOf(QStringLiteral("plot.png")), PlotFileType::kPng);
  EXPECT_EQ(PlotFileTypeOf(QStringLiteral("plot.pdf")), PlotFileType::kPdf);
  EXPECT_EQ(PlotFileTypeOf(QStringLiteral("plot.gif")), std::nullopt);
  EXPECT_EQ(PlotFileTypeOf(QStringLiteral("svg")), std::nullopt);

  const TempDir dir;
  const CalibrationPlotData data = SmallPlot();
  QString reason;
  for (const char* name : {"plot.svg", "plot.png", "plot.pdf"}) {
    const QString path = TextFromPath(dir.path() / name);
    ASSERT_TRUE(SavePlot(path, *PlotFileTypeOf(path), data, reason))
        << name << ": " << reason.toStdString();
  }
  EXPECT_TRUE(ReadBytes(dir.path() / "plot.svg").find("<svg") != std::string::npos);
  EXPECT_TRUE(ReadBytes(dir.path() / "plot.pdf").starts_with("%PDF-"));
  const QImage png(TextFromPath(dir.path() / "plot.png"));
  EXPECT_GE(png.width(), 2000);

  // A file that can't be written says why and leaves nothing behind.
  const QString missing = TextFromPath(dir.path() / "missing" / "plot.png");
  EXPECT_FALSE(SavePlot(missing, PlotFileType::kPng, data, reason));
  EXPECT_FALSE(reason.isEmpty());
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));
}

// The certificate of SmallCalibration as c.pdf in `dir`.
void SaveSmallCertificate(const TempDir& dir) {
  QString reason;
  ASSERT_TRUE(
      SaveCertificate(TextFromPath(dir.path() / "c.pdf"), SmallCalibration(), {}, {}, reason))
      << reason.toStdString();
}

TEST(certificate, is_a4_with_every_font_embedded) {
  SKIP_WITHOUT_PDF_TOOLS();
  const TempDir dir;
  SaveSmallCertificate(dir);
  const CliRun info = RunShell(dir, "pdfinfo c.pdf");
  ASSERT_EQ(info.exitCode, 0) << info.err;
  EXPECT_TRUE(info.out.find("595 x 842 pts (A4)") != std::string::npos) << info.out;
  // Every font embedded: in each of pdffonts' font lines (those after the dashes), "emb" is the
  // fifth word from the end, before "sub", "uni" and the object number.
  const CliRun fonts = RunShell(dir, "pdffonts c.pdf");
  const std::vector<std::vector<std::string>> fontLines = WordsOfLines(fonts.out);
  int fontCount = 0;
  for (std::size_t i = 2; i < fontLines.size(); ++i) {
    if (fontLines[i].size() >= 5) {
      ++fontCount;
      EXPECT_EQ(fontLines[i][fontLines[i].size() - 5], "yes") << fonts.out;
    }
  }
  EXPECT_GT(fontCount, 0) << fonts.out;
}

TEST(certificate, holds_the_results_every_pair_and_the_hashes_on_every_page) {
  SKIP_WITHOUT_PDF_TOOLS();
  // The SHA-256 of "abc" as FIPS 180-2 gives it.
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const TempDir dir;
  SaveSmallCertificate(dir);
  const CliRun info = RunShell(dir, "pdfinfo c.pdf");
  ASSERT_EQ(info.exitCode, 0) << info.err;
  const CliRun text = RunShell(dir, "pdftotext -layout c.pdf -");
  ASSERT_EQ(text.exitCode, 0) << text.err;
  const std::string& pdf = text.out;
  const auto has = [&pdf](const std::string& part) {
    EXPECT_NE(pdf.find(part), std::string::npos) << "missing: " << part;
  };
  has("EDM Calibration Certificate");
  has("Rangefinder R1");
  has("2026-12-07");
  has("Example line");
  has("\u00b1 1 mm + 2 ppm");
  // Scale 13.947 ppm, constant 0.7 mm, one degree of freedom, critical t 12.7050.
  has("13.947 ppm");
  has("0.7 mm");
  has("Degrees of freedom: 1");
  has("12.7050");
  has("add 0.7 mm + 13.947 ppm \u00d7 distance");
  // Three pairs are too few for the outlier test; nothing was left out or accepted.
  has("Not applicable: 3 station pairs; the test needs at least 4.");
  EXPECT_EQ(pdf.find("left out"), std::string::npos);
  EXPECT_EQ(pdf.find("ccepted"), std::string::npos);
  // No unit length was given: no cyclic error.
  EXPECT_EQ(pdf.find("yclic"), std::string::npos);
  // Every pair's row whole: from, to, P, C, observations with their standard deviation and
  // spread (a dash for a pair observed once), d, residual, standardized difference, flag.
  const std::vector<std::vector<std::string>> rows = {
      {"A", "C", "300.0000", "299.9950", "1", "\u2013", "\u2013", "5.0", "0.1", "3.1", "*"},
      {"B", "A", "100.0000", "99.9980", "2", "1.4", "2.0", "2.0", "-0.1", "1.7"},
      {"A", "D", "600.0000", "599.9910", "1", "\u2013", "\u2013", "9.0", "-0.1", "4.1", "*"}};
  const std::vector<std::vector<std::string>> lines = WordsOfLines(pdf);
  for (const std::vector<std::string>& row : rows) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), row), lines.end()) << "no row " << row[2];
  }

  const std::size_t pages = std::stoul(info.out.substr(info.out.find("Pages:") + 6));
  ASSERT_GE(pages, 2u);
  for (std::size_t page = 1; page <= pages; ++page) {
    has("Page " + std::to_string(page) + " of " + std::to_string(pages));
  }
  const auto count = [&pdf](const std::string& part) {
    std::size_t n = 0;
    for (auto at = pdf.find(part); at != std::string::npos; at = pdf.find(part, at + 1)) {
      ++n;
    }
    return n;
  };
  EXPECT_EQ(count("Measured text SHA-256: " + Sha256Hex(std::string(kMeasured))), pages);
  EXPECT_EQ(count("Published text SHA-256: " + Sha256Hex(std::string(kPublished))), pages);
  EXPECT_EQ(count("Mensuro " MENSURO_PROJECT_VERSION), pages);
}

// How many of a table's rows stay before a page break, the others going over together.
TEST(paged_pdf, rows_kept_before_a_page_break) {
  EXPECT_EQ(RowsKeptBeforeBreak(18, 0), 18);  // the table ends on the page
  EXPECT_EQ(RowsKeptBeforeBreak(18, 5), 18);  // five go over: good as it is
  EXPECT_EQ(RowsKeptBeforeBreak(18, 3), 16);  // two more go with the last three
  EXPECT_EQ(RowsKeptBeforeBreak(8, 2), 5);
  EXPECT_EQ(RowsKeptBeforeBreak(6, 2), 0);   // a short table goes whole
  EXPECT_EQ(RowsKeptBeforeBreak(0, 21), 0);  // a heading alone goes with its table
  EXPECT_EQ(RowsKeptBeforeBreak(3, 30), 0);  // so do three rows at the foot of a page
}

// The text of the certificate of `calibration`, laid out as on its pages by pdftotext.
std::string CertificateText(const ProcessedCalibration& calibration) {
  const TempDir dir;
  QString reason;
  EXPECT_TRUE(SaveCertificate(TextFromPath(dir.path() / "c.pdf"), calibration, {}, {}, reason))
      << reason.toStdString();
  const CliRun text = RunShell(dir, "pdftotext -layout c.pdf -");
  EXPECT_EQ(text.exitCode, 0) << text.err;
  return text.out;
}

// The Kellerby example without station 7 and two more of its pairs (and so without an outlier,
// whose accepted warning would come first): of its 13 pairs nine fit on the first page and four
// would go over; one more goes with them, five under the repeated column headings.
TEST(certificate, a_table_never_leaves_a_few_rows_alone_on_a_page) {
  SKIP_WITHOUT_PDF_TOOLS();
  const std::filesystem::path examples = MENSURO_EXAMPLES_DIR;
  const ProcessedCalibration calibration = ProcessCalibration(
      MeasurementHeader(), ReadBytes(examples / "kellerby-measured.txt"),
      ReadBytes(examples / "kellerby-published.txt"), UncertaintyInputs(),
      {Exclusion{"1", "3", 0, ""}, Exclusion{"2", "3", 0, ""}, Exclusion{"1", "7", 0, ""},
       Exclusion{"2", "7", 0, ""}, Exclusion{"3", "7", 0, ""}, Exclusion{"4", "7", 0, ""},
       Exclusion{"5", "7", 0, ""}, Exclusion{"6", "7", 0, ""}});
  ASSERT_TRUE(calibration.processed) << calibration.failure;

  // Each pair's row is found on its page by its published distance, the third word.
  std::vector<std::string> distances;
  for (const AdjustmentEntry& entry : calibration.run.analysis.entries) {
    distances.push_back(fmt::format("{:.4f}", entry.P));
  }
  ASSERT_EQ(distances.size(), 13u);
  std::vector<int> rowsOnPage;
  std::size_t headingPage = 0;
  std::size_t firstRowPage = 0;
  std::stringstream pages(CertificateText(calibration));
  for (std::string page; std::getline(pages, page, '\f');) {
    int rows = 0;
    for (const std::vector<std::string>& words : WordsOfLines(page)) {
      if (words.size() > 2 &&
          std::find(distances.begin(), distances.end(), words[2]) != distances.end()) {
        if (firstRowPage == 0) {
          firstRowPage = rowsOnPage.size() + 1;
        }
        ++rows;
      }
    }
    if (page.find("Station pairs") != std::string::npos) {
      headingPage = rowsOnPage.size() + 1;
    }
    rowsOnPage.push_back(rows);
  }
  EXPECT_EQ(firstRowPage, headingPage);
  ASSERT_GE(rowsOnPage.size(), 2u);
  EXPECT_EQ(rowsOnPage[0], 8);
  EXPECT_EQ(rowsOnPage[1], 5);
}

// The correction table with U and k, the budget's inputs, the statement with its decision rule,
// and why the full test does not apply to three pairs.
TEST(certificate, holds_the_correction_with_its_uncertainty_and_conformity) {
  SKIP_WITHOUT_PDF_TOOLS();
  UncertaintyInputs conditions;
  conditions.acceptance = MmPlusPpm{30.0, 0.0};
  conditions.centring = 0.5;
  const ProcessedCalibration calibration = SmallCalibration(conditions);
  const std::string pdf = CertificateText(calibration);
  for (const char* part :
       {"Uncertainty of the correction", "Centring: +/- 0.5 mm at each end", "Baseline: not given",
        "Acceptance limit: MPE = 30 mm + 0 ppm", "Decision rule (ISO 14253-1)",
        "ISO 17123-4 full test", "Not applicable: the full test needs"}) {
    EXPECT_NE(pdf.find(part), std::string::npos) << "missing: " << part;
  }
  const CorrectionUncertainty& budget = calibration.uncertainty;
  ASSERT_EQ(budget.table.size(), 7u);
  const std::vector<std::vector<std::string>> lines = WordsOfLines(pdf);
  std::vector<std::string> last = CorrectionTableCells(calibration.conditions, budget).back();
  EXPECT_EQ(last[0], "600");
  // "does not conform" and the like are three words in the text.
  const std::string verdict = last.back();
  last.pop_back();
  const auto row = std::find_if(lines.begin(), lines.end(), [&](const auto& words) {
    return words.size() > last.size() && std::equal(last.begin(), last.end(), words.begin());
  });
  ASSERT_NE(row, lines.end()) << pdf;
  EXPECT_EQ(row->at(last.size()), verdict.substr(0, verdict.find(' ')));
  const std::string statement = budget.conformity == Conformity::kConforms
                                    ? "Statement: the instrument conforms"
                                    : "Statement: inconclusive";
  EXPECT_NE(pdf.find(statement), std::string::npos) << pdf;
}

// The pages of the certificate of `calibration`, the words of each joined by single blanks, so
// that sentences read through pdftotext's line breaks.
std::vector<std::string> CertificatePages(const ProcessedCalibration& calibration) {
  std::vector<std::string> pages;
  std::stringstream all(CertificateText(calibration));
  for (std::string page; std::getline(all, page, '\f');) {
    std::istringstream words(page);
    std::string flowing;
    for (std::string word; words >> word;) {
      flowing += (flowing.empty() ? "" : " ") + word;
    }
    pages.push_back(flowing);
  }
  return pages;
}

std::string Joined(const std::vector<std::string>& pages) {
  std::string text;
  for (const std::string& page : pages) {
    text += page + " ";
  }
  return text;
}

// The outlier test in words, with the outlier and its t, and the misread line and the outlier
// accepted; the misread line of a pair nobody observed is not among them.
TEST(certificate, names_the_outlier_and_the_accepted_warnings) {
  SKIP_WITHOUT_PDF_TOOLS();
  // A decimal comma? on the first published line, and only two fields on the last.
  const ProcessedCalibration calibration =
      NinePairs("A,B,47.6828,0\n" + std::string(kNinePublished).substr(12) + "A,K\n");
  ASSERT_EQ(FindCertificateObstacles(calibration).listed.size(), 2u);
  const std::vector<std::string> pages = CertificatePages(calibration);
  const std::string pdf = Joined(pages);
  for (const char* part :
       {"Outlier test",
        "at the 5 percent level for all 9 pairs together, which is 0.568 percent "
        "for each pair; t has 6 degrees of freedom",
        "outlier when |t| is greater than 4.20.", "One pair is an outlier: F-A: t = 4.72",
        "Accepted warnings", "accepted when this certificate was issued",
        "published 1 A,B,47.6828,0 a decimal comma? the distance is read as 47.6828",
        "measured 7 A,F,281.9311 an outlier: the station pair F-A has t = 4.72, beyond the limit "
        "4.20 of the outlier test"}) {
    EXPECT_NE(pdf.find(part), std::string::npos) << "missing: " << part << "\n" << pdf;
  }
  EXPECT_EQ(pdf.find("A,K"), std::string::npos) << pdf;
  EXPECT_EQ(pdf.find("left out"), std::string::npos);
  // The section's heading would stand at the foot of the first page over one line of its text:
  // it goes over with the text.
  const auto heading = std::find_if(pages.begin(), pages.end(), [](const std::string& page) {
    return page.find("Outlier test") != std::string::npos;
  });
  ASSERT_NE(heading, pages.end());
  EXPECT_NE(heading->find("is greater than 4.20."), std::string::npos) << *heading;
}

// Each exclusion with its reason and observations, the total left out, and a test without
// outliers; the lines are those of the field file when the text was reduced from one.
TEST(certificate, lists_the_observations_left_out) {
  SKIP_WITHOUT_PDF_TOOLS();
  ProcessedCalibration calibration =
      NinePairs(std::string(kNinePublished),
                {Exclusion{"", "", 7, "pillar bumped"}, Exclusion{"B", "A", 0, ""}});
  ASSERT_EQ(calibration.exclusions.size(), 2u);
  const std::string pdf = Joined(CertificatePages(calibration));
  for (const std::string& part : std::vector<std::string>{
           "Observations left out", "Left out Reason Observations Count",
           "line 7 pillar bumped A-F 281.9311 m (line 7) 1",
           DescribeExclusion(calibration.exclusions[1].exclusion) + " A-B 47.6819 m (line 3) 1",
           "Lines are those of the measured text.",
           "2 of 10 observations were left out of the fit.", "No pair is an outlier."}) {
    EXPECT_NE(pdf.find(part), std::string::npos) << "missing: " << part << "\n" << pdf;
  }
  EXPECT_EQ(pdf.find("ccepted"), std::string::npos);

  calibration.origin.fileLines = {0, 0, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21};
  const std::string reduced = Joined(CertificatePages(calibration));
  for (const std::string& part : std::vector<std::string>{
           "line 16 pillar bumped A-F 281.9311 m (line 16) 1", "A-B 47.6819 m (line 12) 1",
           "Lines are those of the field file; distances are as reduced."}) {
    EXPECT_NE(reduced.find(part), std::string::npos) << "missing: " << part << "\n" << reduced;
  }
}

// What the published distances are, stated always; how the observations were reduced, in a
// section of its own before the results, only for a measured text reduced from a field file.
TEST(certificate, states_the_published_distances_and_the_reduction) {
  SKIP_WITHOUT_PDF_TOOLS();
  ProcessedCalibration calibration = SmallCalibration();
  const std::string typed = Joined(CertificatePages(calibration));
  EXPECT_NE(typed.find("Published distances: not stated"), std::string::npos) << typed;
  EXPECT_EQ(typed.find("Reduction"), std::string::npos) << typed;

  ReductionSummary summary;
  summary.observations = 4;
  summary.carrier = EdmCarrier{0.658, ReferenceAtmosphere{12.0, 1013.25, 60.0}};
  summary.target = PublishedDistanceKind::kMarkToMark;
  summary.heightsSource = "library baseline Example line";
  summary.temperature = ValueRange{9.7, 16.2};
  calibration.origin = {PublishedDistanceKind::kMarkToMark, summary, {}, {}};
  const std::string reduced = Joined(CertificatePages(calibration));
  EXPECT_NE(reduced.find("Published distances: mark to mark"), std::string::npos) << reduced;
  const std::size_t section = reduced.find("Reduction of the observations");
  EXPECT_LT(section, reduced.find("Results"));
  for (const SummaryLine& line : ReductionSummaryLines(summary)) {
    const std::string statement = line.label + ": " + line.value;
    EXPECT_NE(reduced.find(statement, section), std::string::npos)
        << "missing: " << statement << "\n"
        << reduced;
  }
}

// Pairs from pillar 0 to pillars 1.. at the `published` distances, measured by an instrument
// with a cyclic error of 0.5 mm at U = 5 m (phase 40 degrees), a constant of 0.8 mm and 3 ppm,
// each observation off by a fixed scatter of up to 0.1 mm.
ProcessedCalibration CyclicBench(const std::vector<double>& published, CyclicSettings settings) {
  constexpr double kPhase = 40.0 * std::numbers::pi / 180.0;
  constexpr double kScatter[] = {0.0001, -0.00005, 0.0, 0.00008, -0.0001, 0.00003, -0.00007};
  std::string publishedText;
  std::string measuredText = "^1\n%1\n";
  for (std::size_t j = 0; j < published.size(); ++j) {
    const double P = published[j];
    const double d = 0.0008 + 3e-6 * P +
                     0.0005 * std::sin(2.0 * std::numbers::pi * P / 5.0 + kPhase) +
                     kScatter[j % std::size(kScatter)];
    publishedText += fmt::format("0,{},{:.4f}\n", j + 1, P);
    measuredText += fmt::format("0,{},{:.5f}\n", j + 1, P - d);
  }
  UncertaintyInputs conditions;
  conditions.cyclic = settings;
  ProcessedCalibration calibration =
      ProcessCalibration(MeasurementHeader(), measuredText, publishedText, conditions);
  EXPECT_TRUE(calibration.processed) << calibration.failure;
  return calibration;
}

// Whether `words`, joined by single blanks, stand in `text`; the text shown when not.
::testing::AssertionResult Holds(const std::string& text, const std::vector<std::string>& words) {
  const std::string joined = fmt::format("{}", fmt::join(words, " "));
  if (text.find(joined) != std::string::npos) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "missing: " << joined << "\n" << text;
}

// Each harmonic's amplitude, phase and F test, the verdict, the degrees of freedom and s0, and
// the joint model's constant and scale beside the plain fit's, after the outlier test.
TEST(certificate, states_the_cyclic_error_beside_the_plain_fit) {
  SKIP_WITHOUT_PDF_TOOLS();
  // Fourteen distances whose fractional parts of D/U step through the unit length.
  std::vector<double> published;
  for (int j = 0; j < 14; ++j) {
    published.push_back(30.0 + 60.0 * j + 5.0 * j / 14.0);
  }
  const ProcessedCalibration calibration = CyclicBench(published, {5.0, 2});
  ASSERT_TRUE(calibration.cyclic && calibration.cyclic->estimable);
  const CyclicAnalysis& cyclic = *calibration.cyclic;
  ASSERT_EQ(cyclic.harmonics.size(), 2u);
  // The bench is what it says: a first harmonic of about 0.5 mm, and no second.
  EXPECT_NEAR(cyclic.harmonics[0].amplitude, 0.0005, 0.0001);
  const CalibrationResult& plain = calibration.run.analysis.result;
  // Left out of the model, the cyclic error moves the constant by more than a rounding.
  ASSERT_NE(MillimetresText(plain.constant), MillimetresText(cyclic.constant));

  const std::string pdf = Joined(CertificatePages(calibration));
  const std::size_t section = pdf.find("Cyclic error Unit length");
  ASSERT_NE(section, std::string::npos) << pdf;
  EXPECT_LT(pdf.find("Outlier test"), section);
  EXPECT_LT(section, pdf.find("Calibration plot"));
  const std::string text = pdf.substr(section, pdf.find("Calibration plot") - section);
  EXPECT_TRUE(Holds(text, {"Unit length U = 5.000 m, 2 harmonics."}));
  EXPECT_TRUE(Holds(text, {"from the 14 station pairs of the fit"}));
  EXPECT_TRUE(Holds(text, {"Degrees of freedom: 8;", "standard deviation of unit weight s0",
                           fmt::format("= {:.2f} mm.", cyclic.s0 * 1000.0)}));
  EXPECT_TRUE(Holds(text, {"Harmonic Amplitude Phase F test"}));
  for (const CyclicHarmonic& harmonic : cyclic.harmonics) {
    EXPECT_TRUE(Holds(text, {std::to_string(harmonic.order), CyclicAmplitudeText(harmonic),
                             CyclicPhaseText(harmonic), CyclicTestText(harmonic)}));
  }
  EXPECT_TRUE(Holds(text, {"for 2 and 8 degrees of freedom."}));
  EXPECT_TRUE(Holds(text, {"Significant cyclic error (harmonic 1)."}));
  EXPECT_EQ(text.find("Design warning"), std::string::npos) << text;
  EXPECT_TRUE(Holds(text, {"Constant and scale with the cyclic error",
                           "Plain fit Standard error With cyclic error Standard error"}));
  EXPECT_TRUE(Holds(text, {"Constant correction", MillimetresText(plain.constant) + " mm",
                           MillimetresText(plain.constantStdError) + " mm",
                           MillimetresText(cyclic.constant) + " mm",
                           MillimetresText(cyclic.constantStdError) + " mm"}));
  EXPECT_TRUE(Holds(text, {"Scale correction", PpmText(plain.scale) + " ppm",
                           PpmText(plain.scaleStdError) + " ppm", PpmText(cyclic.scale) + " ppm",
                           PpmText(cyclic.scaleStdError) + " ppm"}));
}

// A design that hardly separates the cyclic error is warned of; terms that can't be estimated
// give the unit length and why, and no table.
TEST(certificate, warns_of_a_weak_design_and_says_why_terms_are_not_estimable) {
  SKIP_WITHOUT_PDF_TOOLS();
  // Whole unit lengths apart but for a few centimetres: the fractional parts bunch together.
  std::vector<double> bunched;
  for (int j = 0; j < 8; ++j) {
    bunched.push_back(50.0 + 100.0 * j + 0.04 * j);
  }
  const ProcessedCalibration weak = CyclicBench(bunched, {5.0, 1});
  ASSERT_TRUE(weak.cyclic && weak.cyclic->estimable);
  ASSERT_FALSE(weak.cyclic->warning.empty());
  const std::string warned = Joined(CertificatePages(weak));
  EXPECT_TRUE(Holds(warned, {"Unit length U = 5.000 m, 1 harmonic."}));
  EXPECT_TRUE(Holds(warned, {"Design warning: " + weak.cyclic->warning + "."}));
  EXPECT_NE(weak.cyclic->warning.find("hardly separate the cyclic error"), std::string::npos);

  UncertaintyInputs conditions;
  conditions.cyclic = CyclicSettings{5.0, 1};
  const std::string few = Joined(CertificatePages(SmallCalibration(conditions)));
  EXPECT_TRUE(Holds(few, {"Cyclic error Unit length U = 5.000 m, 1 harmonic.",
                          "Not estimable: the cyclic error with 1 harmonic needs at least 5 "
                          "station pairs; the fit has 3."}));
  for (const char* part : {"Harmonic Amplitude", "with the cyclic error", "Significant", "F ="}) {
    EXPECT_EQ(few.find(part), std::string::npos) << part << "\n" << few;
  }
}

// The words of the certificate's text, joined by single blanks, from its PDF bytes.
std::string WordsOfPdf(const TempDir& dir, const std::string& pdf) {
  dir.Write("c.pdf", pdf);
  const CliRun text = RunShell(dir, "pdftotext c.pdf -");
  EXPECT_EQ(text.exitCode, 0) << text.err;
  std::istringstream words(text.out);
  std::string joined;
  for (std::string word; words >> word;) {
    joined += (joined.empty() ? "" : " ") + word;
  }
  return joined;
}

TEST(certificate, shows_the_details_given_and_leaves_out_the_others) {
  SKIP_WITHOUT_PDF_TOOLS();
  CertificateDetails details;
  details.laboratory = {"Kellerby Laboratory", "1 Pillar Road\nKellerby", "NAS 0412", ""};
  details.instrument.serialNumber = "SN 4411";
  details.reflector.prismConstantMm = -17.5;
  details.checkedBy = "B. Checker";
  details.baselineCertificate = "State Survey Office SSO-118";
  const std::string record(64, 'c');
  const CertificateIdentity identity{"MEN-2026-0007", "2026-12-08", record, "MEN-2026-0003",
                                     "the scale was mistyped"};
  QString reason;
  const std::optional<std::string> pdf =
      DrawCertificatePdf(SmallCalibration(), details, identity, reason);
  ASSERT_TRUE(pdf.has_value()) << reason.toStdString();
  const TempDir dir;
  const std::string text = WordsOfPdf(dir, *pdf);
  for (const std::string& part : std::vector<std::string>{
           "Kellerby Laboratory 1 Pillar Road Kellerby Accreditation: NAS 0412",
           "Certificate number: MEN-2026-0007 Issue date: 2026-12-08 Replaces: MEN-2026-0003: the "
           "scale was mistyped",
           "Serial number: SN 4411", "Prism constant: -17.5 mm", "Checked by: B. Checker",
           "Published baseline: Example line Place of calibration: Example line Baseline "
           "certificate: State Survey Office SSO-118",
           "Register record SHA-256: " + record, "Calibrated by:",
           "Checked by: ______________________________ B. Checker", "certificate MEN-2026-0007"}) {
    EXPECT_NE(text.find(part), std::string::npos) << "missing: " << part << "\n" << text;
  }
  for (const char* left :
       {"not registered", "DRAFT", "Client", "Instrument make", "Reflector", "Measured by"}) {
    EXPECT_EQ(text.find(left), std::string::npos) << left << " stated:\n" << text;
  }
}

// The texts an assessor looks for: what the results relate to, what they are traceable through,
// the method and the place; the corrections stated as corrections, with the figures the register
// lists; every column defined; one date format; no label left standing without its detail.
TEST(certificate, states_scope_traceability_method_place_and_corrections) {
  SKIP_WITHOUT_PDF_TOOLS();
  UncertaintyInputs conditions;
  conditions.sensors = SensorUncertainty{0.2, 0.3, 2.0};
  const ProcessedCalibration calibration = SmallCalibration(conditions);
  CertificateDetails details;
  details.baselineCertificate = "State Survey Office SSO-118 of 14.03.2026";
  details.baselineSite = "Kellerby Quarry";
  details.procedure = "QP-7 EDM calibration";
  QString reason;
  const std::optional<std::string> pdf = DrawCertificatePdf(calibration, details, {}, reason);
  ASSERT_TRUE(pdf.has_value()) << reason.toStdString();
  const TempDir dir;
  const std::string text = WordsOfPdf(dir, *pdf);
  const RegisteredResults figures = RegisteredResultsOf(calibration);
  for (const std::string& part : std::vector<std::string>{
           "Date of measurements: 2026-12-07",
           "Place of calibration: Example line, Kellerby Quarry",
           "relate only to the instrument calibrated",
           "traceable through the baseline's own certificate, State Survey Office SSO-118",
           "temperature and pressure are traceable through the calibration of the sensors",
           "Method: QP-7 EDM calibration.",
           "The scale correction is 13.947 ppm and the constant correction 0.7 mm: to a distance "
           "measured with this instrument, add 0.7 mm + 13.947 ppm \u00d7 distance.",
           "its scale error is -13.947 ppm and its constant error -0.7 mm",
           "Constant correction: " + ConstantText(figures) + " mm (U, 95 %)",
           "Scale correction: " + ScaleText(figures) + " ppm (U, 95 %)",
           "Residual: d less the correction", "Std. diff.: |d| in units", "t-value: the value",
           "k the coverage factor",
           "uncertainty of the baseline's published distances was not given"}) {
    EXPECT_NE(text.find(part), std::string::npos) << "missing: " << part << "\n" << text;
  }
  EXPECT_EQ(text.find("Scale error"), std::string::npos) << text;

  // Dates: ISO 8601 alone, whatever the texts gave, but for the baseline's certificate as the
  // laboratory typed it.
  std::string ours = text;
  ASSERT_NE(ours.find("14.03.2026"), std::string::npos) << text;
  for (std::size_t typed; (typed = ours.find("14.03.2026")) != std::string::npos;) {
    ours.erase(typed, 10);
  }
  for (std::size_t at = 0; at + 10 <= ours.size(); ++at) {
    const auto digits = [&](std::size_t from, std::size_t n) {
      return std::all_of(ours.begin() + from, ours.begin() + from + n,
                         [](char c) { return c >= '0' && c <= '9'; });
    };
    const bool dayFirst = digits(at, 2) &&
                          std::string("-./").find(ours[at + 2]) != std::string::npos &&
                          digits(at + 3, 2) && ours[at + 5] == ours[at + 2] && digits(at + 6, 4);
    EXPECT_FALSE(dayFirst) << ours.substr(at, 10);
  }

  // No label without its detail: in the laid-out text, no line ends in a colon but the
  // sentences that a list follows on the next line.
  const CliRun laidOut = RunShell(dir, "pdftotext -layout c.pdf -");
  for (const std::vector<std::string>& line : WordsOfLines(laidOut.out)) {
    if (!line.empty()) {
      EXPECT_FALSE(line.back().ends_with(':')) << fmt::format("{}", fmt::join(line, " "));
    }
  }
}

// The equipment a register applied: each item's certificate by number, issuer and date in the
// traceability statement, the baseline's beside the baseline; an item used outside its validity
// listed with its dates and the reason; the due date only when the client asked for it.
TEST(certificate, states_the_equipment_and_the_due_date_asked_for) {
  SKIP_WITHOUT_PDF_TOOLS();
  AppliedEquipment thermometer{EquipmentKind::kThermometer, "Thermo", "T-100", "4711", {}, {}};
  thermometer.certificate.number = "TK-2041";
  thermometer.certificate.issuedBy = "Heatlab";
  thermometer.certificate.date = "2026-01-10";
  thermometer.certificate.validUntil = "2027-01-09";
  thermometer.certificate.correction = -0.2;
  thermometer.certificate.standardUncertainty = 0.1;
  AppliedEquipment barometer{EquipmentKind::kBarometer, "Baro", "B-2", "77", {},
                             "replacement on order"};
  barometer.certificate.number = "PK-0815";
  barometer.certificate.issuedBy = "Presslab";
  barometer.certificate.date = "2025-11-02";
  barometer.certificate.validUntil = "2026-11-30";
  barometer.certificate.correction = 2.0;
  barometer.certificate.standardUncertainty = 0.3;
  AppliedEquipment baseline{EquipmentKind::kBaseline, "SSO", "Pillars", "KB-1", {}, {}};
  baseline.certificate.number = "SSO-118";
  baseline.certificate.issuedBy = "Survey Office";
  baseline.certificate.date = "2026-03-14";
  baseline.certificate.validUntil = "2029-03-13";
  baseline.certificate.baselineUncertainty = "0.3,1.5,2,inf";
  UncertaintyInputs conditions;
  conditions.equipment = {thermometer, barometer, baseline};
  const ProcessedCalibration calibration = SmallCalibration(conditions);
  CertificateDetails details;
  details.dueDate = "2027-12-07";
  const TempDir dir;
  const auto text = [&dir, &calibration](const CertificateDetails& given) {
    QString reason;
    const std::optional<std::string> pdf = DrawCertificatePdf(calibration, given, {}, reason);
    EXPECT_TRUE(pdf.has_value()) << reason.toStdString();
    return pdf ? WordsOfPdf(dir, *pdf) : std::string();
  };
  const std::string stated = text(details);
  for (const std::string& part : std::vector<std::string>{
           "Baseline certificate: SSO-118, issued by Survey Office, calibrated 2026-03-14, valid "
           "until 2029-03-13",
           "Baseline item: SSO Pillars, serial KB-1",
           "Baseline uncertainty: U = 0.3 mm + 1.5 ppm (k = 2, infinite degrees of freedom)",
           "traceable through the baseline's own certificate, SSO-118, issued by Survey Office",
           "sensors that measured them, listed under Equipment below",
           "Equipment used outside its certificate's validity",
           "not valid on the date of measurement, 2026-12-07", "replacement on order", "TK-2041",
           "Heatlab", "2026-01-10", "correction -0.2 \u00b0C, u = 0.1 \u00b0C", "PK-0815",
           "Presslab", "2025-11-02", "2026-11-30", "correction +2 hPa, u = 0.3 hPa",
           "Next calibration due: 2027-12-07 The due date is stated at the client's request"}) {
    EXPECT_NE(stated.find(part), std::string::npos) << "missing: " << part << "\n" << stated;
  }
  // The baseline sits with the baseline, not again among the equipment; the expired barometer
  // is listed before the results, as the accepted warnings are.
  EXPECT_EQ(stated.find("SSO-118", stated.find("Item Certificate Issued by")), std::string::npos)
      << stated;
  EXPECT_LT(stated.find("replacement on order"), stated.find("Results"));

  const std::string undated = text({});
  EXPECT_EQ(undated.find("calibration due"), std::string::npos) << undated;
  EXPECT_EQ(undated.find("client's request"), std::string::npos) << undated;
  EXPECT_NE(undated.find("TK-2041"), std::string::npos) << undated;
}

// A certificate without a number is a draft on every page, in text a reader can extract; the
// method is the least-squares baseline method unless the laboratory names its own.
TEST(certificate, a_draft_says_so_on_every_page) {
  SKIP_WITHOUT_PDF_TOOLS();
  const std::vector<std::string> pages = CertificatePages(SmallCalibration());
  ASSERT_GE(pages.size(), 2u);
  for (const std::string& page : pages) {
    EXPECT_NE(page.find("DRAFT: not registered"), std::string::npos) << page;
  }
  const std::string text = Joined(pages);
  EXPECT_NE(text.find("Method: Comparison with the published distances of a calibration "
                      "baseline"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("the distances are traceable through the calibration of the baseline, "
                      "whose certificate is not stated"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("record no calibration of the temperature and pressure sensors"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("No input file is named"), std::string::npos) << text;
}

TEST(certificate, without_details_not_registered_and_issued_today) {
  SKIP_WITHOUT_PDF_TOOLS();
  const std::string before = QDate::currentDate().toString(Qt::ISODate).toStdString();
  const std::string text = Joined(CertificatePages(SmallCalibration()));
  const std::string after = QDate::currentDate().toString(Qt::ISODate).toStdString();
  EXPECT_NE(text.find("EDM Calibration Certificate Certificate number: not registered Issue "
                      "date: "),
            std::string::npos)
      << text;
  EXPECT_TRUE(text.find("Issue date: " + before) != std::string::npos ||
              text.find("Issue date: " + after) != std::string::npos)
      << text;
  for (const char* left : {"Replaces", "Register record", "Client", "Accreditation"}) {
    EXPECT_EQ(text.find(left), std::string::npos) << left << " stated:\n" << text;
  }
}

TEST(certificate, the_laboratory_logo_drawn_and_one_that_does_not_read_refused) {
  SKIP_WITHOUT_PDF_TOOLS();
  const TempDir dir;
  CertificateDetails details;
  details.laboratory.logoFile = MENSURO_ABOUT_PICTURE;
  QString reason;
  ASSERT_TRUE(SaveCertificate(TextFromPath(dir.path() / "logo.pdf"), SmallCalibration(), details,
                              {}, reason))
      << reason.toStdString();
  ASSERT_TRUE(
      SaveCertificate(TextFromPath(dir.path() / "none.pdf"), SmallCalibration(), {}, {}, reason));
  // pdfimages lists each picture on a line of its own, after two lines of headings.
  const auto pictures = [&dir](const char* pdf) {
    return LinesOf(RunShell(dir, std::string("pdfimages -list ") + pdf).out).size();
  };
  EXPECT_EQ(pictures("logo.pdf"), pictures("none.pdf") + 1);

  details.laboratory.logoFile = TextFromPath(dir.path() / "missing.png").toStdString();
  const QString missing = TextFromPath(dir.path() / "missing.pdf");
  EXPECT_FALSE(SaveCertificate(missing, SmallCalibration(), details, {}, reason));
  EXPECT_TRUE(reason.startsWith(QStringLiteral("cannot read the logo"))) << reason.toStdString();
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing.pdf"));
}

TEST(document_fonts, shipped_beside_the_programs_and_loaded) {
  const QStringList families = LoadShippedFonts(MENSURO_PROGRAM_DIR);
  EXPECT_TRUE(families.contains(QStringLiteral("DejaVu Sans")))
      << families.join(u',').toStdString();
  EXPECT_TRUE(families.contains(QStringLiteral("DejaVu Sans Mono")))
      << families.join(u',').toStdString();
}

TEST(document_fonts, font_folder_for_the_offscreen_platform_unless_chosen) {
  const QByteArray before = qgetenv("QT_QPA_FONTDIR");
  qunsetenv("QT_QPA_FONTDIR");
  UseShippedFontFolderUnlessChosen(MENSURO_PROGRAM_DIR);
  const std::filesystem::path set = PathFromText(qEnvironmentVariable("QT_QPA_FONTDIR"));
  qputenv("QT_QPA_FONTDIR", QByteArrayLiteral("chosen"));
  UseShippedFontFolderUnlessChosen(MENSURO_PROGRAM_DIR);
  const QByteArray kept = qgetenv("QT_QPA_FONTDIR");
  qputenv("QT_QPA_FONTDIR", before);
  EXPECT_TRUE(
      std::filesystem::equivalent(set, std::filesystem::path(MENSURO_PROGRAM_DIR) / "fonts"))
      << set;
  EXPECT_EQ(kept, "chosen");
}

}  // namespace
}  // namespace mensuro::test
