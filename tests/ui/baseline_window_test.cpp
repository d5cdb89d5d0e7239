// The Baseline Calibration window, opened by the main window's Baseline button, on the worked
// example survey of the seven-pillar line.

#include "ui/baseline/baseline_window.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScatterSeries>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/data/baseline_library.h"
#include "core/data/file_bytes.h"
#include "documents/report_numbers.h"
#include "support/temp_dir.h"
#include "test_window.h"
#include "ui/common/control_text.h"
#include "ui/common/settings.h"
#include "ui/register/register_location.h"

namespace mensuro::test {
namespace {

const std::filesystem::path kSurvey =
    std::filesystem::path(MENSURO_EXAMPLES_DIR) / "baseline-survey.txt";

// The main window's Baseline window, the example survey opened in it.
CBaselineWindow& OpenExample(TestWindow& window) {
  QTest::mouseClick(window.Button(kIdBaseline), Qt::LeftButton);
  CBaselineWindow* baseline = window.dialog->BaselineWindow();
  if (baseline == nullptr) {
    throw std::logic_error("Baseline opened no window");
  }
  window.dialogs.answers = {TextFromPath(kSurvey)};
  QTest::mouseClick(&Part<QPushButton>(*baseline, "openSurvey"), Qt::LeftButton);
  return *baseline;
}

void Click(const QWidget& window, const char* name) {
  QTest::mouseClick(&Part<QPushButton>(window, name), Qt::LeftButton);
}

std::vector<QString> Column(const QTableWidget& table, int column) {
  std::vector<QString> cells;
  for (int row = 0; row < table.rowCount(); ++row) {
    cells.push_back(table.item(row, column)->text());
  }
  return cells;
}

std::vector<QString> Order(const QListWidget& list) {
  std::vector<QString> names;
  for (int row = 0; row < list.count(); ++row) {
    names.push_back(list.item(row)->text());
  }
  return names;
}

std::vector<std::string> PillarNames(const BaselineCalibration& calibration) {
  std::vector<std::string> names;
  for (const PillarPosition& pillar : calibration.adjustment.pillars) {
    names.push_back(pillar.name);
  }
  return names;
}

TEST(baseline_window, processes_the_survey_into_its_tables_and_chart) {
  TestWindow window;
  CBaselineWindow& baseline = OpenExample(window);
  EXPECT_TRUE(baseline.isVisible());
  EXPECT_EQ(Part<QLineEdit>(baseline, "surveyFile").text(), TextFromPath(kSurvey));
  Part<QLineEdit>(baseline, "scalePpm").setText(QStringLiteral("0.8"));
  Part<QLineEdit>(baseline, "scaleUncertainty").setText(QStringLiteral("0.5"));
  EXPECT_FALSE(Part<QPushButton>(baseline, "saveLibraryEntry").isEnabled());
  Click(baseline, "process");
  ASSERT_TRUE(baseline.Calibration());
  EXPECT_TRUE(window.dialogs.messages.empty());
  const BaselineAdjustment& adjustment = baseline.Calibration()->adjustment;
  ASSERT_TRUE(adjustment.referenceScale.ppm == 0.8 && adjustment.referenceScale.expandedPpm == 0.5);
  EXPECT_EQ(adjustment.referenceScale.k, 2.0);

  // Seven pillars in the order inferred, 21 pairs, 42 observations.
  const auto& pillars = Part<QTableWidget>(baseline, "pillarTable");
  const auto& pairs = Part<QTableWidget>(baseline, "pairTable");
  const auto& observations = Part<QTableWidget>(baseline, "observationTable");
  ASSERT_EQ(pillars.rowCount(), 7);
  ASSERT_EQ(pairs.rowCount(), 21);
  ASSERT_EQ(observations.rowCount(), 42);
  const std::vector<QString> inferred = {
      QStringLiteral("P1"), QStringLiteral("P2"), QStringLiteral("P3"), QStringLiteral("P4"),
      QStringLiteral("P5"), QStringLiteral("P6"), QStringLiteral("P7")};
  EXPECT_EQ(Column(pillars, 0), inferred);
  EXPECT_EQ(Order(Part<QListWidget>(baseline, "pillarOrder")), inferred);
  for (std::size_t i = 0; i < adjustment.distances.size(); ++i) {
    const CertifiedDistance& pair = adjustment.distances[i];
    const int row = static_cast<int>(i);
    EXPECT_EQ(
        pairs.item(row, 0)->text().toStdString() + "-" + pairs.item(row, 1)->text().toStdString(),
        pair.from + "-" + pair.to);
    EXPECT_EQ(pairs.item(row, 2)->text().toStdString(), FixedText(pair.distance, 4));
    EXPECT_EQ(pairs.item(row, 3)->text().toStdString(), FixedText(pair.expanded * 1000.0, 2));
  }
  EXPECT_EQ(pairs.item(20, 0)->text(), QStringLiteral("P6"));
  EXPECT_EQ(pairs.item(20, 1)->text(), QStringLiteral("P7"));

  // The verdict in words, and every observation in the chart, the outliers apart.
  const QString summary = Part<QPlainTextEdit>(baseline, "summary").toPlainText();
  ASSERT_TRUE(adjustment.varianceTest);
  EXPECT_TRUE(summary.contains(adjustment.varianceTest->passed
                                   ? QStringLiteral("Variance test passed")
                                   : QStringLiteral("Variance test failed")))
      << summary.toStdString();
  const QChart* chart = Part<QChartView>(baseline, "residualView").chart();
  int residuals = 0;
  int outliers = 0;
  for (const QAbstractSeries* series : chart->series()) {
    if (const auto* markers = qobject_cast<const QScatterSeries*>(series)) {
      (markers->objectName() == QStringLiteral("outliers") ? outliers : residuals) +=
          static_cast<int>(markers->count());
    }
  }
  EXPECT_EQ(residuals + outliers, 42);
  EXPECT_EQ(outliers, adjustment.outlierTest.outliers);
  EXPECT_TRUE(Part<QPushButton>(baseline, "saveLibraryEntry").isEnabled());
  EXPECT_EQ(window.dialog->BaselineWindow(), &baseline);
}

TEST(baseline_window, the_pillar_order_as_arranged_and_back_to_inferred) {
  TestWindow window;
  CBaselineWindow& baseline = OpenExample(window);
  Click(baseline, "process");
  auto& order = Part<QListWidget>(baseline, "pillarOrder");
  const QLabel& state = Part<QLabel>(baseline, "orderState");
  const QString inferredState = state.text();
  ASSERT_EQ(order.count(), 7);

  // The line taken from its other end: the last pillar moved to the top, by the Up button,
  // the rest reversed as a drag moves them.
  order.setCurrentRow(6);
  for (int i = 0; i < 6; ++i) {
    Click(baseline, "moveUp");
  }
  EXPECT_EQ(order.item(0)->text(), QStringLiteral("P7"));
  EXPECT_NE(state.text(), inferredState);
  for (int row = 1; row < 6; ++row) {
    ASSERT_TRUE(order.model()->moveRow({}, 6, {}, row));
  }
  const std::vector<QString> reversed = {
      QStringLiteral("P7"), QStringLiteral("P6"), QStringLiteral("P5"), QStringLiteral("P4"),
      QStringLiteral("P3"), QStringLiteral("P2"), QStringLiteral("P1")};
  ASSERT_EQ(Order(order), reversed);
  const double p1p2 = baseline.Calibration()->adjustment.distances.front().distance;
  Click(baseline, "process");
  ASSERT_TRUE(baseline.Calibration());
  EXPECT_FALSE(baseline.Calibration()->adjustment.orderInferred);
  EXPECT_EQ(PillarNames(*baseline.Calibration()),
            (std::vector<std::string>{"P7", "P6", "P5", "P4", "P3", "P2", "P1"}));
  EXPECT_EQ(Order(order), reversed);
  // The same pair, now the last one, certified the same.
  const CertifiedDistance& last = baseline.Calibration()->adjustment.distances.back();
  EXPECT_EQ(last.from + "-" + last.to, "P2-P1");
  EXPECT_NEAR(last.distance, p1p2, 1e-9);

  // Inferred again: the list waits for Process, which fills it.
  Click(baseline, "inferOrder");
  EXPECT_EQ(order.count(), 0);
  EXPECT_EQ(state.text(), inferredState);
  Click(baseline, "process");
  ASSERT_TRUE(baseline.Calibration());
  EXPECT_TRUE(baseline.Calibration()->adjustment.orderInferred);
  EXPECT_EQ(order.item(0)->text(), QStringLiteral("P1"));
}

TEST(baseline_window, a_survey_that_cant_be_adjusted_keeps_what_was_typed) {
  TestWindow window;
  CBaselineWindow& baseline = OpenExample(window);
  Click(baseline, "process");
  ASSERT_TRUE(baseline.Calibration());

  // P2 and P3 swapped: the adjusted positions go backwards.
  auto& order = Part<QListWidget>(baseline, "pillarOrder");
  order.setCurrentRow(2);
  Click(baseline, "moveUp");
  Part<QLineEdit>(baseline, "baselineName").setText(QStringLiteral("Seven pillars"));
  Part<QLineEdit>(baseline, "scalePpm").setText(QStringLiteral("0.8"));
  Part<QLineEdit>(baseline, "scaleUncertainty").setText(QStringLiteral("0.5"));
  const std::vector<QString> typed = Order(order);
  Click(baseline, "process");
  EXPECT_FALSE(baseline.Calibration());
  const QLabel& message = Part<QLabel>(baseline, "message");
  EXPECT_TRUE(message.isVisible());
  EXPECT_TRUE(message.text().contains(QStringLiteral("P2")) ||
              message.text().contains(QStringLiteral("P3")))
      << message.text().toStdString();
  EXPECT_FALSE(Part<QWidget>(baseline, "results").isVisible());
  EXPECT_EQ(Part<QTableWidget>(baseline, "pairTable").rowCount(), 0);
  EXPECT_FALSE(Part<QPushButton>(baseline, "saveLibraryEntry").isEnabled());
  EXPECT_EQ(Order(order), typed);
  EXPECT_EQ(Part<QLineEdit>(baseline, "baselineName").text(), QStringLiteral("Seven pillars"));
  EXPECT_EQ(Part<QLineEdit>(baseline, "scalePpm").text(), QStringLiteral("0.8"));

  // A scale typed with a comma is named, and nothing is processed.
  Part<QLineEdit>(baseline, "scalePpm").setText(QStringLiteral("0,8"));
  Click(baseline, "inferOrder");
  Click(baseline, "process");
  ASSERT_EQ(window.dialogs.messages.size(), 1u);
  EXPECT_TRUE(window.dialogs.messages[0].startsWith(QStringLiteral("Reference scale S: ")))
      << window.dialogs.messages[0].toStdString();
  EXPECT_FALSE(baseline.Calibration());

  // Another survey, of two observations of three pillars: the last one's results and order
  // go; no degree of freedom is left, which the message says.
  Part<QLineEdit>(baseline, "scalePpm").setText(QStringLiteral("0.8"));
  Click(baseline, "process");
  ASSERT_TRUE(baseline.Calibration());
  window.dialogs.answers = {
      TextFromPath(window.folder.Write("short.txt", "A,B,10.000\r\nB,C,20.000\r\n"))};
  Click(baseline, "openSurvey");
  EXPECT_FALSE(baseline.Calibration());
  EXPECT_EQ(order.count(), 0);
  EXPECT_FALSE(Part<QPushButton>(baseline, "saveLibraryEntry").isEnabled());
  Click(baseline, "process");
  EXPECT_FALSE(baseline.Calibration());
  EXPECT_TRUE(message.isVisible());
  EXPECT_NE(message.text(), QStringLiteral("Press Process to adjust the survey."));
  EXPECT_EQ(Part<QLineEdit>(baseline, "baselineName").text(), QStringLiteral("Seven pillars"));
  EXPECT_EQ(window.dialogs.messages.size(), 1u);
}

TEST(baseline_window, an_observation_left_out_for_a_reason_and_brought_back) {
  TestWindow window;
  CBaselineWindow& baseline = OpenExample(window);
  Click(baseline, "process");
  auto& observations = Part<QTableWidget>(baseline, "observationTable");
  const QTableWidget& left = Part<QTableWidget>(baseline, "exclusionList");
  EXPECT_FALSE(Part<QPushButton>(baseline, "leaveOut").isEnabled());
  const QString line = observations.item(3, 0)->text();
  observations.selectRow(3);
  ASSERT_TRUE(Part<QPushButton>(baseline, "leaveOut").isEnabled());

  // Cancelled: it stays in.
  Click(baseline, "leaveOut");
  EXPECT_EQ(baseline.Calibration()->adjustment.observationCount, 42);

  // An empty reason is refused and asked again.
  window.dialogs.texts = {QStringLiteral("  "), QStringLiteral(" tripod knocked ")};
  observations.selectRow(3);
  Click(baseline, "leaveOut");
  ASSERT_EQ(window.dialogs.messages.size(), 1u);
  ASSERT_EQ(baseline.Calibration()->adjustment.observationCount, 41);
  EXPECT_EQ(observations.rowCount(), 41);
  const std::vector<QString> lines = Column(observations, 0);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), line), 0);
  ASSERT_EQ(baseline.Calibration()->excluded.size(), 1u);
  EXPECT_EQ(baseline.Calibration()->excluded[0].exclusion.reason, "tripod knocked");
  EXPECT_FALSE(left.isHidden());
  ASSERT_EQ(left.rowCount(), 1);
  EXPECT_TRUE(left.item(0, 0)->text().contains(QStringLiteral("tripod knocked")));

  // It stays left out through the next Process, and comes back by its button.
  Click(baseline, "process");
  EXPECT_EQ(baseline.Calibration()->adjustment.observationCount, 41);
  auto* bringBack = qobject_cast<QPushButton*>(left.cellWidget(0, 1));
  ASSERT_NE(bringBack, nullptr);
  bringBack->click();
  EXPECT_EQ(baseline.Calibration()->adjustment.observationCount, 42);
  EXPECT_EQ(observations.rowCount(), 42);
  EXPECT_TRUE(left.isHidden());
  EXPECT_EQ(window.dialogs.messages.size(), 1u);
}

TEST(baseline_window, a_library_entry_replaces_the_baselines_own_keeping_the_old_library) {
  TestWindow window;
  CBaselineWindow& baseline = OpenExample(window);
  Click(baseline, "process");
  const std::string original = ReadBytes(MENSURO_SHIPPED_LIBRARY);
  const std::vector<std::string> names = ListBaselines(MENSURO_SHIPPED_LIBRARY);
  ASSERT_GE(names.size(), 2u);
  const std::string replaced = names[1];
  const std::filesystem::path library = window.folder.Write("copy/Baselines.dat", original);
  Part<QLineEdit>(baseline, "baselineName").setText(FieldFromBytes(replaced));
  window.dialogs.answers = {TextFromPath(library)};
  Click(baseline, "saveLibraryEntry");
  ASSERT_EQ(window.dialogs.messages.size(), 1u);
  EXPECT_TRUE(window.dialogs.messages[0].startsWith(QStringLiteral("The baseline ")))
      << window.dialogs.messages[0].toStdString();

  EXPECT_EQ(ReadBytes(library.string() + ".bak"), original);
  const std::string saved = ReadBytes(library);
  const CollectedBaseline entry = CollectBaseline(saved, replaced);
  EXPECT_EQ(entry.nameLines, 1u);
  EXPECT_EQ(std::count(entry.publishedText.begin(), entry.publishedText.end(), '\n'), 21);
  for (const std::string& other : names) {
    if (other != replaced) {
      EXPECT_EQ(CollectBaseline(saved, other).publishedText,
                CollectBaseline(original, other).publishedText)
          << other;
    }
  }

  // A library whose old copy can't be kept is left as it was, and the message says why.
  const std::filesystem::path blocked = window.folder.Write("blocked/Baselines.dat", original);
  std::filesystem::create_directory(blocked.string() + ".bak");
  window.dialogs.answers = {TextFromPath(blocked)};
  Click(baseline, "saveLibraryEntry");
  ASSERT_EQ(window.dialogs.messages.size(), 2u);
  EXPECT_TRUE(window.dialogs.messages[1].startsWith(QStringLiteral("Could not write the file ") +
                                                    TextFromPath(blocked) + QStringLiteral(".bak")))
      << window.dialogs.messages[1].toStdString();
  EXPECT_EQ(ReadBytes(blocked), original);
}

// Issued into the register through the main window's details and register, the number then in
// the library entry, written into a library that wasn't there yet.
TEST(baseline_window, a_certificate_issued_gives_the_library_entry_its_number) {
  TestWindow window;
  settings::Forget(settings::Section::kCertificateLaboratory);
  settings::Forget(settings::Section::kCertificateInstruments);
  RememberRegisterLocation(TextFromPath(window.folder.path() / "register.sqlite"));
  CBaselineWindow& baseline = OpenExample(window);
  Part<QLineEdit>(baseline, "baselineName").setText(QStringLiteral("Seven-pillar line"));
  Part<QLineEdit>(baseline, "scalePpm").setText(QStringLiteral("0.8"));
  Part<QLineEdit>(baseline, "scaleUncertainty").setText(QStringLiteral("0.5"));
  Click(baseline, "process");
  ASSERT_TRUE(Part<QPushButton>(baseline, "saveCertificate").isVisible());

  const std::filesystem::path pdf = window.folder.path() / "baseline.pdf";
  window.dialogs.answers = {TextFromPath(pdf)};
  window.dialogs.replies = {true};  // whatever warning holds the certificate back
  window.dialogs.issueChoices = {IssueChoice::kIssue};
  window.dialogs.whileShown = [](QDialog& shown) {
    for (const auto& [field, text] :
         {std::pair{"laboratoryName", "Survey Lab"}, std::pair{"clientName", "Valley Council"},
          std::pair{"instrumentMake", "Maker"}, std::pair{"instrumentModel", "REF-1"}}) {
      Part<QLineEdit>(shown, field).setText(QString::fromLatin1(text));
    }
    Part<QComboBox>(shown, "serialNumber").setEditText(QStringLiteral("301122"));
    QTest::mouseClick(shown.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
  };
  Click(baseline, "saveCertificate");
  settings::Forget(settings::Section::kRegister);
  ASSERT_EQ(window.dialogs.messages.size(), 1u);
  const QString issued = window.dialogs.messages[0];
  ASSERT_TRUE(issued.startsWith(QStringLiteral("Certificate ")) &&
              issued.contains(QStringLiteral(" is issued into the register")))
      << issued.toStdString();
  EXPECT_TRUE(ReadBytes(pdf).starts_with("%PDF-"));
  const QString number = issued.section(QLatin1Char(' '), 1, 1);

  const std::filesystem::path library = window.folder.path() / "new" / "Baselines.dat";
  std::filesystem::create_directory(library.parent_path());
  window.dialogs.answers = {TextFromPath(library)};
  Click(baseline, "saveLibraryEntry");
  EXPECT_FALSE(std::filesystem::exists(library.string() + ".bak"));
  const std::optional<BaselineProperty> certificate =
      FindBaselineProperty(CollectBaseline(ReadBytes(library), "Seven-pillar line"), "certificate");
  ASSERT_TRUE(certificate);
  EXPECT_EQ(QString::fromStdString(certificate->value), number);
}

// The previous certificate from the library: every pair compared, the one that moved marked; a
// library baseline that states no uncertainty can't be compared with, and says so.
TEST(baseline_window, compares_with_the_previous_certificate_of_the_library) {
  BaselineSurveyRequest request;
  request.measuredText = ReadBytes(kSurvey);
  BaselineSurveyError error;
  const std::optional<BaselineCalibration> now = CalibrateBaseline(request, error);
  ASSERT_TRUE(now) << error.message;
  std::string library = "1:Seven-pillar line\r\n";
  std::string bare = "1:Without uncertainty\r\n";
  for (const CertifiedDistance& pair : now->adjustment.distances) {
    // P3-P4 5 mm longer then.
    const double then = pair.distance + (pair.from == "P3" && pair.to == "P4" ? 0.005 : 0.0);
    library += fmt::format("2:{},{},{:.4f}\r\n", pair.from, pair.to, then);
    bare += fmt::format("2:{},{},{:.4f}\r\n", pair.from, pair.to, pair.distance);
  }
  library += "3:uncertainty=0.5,1\r\n" + bare;
  TestWindow window(TestWindow::Library{library});
  CBaselineWindow& baseline = OpenExample(window);
  auto& previous = Part<QComboBox>(baseline, "previousCertificate");
  ASSERT_EQ(previous.count(), 3);
  EXPECT_EQ(previous.itemText(0), QStringLiteral("None"));
  previous.setCurrentIndex(1);
  EXPECT_EQ(Part<QLineEdit>(baseline, "baselineName").text(), QStringLiteral("Seven-pillar line"));
  Click(baseline, "process");
  ASSERT_TRUE(baseline.Calibration());
  const QTableWidget& comparison = Part<QTableWidget>(baseline, "comparisonTable");
  ASSERT_EQ(comparison.rowCount(), 21);
  std::vector<QString> moved;
  for (int row = 0; row < comparison.rowCount(); ++row) {
    if (!comparison.item(row, 5)->text().isEmpty()) {
      moved.push_back(comparison.item(row, 0)->text() + QLatin1Char('-') +
                      comparison.item(row, 1)->text());
    }
  }
  EXPECT_EQ(moved, std::vector<QString>{QStringLiteral("P3-P4")});
  EXPECT_TRUE(Part<QLabel>(baseline, "comparisonSummary")
                  .text()
                  .contains(QStringLiteral("1 of 21 pairs moved beyond their uncertainty: P3-P4")))
      << Part<QLabel>(baseline, "comparisonSummary").text().toStdString();

  previous.setCurrentIndex(2);
  Click(baseline, "process");
  ASSERT_EQ(window.dialogs.messages.size(), 1u);
  EXPECT_TRUE(window.dialogs.messages[0].contains(QStringLiteral("3:uncertainty=")))
      << window.dialogs.messages[0].toStdString();
  // The calibration shown stays that of the last Process.
  ASSERT_TRUE(baseline.Calibration());
  EXPECT_EQ(baseline.Calibration()->previousSource, "Seven-pillar line");
}

}  // namespace
}  // namespace mensuro::test
