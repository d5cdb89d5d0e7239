#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/data/baseline_library.h"
#include "core/equipment/equipment.h"
#include "core/processing/processed_calibration.h"
#include "core/reduction/field_observations.h"
#include "core/reduction/field_reduction.h"
#include "core/reduction/reduction_summary.h"

class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace mensuro {

class CEquipmentChoice;
class DialogServices;

// The measured data header an import writes, as the window's header fields show it.
struct ImportHeader {
  QString date;
  QString time;
  QString comment;
  QString edmDescription;
  QString constantError;  // mm
  QString ppmError;
};

// A field file to import, and the library baseline that may give its marks' heights.
struct FieldImport {
  QString fileName;  // the file's path, as messages name it
  FieldObservations observations;
  std::filesystem::path libraryPath;
  // The baseline selected in the main window; nothing when none is.
  std::optional<std::string> baselineName;
  // The window's header fields as the dialog opens: the instrument's description and accuracies
  // are offered as they are.
  ImportHeader header;
  // How the columns were taken, for the summary ("columns as chosen before"); empty when by
  // their names.
  QString columns;
  // The open register's equipment, to choose the sensors from; nothing when no register is
  // open.
  std::optional<std::vector<EquipmentItem>> equipment = std::nullopt;
};

enum class ImportField : std::size_t {
  kWavelength,      // µm
  kReferenceIndex,  // n_REF
  kReferenceTemperature,
  kReferencePressure,
  kReferenceHumidity,
  kHeightsFile,
  kHorizontalAt,  // m; empty: the mean height of the two marks
};
inline constexpr std::size_t kImportFieldCount = 7;

enum class ImportChoice : std::size_t {
  kReferenceIndex,
  kReferenceConditions,
  kLibraryHeights,
  kFileHeights,
  kHorizontal,
  kMarkToMark,
};
inline constexpr std::size_t kImportChoiceCount = 6;

enum class ImportHeaderField : std::size_t {
  kDate,
  kTime,
  kComment,
  kEdmDescription,
  kConstantError,
  kPpmError,
};
inline constexpr std::size_t kImportHeaderFieldCount = 6;

// The modal "Import Field Observations" dialog: what the reduction of a field file takes (the
// instrument's carrier, the marks' heights, the kind of the published distances) and the measured
// data header the import writes, and, with a register open, the sensors whose certificates'
// corrections are added to the readings, with a preview of the reduced lines that follows every
// change. OK and Save Log are enabled only while the reduction succeeds; otherwise the preview says
// what stands in its way.
class CFieldImportDlg : public QDialog {
  Q_OBJECT

 public:
  CFieldImportDlg(DialogServices& services, FieldImport import, QWidget* owner);

  // Shows a remembered carrier; nothing: an empty wavelength and an empty reference index.
  void ShowCarrier(const std::optional<EdmCarrier>& carrier);

  // The reduction the inputs now give; nothing while one of them doesn't read.
  const std::optional<FieldReduction>& Reduction() const { return reduction_; }
  // Its observation lines for the measured text (single-byte, CR LF); empty without one.
  std::string ReducedLines() const;
  // Its log, as Save Log writes it; empty without one.
  std::string Log() const;
  // The carrier it took; nothing without a reduction or for a file of horizontal distances.
  const std::optional<EdmCarrier>& Carrier() const { return carrier_; }
  // What the reduction was made from and how; nothing without one.
  const std::optional<ReductionSummary>& Summary() const { return summary_; }
  // The heights file the reduction read, as it was read; nothing when it read none.
  const std::optional<InputFile>& HeightsFile() const { return heightsFile_; }
  // The header as the dialog's fields have it.
  ImportHeader Header() const;

  QLineEdit& Field(ImportField field) const;
  QRadioButton& Choice(ImportChoice choice) const;
  QLineEdit& HeaderField(ImportHeaderField field) const;
  QGroupBox& InstrumentGroup() const { return *instrument_; }
  // The sensors and reflector chosen; nothing when no register is open.
  CEquipmentChoice* Equipment() const { return equipment_; }
  QPushButton& BrowseButton() const { return *browse_; }
  QPlainTextEdit& Preview() const { return *preview_; }
  QPushButton& SaveLogButton() const { return *saveLog_; }
  QPushButton& OkButton() const;

  void accept() override;

 private:
  // The dialog's parts, each a frame owned by the dialog.
  QGroupBox* BuildInstrumentGroup();
  QGroupBox* BuildHeightsGroup();
  QGroupBox* BuildDistancesGroup();
  QGroupBox* BuildHeaderGroup();
  QGroupBox* BuildPreviewGroup();
  void Connect();
  void OnLibraryHeightsChosen(bool chosen);
  void OnBrowse();
  void OnSaveLog();
  // Tells the equipment choice the date of measurement the header's date field gives.
  void ShowMeasurementDate();
  // Reduces with what the inputs now give and shows the outcome.
  void Update();
  void EnableInputs();
  // Each nothing, with what is wrong in `problem`, when its inputs don't read.
  std::optional<FieldReduction> Reduce(QString& problem);
  std::optional<EdmCarrier> ReadCarrier(QString& problem) const;
  std::optional<StationHeights> ReadHeights(QString& problem) const;
  // Where the heights were taken from, as the reduction's summary names it (UTF-8).
  std::string HeightsSource() const;
  bool ReadHorizontalAt(std::optional<double>& height, QString& problem) const;
  void ShowPreview(const QString& problem);

  DialogServices& services_;
  FieldImport import_;
  // The selected library baseline, when the library can be read.
  std::optional<CollectedBaseline> baseline_;
  std::optional<FieldReduction> reduction_;
  std::optional<EdmCarrier> carrier_;
  std::optional<ReductionSummary> summary_;
  std::optional<InputFile> heightsFile_;

  std::array<QLineEdit*, kImportFieldCount> fields_{};
  std::array<QRadioButton*, kImportChoiceCount> choices_{};
  std::array<QLineEdit*, kImportHeaderFieldCount> headerFields_{};
  QGroupBox* instrument_ = nullptr;
  CEquipmentChoice* equipment_ = nullptr;
  QGroupBox* heights_ = nullptr;
  QGroupBox* distances_ = nullptr;
  QPushButton* browse_ = nullptr;
  QPlainTextEdit* preview_ = nullptr;
  QPushButton* saveLog_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace mensuro
