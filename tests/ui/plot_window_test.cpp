// The plot window, the certificate from the report Save As, and the window that grows.

#include <gtest/gtest.h>

#include <QChartView>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScatterSeries>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QXYSeries>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "core/reduction/reduction_summary.h"
#include "test_window.h"
#include "ui/common/control_text.h"
#include "ui/plot/plot_window.h"

namespace mensuro::test {
namespace {

TEST(plot_window, follows_every_process) {
  TestWindow window;
  CPlotWindow& plot = window.OpenPlot();
  EXPECT_EQ(plot.windowTitle(), QStringLiteral("Calibration Plot"));
  EXPECT_TRUE(plot.isVisible());
  EXPECT_FALSE(plot.isModal());
  EXPECT_TRUE(Part<QChartView>(plot, "calibrationView").chart()->series().isEmpty());
  EXPECT_FALSE(Part<QPushButton>(plot, "saveAs").isEnabled());

  EnterWorkedExample(window);
  QTest::mouseClick(window.Button(kIdProcess), Qt::LeftButton);
  ASSERT_NE(window.dialog->Calibration().Calibration(), nullptr);
  const QChartView& calibrationView = Part<QChartView>(plot, "calibrationView");
  EXPECT_FALSE(Part<QLabel>(plot, "message").isVisible());
  EXPECT_TRUE(calibrationView.isVisible());
  EXPECT_EQ(calibrationView.chart()->title(),
            QStringLiteral("Total station 2 mm + 2 ppm, 07-12-2026"));

  // One residual marker a pair; hovering one tells its figures.
  QScatterSeries* markers = nullptr;
  for (QAbstractSeries* series : Part<QChartView>(plot, "residualView").chart()->series()) {
    markers = markers != nullptr ? markers : qobject_cast<QScatterSeries*>(series);
  }
  ASSERT_NE(markers, nullptr);
  EXPECT_EQ(markers->count(), 3);
  const std::optional<QString> text = plot.MarkerText(*markers, markers->at(0));
  ASSERT_TRUE(text.has_value());
  EXPECT_TRUE(text->startsWith(QStringLiteral("A-B\nP = 100.0000 m\nC = 99.9970 m\nd = 3.0 mm")))
      << text->toStdString();

  // A failed Process: its message instead of a stale plot.
  window.Text(kIdPublishedText)->setPlainText(QStringLiteral("A,B,100\nA,C,300\n"));
  window.dialog->OnProcess();
  EXPECT_EQ(window.dialog->Calibration().Calibration(), nullptr);
  EXPECT_TRUE(Part<QLabel>(plot, "message").isVisible());
  EXPECT_EQ(Part<QLabel>(plot, "message").text(), window.dialogs.messages.back());
  EXPECT_TRUE(calibrationView.chart()->series().isEmpty());
  EXPECT_FALSE(Part<QPushButton>(plot, "saveAs").isEnabled());

  // Closing it changes nothing else; Plot opens it again on the latest run.
  plot.close();
  window.Text(kIdPublishedText)->setPlainText(QStringLiteral("A,B,100\nA,C,300\nA,D,600\n"));
  window.dialog->OnProcess();
  EXPECT_GT(window.Results()->count(), 0);
  EXPECT_FALSE(Part<QChartView>(window.OpenPlot(), "calibrationView").chart()->series().isEmpty());
}

TEST(plot_window, deletes_the_charts_it_no_longer_shows_and_the_others_with_the_window) {
  TestWindow window;
  EnterWorkedExample(window);
  CPlotWindow& plot = window.OpenPlot();
  const QChartView& view = Part<QChartView>(plot, "calibrationView");
  const QPointer<QChart> replaced = view.chart();
  window.dialog->OnProcess();
  const QPointer<QChart> shown = view.chart();
  ASSERT_NE(shown, replaced);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(replaced.isNull());

  const QPointer<CPlotWindow> plotWindow = &plot;
  window.dialog.reset();
  EXPECT_TRUE(plotWindow.isNull());
  EXPECT_TRUE(shown.isNull());
}

TEST(plot_window, lists_the_warnings_that_the_main_window_counts) {
  TestWindow window;
  EnterWorkedExample(window);
  CPlotWindow& plot = window.OpenPlot();
  QLabel* summary = window.Get<QLabel>(kIdNoticeSummary);
  window.dialog->OnProcess();
  EXPECT_EQ(summary->text(), QString());
  const QListWidget& notices = Part<QListWidget>(plot, "noticeList");
  EXPECT_FALSE(notices.isVisible());

  // A decimal comma, and a line with a tab in a name that stops the run: the list shows both,
  // also after the failure, and no message box beyond the failure's own.
  window.Text(kIdMeasuredText)
      ->setPlainText(QStringLiteral("A,B,99.997\nA,C,299,995\nA,D,599.991\nA\tX,B,1\n"));
  window.dialog->OnProcess();
  EXPECT_EQ(summary->text(), QStringLiteral("2 warnings: see Plot"));
  ASSERT_EQ(notices.count(), 2);
  EXPECT_TRUE(notices.isVisible());
  EXPECT_EQ(notices.item(0)->text(),
            QStringLiteral("measured line 2: warning: a decimal comma? the distance is read as "
                           "299    A,C,299,995"));
  EXPECT_EQ(notices.item(1)->text(),
            QStringLiteral("measured line 4: warning: tabs don't separate fields here (commas or "
                           "blanks do)    A\\tX,B,1"));
  EXPECT_EQ(window.dialogs.messages.size(), 1u);
}

TEST(plot_window, shows_the_uncertainty_of_the_correction_of_a_successful_process) {
  TestWindow window;
  CPlotWindow& plot = window.OpenPlot();
  const QWidget& panel = Part<QWidget>(plot, "uncertaintyPanel");
  EXPECT_FALSE(panel.isVisible());

  EnterWorkedExample(window);
  window.dialog->OnProcess();
  EXPECT_TRUE(panel.isVisible());
  // The table runs from 0 in steps of 100 m to the longest pair, 600 m.
  const QTableWidget& table = Part<QTableWidget>(plot, "correctionTable");
  ASSERT_EQ(table.rowCount(), 7);
  EXPECT_EQ(table.item(0, 0)->text(), QStringLiteral("0"));
  EXPECT_EQ(table.item(6, 0)->text(), QStringLiteral("600"));
  EXPECT_TRUE(Part<QLabel>(plot, "uncertaintyInputs")
                  .text()
                  .startsWith(QStringLiteral(
                      "Fit (type A): 1 degree of freedom; correlation of constant and scale ")));
  // Without an acceptance limit there is no verdict; the full test needs every pair measured.
  EXPECT_FALSE(Part<QLabel>(plot, "conformity").isVisible());
  EXPECT_FALSE(Part<QLabel>(plot, "fullTest").text().isEmpty());

  window.Text(kIdPublishedText)->setPlainText(QStringLiteral("A,B,100\nA,C,300\n"));
  window.dialog->OnProcess();
  EXPECT_FALSE(panel.isVisible());
}

// The texts of a table's cells, row by row.
std::vector<std::vector<QString>> Cells(const QTableWidget& table) {
  std::vector<std::vector<QString>> cells(static_cast<std::size_t>(table.rowCount()));
  for (int row = 0; row < table.rowCount(); ++row) {
    for (int column = 0; column < table.columnCount(); ++column) {
      cells[static_cast<std::size_t>(row)].push_back(table.item(row, column)->text());
    }
  }
  return cells;
}

TEST(plot_window, starts_its_panel_with_the_scale_and_constant_errors_and_their_verdicts) {
  TestWindow window;
  EnterWorkedExample(window);
  window.dialog->OnProcess();
  const CPlotWindow& plot = window.OpenPlot();
  // As the report has them: 12.105 ppm and 0.0016 m, standard errors 0.912 ppm and 0.0004 m;
  // t = 13.2791 fails against 12.7050, t = 4.5707 passes.
  const QTableWidget& summary = Part<QTableWidget>(plot, "resultSummary");
  EXPECT_EQ(Cells(summary),
            (std::vector<std::vector<QString>>{
                {QStringLiteral("12.105"), QStringLiteral("0.912"), QStringLiteral("failed")},
                {QStringLiteral("1.6"), QStringLiteral("0.4"), QStringLiteral("passed")}}));
  EXPECT_LT(summary.mapTo(&plot, QPoint()).y(),
            Part<QTableWidget>(plot, "correctionTable").mapTo(&plot, QPoint()).y());

  // Errors that round to zero from below show without a sign.
  window.Text(kIdMeasuredText)
      ->setPlainText(QStringLiteral("A,B,99.99999002\nA,C,300.00007006\nA,D,600.00000012\n"));
  window.dialog->OnProcess();
  EXPECT_EQ(summary.item(0, 0)->text(), QStringLiteral("0.000"));
  EXPECT_EQ(summary.item(1, 0)->text(), QStringLiteral("0.0"));
}

// The label of each row that the reduction group shows, and its value.
std::vector<std::pair<QString, QString>> ReductionRows(const QWidget& group) {
  const auto& grid = *group.findChild<QGridLayout*>();
  const auto cell = [&grid](int row, int column) {
    return qobject_cast<const QLabel*>(grid.itemAtPosition(row, column)->widget());
  };
  std::vector<std::pair<QString, QString>> rows;
  for (int row = 0; row < grid.rowCount(); ++row) {
    if (cell(row, 0)->isVisibleTo(&group)) {
      rows.emplace_back(cell(row, 0)->text(), cell(row, 1)->text());
    }
  }
  return rows;
}

TEST(plot_window, states_the_published_distances_and_the_reduction_of_the_observations) {
  TestWindow window;
  EnterWorkedExample(window);
  window.dialog->OnProcess();
  CPlotWindow& plot = window.OpenPlot();
  const QLabel& published = Part<QLabel>(plot, "publishedDistances");
  const QWidget& group = Part<QWidget>(plot, "reductionSummary");

  ReductionSummary slope;
  slope.observations = 3;
  slope.temperature = ValueRange{9.7, 16.2};
  plot.ShowOrigin({PublishedDistanceKind::kMarkToMark, slope, {}, {}});
  EXPECT_EQ(published.text(), QStringLiteral("Published distances: mark to mark"));
  EXPECT_TRUE(group.isVisible());
  const std::vector<std::pair<QString, QString>> rows = ReductionRows(group);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows.back(),
            std::pair(QStringLiteral("Temperature:"), QStringLiteral("9.7 to 16.2 \u00b0C")));
  // The first value wraps, and gets the height of all its lines.
  QCoreApplication::processEvents();
  const QWidget& wrapped = *group.findChild<QGridLayout*>()->itemAtPosition(0, 1)->widget();
  EXPECT_GT(wrapped.heightForWidth(wrapped.width()), wrapped.fontMetrics().height() * 3 / 2);
  EXPECT_GE(wrapped.height(), wrapped.heightForWidth(wrapped.width()));

  // Another reduction's statements replace the first's.
  ReductionSummary horizontal;
  horizontal.kind = FieldDistanceKind::kHorizontal;
  horizontal.observations = 1;
  plot.ShowOrigin({PublishedDistanceKind::kHorizontal, horizontal, {}, {}});
  EXPECT_EQ(ReductionRows(group),
            (std::vector<std::pair<QString, QString>>{
                {QStringLiteral("Field observations:"),
                 QStringLiteral("1 horizontal distance, taken as the field file gives them")}}));

  // A Process shows its own calibration's origin, which has none.
  window.dialog->OnProcess();
  EXPECT_EQ(published.text(), QStringLiteral("Published distances: not stated"));
  EXPECT_FALSE(group.isVisible());
}

TEST(plot_window, opens_within_its_screen_with_the_panel_tables_columns_whole) {
  TestWindow window;
  EnterWorkedExample(window);
  window.dialog->OnProcess();
  const CPlotWindow& plot = window.OpenPlot();
  const QSize available = plot.screen()->availableGeometry().size();
  EXPECT_LE(plot.frameGeometry().width(), available.width());
  EXPECT_LE(plot.frameGeometry().height(), available.height());
  // Each table whole, and the panel wide enough to show it whole.
  const QWidget& panel = *Part<QScrollArea>(plot, "uncertaintyPanel").viewport();
  for (const char* name : {"resultSummary", "correctionTable"}) {
    const QTableWidget& table = Part<QTableWidget>(plot, name);
    EXPECT_LE(table.horizontalHeader()->length(), table.viewport()->width()) << name;
    EXPECT_LE(table.verticalHeader()->length(), table.viewport()->height()) << name;
    EXPECT_LE(table.mapTo(&panel, QPoint(table.width(), 0)).x(), panel.width()) << name;
  }
}

TEST(plot_window, save_as_writes_the_chosen_type_or_says_why_not) {
  TestWindow window;
  EnterWorkedExample(window);
  window.dialog->OnProcess();
  CPlotWindow& plot = window.OpenPlot();

  const std::filesystem::path png = window.folder.path() / "plot.png";
  const QString missing = TextFromPath(window.folder.path() / "missing" / "plot.svg");
  window.dialogs.answers = {TextFromPath(png), missing};
  plot.OnSaveAs();
  EXPECT_TRUE(ReadBytes(png).starts_with("\x89PNG"));
  const FileDialogRequest& request = window.dialogs.requests.back();
  EXPECT_EQ(
      request.filterExtensions,
      (std::vector<QString>{QStringLiteral("svg"), QStringLiteral("png"), QStringLiteral("pdf")}));
  EXPECT_TRUE(window.dialogs.messages.empty());

  plot.OnSaveAs();
  ASSERT_EQ(window.dialogs.messages.size(), 1u);
  EXPECT_TRUE(window.dialogs.messages[0].startsWith(QStringLiteral("Could not write the file ") +
                                                    missing + QStringLiteral(": ")));
}

// The scatter series of `view`'s chart named `name`, or nullptr.
QXYSeries* SeriesOf(const QChartView& view, const QString& name) {
  for (QAbstractSeries* series : view.chart()->series()) {
    if (series->name() == name) {
      return qobject_cast<QXYSeries*>(series);
    }
  }
  return nullptr;
}

TEST(plot_window, shows_the_cyclic_error_while_the_conditions_give_a_unit_length) {
  TestWindow window;
  EnterWorkedExample(window);
  // Seven pairs of a line whose residuals carry a cyclic error of 0.6 mm at a 10 m unit length.
  QString published;
  QString measured = QStringLiteral("^1\n%1\n");
  for (int k = 1; k <= 7; ++k) {
    const double P = 4.07 + 53.23 * k;
    const double C = P - 0.0008 - 0.0006 * std::sin(2.0 * std::numbers::pi * P / 10.0 + 0.7);
    published += QStringLiteral("0,%1,%2\n").arg(k).arg(P, 0, 'f', 4);
    measured += QStringLiteral("0,%1,%2\n").arg(k).arg(C, 0, 'f', 4);
  }
  window.Text(kIdPublishedText)->setPlainText(published);
  window.Text(kIdMeasuredText)->setPlainText(measured);
  window.dialog->OnProcess();
  CPlotWindow& plot = window.OpenPlot();
  CalibrationState& state = window.dialog->Calibration();
  ASSERT_NE(state.Calibration(), nullptr);
  QTabBar& tabs = Part<QTabBar>(plot, "chartTabs");
  const QStackedWidget& pages = Part<QStackedWidget>(plot, "chartPages");
  const QLabel& summary = Part<QLabel>(plot, "cyclicSummary");
  const QChartView& view = Part<QChartView>(plot, "cyclicView");
  EXPECT_EQ(tabs.count(), 1);
  EXPECT_FALSE(tabs.isVisible());
  EXPECT_FALSE(summary.isVisible());
  const QSize least = plot.minimumSizeHint();

  UncertaintyInputs conditions = state.Calibration()->conditions;
  conditions.cyclic = CyclicSettings{10.0, 1};
  state.SetConditions(conditions);
  ASSERT_EQ(tabs.count(), 2);
  EXPECT_TRUE(tabs.isVisible());
  EXPECT_EQ(tabs.tabText(1), QStringLiteral("Cyclic error"));
  EXPECT_TRUE(summary.isVisible());
  EXPECT_TRUE(summary.text().startsWith(QStringLiteral("U = 10.000 m\nHarmonic 1: amplitude ")))
      << summary.text().toStdString();
  const QXYSeries* residuals = SeriesOf(view, QStringLiteral("Residuals of the fit"));
  ASSERT_NE(residuals, nullptr);
  EXPECT_EQ(residuals->count(), 7);
  EXPECT_NE(SeriesOf(view, QStringLiteral("Fitted cyclic error")), nullptr);
  // The tabs take no room of their own: the window is as small as it could be before.
  EXPECT_EQ(plot.minimumSizeHint(), least);
  QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(1).center());
  EXPECT_EQ(pages.currentWidget(), &view);
  EXPECT_TRUE(view.isVisible());
  EXPECT_FALSE(Part<QChartView>(plot, "calibrationView").isVisible());

  // A residual's marker tells its pair, and a pair left out leaves the cyclic chart too.
  const auto* markers = qobject_cast<const QScatterSeries*>(residuals);
  ASSERT_NE(markers, nullptr);
  const std::optional<QString> text = plot.MarkerText(*markers, markers->at(2));
  ASSERT_TRUE(text.has_value());
  EXPECT_TRUE(text->startsWith(QStringLiteral("0-3\n"))) << text->toStdString();
  ASSERT_TRUE(state.Exclude({"0", "3", 0, "test"}).isEmpty());
  residuals = SeriesOf(view, QStringLiteral("Residuals of the fit"));
  ASSERT_NE(residuals, nullptr);
  EXPECT_EQ(residuals->count(), 6);
  EXPECT_EQ(tabs.currentIndex(), 1);

  // Too few pairs for two harmonics: the residuals alone, and the reason.
  conditions.cyclic = CyclicSettings{10.0, 2};
  state.SetConditions(conditions);
  EXPECT_EQ(SeriesOf(view, QStringLiteral("Fitted cyclic error")), nullptr);
  EXPECT_TRUE(summary.text().endsWith(QStringLiteral(
      "not estimable: the cyclic error with 2 harmonics needs at least 7 station pairs; the fit "
      "has 6")))
      << summary.text().toStdString();

  // Conditions without a unit length drop the tab and the summary.
  conditions.cyclic.reset();
  state.SetConditions(conditions);
  EXPECT_EQ(tabs.count(), 1);
  EXPECT_FALSE(tabs.isVisible());
  EXPECT_FALSE(summary.isVisible());
  EXPECT_TRUE(view.chart()->series().isEmpty());
  EXPECT_TRUE(Part<QChartView>(plot, "calibrationView").isVisible());
}

TEST(report_save_as, a_pdf_name_writes_the_certificate_of_the_last_process) {
  TestWindow window;
  const std::filesystem::path pdf = window.folder.path() / "certificate.pdf";
  window.dialogs.answers = {TextFromPath(pdf)};
  window.dialog->OnSaveReportAs();
  EXPECT_FALSE(std::filesystem::exists(pdf));
  ASSERT_EQ(window.dialogs.messages.size(), 1u);
  EXPECT_TRUE(window.dialogs.messages[0].startsWith(QStringLiteral("There is no calibration")));

  EnterWorkedExample(window);
  window.dialog->OnProcess();
  window.dialogs.answers = {TextFromPath(pdf)};
  // The Certificate Details dialog as it opens.
  window.dialogs.whileShown = [](QDialog& details) { details.accept(); };
  window.dialog->OnSaveReportAs();
  EXPECT_TRUE(ReadBytes(pdf).starts_with("%PDF-"));
  EXPECT_EQ(window.dialogs.messages.size(), 1u);
}

TEST(main_dialog, grows_with_the_result_list_and_the_bottom_row_at_the_bottom) {
  TestWindow window;
  const QRect list = window.Results()->geometry();
  const QRect process = window.Button(kIdProcess)->geometry();
  const QRect plot = window.Button(kIdPlot)->geometry();
  const QRect comment = window.Field(kIdComment)->geometry();

  window.dialog->resize(window.dialog->size() + QSize(200, 120));
  EXPECT_EQ(window.Results()->geometry(), list.adjusted(0, 0, 200, 120));
  EXPECT_EQ(window.Button(kIdProcess)->geometry(), process.translated(0, 120));
  EXPECT_EQ(window.Button(kIdPlot)->geometry(), plot.translated(0, 120));
  EXPECT_EQ(window.Field(kIdComment)->geometry(), comment);

  const QSize first = window.dialog->size() - QSize(200, 120);
  window.dialog->resize(first);
  EXPECT_EQ(window.Results()->geometry(), list);
  EXPECT_EQ(window.Button(kIdProcess)->geometry(), process);

  // Shorter than at first, down to half the list's height: the list gives the room.
  window.dialog->resize(window.dialog->minimumSize());
  const int shorter = first.height() - window.dialog->height();
  EXPECT_GT(shorter, 0);
  EXPECT_EQ(window.Results()->geometry(), list.adjusted(0, 0, 0, -shorter));
  EXPECT_EQ(window.Button(kIdProcess)->geometry(), process.translated(0, -shorter));
  EXPECT_EQ(window.Field(kIdComment)->geometry(), comment);
}

}  // namespace
}  // namespace mensuro::test
