#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "core/data/data_file_text.h"
#include "core/data/text_file.h"
#include "test_window.h"
#include "ui/common/control_text.h"

namespace mensuro::test {
namespace {

namespace fs = std::filesystem;

void Click(const TestWindow& window, int id) {
  QTest::mouseClick(window.Get(id), Qt::LeftButton);
}

// A window on "From File:", with a line in the result list that an Open or New empties.
struct FileWindow : TestWindow {
  FileWindow() {
    Click(*this, kIdFromFile);
    Results()->AddLine(QStringLiteral("an earlier report"));
  }
  // Clicks `id` with `path` as the answer of its file dialog.
  void ClickWith(int id, const fs::path& path) {
    dialogs.answers.push_back(TextFromPath(path));
    Click(*this, id);
  }
};

TEST(text_editing, typing_enables_the_save_buttons_of_its_own_text) {
  FileWindow window;
  QTest::keyClicks(window.Text(kIdPublishedText), QStringLiteral("A"));
  EXPECT_EQ(EnabledSaves(window), "published-save-as");  // no file to save into yet
  QTest::keyClicks(window.Field(kIdPublishedFileName), QStringLiteral("pub.txt"));
  QTest::keyClicks(window.Text(kIdPublishedText), QStringLiteral(",B,1"));
  EXPECT_EQ(EnabledSaves(window), "published-save published-save-as");
  QTest::keyClicks(window.Text(kIdMeasuredText), QStringLiteral("A"));
  EXPECT_EQ(EnabledSaves(window),
            "published-save published-save-as measured-save measured-save-as");
  Click(window, kIdPredefined);
  EXPECT_EQ(EnabledSaves(window),
            "published-save published-save-as measured-save measured-save-as");
  EXPECT_EQ(window.ResultLines().size(), 1u);
}

TEST(text_editing, open_published_replaces_the_text_and_leaves_the_measured_header) {
  for (const std::string lineEnd : {"\n", "\r\n"}) {
    FileWindow window;
    QTest::keyClicks(window.Field(kIdComment), QStringLiteral("earlier comment"));
    window.Field(kIdConstantError)->setText(QStringLiteral("3.00"));
    window.Button(kIdSaveMeasured)->setEnabled(false);
    window.Button(kIdSaveMeasuredAs)->setEnabled(false);
    QTest::keyClicks(window.Text(kIdPublishedText), QStringLiteral("typed"));
    const std::vector<QString> fields = window.HeaderFieldTexts();
    const fs::path file = window.folder.Write(
        "published.txt", "A,B,100" + lineEnd + lineEnd + "$01-02-2015" + lineEnd + "A,C,300");
    window.ClickWith(kIdOpenPublished, file);

    EXPECT_EQ(window.Text(kIdPublishedText)->toPlainText(), QStringLiteral("A,B,100\nA,C,300\n"));
    EXPECT_EQ(window.dialog->StoredPublishedText(), "A,B,100\r\nA,C,300\r\n");
    EXPECT_EQ(window.Field(kIdPublishedFileName)->text(), TextFromPath(file));
    EXPECT_TRUE(window.ResultLines().empty());
    // The file's header line leaves the text but sets nothing: the measured header, its fields
    // and its unsaved state are as they were.
    EXPECT_EQ(window.HeaderFieldTexts(), fields);
    EXPECT_EQ(window.dialog->Header().comment, "earlier comment");
    EXPECT_EQ(window.dialog->Header().constantError, 3.0);
    EXPECT_EQ(EnabledSaves(window), "published-save-as");
  }
}

TEST(text_editing, cancelled_file_dialogs_change_nothing) {
  FileWindow window;
  QTest::keyClicks(window.Text(kIdPublishedText), QStringLiteral("A,B,1"));
  QTest::keyClicks(window.Text(kIdMeasuredText), QStringLiteral("A,B,1.001"));
  QTest::keyClicks(window.Field(kIdMeasuredFileName), QStringLiteral("measured.txt"));
  const std::vector<QString> before = Snapshot(window);
  const int commands[] = {kIdOpenPublished, kIdNewPublished, kIdSavePublishedAs,
                          kIdOpenMeasured,  kIdNewMeasured,  kIdSaveMeasuredAs};
  for (const int id : commands) {
    Click(window, id);
    EXPECT_EQ(Snapshot(window), before) << id;
  }
  // Every one asked with the text files' dialog, the measured Open offering field files too;
  // the Open commands for a file to open.
  ASSERT_EQ(window.dialogs.requests.size(), std::size(commands));
  for (std::size_t i = 0; i < std::size(commands); ++i) {
    const FileDialogRequest& request = window.dialogs.requests[i];
    EXPECT_EQ(request.forSaving, i != 0 && i != 3) << commands[i];
    EXPECT_EQ(request.filter,
              QStringLiteral("Baseline Files (*.TXT)|*.TXT|Text Files "
                             "(*.txt)|*.txt|") +
                  (i == 3 ? QStringLiteral("Field observations (*.csv)|*.csv|") : QString()) +
                  QStringLiteral("All Files (*.*)|*.*||"));
    EXPECT_EQ(request.defaultExtension, QStringLiteral("txt"));
    EXPECT_EQ(request.initialName, QStringLiteral("*.txt"));
  }
}

TEST(text_editing, open_measured_takes_the_header_lines_into_the_fields) {
  // Also with carriage returns alone, and behind a UTF-8 byte-order mark that would otherwise
  // hide the date line.
  for (const auto& [mark, lineEnd] : {std::pair<std::string, std::string>{"", "\n"},
                                      {"", "\r\n"},
                                      {"", "\r"},
                                      {"\xEF\xBB\xBF", "\r\n"}}) {
    FileWindow window;
    QTest::keyClicks(window.Text(kIdMeasuredText), QStringLiteral("typed"));
    const fs::path file = window.folder.Write(
        "measured.txt", mark + "$01-02-2015" + lineEnd + "A,B,100.0" + lineEnd + "#Sunny" +
                            lineEnd + "@EDM 5" + lineEnd + "!10:00:00" + lineEnd + "%1.5" +
                            lineEnd + lineEnd + "^3" + lineEnd + "B,C,50.0" + lineEnd);
    window.ClickWith(kIdOpenMeasured, file);

    EXPECT_EQ(window.Text(kIdMeasuredText)->toPlainText(), QStringLiteral("A,B,100.0\nB,C,50.0\n"));
    EXPECT_EQ(window.dialog->StoredMeasuredText(), "A,B,100.0\r\nB,C,50.0\r\n");
    EXPECT_EQ(window.Field(kIdMeasuredFileName)->text(), TextFromPath(file));
    EXPECT_EQ(window.HeaderFieldTexts(),
              (std::vector<QString>{QStringLiteral("01-02-2015"), QStringLiteral("10:00:00"),
                                    QStringLiteral("Sunny"), QStringLiteral("EDM 5"),
                                    QStringLiteral("3.00"), QStringLiteral("1.50")}));
    EXPECT_EQ(window.dialog->Header().ppmError, 1.5);
    EXPECT_EQ(window.dialog->Header().measuredFileName, BytesFromField(TextFromPath(file)));
    EXPECT_EQ(EnabledSaves(window), "");
    EXPECT_TRUE(window.ResultLines().empty());
  }
}

TEST(text_editing, new_texts_start_empty_and_create_no_file) {
  FileWindow window;
  QTest::keyClicks(window.Text(kIdPublishedText), QStringLiteral("A,B,1"));
  const fs::path published = window.folder.path() / "new-published.txt";
  window.ClickWith(kIdNewPublished, published);
  EXPECT_EQ(window.Text(kIdPublishedText)->toPlainText(), QString());
  EXPECT_EQ(window.Field(kIdPublishedFileName)->text(), TextFromPath(published));
  EXPECT_EQ(EnabledSaves(window), "");
  EXPECT_TRUE(window.ResultLines().empty());
  EXPECT_FALSE(fs::exists(published));
  QTest::keyClicks(window.Text(kIdPublishedText), QStringLiteral("A"));
  EXPECT_EQ(EnabledSaves(window), "published-save published-save-as");

  window.Results()->AddLine(QStringLiteral("an earlier report"));
  QTest::keyClicks(window.Text(kIdMeasuredText), QStringLiteral("A,B,1"));
  QTest::keyClicks(window.Field(kIdComment), QStringLiteral("old comment"));
  QTest::keyClicks(window.Field(kIdEdmDescription), QStringLiteral("old EDM"));
  window.Field(kIdConstantError)->setText(QStringLiteral("3.5"));
  const fs::path measured = window.folder.path() / "new-measured.txt";
  MeasurementHeader before, after;
  StartMeasuredHeader(before, LocalTimeNow());
  window.ClickWith(kIdNewMeasured, measured);
  StartMeasuredHeader(after, LocalTimeNow());

  EXPECT_EQ(window.Text(kIdMeasuredText)->toPlainText(), QString());
  EXPECT_EQ(window.Field(kIdMeasuredFileName)->text(), TextFromPath(measured));
  const std::vector<QString> fields = window.HeaderFieldTexts();
  EXPECT_TRUE(fields[0] == FieldFromBytes(before.date) || fields[0] == FieldFromBytes(after.date));
  EXPECT_TRUE(fields[1] == FieldFromBytes(before.time) || fields[1] == FieldFromBytes(after.time))
      << fields[1].toStdString();
  EXPECT_EQ(fields[2], QString());
  EXPECT_EQ(fields[3], QString());
  EXPECT_EQ(fields[4], QStringLiteral("3.5"));  // the accuracy stays as typed
  EXPECT_EQ(fields[5], QStringLiteral("2.00"));
  EXPECT_EQ(window.dialog->Header().date, BytesFromField(fields[0]));
  EXPECT_EQ(window.dialog->Header().constantError, 3.5);
  EXPECT_EQ(EnabledSaves(window), "published-save published-save-as");
  EXPECT_TRUE(window.ResultLines().empty());
  EXPECT_FALSE(fs::exists(measured));
}

TEST(text_editing, saving_the_measured_data_writes_the_fields_as_shown) {
  FileWindow window;
  const fs::path file =
      window.folder.Write("measured.txt", "$01-02-2015\n!10:00:00\n#c\n@e\n^3\nA,B,100.0\n");
  window.ClickWith(kIdOpenMeasured, file);
  window.Field(kIdDate)->selectAll();
  QTest::keyClicks(window.Field(kIdDate), QStringLiteral("02-02-2015"));
  EXPECT_EQ(EnabledSaves(window), "measured-save measured-save-as");

  Click(window, kIdSaveMeasured);
  EXPECT_EQ(ReadBytes(file),
            "$02-02-2015\r\n!10:00:00\r\n#c\r\n@e\r\n^3.0000\r\n%2.0000\r\nA,B,100.0\r\n");
  EXPECT_EQ(EnabledSaves(window), "");

  // Save As writes the same to the new file, which is the measured file from then on.
  window.Text(kIdMeasuredText)->moveCursor(QTextCursor::End);
  QTest::keyClicks(window.Text(kIdMeasuredText), QStringLiteral("A,C,1"));
  const fs::path copy = window.folder.path() / "copy.txt";
  window.ClickWith(kIdSaveMeasuredAs, copy);
  EXPECT_EQ(ReadBytes(copy),
            "$02-02-2015\r\n!10:00:00\r\n#c\r\n@e\r\n^3.0000\r\n%2.0000\r\nA,B,100.0\r\nA,C,1");
  EXPECT_EQ(window.Field(kIdMeasuredFileName)->text(), TextFromPath(copy));
  EXPECT_EQ(EnabledSaves(window), "");
  EXPECT_TRUE(window.dialogs.messages.empty());
}

TEST(text_editing, saving_the_published_text_writes_it_byte_for_byte) {
  FileWindow window;
  QTest::keyClicks(window.Text(kIdPublishedText), QStringLiteral("A,B,100"));
  QTest::keyClick(window.Text(kIdPublishedText), Qt::Key_Return);
  QTest::keyClicks(window.Text(kIdPublishedText), QStringLiteral("A,C,300\xa0"));
  const fs::path file = window.folder.path() / "published";
  window.ClickWith(kIdSavePublishedAs, file);
  // The dialog adds the default extension, not the window: the answer is used as given.
  EXPECT_EQ(ReadBytes(file), "A,B,100\r\nA,C,300\xa0");
  EXPECT_EQ(window.Field(kIdPublishedFileName)->text(), TextFromPath(file));
  EXPECT_EQ(EnabledSaves(window), "");

  QTest::keyClick(window.Text(kIdPublishedText), Qt::Key_Return);
  EXPECT_EQ(EnabledSaves(window), "published-save published-save-as");
  Click(window, kIdSavePublished);
  EXPECT_EQ(ReadBytes(file), "A,B,100\r\nA,C,300\xa0\r\n");
  EXPECT_EQ(EnabledSaves(window), "");
}

TEST(text_editing, empty_texts_write_no_file) {
  FileWindow window;
  const fs::path measured = window.folder.path() / "measured.txt";
  QTest::keyClicks(window.Field(kIdMeasuredFileName), TextFromPath(measured));
  QTest::keyClicks(window.Field(kIdComment), QStringLiteral("c"));
  Click(window, kIdSaveMeasured);
  EXPECT_FALSE(fs::exists(measured));
  EXPECT_EQ(EnabledSaves(window), "measured-save measured-save-as");

  const fs::path other = window.folder.path() / "other.txt";
  window.ClickWith(kIdSaveMeasuredAs, other);
  EXPECT_FALSE(fs::exists(other));
  EXPECT_EQ(window.Field(kIdMeasuredFileName)->text(), TextFromPath(other));
  EXPECT_EQ(EnabledSaves(window), "");

  // The published text: emptied by the user, an edit that enables Save As, which then writes
  // nothing and keeps its button.
  QTest::keyClicks(window.Text(kIdPublishedText), QStringLiteral("A"));
  QTest::keyClick(window.Text(kIdPublishedText), Qt::Key_Backspace);
  const fs::path published = window.folder.path() / "published.txt";
  window.ClickWith(kIdSavePublishedAs, published);
  EXPECT_FALSE(fs::exists(published));
  EXPECT_EQ(window.Field(kIdPublishedFileName)->text(), TextFromPath(published));
  EXPECT_EQ(EnabledSaves(window), "published-save-as");
  Click(window, kIdSavePublished);
  EXPECT_FALSE(fs::exists(published));
  EXPECT_TRUE(window.dialogs.messages.empty());
}

TEST(text_editing, load_takes_the_library_baseline_without_a_file_behind_it) {
  FileWindow window;
  // A Load reads the library as it is now.
  window.folder.Write("Baselines.dat", "1:Example short line 100 m\r\n2:A,B,100\r\n2:A,C,50\n");
  QTest::keyClicks(window.Field(kIdPublishedFileName), QStringLiteral("pub.txt"));
  QTest::keyClicks(window.Field(kIdComment), QStringLiteral("kept"));
  const std::vector<QString> fields = window.HeaderFieldTexts();
  Click(window, kIdPredefined);
  window.Get<QComboBox>(kIdBaselineList)->setCurrentIndex(2);
  Click(window, kIdLoadBaseline);

  EXPECT_EQ(window.Text(kIdPublishedText)->toPlainText(), QStringLiteral("A,B,100\nA,C,50\n"));
  EXPECT_EQ(window.dialog->StoredPublishedText(), "A,B,100\r\nA,C,50\r\n");
  EXPECT_EQ(window.Field(kIdPublishedFileName)->text(), QString());
  EXPECT_EQ(window.HeaderFieldTexts(), fields);
  EXPECT_EQ(window.ResultLines().size(), 1u);
  EXPECT_EQ(EnabledSaves(window), "measured-save measured-save-as");
  // Editing the loaded text can only be saved under a new name.
  QTest::keyClicks(window.Text(kIdPublishedText), QStringLiteral("A"));
  EXPECT_EQ(EnabledSaves(window), "published-save-as measured-save measured-save-as");
}

TEST(text_editing, load_without_a_library_only_empties_the_file_name) {
  FileWindow window;
  fs::remove(window.folder.path() / "Baselines.dat");
  QTest::keyClicks(window.Field(kIdPublishedFileName), QStringLiteral("pub.txt"));
  QTest::keyClicks(window.Text(kIdPublishedText), QStringLiteral("A,B,1"));
  Click(window, kIdPredefined);
  Click(window, kIdLoadBaseline);
  EXPECT_EQ(window.Text(kIdPublishedText)->toPlainText(), QStringLiteral("A,B,1"));
  EXPECT_EQ(window.Field(kIdPublishedFileName)->text(), QString());
  EXPECT_FALSE(window.dialog->StoredPublishedText().has_value());
}

TEST(text_editing, save_without_a_file_name_asks_for_one) {
  FileWindow window;
  QTest::keyClicks(window.Text(kIdMeasuredText), QStringLiteral("A,B,1"));
  const fs::path file = window.folder.path() / "measured.txt";
  window.ClickWith(kIdSaveMeasured, file);
  ASSERT_EQ(window.dialogs.requests.size(), 1u);
  EXPECT_TRUE(window.dialogs.requests[0].forSaving);
  EXPECT_TRUE(ReadBytes(file).ends_with("A,B,1"));
  EXPECT_EQ(window.Field(kIdMeasuredFileName)->text(), TextFromPath(file));
  EXPECT_EQ(EnabledSaves(window), "");
}

TEST(text_editing, a_file_that_cannot_be_written_is_named_and_the_edits_stay_unsaved) {
  FileWindow window;
  const fs::path kept = window.folder.Write("kept.txt", "old");
  QTest::keyClicks(window.Text(kIdPublishedText), QStringLiteral("A,B,1"));
  QTest::keyClicks(window.Text(kIdMeasuredText), QStringLiteral("A,B,1"));
  const fs::path nowhere = window.folder.path() / "no-such-folder" / "file.txt";
  window.ClickWith(kIdSavePublishedAs, nowhere);
  window.ClickWith(kIdSaveMeasuredAs, nowhere);
  Click(window, kIdSaveMeasured);  // the field now names the same place
  const QString message = QStringLiteral("Could not write the file ") + TextFromPath(nowhere);
  EXPECT_EQ(window.dialogs.messages, (std::vector<QString>{message, message, message}));
  EXPECT_EQ(EnabledSaves(window), "published-save-as measured-save measured-save-as");
  EXPECT_FALSE(fs::exists(nowhere.parent_path()));
  EXPECT_EQ(ReadBytes(kept), "old");
}

TEST(text_editing, an_open_that_cannot_read_its_file_is_named_and_changes_nothing) {
  FileWindow window;
  QTest::keyClicks(window.Text(kIdPublishedText), QStringLiteral("A,B,1"));
  QTest::keyClicks(window.Text(kIdMeasuredText), QStringLiteral("A,B,1.001"));
  const std::vector<QString> before = Snapshot(window);
  const fs::path missing = window.folder.path() / "missing.txt";
  window.ClickWith(kIdOpenPublished, missing);
  window.ClickWith(kIdOpenMeasured, window.folder.path());  // a folder is no text file
  const fs::path wide = window.folder.Write("wide.txt", "\xFF\xFE" + std::string("A\0,\0B\0", 6));
  window.ClickWith(kIdOpenMeasured, wide);  // nor is UTF-16 text
  EXPECT_EQ(window.dialogs.messages,
            (std::vector<QString>{
                QStringLiteral("Could not read the file ") + TextFromPath(missing),
                QStringLiteral("Could not read the file ") + TextFromPath(window.folder.path()),
                QStringLiteral("Could not read the file ") + TextFromPath(wide)}));
  EXPECT_EQ(Snapshot(window), before);
}

// The user's way through: open the example's two files, process, and read the report the
// command line prints for the same files.
TEST(text_editing, processing_opened_files_gives_the_command_line_report) {
  FileWindow window;
  const fs::path examples = MENSURO_EXAMPLES_DIR;
  window.ClickWith(kIdOpenPublished, examples / "kellerby-published.txt");
  window.ClickWith(kIdOpenMeasured, examples / "kellerby-measured.txt");
  Click(window, kIdProcess);
  ASSERT_TRUE(window.dialogs.messages.empty()) << window.dialogs.messages[0].toStdString();

  const CliRun cli =
      RunCli(window.folder, {"--published", (examples / "kellerby-published.txt").string(),
                             (examples / "kellerby-measured.txt").string()});
  ASSERT_EQ(cli.exitCode, 0) << cli.err;
  std::vector<QString> expected;
  for (const std::string& line : SplitFileLines(cli.out)) {
    if (!line.empty()) {
      expected.push_back(FieldFromBytes(line));
    }
  }
  std::vector<QString> shown;
  for (const QString& line : window.ResultLines()) {
    if (!line.isEmpty()) {
      shown.push_back(line);
    }
  }
  EXPECT_EQ(shown, expected);
  EXPECT_GT(shown.size(), 40u);
}

}  // namespace
}  // namespace mensuro::test
