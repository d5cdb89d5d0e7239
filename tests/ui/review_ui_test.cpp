// The main window's part in reviewing a calibration: outliers and observations left out counted
// beside the warnings, and a certificate on probably misread input only when the user says so.

#include <gtest/gtest.h>

#include <QChartView>
#include <QLabel>
#include <QPushButton>
#include <QScatterSeries>
#include <QTableWidget>
#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

#include "test_window.h"
#include "ui/common/control_text.h"
#include "ui/plot/plot_window.h"

namespace mensuro::test {
namespace {

constexpr const char* kPublished =
    "A,B,47.6828\nA,C,104.7281\nA,D,152.4117\nA,E,234.2515\nA,F,281.9343\nA,G,347.5361\n"
    "A,H,395.2191\nA,I,455.9623\nA,J,503.6455\n";
// A 1 mm + 1.5 ppm instrument; A-F is read 1.9 mm off the line of the others.
constexpr const char* kMeasured =
    "^1\n%1.5\nA,B,47.6819\nA,C,104.7276\nA,D,152.4108\nA,E,234.2508\nA,F,281.9311\n"
    "A,G,347.5349\nA,H,395.2179\nA,I,455.9606\nA,J,503.6442\n";

void Enter(const TestWindow& window, const QString& measured) {
  window.Text(kIdPublishedText)->setPlainText(QString::fromLatin1(kPublished));
  window.Text(kIdMeasuredText)->setPlainText(measured);
}

TEST(review, the_short_line_counts_outliers_and_what_is_left_out) {
  TestWindow window;
  Enter(window, QString::fromLatin1(kMeasured));
  window.dialog->OnProcess();
  QLabel* summary = window.Get<QLabel>(kIdNoticeSummary);
  EXPECT_EQ(summary->text(), QStringLiteral("1 outlier: see Plot"));

  // Left out (in the plot window), the report in the main window follows: it is that of the
  // text without the line.
  EXPECT_EQ(window.dialog->Calibration().Exclude({"A", "F", 0, "blunder"}), QString());
  EXPECT_EQ(summary->text(), QStringLiteral("1 observation left out: see Plot"));
  const std::vector<QString> left = window.ResultLines();
  Enter(window, QString::fromLatin1(kMeasured).remove(QStringLiteral("A,F,281.9311\n")));
  window.dialog->OnProcess();  // a changed text starts with everything in
  EXPECT_EQ(window.ResultLines(), left);
  EXPECT_EQ(summary->text(), QString());

  // The decimal comma's line and the spread of A-D it makes, and A-D far off the line.
  Enter(window, QString::fromLatin1(kMeasured) + QStringLiteral("A,D,152,4108\n"));
  window.dialog->OnProcess();
  EXPECT_EQ(summary->text(), QStringLiteral("2 warnings, 1 outlier: see Plot"));
}

TEST(review, a_certificate_on_misread_input_only_when_the_user_says_so) {
  TestWindow window;
  Enter(window, QString::fromLatin1(kMeasured) + QStringLiteral("A,D,152,4108\n"));
  window.dialog->OnProcess();
  const std::filesystem::path pdf = window.folder.path() / "certificate.pdf";

  window.dialogs.answers = {TextFromPath(pdf)};
  window.dialog->OnSaveReportAs();  // No, the default
  EXPECT_FALSE(std::filesystem::exists(pdf));
  ASSERT_EQ(window.dialogs.questions.size(), 1u);
  EXPECT_TRUE(window.dialogs.questions[0].contains(
      QStringLiteral("measured line 12: a decimal comma? the distance is read as 152")))
      << window.dialogs.questions[0].toStdString();

  window.dialogs.answers = {TextFromPath(pdf)};
  window.dialogs.replies = {true};
  // The Certificate Details dialog as it opens.
  window.dialogs.whileShown = [](QDialog& details) { details.accept(); };
  window.dialog->OnSaveReportAs();
  EXPECT_TRUE(ReadBytes(pdf).starts_with("%PDF-"));
  EXPECT_TRUE(window.dialogs.messages.empty());
}

// The residual chart's marker of the pair whose hover text starts with `name`.
std::pair<QScatterSeries*, QPointF> Marker(CPlotWindow& plot, const QString& name) {
  for (QAbstractSeries* series : Part<QChartView>(plot, "residualView").chart()->series()) {
    if (auto* markers = qobject_cast<QScatterSeries*>(series)) {
      for (const QPointF& point : markers->points()) {
        const std::optional<QString> text = plot.MarkerText(*markers, point);
        if (text && text->startsWith(name + QLatin1Char('\n'))) {
          return {markers, point};
        }
      }
    }
  }
  ADD_FAILURE() << "no marker of " << name.toStdString();
  return {nullptr, {}};
}

TEST(review, a_pair_left_out_from_its_marker_and_brought_back) {
  TestWindow window;
  Enter(window, QString::fromLatin1(kMeasured));
  CPlotWindow& plot = window.OpenPlot();
  window.dialog->OnProcess();
  const QTableWidget& list = Part<QTableWidget>(plot, "exclusionList");
  EXPECT_FALSE(list.isVisible());

  // Cancelling the question of the reason leaves the pair in.
  auto [series, point] = Marker(plot, QStringLiteral("A-F"));
  ASSERT_NE(series, nullptr);
  plot.LeaveOut(*series, point);
  EXPECT_TRUE(window.dialog->Calibration().Exclusions().empty());

  window.dialogs.texts = {QStringLiteral(" pillar bumped ")};
  std::tie(series, point) = Marker(plot, QStringLiteral("A-F"));
  plot.LeaveOut(*series, point);
  ASSERT_TRUE(list.isVisible());
  ASSERT_EQ(list.rowCount(), 1);
  EXPECT_EQ(list.item(0, 0)->text(), QStringLiteral("pair A-F: pillar bumped (1 observation)"));
  EXPECT_EQ(window.dialog->Calibration().Calibration()->run.analysis.entries.size(), 8u);
  EXPECT_EQ(window.Text(kIdMeasuredText)->toPlainText(), QString::fromLatin1(kMeasured));

  auto* bringBack = qobject_cast<QPushButton*>(list.cellWidget(0, 1));
  ASSERT_NE(bringBack, nullptr);
  bringBack->click();
  EXPECT_FALSE(list.isVisible());
  EXPECT_EQ(window.dialog->Calibration().Calibration()->run.analysis.entries.size(), 9u);
  EXPECT_TRUE(window.dialogs.messages.empty());
}

// A-F observed twice: the second time on line 12, 0.1 mm from the line of the others.
QString MeasuredTwice() {
  return QString::fromLatin1(kMeasured) + QStringLiteral("A,F,281.9330\n");
}

TEST(review, an_observation_left_out_from_its_dot_and_brought_back) {
  TestWindow window;
  Enter(window, MeasuredTwice());
  CPlotWindow& plot = window.OpenPlot();
  window.dialog->OnProcess();
  // The dot of line 7: A-F 3.2 mm short.
  QScatterSeries* dots = nullptr;
  QPointF dot;
  for (QAbstractSeries* series : Part<QChartView>(plot, "calibrationView").chart()->series()) {
    auto* markers = qobject_cast<QScatterSeries*>(series);
    if (markers == nullptr || markers->name() != QStringLiteral("Observations")) {
      continue;
    }
    for (const QPointF& point : markers->points()) {
      if (std::abs(point.x() - 281.9343) < 1e-9 && std::abs(point.y() - 3.2) < 1e-6) {
        dots = markers;
        dot = point;
      }
    }
  }
  ASSERT_NE(dots, nullptr);

  window.dialogs.texts = {QStringLiteral("reflector knocked")};
  plot.LeaveOut(*dots, dot);
  EXPECT_EQ(window.dialogs.questions.back(),
            QStringLiteral("Why is the observation A-F 281.9311 m on line 7 left out of the fit?"));
  const QTableWidget& list = Part<QTableWidget>(plot, "exclusionList");
  ASSERT_EQ(list.rowCount(), 1);
  EXPECT_EQ(list.item(0, 0)->text(), QStringLiteral("line 7: reflector knocked (1 observation)"));
  // The pair stays in the fit with its other observation.
  const CalibrationState& state = window.dialog->Calibration();
  EXPECT_EQ(state.Calibration()->run.analysis.entries.size(), 9u);
  EXPECT_NEAR(state.Calibration()->run.analysis.entries.back().C, 281.9330, 1e-9);

  qobject_cast<QPushButton*>(list.cellWidget(0, 1))->click();
  EXPECT_TRUE(state.Exclusions().empty());
  EXPECT_NEAR(state.Calibration()->run.analysis.entries.back().C, (281.9311 + 281.9330) / 2, 1e-9);
  EXPECT_TRUE(window.dialogs.messages.empty());
}

TEST(review, a_pair_lists_its_observations_and_leaves_one_out_only_for_a_reason) {
  TestWindow window;
  Enter(window, MeasuredTwice());
  CPlotWindow& plot = window.OpenPlot();
  window.dialog->OnProcess();
  auto [series, point] = Marker(plot, QStringLiteral("A-F"));
  ASSERT_NE(series, nullptr);
  std::vector<QString> listed;
  // The second observation's button.
  window.dialogs.whileShown = [&listed](QDialog& shown) {
    const QTableWidget& table = *shown.findChild<QTableWidget*>();
    for (int row = 0; row < table.rowCount(); ++row) {
      listed.push_back(table.item(row, 0)->text() + QLatin1Char(' ') + table.item(row, 1)->text());
    }
    const QList<QPushButton*> buttons =
        shown.findChildren<QPushButton*>(QStringLiteral("leaveOut"));
    ASSERT_EQ(buttons.size(), 2);
    buttons[1]->click();
  };
  // An empty reason is refused, and asked again; cancelling then leaves everything in.
  window.dialogs.texts = {QStringLiteral("   ")};
  plot.ShowPairObservations(*series, point);
  EXPECT_EQ(listed,
            (std::vector<QString>{QStringLiteral("7 281.9311"), QStringLiteral("12 281.933")}));
  EXPECT_EQ(window.dialogs.questions.size(), 2u);
  EXPECT_EQ(window.dialogs.messages,
            std::vector<QString>{QStringLiteral(
                "Nothing is left out of the fit without a reason: the certificate states it.")});
  EXPECT_TRUE(window.dialog->Calibration().Exclusions().empty());

  window.dialogs.texts = {QString(), QStringLiteral("misread")};
  std::tie(series, point) = Marker(plot, QStringLiteral("A-F"));
  plot.ShowPairObservations(*series, point);
  const std::vector<AppliedExclusion>& left = window.dialog->Calibration().Exclusions();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].exclusion, (Exclusion{"A", "F", 12, "misread"}));
}

}  // namespace
}  // namespace mensuro::test
