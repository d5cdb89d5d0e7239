#pragma once

#include <QButtonGroup>
#include <QDialog>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/report_text.h"
#include "core/baseline/baseline_library_entry.h"
#include "core/certificate/certificate_details.h"
#include "core/data/data_file_text.h"
#include "core/data/measurement_header.h"
#include "core/data/same_file.h"
#include "core/equipment/equipment.h"
#include "core/reduction/field_observations.h"
#include "ui/common/calibration_state.h"
#include "ui/common/dialog_builder.h"
#include "ui/common/growing_layout.h"
#include "ui/register/register_location.h"
#include "ui/register/register_session.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace mensuro {

class CalibrationRegister;
struct BaselineToCertify;
struct CollectedBaseline;
struct ImportHeader;
class CHListBox;
class CPlotWindow;
class CRegisterWindow;
class CBaselineWindow;
class DialogServices;

// How saving a text to its file went.
enum class SaveResult {
  kWritten,
  kNothingToWrite,  // the text is empty: no file is written or created
  kFailed,          // the file couldn't be written; the user has been told
};

// The main window: the source of the published distances, the published and measured texts, the
// header fields, the result list and the commands. Built from its dialog template; every control
// can be found by its id.
class CVerantDlg : public QDialog {
  Q_OBJECT

 public:
  // `services` answers the window's file dialogs, messages and document opening;
  // `executableDir` is where the files shipped with the program are looked for.
  CVerantDlg(DialogServices& services, std::filesystem::path executableDir,
             QWidget* parent = nullptr);

  QWidget* Control(int id) const { return controls_.Find(id); }
  MeasurementHeader& Header() { return header_; }
  // The texts last put into the published and the measured text by a load, if any.
  const std::optional<std::string>& StoredPublishedText() const { return storedPublishedText_; }
  const std::optional<std::string>& StoredMeasuredText() const { return storedMeasuredText_; }
  // What the last Process gave: the calibration, its report and notices, or why it failed.
  const CalibrationState& Calibration() const { return calibration_; }
  CalibrationState& Calibration() { return calibration_; }
  // The plot window, once Plot has opened it.
  CPlotWindow* PlotWindow() const { return plotWindow_; }
  // The register the window has open, for issuing certificates; none until Register opens one.
  RegisterSession& Register() { return register_; }
  // The register window, once Register has opened it.
  CRegisterWindow* RegisterWindow() const { return registerWindow_; }

  // The source of the published distances: 0 a published file, 1 the baseline library.
  void OnSourceChanged();
  // The six header fields, the measured file name and the published source into the header.
  void ReadHeaderFromEdits();
  // The header into the six header fields; the header then holds what they show.
  void ShowHeaderInEdits();
  void OnHeaderChanged();

  // A file's lines into the measured or the published text: header lines go to the header and
  // its fields, the other lines become the text, which is stored as loaded.
  void LoadMeasuredFile(std::vector<std::string> fileLines);
  void LoadPublishedFile(std::vector<std::string> fileLines);
  // The header lines and the measured text, or the published text, into the file `fileName`.
  SaveResult SaveMeasuredFile(const QString& fileName);
  SaveResult SavePublishedFile(const QString& fileName);
  // An empty measured text for a measurement starting now.
  void StartMeasuredText();

  void OnOpenPublished();
  void OnNewPublished();
  void OnLoadBaseline();
  void OnPublishedChanged();
  void OnSavePublished();
  void OnSavePublishedAs();
  void OnOpenMeasured();
  void OnNewMeasured();
  void OnMeasuredChanged();
  void OnSaveMeasured();
  void OnSaveMeasuredAs();

  void OnProcess();
  // Asks for the reason to use each item of `calibration`'s equipment whose certificate is not
  // valid on its date of measurement, and notes it; false when the user stops.
  bool AcceptInvalidEquipment(ProcessedCalibration& calibration);
  // The conditions remembered for `instrument`, for a Process of the measured text `measured`:
  // the sensors the import applied while `measured` is still the import's text (none
  // otherwise, as no sensor corrected its readings), and the other equipment remembered for
  // `instrument` from the open register, its certificates chosen for the date of measurement
  // `date` (as the header writes it).
  // The library baseline's pairs' own uncertainties go with them while `published` is still
  // the text loaded from it.
  UncertaintyInputs ConditionsFor(const QString& instrument, const std::string& date,
                                  const std::string& measured, const std::string& published);
  // Where the texts now in the window came from, for a Process of the measured text `measured`.
  CalibrationOrigin Origin(const std::string& measured, const std::string& published) const;
  // The measured text as the measured file holds it, its header lines in front.
  std::string MeasuredFileText(std::string_view text) const;
  // Remembers `fileName` as the file of the text the window now shows, read or written as
  // `bytes`; nothing when its bytes can't be read.
  void KeepMeasuredFile(const QString& fileName, std::optional<std::string> bytes);
  void KeepPublishedFile(const QString& fileName, std::optional<std::string> bytes);
  void FillResultList();
  void OnSaveReportAs();
  void OnPlot();
  // Opens the register window, opening the register first when none is open; a register that
  // can't be opened is told and nothing else happens.
  void OnRegister();
  // Opens the Baseline Calibration window, made by the first Baseline.
  void OnBaseline();
  // The Baseline Calibration window, once Baseline has opened it.
  CBaselineWindow* BaselineWindow() const { return baselineWindow_; }
  void OnShowHelp();
  void OnAbout();

  // Closes the window (Cancel, Esc, the close box), first asking to save the texts that have
  // changes no file holds: Save saves each as its Save button does; Cancel, or a save that fails
  // or is cancelled, keeps the window open.
  void reject() override;
  // Whether the published or the measured text holds something that no file holds: an edit, an
  // import or a library Load since it was last opened, started or saved.
  bool PublishedUnsaved() const;
  bool MeasuredUnsaved() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void DoDataExchange();
  void OnInitDialog();
  void ConnectCommands();
  // Sets a header field's text. A new text enables the measured Save buttons, as an edit does;
  // the header is read back from the fields either way.
  void WriteHeaderField(QLineEdit& field, const QString& text);
  // Date, time, EDM description and comment of `shown` into their fields.
  void ShowHeaderTexts(const MeasurementHeader& shown);
  // The header an import writes, every one of the six fields.
  void ShowImportedHeader(const ImportHeader& header);

  // A text file to open or to save, from the file dialog offering `filter`; nothing when
  // cancelled.
  std::optional<QString> ChooseTextFile(bool forSaving, const QString& filter);
  // The lines of a file being opened; nothing, with the user told, when it can't be read.
  std::optional<std::vector<std::string>> ReadOpenedFile(const QString& fileName);
  // The steps both Open commands take once a file is chosen: the file read, the result list
  // emptied and the file's name shown. Nothing changes when it can't be read.
  std::optional<std::vector<std::string>> OpenTextFile(QLineEdit& fileNameField,
                                                       const QString& fileName);
  // The observations of a field file, reduced in the Import Field Observations dialog, into the
  // measured text as an unsaved change. Nothing changes when the file doesn't read or the dialog
  // is cancelled.
  void ImportFieldObservations(const QString& fileName);
  // A file name chosen for saving, shown in `fileNameField`.
  std::optional<QString> ChooseSaveName(QLineEdit& fileNameField);
  void EnablePublishedSaves(bool enabled);
  void EnableMeasuredSaves(bool enabled);
  SaveResult WriteSavedFile(const QString& fileName, std::string_view bytes);
  void ShowCouldNotWrite(const QString& fileName);
  // One short line beside Plot when the last Process warned of its input; none otherwise.
  void OnCalibrationChanged();
  void ShowNoticeSummary();
  // A Process refused before the texts were read, for `message`, which is shown.
  void FailProcess(const QString& message);
  void SaveCertificateAs(const QString& fileName);
  // Before a certificate is written with no register open: asks whether to issue it into the
  // register, which is then opened, or to save a draft. False when the user cancels, or the
  // register can't be opened (told over `owner`).
  bool OpenRegisterOrDraft(QWidget& owner);
  // The certificate of the Baseline Calibration window's calibration `certified`: warnings
  // accepted, a PDF file chosen, the details asked, issued into the register or saved as a
  // draft, every dialog over `owner`. The number issued, if any.
  std::optional<std::string> WriteBaselineCertificate(QWidget& owner,
                                                      const BaselineToCertify& certified);
  // The files the window reads, which nothing it writes may land on: the texts' files and the
  // open register.
  std::vector<NamedFile> OpenInputFiles() const;
  // Issues the certificate into the open register and writes the stored PDF to `fileName`,
  // saying which number it got or why it failed.
  void IssueIntoRegister(const ProcessedCalibration& calibration, const CertificateDetails& details,
                         const QString& fileName);
  // The `3:uncertainty=` line of a baseline loaded from the library `libraryName`, when it has
  // one, as the remembered baseline uncertainty; one that doesn't read is told and left out.
  void RememberLibraryUncertainty(const CollectedBaseline& collected, const QString& libraryName);
  // The `3:pair-uncertainty=` lines of a baseline loaded from the library `libraryName`, kept
  // with its published text; lines that don't read are told and none is kept.
  void KeepLibraryPairs(const CollectedBaseline& collected, const QString& libraryName);

  DialogServices& services_;
  std::filesystem::path executableDir_;

  int sourceChoice_ = 1;
  DialogControls controls_;
  QButtonGroup sourceGroup_;

  QLabel* publishedFileLabel_ = nullptr;
  QLineEdit* publishedFileName_ = nullptr;
  QPushButton* openPublished_ = nullptr;
  QLabel* baselineLabel_ = nullptr;
  QPushButton* loadBaseline_ = nullptr;
  QPushButton* newPublished_ = nullptr;
  QComboBox* baselineList_ = nullptr;
  QPlainTextEdit* publishedText_ = nullptr;
  QPlainTextEdit* measuredText_ = nullptr;
  QPushButton* savePublished_ = nullptr;
  QPushButton* savePublishedAs_ = nullptr;
  QPushButton* saveMeasured_ = nullptr;
  QPushButton* saveMeasuredAs_ = nullptr;
  QPushButton* newMeasured_ = nullptr;
  CHListBox* resultList_ = nullptr;
  QPushButton* saveReportAs_ = nullptr;
  QLineEdit* measuredFileName_ = nullptr;
  QLineEdit* comment_ = nullptr;
  QLineEdit* edmDescription_ = nullptr;
  QLineEdit* constantError_ = nullptr;
  QLineEdit* ppmError_ = nullptr;
  QLineEdit* date_ = nullptr;
  QLineEdit* time_ = nullptr;
  QLabel* noticeSummary_ = nullptr;

  std::optional<GrowingLayout> growingLayout_;
  // A child window of this one, made by the first Plot.
  CPlotWindow* plotWindow_ = nullptr;
  RegisterSession register_;
  // A child window of this one, made by the first Register.
  CRegisterWindow* registerWindow_ = nullptr;
  // A child window of this one, made by the first Baseline.
  CBaselineWindow* baselineWindow_ = nullptr;

  MeasurementHeader header_;
  CalibrationState calibration_;
  std::optional<std::string> storedPublishedText_;
  std::optional<std::string> storedMeasuredText_;
  // A library Load leaves the published Save buttons as they were, yet its text is in no file.
  bool libraryTextUnsaved_ = false;
  // What the published distances are, as the library baseline they were loaded from says;
  // nothing once a published file is opened or started.
  std::optional<PublishedDistanceKind> publishedDistances_;
  // The baseline's own certificate, as the library baseline the published distances were loaded
  // from states it; empty when it doesn't, or once a published file is opened or started.
  std::string libraryCertificate_;
  // Where that baseline is, as its library line says (UTF-8); empty as the certificate is.
  std::string librarySite_;
  // The pairs' own uncertainties of the library baseline loaded last, with its published text:
  // a Process takes them while the published text is still that one.
  struct LibraryPairs {
    std::string text;
    std::vector<PairUncertainty> pairs;
  };
  std::optional<LibraryPairs> libraryPairs_;
  // The measured text the last import put in, and how it was reduced: a Process states the
  // reduction, and the sensors that corrected its readings, while the measured text is still
  // that one.
  struct ImportedText {
    std::string text;
    ReductionSummary reduction;
    std::vector<InputFile> files;  // the field file as it was read, and its heights file
    // The sensors whose certificates' corrections were added to the readings, as applied.
    std::vector<AppliedEquipment> sensors;
    // The mean of the readings as reduced; nothing for a file without weather readings.
    std::optional<FieldWeather> meanReadings;
  };
  std::optional<ImportedText> imported_;
  // The last import while `measured` is still its text; nothing otherwise.
  const ImportedText* ImportOf(const std::string& measured) const;
  // A text as its file holds it, and the file: a Process names the file while the text
  // processed is still that one byte for byte. The measured text is compared with its header
  // lines, as a save writes them.
  struct FileText {
    InputFile file;
    std::string text;
  };
  std::optional<FileText> measuredFile_;
  std::optional<FileText> publishedFile_;
};

}  // namespace mensuro
