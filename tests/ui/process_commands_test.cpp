#include <gtest/gtest.h>

#include <QTest>
#include <fstream>
#include <iterator>
#include <string>

#include "test_window.h"
#include "ui/common/control_text.h"

namespace mensuro::test {
namespace {

std::string TestData(const std::string& name) {
  return ReadBytes(std::filesystem::path(MENSURO_TEST_DATA_DIR) / name);
}

template <class Lines>
std::vector<QString> NonEmpty(const Lines& lines) {
  std::vector<QString> kept;
  for (const QString& line : lines) {
    if (!line.isEmpty()) {
      kept.push_back(line);
    }
  }
  return kept;
}

TEST(process_command, shows_the_report_line_by_line_and_saves_it) {
  TestWindow window;
  EnterWorkedExample(window);
  QTest::mouseClick(window.Button(kIdProcess), Qt::LeftButton);
  ASSERT_TRUE(window.dialogs.messages.empty()) << window.dialogs.messages[0].toStdString();

  // The report starts with a line feed and has blank lines: one entry for each line of text,
  // and an empty one where a report line starts with a line feed.
  const std::string expected = TestData("worked-example.rpt");
  const std::vector<QString> lines = window.ResultLines();
  ASSERT_GT(lines.size(), 40u);
  EXPECT_EQ(lines[0], QString());
  EXPECT_EQ(lines[1].trimmed(), QStringLiteral("EDM Calibration Report"));
  EXPECT_EQ(NonEmpty(lines), NonEmpty(FieldFromBytes(expected).split(QLatin1Char('\n'))));

  const std::filesystem::path saved = window.folder.path() / "calibration.rpt";
  window.dialogs.answers.push_back(TextFromPath(saved));
  QTest::mouseClick(window.Button(kIdSaveReportAs), Qt::LeftButton);
  ASSERT_EQ(window.dialogs.requests.size(), 1u);
  const FileDialogRequest& request = window.dialogs.requests[0];
  EXPECT_TRUE(request.forSaving);
  EXPECT_EQ(request.defaultExtension, QStringLiteral("rpt"));
  EXPECT_EQ(request.initialName, QStringLiteral("*.rpt"));
  EXPECT_EQ(request.filter,
            QStringLiteral("Report Files (*.RPT)|*.RPT|Report Files (*.rpt)|*.txt|PDF certificate "
                           "(*.pdf)|*.pdf|All Files (*.*)|*.*||"));
  EXPECT_EQ(ReadBytes(saved), WithCrLf(expected));
  EXPECT_TRUE(window.dialogs.messages.empty());

  // Cancelling writes nothing.
  std::filesystem::remove(saved);
  QTest::mouseClick(window.Button(kIdSaveReportAs), Qt::LeftButton);
  EXPECT_FALSE(std::filesystem::exists(saved));
}

TEST(process_command, the_report_and_the_plot_are_not_saved_over_an_open_file) {
  TestWindow window;
  EnterWorkedExample(window);
  const std::string bytes = "A,B,99.997\r\nA,C,299.995\r\nA,D,599.991\r\n";
  const std::filesystem::path measured = window.folder.Write("edm/measured.txt", bytes);
  window.Field(kIdMeasuredFileName)->setText(TextFromPath(measured));
  window.dialog->OnProcess();
  ASSERT_TRUE(window.dialogs.messages.empty());

  // Another name of the same file, for the report and then the plot.
  const QString again = TextFromPath(window.folder.path() / "edm" / "." / "measured.txt");
  const QString refused = QStringLiteral("Could not write the file ") + again +
                          QStringLiteral(": it is the measured file ") + TextFromPath(measured);
  window.dialogs.answers = {again, again};
  window.dialog->OnSaveReportAs();
  window.OpenPlot().OnSaveAs();
  EXPECT_EQ(window.dialogs.messages, std::vector<QString>({refused, refused}));
  EXPECT_EQ(ReadBytes(measured), bytes);
}

TEST(process_command, long_report_lines_are_shown_whole) {
  TestWindow window;
  EnterWorkedExample(window);
  const QString comment(300, QLatin1Char('c'));
  window.Field(kIdComment)->setText(comment);
  window.Text(kIdMeasuredText)
      ->setPlainText(QStringLiteral("A,B,99.997\nA,C,299.995\nA,D,599.991\n"));
  window.dialog->OnProcess();
  ASSERT_TRUE(window.dialogs.messages.empty());
  int shown = 0;
  for (const QString& line : window.ResultLines()) {
    shown += line.contains(comment) ? 1 : 0;
  }
  EXPECT_EQ(shown, 1);
  EXPECT_GT(window.Results()->HorizontalExtent(),
            QFontMetrics(window.Results()->font()).horizontalAdvance(comment));
}

TEST(process_command, empty_texts_are_refused_and_the_list_emptied) {
  TestWindow window;
  EnterWorkedExample(window);
  window.dialog->OnProcess();
  ASSERT_GT(window.Results()->count(), 0);

  window.Text(kIdPublishedText)->clear();
  window.Text(kIdMeasuredText)->clear();
  window.dialog->OnProcess();
  EXPECT_EQ(window.dialogs.messages,
            std::vector<QString>{QStringLiteral("No published baseline data found.")});
  EXPECT_EQ(window.Results()->count(), 0);
  EXPECT_TRUE(window.dialog->Calibration().Report().lines.empty());

  window.Text(kIdPublishedText)->setPlainText(QStringLiteral("A,B,100"));
  window.dialog->OnProcess();
  ASSERT_EQ(window.dialogs.messages.size(), 2u);
  EXPECT_EQ(window.dialogs.messages[1], QStringLiteral("No measured baseline data found."));
}

TEST(process_command, a_failed_run_shows_its_message_and_leaves_the_fields) {
  TestWindow window;
  EnterWorkedExample(window);
  window.Text(kIdPublishedText)->setPlainText(QStringLiteral("A,B,100\nA,C,300\n"));
  const std::vector<QString> fields = window.HeaderFieldTexts();
  window.dialog->OnProcess();
  ASSERT_EQ(window.dialogs.messages.size(), 1u);
  EXPECT_TRUE(window.dialogs.messages[0].startsWith(QStringLiteral("Error processing project:\n")));
  EXPECT_TRUE(window.dialogs.messages[0].contains(QStringLiteral("A")));
  EXPECT_EQ(window.Results()->count(), 0);
  EXPECT_EQ(window.HeaderFieldTexts(), fields);
}

TEST(report_save_as, before_any_process_writes_an_empty_file) {
  TestWindow window;
  const std::filesystem::path saved = window.folder.path() / "empty.rpt";
  window.dialogs.answers.push_back(TextFromPath(saved));
  window.dialog->OnSaveReportAs();
  ASSERT_TRUE(std::filesystem::exists(saved));
  EXPECT_EQ(std::filesystem::file_size(saved), 0u);
}

TEST(report_save_as, says_so_when_the_file_cannot_be_written) {
  TestWindow window;
  const QString path = TextFromPath(window.folder.path() / "missing" / "report.rpt");
  window.dialogs.answers.push_back(path);
  window.dialog->OnSaveReportAs();
  EXPECT_EQ(window.dialogs.messages,
            std::vector<QString>{QStringLiteral("Could not write the file ") + path});
}

TEST(help_command, opens_the_document_beside_the_program) {
  TestWindow window;
  window.folder.Write("MensuroHelp.pdf", "%PDF-1.4\n");
  QTest::mouseClick(window.Button(kIdHelp), Qt::LeftButton);
  EXPECT_EQ(window.dialogs.opened,
            std::vector<QString>{TextFromPath(window.folder.path() / "MensuroHelp.pdf")});
  EXPECT_TRUE(window.dialogs.viewed.empty());
  EXPECT_TRUE(window.dialogs.messages.empty());
}

TEST(help_command, a_missing_document_tries_the_fixed_path) {
  TestWindow window;
  window.dialog->OnShowHelp();
  EXPECT_TRUE(window.dialogs.opened.empty());
  EXPECT_EQ(window.dialogs.messages,
            std::vector<QString>{QStringLiteral(
                "Error displaying: "
                "C:\\HALVARD_V8_WORKSPACE\\LOCATION_STDS\\Standards\\help\\MensuroHelp.pdf")});
}

TEST(help_command, without_a_desktop_viewer_shows_the_document_in_its_own) {
  TestWindow window;
  window.folder.Write("MensuroHelp.pdf", "%PDF-1.4\n");
  window.dialogs.openSucceeds = false;
  window.dialog->OnShowHelp();
  const QString beside = TextFromPath(window.folder.path() / "MensuroHelp.pdf");
  EXPECT_EQ(window.dialogs.opened, std::vector<QString>{beside});
  EXPECT_EQ(window.dialogs.viewed, std::vector<QString>{beside});
  EXPECT_TRUE(window.dialogs.messages.empty());
}

TEST(help_command, a_document_that_neither_viewer_can_show_names_it) {
  TestWindow window;
  window.folder.Write("MensuroHelp.pdf", "not really a PDF");
  window.dialogs.openSucceeds = false;
  window.dialogs.viewerSucceeds = false;
  window.dialog->OnShowHelp();
  const QString beside = TextFromPath(window.folder.path() / "MensuroHelp.pdf");
  EXPECT_EQ(window.dialogs.viewed, std::vector<QString>{beside});
  EXPECT_EQ(window.dialogs.messages,
            std::vector<QString>{QStringLiteral("Error displaying: ") + beside});
}

}  // namespace
}  // namespace mensuro::test
