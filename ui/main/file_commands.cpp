// The commands that move the published and measured texts between the window and their files:
// Open, New, Save and Save As of both texts, and Load from the baseline library (which also
// brings the baseline's uncertainty, when the library gives one, into the calibration
// conditions). The measured Open also imports a field file of observations.
//
// A Save or Save As button that is enabled is the window's only record of unsaved changes: an
// edit enables the buttons of its text, and a load, a new text or a successful save disables
// them.

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>
#include <utility>

#include "core/baseline/baseline_library_entry.h"
#include "core/data/baseline_library.h"
#include "core/data/data_files.h"
#include "core/data/file_bytes.h"
#include "core/data/text_encoding.h"
#include "core/data/text_file.h"
#include "core/equipment/applied_equipment.h"
#include "core/reduction/field_columns.h"
#include "core/reduction/field_observations.h"
#include "core/reduction/field_table.h"
#include "core/reduction/station_heights.h"
#include "ui/common/control_text.h"
#include "ui/common/dialog_services.h"
#include "ui/common/equipment_choice.h"
#include "ui/common/h_list_box.h"
#include "ui/common/remembered_conditions.h"
#include "ui/common/remembered_equipment.h"
#include "ui/common/remembered_instruments.h"
#include "ui/import/field_columns_dialog.h"
#include "ui/import/field_import_dialog.h"
#include "ui/main/main_dialog.h"

namespace mensuro {
namespace {

const QString kTextFiles = QStringLiteral("Baseline Files (*.TXT)|*.TXT|Text Files (*.txt)|*.txt|");
const QString kAllFiles = QStringLiteral("All Files (*.*)|*.*||");
const QString kTextFileFilter = kTextFiles + kAllFiles;
// The measured Open also offers field observations, beside the text files.
const QString kMeasuredOpenFilter =
    kTextFiles + QStringLiteral("Field observations (*.csv)|*.csv|") + kAllFiles;

// How the measured Open reads a file: as a measured text, or as field observations (a
// spreadsheet's CSV export, or any file whose header row names field columns).
enum class OpenedAs { kMeasuredText, kFieldFile, kUnnamedColumns };

// A file that can't be read is left to the measured Open to report. A file whose first line
// looks like a data collector's column names, but names none the program knows, is neither
// until the surveyor says.
OpenedAs HowToOpen(const QString& fileName) {
  if (fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
    return OpenedAs::kFieldFile;
  }
  std::string reason;
  const std::optional<std::string> text = ReadTextFile(PathFromText(fileName), reason);
  if (!text) {
    return OpenedAs::kMeasuredText;
  }
  if (IsFieldFileText(*text)) {
    return OpenedAs::kFieldFile;
  }
  return HasUnnamedFieldColumns(*text) ? OpenedAs::kUnnamedColumns : OpenedAs::kMeasuredText;
}

// The bytes of the file `fileName` as they are; nothing when they can't be read.
std::optional<std::string> FileBytesOf(const QString& fileName) {
  std::string reason;
  return ReadFileBytes(PathFromText(fileName), reason);
}

// Replaces the whole text of a text control. The program's own write is no edit, so it leaves
// the Save buttons alone.
void SetWholeText(QPlainTextEdit& control, std::string_view bytes) {
  const QSignalBlocker quiet(control);
  control.setPlainText(TextAreaFromBytes(bytes));
}

// The observations of a field file, and how its columns were chosen when its names didn't say.
struct FieldFileRead {
  FieldObservations observations;
  QString columns;  // empty: as the column names say
};

// The field file `fileName` read through the columns its names give, else those the surveyor
// chooses or chose before. Nothing when the surveyor cancels, or the file doesn't read, which a
// message tells before.
std::optional<FieldFileRead> ReadFieldFile(DialogServices& services, QWidget& window,
                                           const QString& fileName) {
  std::string reason;
  const std::optional<std::string> text = ReadTextFile(PathFromText(fileName), reason);
  if (!text) {
    services.ShowMessage(window, QStringLiteral("Could not read the file ") + fileName);
    return std::nullopt;
  }
  const auto showError = [&services, &window, &fileName](const FieldFileError& error) {
    services.ShowMessage(window,
                         QString::fromUtf8(FieldFileErrorText(fileName.toStdString(), error)));
  };
  FieldFileError error;
  const std::optional<FieldTable> table = ReadFieldTable(*text, error);
  std::optional<FieldColumnMap> map = table ? MatchFieldColumns(*table, error) : std::nullopt;
  if (!map) {
    showError(error);
    return std::nullopt;
  }
  // Columns whose names don't say enough are chosen by the surveyor, or as chosen before.
  QString columns;
  if (FieldColumnsProblem(*table, *map)) {
    const std::optional<ChosenFieldColumns> chosen =
        ChooseFieldColumns(services, window, *table, *map);
    if (!chosen) {
      return std::nullopt;
    }
    map = chosen->map;
    columns = chosen->asBefore ? QStringLiteral("columns as chosen before")
                               : QStringLiteral("columns as chosen");
  }
  std::optional<FieldObservations> observations = ReadFieldObservations(*table, *map, error);
  if (!observations) {
    showError(error);
    return std::nullopt;
  }
  return FieldFileRead{std::move(*observations), columns};
}

}  // namespace

std::optional<QString> CVerantDlg::ChooseTextFile(bool forSaving, const QString& filter) {
  return services_.ChooseFile(*this, {.forSaving = forSaving,
                                      .filter = filter,
                                      .defaultExtension = QStringLiteral("txt"),
                                      .initialName = QStringLiteral("*.txt")});
}

std::optional<std::vector<std::string>> CVerantDlg::ReadOpenedFile(const QString& fileName) {
  std::filesystem::path path = PathFromText(fileName);
  std::vector<std::string> lines;
  if (!CTextFile("txt").ReadLines(path, lines)) {
    services_.ShowMessage(*this, QStringLiteral("Could not read the file ") + fileName);
    return std::nullopt;
  }
  return lines;
}

std::string CVerantDlg::MeasuredFileText(std::string_view text) const {
  return MeasuredFileBytes(header_, text);
}

void CVerantDlg::KeepMeasuredFile(const QString& fileName, std::optional<std::string> bytes) {
  measuredFile_.reset();
  if (bytes) {
    measuredFile_ = FileText{InputFileOf("measured", PathFromText(fileName), std::move(*bytes)),
                             MeasuredFileText(TextAreaBytes(*measuredText_))};
  }
}

void CVerantDlg::KeepPublishedFile(const QString& fileName, std::optional<std::string> bytes) {
  publishedFile_.reset();
  if (bytes) {
    publishedFile_ = FileText{InputFileOf("published", PathFromText(fileName), std::move(*bytes)),
                              TextAreaBytes(*publishedText_)};
  }
}

void CVerantDlg::LoadMeasuredFile(std::vector<std::string> fileLines) {
  storedMeasuredText_ = SplitLoadedFile(std::move(fileLines), InnerLineBreaks::kDelete, header_);
  SetWholeText(*measuredText_, *storedMeasuredText_);
  measuredText_->repaint();
  ShowHeaderInEdits();
}

void CVerantDlg::LoadPublishedFile(std::vector<std::string> fileLines) {
  // Header lines in a published file still leave its text, but the header they would set is
  // thrown away: the measured header belongs to the measured data alone.
  MeasurementHeader discarded;
  storedPublishedText_ = SplitLoadedFile(std::move(fileLines), InnerLineBreaks::kKeep, discarded);
  SetWholeText(*publishedText_, *storedPublishedText_);
  publishedText_->repaint();
}

void CVerantDlg::ShowCouldNotWrite(const QString& fileName) {
  services_.ShowMessage(*this, QStringLiteral("Could not write the file ") + fileName);
}

SaveResult CVerantDlg::WriteSavedFile(const QString& fileName, std::string_view bytes) {
  if (WriteFileBytes(PathFromText(fileName), bytes) == 0) {
    return SaveResult::kWritten;
  }
  ShowCouldNotWrite(fileName);
  return SaveResult::kFailed;
}

SaveResult CVerantDlg::SaveMeasuredFile(const QString& fileName) {
  // The file gets what the fields show.
  ReadHeaderFromEdits();
  const std::string text = TextAreaBytes(*measuredText_);
  if (text.empty()) {
    return SaveResult::kNothingToWrite;
  }
  std::string bytes = MeasuredFileBytes(header_, text);
  const SaveResult saved = WriteSavedFile(fileName, bytes);
  if (saved == SaveResult::kWritten) {
    KeepMeasuredFile(fileName, std::move(bytes));
  }
  return saved;
}

SaveResult CVerantDlg::SavePublishedFile(const QString& fileName) {
  const std::string text = TextAreaBytes(*publishedText_);
  if (text.empty()) {
    return SaveResult::kNothingToWrite;
  }
  std::string bytes = PublishedFileBytes(text);
  const SaveResult saved = WriteSavedFile(fileName, bytes);
  if (saved == SaveResult::kWritten) {
    KeepPublishedFile(fileName, std::move(bytes));
  }
  return saved;
}

void CVerantDlg::StartMeasuredText() {
  StartMeasuredHeader(header_, LocalTimeNow());
  SetWholeText(*measuredText_, {});
  // The fields are written from a copy, since every write reads the header back from them.
  const MeasurementHeader shown = header_;
  ShowHeaderTexts(shown);
}

std::optional<std::vector<std::string>> CVerantDlg::OpenTextFile(QLineEdit& fileNameField,
                                                                 const QString& fileName) {
  std::optional<std::vector<std::string>> lines = ReadOpenedFile(fileName);
  if (lines) {
    resultList_->ClearLines();
    fileNameField.setText(fileName);
  }
  return lines;
}

std::optional<QString> CVerantDlg::ChooseSaveName(QLineEdit& fileNameField) {
  std::optional<QString> chosen = ChooseTextFile(true, kTextFileFilter);
  if (chosen) {
    fileNameField.setText(*chosen);
  }
  return chosen;
}

void CVerantDlg::OnOpenPublished() {
  const std::optional<QString> chosen = ChooseTextFile(false, kTextFileFilter);
  if (!chosen) {
    return;
  }
  if (std::optional<std::vector<std::string>> lines = OpenTextFile(*publishedFileName_, *chosen)) {
    LoadPublishedFile(std::move(*lines));
    KeepPublishedFile(*chosen, FileBytesOf(*chosen));
    publishedDistances_.reset();
    libraryCertificate_.clear();
    librarySite_.clear();
    libraryPairs_.reset();
  }
}

void CVerantDlg::OnNewPublished() {
  const std::optional<QString> chosen = ChooseSaveName(*publishedFileName_);
  if (!chosen) {
    return;
  }
  resultList_->ClearLines();
  publishedDistances_.reset();
  libraryCertificate_.clear();
  librarySite_.clear();
  libraryPairs_.reset();
  publishedFile_.reset();
  // Deleted as an edit, so the user can take it back with Undo; the edit enables the Save
  // buttons, which the new, unwritten file then disables.
  publishedText_->selectAll();
  publishedText_->ensureCursorVisible();
  publishedText_->textCursor().removeSelectedText();
  publishedText_->repaint();
  EnablePublishedSaves(false);
}

void CVerantDlg::OnLoadBaseline() {
  const std::filesystem::path libraryPath = BaselineLibraryPath(executableDir_);
  const std::string name =
      baselineList_->currentIndex() >= 0 ? BytesFromField(baselineList_->currentText()) : "";
  CollectedBaseline collected;
  if (LoadBaseline(libraryPath, name, collected) == 0) {
    storedPublishedText_ = collected.publishedText;
    SetWholeText(*publishedText_, collected.publishedText);
    libraryTextUnsaved_ = true;
    // A kind that doesn't read is told by the import, which reduces to it.
    FieldFileError error;
    publishedDistances_ =
        collected.nameLines > 0 ? BaselineDistanceKind(collected, error) : std::nullopt;
    const std::optional<BaselineProperty> certificate =
        FindBaselineProperty(collected, "certificate");
    // The library's bytes are characters of their own codes; the details are UTF-8.
    libraryCertificate_ =
        certificate ? FieldFromBytes(certificate->value).toStdString() : std::string();
    const std::optional<BaselineProperty> site = FindBaselineProperty(collected, "site");
    librarySite_ = site ? FieldFromBytes(site->value).toStdString() : std::string();
  }
  // The loaded text has no file behind it.
  publishedFileName_->clear();
  publishedFile_.reset();
  RememberLibraryUncertainty(collected, TextFromPath(libraryPath));
  KeepLibraryPairs(collected, TextFromPath(libraryPath));
}

void CVerantDlg::KeepLibraryPairs(const CollectedBaseline& collected, const QString& libraryName) {
  libraryPairs_.reset();
  std::string reason;
  std::optional<std::vector<PairUncertainty>> pairs = PairUncertainties(collected, reason);
  if (!pairs) {
    services_.ShowMessage(
        *this, QStringLiteral("%1, %2.\nNo pair takes an uncertainty of its own; the distances "
                              "are loaded.")
                   .arg(libraryName, FieldFromBytes(reason)));
    return;
  }
  if (!pairs->empty()) {
    // The text as the control holds it, which a Process compares.
    libraryPairs_ = LibraryPairs{TextAreaBytes(*publishedText_), std::move(*pairs)};
  }
}

void CVerantDlg::RememberLibraryUncertainty(const CollectedBaseline& collected,
                                            const QString& libraryName) {
  const std::optional<BaselineProperty> property = FindBaselineProperty(collected, "uncertainty");
  if (!property) {
    return;
  }
  std::string reason;
  const std::optional<BaselineUncertainty> uncertainty =
      ParseBaselineUncertainty(property->value, reason);
  if (uncertainty) {
    RememberBaselineUncertainty(*uncertainty);
    return;
  }
  services_.ShowMessage(
      *this, QStringLiteral("%1, line %2: the baseline's uncertainty \"%3\" can't be read: %4.\n"
                            "The uncertainty of the published distances stays as it was; the "
                            "distances are loaded.")
                 .arg(libraryName)
                 .arg(property->line)
                 .arg(FieldFromBytes(property->value), FieldFromBytes(reason)));
}

void CVerantDlg::OnPublishedChanged() {
  savePublishedAs_->setEnabled(true);
  if (!publishedFileName_->text().isEmpty()) {
    savePublished_->setEnabled(true);
  }
}

void CVerantDlg::OnSavePublished() {
  if (publishedText_->document()->isEmpty()) {
    return;
  }
  // Without a file name there is nowhere to save: ask for one.
  if (publishedFileName_->text().isEmpty()) {
    OnSavePublishedAs();
    return;
  }
  if (SavePublishedFile(publishedFileName_->text()) == SaveResult::kWritten) {
    EnablePublishedSaves(false);
  }
}

void CVerantDlg::OnSavePublishedAs() {
  const std::optional<QString> chosen = ChooseSaveName(*publishedFileName_);
  if (!chosen) {
    return;
  }
  if (SavePublishedFile(*chosen) == SaveResult::kWritten) {
    EnablePublishedSaves(false);
  }
}

void CVerantDlg::OnOpenMeasured() {
  const std::optional<QString> chosen = ChooseTextFile(false, kMeasuredOpenFilter);
  if (!chosen) {
    return;
  }
  const OpenedAs openedAs = HowToOpen(*chosen);
  if (openedAs == OpenedAs::kFieldFile ||
      (openedAs == OpenedAs::kUnnamedColumns &&
       services_.AskYesNo(*this, QStringLiteral("The first line of %1 looks like the column names "
                                                "of a data collector's export, not like measured "
                                                "data. Import the file as field observations?")
                                     .arg(*chosen)))) {
    ImportFieldObservations(*chosen);
    return;
  }
  std::optional<std::vector<std::string>> lines = OpenTextFile(*measuredFileName_, *chosen);
  if (!lines) {
    return;
  }
  LoadMeasuredFile(std::move(*lines));
  KeepMeasuredFile(*chosen, FileBytesOf(*chosen));
  imported_.reset();
  // Filling the header fields enabled them; the text is as it was loaded.
  EnableMeasuredSaves(false);
}

void CVerantDlg::ImportFieldObservations(const QString& fileName) {
  // The bytes named on the certificate are those read now, before the surveyor's choices.
  std::string fieldBytes = FileBytesOf(fileName).value_or(std::string());
  std::optional<FieldFileRead> read = ReadFieldFile(services_, *this, fileName);
  if (!read) {
    return;
  }
  QString problem;
  std::optional<std::vector<EquipmentItem>> equipment = register_.Equipment(problem);
  if (!problem.isEmpty()) {
    services_.ShowMessage(*this, problem);
  }
  CFieldImportDlg dialog(
      services_,
      {.fileName = fileName,
       .observations = std::move(read->observations),
       .libraryPath = BaselineLibraryPath(executableDir_),
       .baselineName = baselineList_->currentIndex() >= 0
                           ? std::optional(BytesFromField(baselineList_->currentText()))
                           : std::nullopt,
       .header = {date_->text(), time_->text(), comment_->text(), edmDescription_->text(),
                  constantError_->text(), ppmError_->text()},
       .columns = read->columns,
       .equipment = std::move(equipment)},
      this);
  // The instrument is the one the header describes as the dialog opens.
  dialog.ShowCarrier(RememberedInstrument(edmDescription_->text()));
  if (CEquipmentChoice* chosen = dialog.Equipment()) {
    chosen->Choose(RememberedEquipment(edmDescription_->text()));
  }
  services_.RunModal(dialog);
  if (dialog.result() != QDialog::Accepted) {
    return;
  }
  const ImportHeader header = dialog.Header();
  if (dialog.Carrier()) {
    RememberInstrument(header.edmDescription, *dialog.Carrier());
  }
  // The sensors whose corrections the reduction added: the calibration states these.
  std::vector<AppliedEquipment> sensors;
  if (const CEquipmentChoice* chosen = dialog.Equipment()) {
    RememberEquipment(header.edmDescription, chosen->Serials());
    for (AppliedEquipment& applied : chosen->Applied()) {
      if (IsSensor(applied.kind)) {
        sensors.push_back(std::move(applied));
      }
    }
  }
  resultList_->ClearLines();
  // The reduced lines have no file behind them yet: Save asks for one.
  measuredFileName_->clear();
  // Nothing of the previous file's header stays but what the dialog showed.
  ShowImportedHeader(header);
  // Replaced as an edit, so the user can take it back with Undo.
  QTextCursor cursor(measuredText_->document());
  cursor.select(QTextCursor::Document);
  cursor.insertText(TextAreaFromBytes(dialog.ReducedLines()));
  measuredText_->repaint();
  ReadHeaderFromEdits();
  EnableMeasuredSaves(true);
  measuredFile_.reset();
  std::vector<InputFile> files = {
      InputFileOf("field", PathFromText(fileName), std::move(fieldBytes))};
  if (dialog.HeightsFile()) {
    files.push_back(*dialog.HeightsFile());
  }
  imported_ = ImportedText{TextAreaBytes(*measuredText_), *dialog.Summary(), std::move(files),
                           std::move(sensors), MeanReadings(*dialog.Reduction())};
}

void CVerantDlg::OnNewMeasured() {
  const std::optional<QString> chosen = ChooseSaveName(*measuredFileName_);
  if (!chosen) {
    return;
  }
  StartMeasuredText();
  imported_.reset();
  measuredFile_.reset();
  EnableMeasuredSaves(false);
  resultList_->ClearLines();
}

void CVerantDlg::OnMeasuredChanged() {
  EnableMeasuredSaves(true);
}

void CVerantDlg::OnSaveMeasured() {
  // Without a file name there is nowhere to save: ask for one.
  if (measuredFileName_->text().isEmpty() && !measuredText_->document()->isEmpty()) {
    OnSaveMeasuredAs();
    return;
  }
  if (SaveMeasuredFile(measuredFileName_->text()) == SaveResult::kWritten) {
    EnableMeasuredSaves(false);
  }
}

void CVerantDlg::OnSaveMeasuredAs() {
  const std::optional<QString> chosen = ChooseSaveName(*measuredFileName_);
  if (!chosen) {
    return;
  }
  // Also when the text is empty and nothing was written: the name chosen is now the file's.
  if (SaveMeasuredFile(*chosen) != SaveResult::kFailed) {
    EnableMeasuredSaves(false);
  }
}

}  // namespace mensuro
