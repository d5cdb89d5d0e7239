// Importing field observations into the measured text through the Import Field Observations
// dialog, and the instrument it remembers per EDM description.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "core/data/visible_text.h"
#include "support/measured_layouts.h"
#include "test_window.h"
#include "ui/common/control_text.h"
#include "ui/common/settings.h"
#include "ui/import/field_columns_dialog.h"
#include "ui/import/field_import_dialog.h"

namespace mensuro::test {
namespace {

namespace fs = std::filesystem;
using Field = ImportField;
using Choice = ImportChoice;

CFieldImportDlg& Import(QDialog& shown) {
  return dynamic_cast<CFieldImportDlg&>(shown);
}

void Type(const CFieldImportDlg& dialog, Field field, const QString& text) {
  dialog.Field(field).clear();
  QTest::keyClicks(&dialog.Field(field), text);
}

void Click(QWidget& control) {
  QTest::mouseClick(&control, Qt::LeftButton);
}

// Slope distances of 100 m from A to B, instrument and reflector 1.5 m above their marks, in the
// air the reference conditions 20 °C, 1013.25 hPa, 60 % describe.
std::string SlopeFile(int rows) {
  std::string text =
      "from,to,slope_distance,instrument_height,reflector_height,temperature,pressure,humidity,"
      "ppm_set\r\n";
  for (int row = 0; row < rows; ++row) {
    text += "A,B,100.0,1.5,1.5,20,1013.25,60,0\r\n";
  }
  return text;
}

void EnterCarrier(const CFieldImportDlg& dialog) {
  Type(dialog, Field::kWavelength, QStringLiteral("0.658"));
  Click(dialog.Choice(Choice::kReferenceConditions));
  Type(dialog, Field::kReferenceTemperature, QStringLiteral("20"));
  Type(dialog, Field::kReferencePressure, QStringLiteral("1013.25"));
  Type(dialog, Field::kReferenceHumidity, QStringLiteral("60"));
}

// Opens `file` with the measured Open, the import dialog handed to `whileShown`.
void ImportWith(TestWindow& window, const fs::path& file,
                const std::function<void(CFieldImportDlg&)>& whileShown) {
  window.dialogs.answers.push_back(TextFromPath(file));
  window.dialogs.whileShown = [&whileShown](QDialog& shown) { whileShown(Import(shown)); };
  Click(*window.Button(kIdOpenMeasured));
}

// The chord at the instrument's height 1.5 m, scaled to the marks' height 0:
// 100 m / (1 + 1.5 m / 6371 km) = 99.99997646 m.
const QString kReducedLine = QStringLiteral("A,B,99.99998\n");

TEST(field_import, a_heights_file_gives_the_marks_and_ok_puts_the_reduction_in_the_measured_text) {
  TestWindow window(false);
  QTest::keyClicks(window.Field(kIdMeasuredFileName), QStringLiteral("earlier.txt"));
  QTest::keyClicks(window.Field(kIdComment), QStringLiteral("Overcast"));
  QTest::keyClicks(window.Text(kIdMeasuredText), QStringLiteral("X,Y,1"));
  window.Results()->AddLine(QStringLiteral("an earlier report"));
  const std::vector<QString> header = window.HeaderFieldTexts();
  const fs::path field = window.folder.Write("field.CSV", SlopeFile(12));
  const fs::path heights = window.folder.Write("heights.csv", "station,height\nA,0\nB,0\n");
  const fs::path log = window.folder.path() / "log.csv";

  ImportWith(window, field, [&](CFieldImportDlg& dialog) {
    EXPECT_FALSE(dialog.Choice(Choice::kLibraryHeights).isEnabled());  // no library
    EnterCarrier(dialog);
    window.dialogs.answers = {TextFromPath(heights), TextFromPath(log)};
    Click(dialog.BrowseButton());
    Click(dialog.Choice(Choice::kMarkToMark));
    EXPECT_EQ(dialog.Preview().toPlainText(),
              kReducedLine.repeated(10) + QStringLiteral("... and 2 more"));
    Click(dialog.SaveLogButton());
    EXPECT_TRUE(ReadBytes(log).starts_with("line,from,to,"));
    EXPECT_EQ(ReadBytes(log), dialog.Log());
    Click(dialog.OkButton());
  });
  EXPECT_TRUE(window.dialogs.messages.empty());
  EXPECT_EQ(window.Text(kIdMeasuredText)->toPlainText(), kReducedLine.repeated(12));
  EXPECT_EQ(window.Field(kIdMeasuredFileName)->text(), QString());
  EXPECT_EQ(EnabledSaves(window), "measured-save measured-save-as");
  // The file has no dates: now, as New has it; the comment goes, the instrument stays.
  const std::vector<QString> imported = window.HeaderFieldTexts();
  EXPECT_TRUE(
      QRegularExpression(QStringLiteral("^\\d\\d-\\d\\d-\\d{4}$")).match(imported[0]).hasMatch())
      << imported[0].toStdString();
  EXPECT_EQ(imported[2], QString());
  EXPECT_EQ(std::vector(imported.begin() + 3, imported.end()),
            std::vector(header.begin() + 3, header.end()));
  EXPECT_TRUE(window.ResultLines().empty());
  ASSERT_EQ(window.dialogs.requests.size(), 3u);
  EXPECT_EQ(window.dialogs.requests[1].filter,
            QStringLiteral("CSV files (*.csv)|*.csv|All Files (*.*)|*.*||"));
  EXPECT_TRUE(window.dialogs.requests[2].forSaving);
  EXPECT_EQ(window.dialogs.requests[2].filter, QStringLiteral("CSV files (*.csv)|*.csv||"));
}

// A Process of the imported text names the field file and the heights file as they were read,
// each with the SHA-256 that sha256sum gives; an edit of the text names neither.
TEST(field_import, the_field_and_heights_files_are_named_while_the_text_is_theirs) {
  TestWindow window(false);
  const fs::path field =
      window.folder.Write("field.csv", SlopeFile(1) +
                                           "A,C,300.0,1.5,1.5,20,1013.25,60,0\r\n"
                                           "A,D,600.0,1.5,1.5,20,1013.25,60,0\r\n");
  const fs::path heights =
      window.folder.Write("heights.csv", "station,height\nA,0\nB,0\nC,0\nD,0\n");
  ImportWith(window, field, [&](CFieldImportDlg& dialog) {
    EnterCarrier(dialog);
    Type(dialog, Field::kHeightsFile, TextFromPath(heights));
    Click(dialog.Choice(Choice::kMarkToMark));
    Click(dialog.OkButton());
  });
  window.Text(kIdPublishedText)->setPlainText(QStringLiteral("A,B,100\nA,C,300\nA,D,600\n"));
  window.dialog->OnProcess();
  const ProcessedCalibration* calibration = window.dialog->Calibration().Calibration();
  ASSERT_NE(calibration, nullptr) << window.dialogs.messages.size();
  const std::vector<InputFile>& files = calibration->origin.files;
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].role, "field");
  EXPECT_EQ(files[0].name, "field.csv");
  EXPECT_EQ(files[1].role, "heights");
  EXPECT_EQ(files[1].name, "heights.csv");
#ifndef _WIN32  // coreutils' sha256sum is the build machine's
  for (const InputFile& file : files) {
    EXPECT_EQ(file.sha256, RunShell(window.folder, "sha256sum " + file.name).out.substr(0, 64));
  }
#endif

  window.Text(kIdMeasuredText)->appendPlainText(QStringLiteral("A,B,99.99998"));
  window.dialog->OnProcess();
  ASSERT_NE(window.dialog->Calibration().Calibration(), nullptr);
  EXPECT_TRUE(window.dialog->Calibration().Calibration()->origin.files.empty());
}

TEST(field_import, a_field_file_that_does_not_read_is_named_and_changes_nothing) {
  TestWindow window;
  QTest::keyClicks(window.Text(kIdMeasuredText), QStringLiteral("A,B,1"));
  const std::vector<QString> before = Snapshot(window);
  const fs::path malformed =
      window.folder.Write("field.csv", SlopeFile(1) + "A,B,1OO.0,1.5,1.5,20,1013.25,60,0\r\n");
  const fs::path missing = window.folder.path() / "missing.csv";
  ImportWith(window, malformed, [](CFieldImportDlg&) {});
  ImportWith(window, missing, [](CFieldImportDlg&) {});
  EXPECT_EQ(window.dialogs.modalRuns, 0);
  ASSERT_EQ(window.dialogs.messages.size(), 2u);
  EXPECT_TRUE(window.dialogs.messages[0].startsWith(
      TextFromPath(malformed) + QStringLiteral(":3: column 3 (slope_distance): ")))
      << window.dialogs.messages[0].toStdString();
  EXPECT_EQ(window.dialogs.messages[1],
            QStringLiteral("Could not read the file ") + TextFromPath(missing));
  EXPECT_EQ(Snapshot(window), before);
}

TEST(field_import, the_instrument_is_remembered_per_edm_description) {
  settings::Forget(settings::Section::kInstruments);
  TestWindow window(false);
  const fs::path field = window.folder.Write("field.csv", SlopeFile(1));
  const QString path = TextFromPath(window.folder.Write("heights.csv", "A,0\nB,0\n"));
  const QString description = QStringLiteral("Tachymeter 3/4\\5 \u00D8");
  QTest::keyClicks(window.Field(kIdEdmDescription), description);
  ImportWith(window, field, [&path](CFieldImportDlg& dialog) {
    EnterCarrier(dialog);
    Type(dialog, Field::kHeightsFile, path);
    Click(dialog.OkButton());
  });

  // The same description brings it back; Cancel changes nothing.
  const std::vector<QString> before = Snapshot(window);
  ImportWith(window, field, [](CFieldImportDlg& dialog) {
    EXPECT_EQ(dialog.Field(Field::kWavelength).text(), QStringLiteral("0.658"));
    EXPECT_TRUE(dialog.Choice(Choice::kReferenceConditions).isChecked());
    EXPECT_EQ(dialog.Field(Field::kReferencePressure).text(), QStringLiteral("1013.25"));
    Click(*dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel));
  });
  EXPECT_EQ(Snapshot(window), before);

  // Another description, or an entry that no longer reads, has none.
  const auto expectNone = [](CFieldImportDlg& dialog) {
    EXPECT_EQ(dialog.Field(Field::kWavelength).text(), QString());
    EXPECT_TRUE(dialog.Choice(Choice::kReferenceIndex).isChecked());
    EXPECT_EQ(dialog.Field(Field::kReferenceIndex).text(), QString());
  };
  window.Field(kIdEdmDescription)->setText(description + QStringLiteral(" "));
  ImportWith(window, field, expectNone);
  window.Field(kIdEdmDescription)->setText(description);
  std::vector<settings::InstrumentCarrier> edited = settings::InstrumentCarriers();
  ASSERT_EQ(edited.size(), 1u);
  edited[0].wavelength = QStringLiteral("0,658");  // as typed into the file by hand
  settings::SetInstrumentCarriers(edited);
  ImportWith(window, field, expectNone);
  EXPECT_EQ(window.dialogs.modalRuns, 4);
}

TEST(field_import, an_input_that_does_not_read_is_named_in_the_preview_and_keeps_ok_disabled) {
  // Figures read the same whatever the desktop's language.
  const QLocale desktop;
  QLocale::setDefault(QLocale(QLocale::German));
  TestWindow window(false);
  const fs::path field = window.folder.Write("field.csv", SlopeFile(1));
  const fs::path heights = window.folder.Write("heights.csv", "station,height\nA,0\n");
  ImportWith(window, field, [&](CFieldImportDlg& dialog) {
    EnterCarrier(dialog);
    Type(dialog, Field::kHeightsFile, TextFromPath(heights));
    const auto expectProblem = [&dialog](const QString& problem) {
      EXPECT_EQ(dialog.Preview().toPlainText(), problem);
      EXPECT_FALSE(dialog.OkButton().isEnabled());
      EXPECT_FALSE(dialog.SaveLogButton().isEnabled());
    };
    expectProblem(TextFromPath(field) +
                  QStringLiteral(":2: no height is known for the station \"B\""));
    Type(dialog, Field::kWavelength, QStringLiteral("0,658"));
    expectProblem(
        QStringLiteral("Carrier wavelength (µm): \"0,658\" is not a number (the carrier "
                       "wavelength in µm). Write decimals with a point, as in 0.658."));
    Click(dialog.OkButton());
    EXPECT_TRUE(dialog.isVisible());
  });
  EXPECT_EQ(window.Text(kIdMeasuredText)->toPlainText(), QString());
  QLocale::setDefault(desktop);
}

TEST(field_import, horizontal_distances_need_neither_instrument_nor_heights) {
  TestWindow window(false);
  const fs::path field =
      window.folder.Write("field.csv", "from,to,horizontal_distance\nA,B,100.00004\n");
  ImportWith(window, field, [](CFieldImportDlg& dialog) {
    EXPECT_FALSE(dialog.InstrumentGroup().isEnabled());
    Click(dialog.OkButton());
  });
  EXPECT_EQ(window.Text(kIdMeasuredText)->toPlainText(), QStringLiteral("A,B,100.00004\n"));

  // A data collector's tab-separated export is known by its header row, whatever its name.
  const fs::path exported =
      window.folder.Write("export.txt", "Station From\tTarget\tHD\r\nA\tC\t50.5\r\n");
  ImportWith(window, exported, [](CFieldImportDlg& dialog) { Click(dialog.OkButton()); });
  EXPECT_EQ(window.Text(kIdMeasuredText)->toPlainText(), QStringLiteral("A,C,50.50000\n"));
}

// The library baseline gives the heights and says its distances are mark to mark.
TEST(field_import, a_library_baseline_gives_the_heights_and_the_kind_of_its_distances) {
  TestWindow window(TestWindow::Library{
      "1:Flat\r\n2:A,B,100\r\n1:Marks\r\n3:distances=mark-to-mark\r\n3:height=A,0\r\n"
      "3:height=B,0\r\n2:A,B,100\r\n"});
  auto* list = window.Get<QComboBox>(kIdBaselineList);
  list->setCurrentIndex(list->findText(QStringLiteral("Marks")));
  const fs::path field = window.folder.Write("field.csv", SlopeFile(1));
  ImportWith(window, field, [](CFieldImportDlg& dialog) {
    EXPECT_TRUE(dialog.Choice(Choice::kLibraryHeights).isChecked());
    EXPECT_TRUE(dialog.Choice(Choice::kMarkToMark).isChecked());
    EnterCarrier(dialog);
    EXPECT_EQ(dialog.Preview().toPlainText(), kReducedLine);
  });
}

// Horizontal distances under names no data collector is known to write.
constexpr std::string_view kOddNames = "pillar_1,pillar_2,hz_m,remark\nA,B,100.00004,ok\n";

// Opens `file` with the measured Open: the columns step, if it comes, is handed to `columns`,
// the import dialog to `import`.
void ImportThroughColumns(TestWindow& window, const fs::path& file,
                          const std::function<void(CFieldColumnsDlg&)>& columns,
                          const std::function<void(CFieldImportDlg&)>& import) {
  window.dialogs.answers.push_back(TextFromPath(file));
  window.dialogs.whileShown = [&](QDialog& shown) {
    if (auto* step = dynamic_cast<CFieldColumnsDlg*>(&shown)) {
      columns(*step);
    } else {
      import(Import(shown));
    }
  };
  Click(*window.Button(kIdOpenMeasured));
}

void Choose(const CFieldColumnsDlg& dialog, std::size_t column,
            std::optional<FieldQuantity> holds) {
  dialog.ColumnChoice(column).setCurrentIndex(holds ? static_cast<int>(*holds) + 1 : 0);
}

QString SummaryOf(const CFieldImportDlg& dialog) {
  return Part<QLabel>(dialog, "summary").text();
}

TEST(field_import, columns_the_names_do_not_give_are_chosen_and_remembered_for_the_same_names) {
  settings::Forget(settings::Section::kFieldColumns);
  TestWindow window(false);
  const fs::path field = window.folder.Write("odd.csv", kOddNames);
  ImportThroughColumns(
      window, field,
      [](CFieldColumnsDlg& dialog) {
        EXPECT_EQ(dialog.ColumnChoice(0).currentText(), QStringLiteral("not used"));
        EXPECT_FALSE(dialog.OkButton().isEnabled());
        Choose(dialog, 0, FieldQuantity::kFrom);
        Choose(dialog, 1, FieldQuantity::kTo);
        EXPECT_EQ(
            dialog.ProblemLabel().text(),
            QStringLiteral("Still to choose: slope distance (m) or horizontal distance (m)."));
        Choose(dialog, 2, FieldQuantity::kTo);
        EXPECT_EQ(dialog.ProblemLabel().text(),
                  QStringLiteral("The columns 2. pillar_2 and 3. hz_m both hold the to station; "
                                 "keep one."));
        EXPECT_FALSE(dialog.OkButton().isEnabled());
        Choose(dialog, 2, FieldQuantity::kHorizontalDistance);
        EXPECT_EQ(dialog.ProblemLabel().text(), QString());
        Click(dialog.OkButton());
      },
      [](CFieldImportDlg& dialog) {
        EXPECT_TRUE(SummaryOf(dialog).endsWith(QStringLiteral(", columns as chosen")));
        Click(dialog.OkButton());
      });
  EXPECT_EQ(window.Text(kIdMeasuredText)->toPlainText(), QStringLiteral("A,B,100.00004\n"));

  // The same names again: no step, the choice named. Other names: the step, preset by name.
  window.Text(kIdMeasuredText)->clear();
  const auto noStep = [](CFieldColumnsDlg&) { ADD_FAILURE() << "the columns step came"; };
  ImportThroughColumns(
      window, window.folder.Write("again.csv", kOddNames), noStep, [](CFieldImportDlg& dialog) {
        EXPECT_TRUE(SummaryOf(dialog).endsWith(QStringLiteral(", columns as chosen before")));
        Click(dialog.OkButton());
      });
  EXPECT_EQ(window.Text(kIdMeasuredText)->toPlainText(), QStringLiteral("A,B,100.00004\n"));
  EXPECT_EQ(window.dialogs.modalRuns, 3);
  ImportThroughColumns(
      window, window.folder.Write("other.csv", "from,pillar_2,hz_m\nA,B,100\n"),
      [](CFieldColumnsDlg& dialog) {
        EXPECT_EQ(dialog.ColumnChoice(0).currentIndex(), 1);
        EXPECT_EQ(dialog.ColumnChoice(1).currentIndex(), 0);
      },
      [](CFieldImportDlg&) { ADD_FAILURE() << "imported without the columns"; });
  EXPECT_EQ(window.dialogs.modalRuns, 4);
  EXPECT_TRUE(window.dialogs.messages.empty());
}

// A data collector's export under names no table knows is imported only when the surveyor
// says so; otherwise it is opened as the measured text it was chosen as.
TEST(field_import, an_export_of_unknown_column_names_is_imported_when_the_surveyor_says_so) {
  TestWindow window(false);
  const fs::path exported =
      window.folder.Write("export.txt", "Pt Occ\tPt Sighted\tHz Dist\r\nA\tC\t50.5\r\n");
  window.dialogs.replies = {false};
  window.dialogs.answers.push_back(TextFromPath(exported));
  Click(*window.Button(kIdOpenMeasured));
  ASSERT_EQ(window.dialogs.questions.size(), 1U);
  EXPECT_TRUE(window.dialogs.questions[0].contains(QStringLiteral("Import the file as field")));
  EXPECT_EQ(window.dialogs.modalRuns, 0);
  EXPECT_TRUE(window.Text(kIdMeasuredText)->toPlainText().startsWith(QStringLiteral("Pt Occ")));

  window.dialogs.replies = {true};
  ImportThroughColumns(
      window, exported,
      [](CFieldColumnsDlg& dialog) {
        Choose(dialog, 0, FieldQuantity::kFrom);
        Choose(dialog, 1, FieldQuantity::kTo);
        Choose(dialog, 2, FieldQuantity::kHorizontalDistance);
        Click(dialog.OkButton());
      },
      [](CFieldImportDlg& dialog) { Click(dialog.OkButton()); });
  EXPECT_EQ(window.dialogs.questions.size(), 2U);
  EXPECT_EQ(window.Text(kIdMeasuredText)->toPlainText(), QStringLiteral("A,C,50.50000\n"));
}

// Measured texts set out with tabs, blanks and commas anywhere are opened as measured texts,
// never as field observations, and without a question.
TEST(field_import, the_open_reads_every_layout_of_measured_data_as_a_measured_text) {
  TestWindow window(false);
  const std::vector<LaidOutText> texts = MeasuredTextsWithLayouts(
      {{"STN02", "STN04", "825.019"}, {"P1", "P3", "141.7"}, {"P2", "P3", "86.72"}});
  for (std::size_t i = 0; i < texts.size(); i += texts.size() / 40) {
    window.Text(kIdMeasuredText)->clear();
    window.dialogs.answers.push_back(
        TextFromPath(window.folder.Write("measured.txt", texts[i].text)));
    Click(*window.Button(kIdOpenMeasured));
    EXPECT_TRUE(
        window.Text(kIdMeasuredText)->toPlainText().endsWith(QStringLiteral("P2,P3,86.72\n")))
        << VisibleText(texts[i].text);
  }
  EXPECT_EQ(window.dialogs.modalRuns, 0);
  EXPECT_TRUE(window.dialogs.questions.empty());
  EXPECT_TRUE(window.dialogs.messages.empty());
}

TEST(field_import, the_import_writes_the_whole_header_dated_by_the_first_dated_observation) {
  TestWindow window(false);
  EnterWorkedExample(window);
  window.Field(kIdConstantError)->setText(QStringLiteral("1.50"));
  const QString scale = window.Field(kIdPpmError)->text();
  const fs::path field = window.folder.Write(
      "dated.csv", "from,to,horizontal_distance,date,time\nA,B,100,,\nA,C,300,2026-12-09,14:05\n");
  ImportWith(window, field, [](CFieldImportDlg& dialog) {
    EXPECT_EQ(dialog.HeaderField(ImportHeaderField::kConstantError).text(), QStringLiteral("1.50"));
    dialog.HeaderField(ImportHeaderField::kEdmDescription).setText(QStringLiteral("Other EDM"));
    Click(dialog.OkButton());
  });
  EXPECT_EQ(window.HeaderFieldTexts(), (std::vector<QString>{QStringLiteral("09-12-2026"),
                                                             QStringLiteral("14:05:00"),
                                                             {},
                                                             QStringLiteral("Other EDM"),
                                                             QStringLiteral("1.50"),
                                                             scale}));
  // The header lines of the text it replaced are gone with it.
  Click(*window.Button(kIdProcess));
  EXPECT_EQ(window.dialog->Header().comment, "");
  EXPECT_EQ(window.dialog->Header().date, "09-12-2026");
}

// The shipped example, as the user guide walks through it.
TEST(field_import, the_example_imported_on_its_library_baseline_processes) {
  TestWindow window;
  auto* list = window.Get<QComboBox>(kIdBaselineList);
  list->setCurrentIndex(list->findText(QStringLiteral("Example seven-pillar line 600 m")));
  Click(*window.Button(kIdLoadBaseline));
  ImportWith(window, fs::path(MENSURO_EXAMPLES_DIR) / "seven-pillar-field.csv",
             [](CFieldImportDlg& dialog) {
               EXPECT_TRUE(dialog.Choice(Choice::kHorizontal).isChecked());
               Type(dialog, Field::kWavelength, QStringLiteral("0.658"));
               Click(dialog.Choice(Choice::kReferenceConditions));
               Type(dialog, Field::kReferenceTemperature, QStringLiteral("12"));
               Type(dialog, Field::kReferencePressure, QStringLiteral("1013.25"));
               Type(dialog, Field::kReferenceHumidity, QStringLiteral("60"));
               Click(dialog.OkButton());
             });
  Click(*window.Button(kIdProcess));
  EXPECT_TRUE(window.dialogs.messages.empty()) << window.dialogs.messages[0].toStdString();
  const ProcessedCalibration* calibration = window.dialog->Calibration().Calibration();
  ASSERT_NE(calibration, nullptr);
  EXPECT_FALSE(window.ResultLines().empty());
  // The calibration says where its texts came from, while they are what was loaded.
  EXPECT_EQ(calibration->origin.publishedDistances, PublishedDistanceKind::kHorizontal);
  ASSERT_TRUE(calibration->origin.reduction);
  EXPECT_EQ(calibration->origin.reduction->heightsSource,
            "library baseline Example seven-pillar line 600 m");
  EXPECT_EQ(calibration->origin.reduction->observations,
            static_cast<std::size_t>(
                window.Text(kIdMeasuredText)->toPlainText().count(QLatin1Char('\n'))));

  // The last line's line feed taken back: the same observations, another text.
  QTest::keyClick(window.Text(kIdMeasuredText), Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(window.Text(kIdMeasuredText), Qt::Key_Backspace);
  Click(*window.Button(kIdProcess));
  calibration = window.dialog->Calibration().Calibration();
  ASSERT_NE(calibration, nullptr);
  EXPECT_FALSE(calibration->origin.reduction);
  EXPECT_TRUE(calibration->origin.publishedDistances);

  // A published file says nothing of its distances.
  const fs::path published = window.folder.Write(
      "published.txt", BytesFromTextArea(window.Text(kIdPublishedText)->toPlainText()));
  Click(*window.Get(kIdFromFile));
  window.dialogs.answers.push_back(TextFromPath(published));
  Click(*window.Button(kIdOpenPublished));
  Click(*window.Button(kIdProcess));
  calibration = window.dialog->Calibration().Calibration();
  ASSERT_NE(calibration, nullptr);
  EXPECT_FALSE(calibration->origin.publishedDistances);
}

}  // namespace
}  // namespace mensuro::test
