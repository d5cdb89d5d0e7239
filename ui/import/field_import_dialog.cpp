#include "ui/import/field_import_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/data/data_file_text.h"
#include "core/data/file_bytes.h"
#include "core/data/local_time.h"
#include "core/data/text_encoding.h"
#include "core/reduction/station_heights.h"
#include "ui/common/control_text.h"
#include "ui/common/dialog_services.h"
#include "ui/common/equipment_choice.h"
#include "ui/common/fixed_pitch_font.h"
#include "ui/common/scrolling_content.h"
#include "ui/common/typed_figure.h"

namespace mensuro {
namespace {

constexpr std::size_t kPreviewLines = 10;

const QString kHeightsFilter = QStringLiteral("CSV files (*.csv)|*.csv|All Files (*.*)|*.*||");
const QString kLogFilter = QStringLiteral("CSV files (*.csv)|*.csv||");

// How the labels and messages name the inputs.
const QString kWavelengthName = QStringLiteral("Carrier wavelength (µm)");
const QString kIndexName = QStringLiteral("Reference refractive index n_REF");
const QString kConditionsName = QStringLiteral("Reference conditions (°C, hPa, %)");
const QString kHeightsFileName = QStringLiteral("Heights file");
const QString kHorizontalAtName = QStringLiteral("Horizontal at height (m)");

constexpr std::size_t Index(ImportField field) {
  return static_cast<std::size_t>(field);
}

constexpr std::size_t Index(ImportChoice choice) {
  return static_cast<std::size_t>(choice);
}

constexpr std::size_t Index(ImportHeaderField field) {
  return static_cast<std::size_t>(field);
}

QString Label(const QString& name) {
  return name + QLatin1Char(':');
}

QString ContentText(const FieldObservations& observations) {
  const std::size_t count = observations.observations.size();
  if (NeedsReduction(observations)) {
    return count == 1 ? QStringLiteral("1 slope distance")
                      : QStringLiteral("%1 slope distances").arg(count);
  }
  return (count == 1 ? QStringLiteral("1 horizontal distance")
                     : QStringLiteral("%1 horizontal distances").arg(count)) +
         QStringLiteral(" (no reduction needed)");
}

// The header offered: the date and the time of the first observation that has them, else those of
// now as New starts a measured text; no comment; the instrument as the window describes it.
ImportHeader OfferedHeader(const FieldObservations& observations, ImportHeader window) {
  MeasurementHeader now;
  StartMeasuredHeader(now, LocalTimeNow());
  const MeasurementTime first = FirstMeasurementTime(observations);
  window.date = FieldFromBytes(first.date.empty() ? now.date : first.date);
  window.time = FieldFromBytes(first.time.empty() ? now.time : first.time);
  window.comment.clear();
  return window;
}

}  // namespace

CFieldImportDlg::CFieldImportDlg(DialogServices& services, FieldImport import, QWidget* owner)
    : QDialog(owner), services_(services), import_(std::move(import)) {
  setWindowTitle(QStringLiteral("Import Field Observations"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  if (import_.baselineName) {
    CollectedBaseline collected;
    if (LoadBaseline(import_.libraryPath, *import_.baselineName, collected) == 0 &&
        collected.nameLines > 0) {
      baseline_ = std::move(collected);
    }
  }

  // Everything but the buttons scrolls, so that the dialog fits a small desktop.
  auto* scrolled = new QWidget(this);
  auto* layout = new QVBoxLayout(scrolled);
  layout->setContentsMargins(0, 0, 0, 0);
  QString content = ContentText(import_.observations);
  if (!import_.columns.isEmpty()) {
    content += QStringLiteral(", ") + import_.columns;
  }
  auto* summary = new QLabel(import_.fileName + QLatin1Char('\n') + content, this);
  summary->setObjectName(QStringLiteral("summary"));
  summary->setTextFormat(Qt::PlainText);
  summary->setWordWrap(true);
  layout->addWidget(summary);
  layout->addWidget(BuildInstrumentGroup());
  if (import_.equipment) {
    equipment_ = new CEquipmentChoice(*import_.equipment, this);
    equipment_->setObjectName(QStringLiteral("equipment"));
    layout->addWidget(equipment_);
  }
  layout->addWidget(BuildHeightsGroup());
  layout->addWidget(BuildDistancesGroup());
  layout->addWidget(BuildHeaderGroup());
  layout->addWidget(BuildPreviewGroup(), 1);

  auto* outer = new QVBoxLayout(this);
  QScrollArea* scroll = ScrollingContent(*this, scrolled);
  outer->addWidget(scroll, 1);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  saveLog_ = buttons_->addButton(QStringLiteral("Save Log..."), QDialogButtonBox::ActionRole);
  outer->addWidget(buttons_);

  // The library's heights when it gives them; its distances' kind with them.
  Choice(baseline_ ? ImportChoice::kLibraryHeights : ImportChoice::kFileHeights).setChecked(true);
  OnLibraryHeightsChosen(baseline_.has_value());
  ShowCarrier(std::nullopt);
  ShowMeasurementDate();
  Connect();
  Update();
  FitFirstSize(*this, *scroll);
}

QGroupBox* CFieldImportDlg::BuildInstrumentGroup() {
  instrument_ = new QGroupBox(QStringLiteral("Instrument"), this);
  for (std::size_t field = 0; field < kImportFieldCount; ++field) {
    fields_[field] = new QLineEdit(this);
  }
  auto* grid = new QGridLayout(instrument_);
  grid->addWidget(new QLabel(Label(kWavelengthName), instrument_), 0, 0);
  grid->addWidget(&Field(ImportField::kWavelength), 0, 1);
  choices_[Index(ImportChoice::kReferenceIndex)] = new QRadioButton(Label(kIndexName), instrument_);
  grid->addWidget(&Choice(ImportChoice::kReferenceIndex), 1, 0);
  grid->addWidget(&Field(ImportField::kReferenceIndex), 1, 1);
  choices_[Index(ImportChoice::kReferenceConditions)] =
      new QRadioButton(Label(kConditionsName), instrument_);
  grid->addWidget(&Choice(ImportChoice::kReferenceConditions), 2, 0);
  auto* conditions = new QHBoxLayout;
  grid->addLayout(conditions, 2, 1);
  for (const ImportField field :
       {ImportField::kReferenceTemperature, ImportField::kReferencePressure,
        ImportField::kReferenceHumidity}) {
    conditions->addWidget(&Field(field));
  }
  return instrument_;
}

QGroupBox* CFieldImportDlg::BuildHeightsGroup() {
  heights_ = new QGroupBox(QStringLiteral("Heights of the marks"), this);
  const QString baseline = import_.baselineName ? FieldFromBytes(*import_.baselineName)
                                                : QStringLiteral("none selected");
  choices_[Index(ImportChoice::kLibraryHeights)] =
      new QRadioButton(QStringLiteral("Library baseline: ") + baseline, heights_);
  choices_[Index(ImportChoice::kFileHeights)] = new QRadioButton(Label(kHeightsFileName), heights_);
  browse_ = new QPushButton(QStringLiteral("Browse..."), heights_);
  auto* grid = new QGridLayout(heights_);
  grid->addWidget(&Choice(ImportChoice::kLibraryHeights), 0, 0, 1, 3);
  grid->addWidget(&Choice(ImportChoice::kFileHeights), 1, 0);
  grid->addWidget(&Field(ImportField::kHeightsFile), 1, 1);
  grid->addWidget(browse_, 1, 2);
  return heights_;
}

QGroupBox* CFieldImportDlg::BuildDistancesGroup() {
  distances_ = new QGroupBox(QStringLiteral("Published distances are"), this);
  choices_[Index(ImportChoice::kHorizontal)] =
      new QRadioButton(QStringLiteral("Horizontal"), distances_);
  choices_[Index(ImportChoice::kMarkToMark)] =
      new QRadioButton(QStringLiteral("Mark to mark"), distances_);
  Field(ImportField::kHorizontalAt)
      .setPlaceholderText(QStringLiteral("mean height of the two marks"));
  auto* grid = new QGridLayout(distances_);
  grid->addWidget(&Choice(ImportChoice::kHorizontal), 0, 0);
  grid->addWidget(&Choice(ImportChoice::kMarkToMark), 0, 1);
  grid->addWidget(new QLabel(Label(kHorizontalAtName), distances_), 1, 0);
  grid->addWidget(&Field(ImportField::kHorizontalAt), 1, 1);
  return distances_;
}

QGroupBox* CFieldImportDlg::BuildHeaderGroup() {
  auto* group = new QGroupBox(QStringLiteral("Measured data header"), this);
  const ImportHeader offered = OfferedHeader(import_.observations, import_.header);
  struct Part {
    QString label;
    const QString* text;
    int row;
    int column;  // 0: the left half, or the whole width when `wide`; 2: the right half
    bool wide;
  };
  // Date and time side by side, comment and description each a row, the two accuracies.
  const std::array<Part, kImportHeaderFieldCount> parts = {{
      {QStringLiteral("Date:"), &offered.date, 0, 0, false},
      {QStringLiteral("Time:"), &offered.time, 0, 2, false},
      {QStringLiteral("Comment:"), &offered.comment, 1, 0, true},
      {QStringLiteral("EDM description:"), &offered.edmDescription, 2, 0, true},
      {QStringLiteral("Constant (mm):"), &offered.constantError, 3, 0, false},
      {QStringLiteral("Scale (ppm):"), &offered.ppmError, 3, 2, false},
  }};
  auto* grid = new QGridLayout(group);
  for (std::size_t field = 0; field < kImportHeaderFieldCount; ++field) {
    const Part& part = parts[field];
    headerFields_[field] = new QLineEdit(*part.text, group);
    grid->addWidget(new QLabel(part.label, group), part.row, part.column);
    grid->addWidget(headerFields_[field], part.row, part.column + 1, 1, part.wide ? 3 : 1);
  }
  return group;
}

QGroupBox* CFieldImportDlg::BuildPreviewGroup() {
  auto* group = new QGroupBox(QStringLiteral("Preview"), this);
  preview_ = new QPlainTextEdit(group);
  preview_->setReadOnly(true);
  preview_->setFont(ReportFont());
  // The lines shown and the count of the others, without scrolling.
  preview_->setMinimumHeight(preview_->fontMetrics().lineSpacing() *
                             static_cast<int>(kPreviewLines + 3));
  (new QVBoxLayout(group))->addWidget(preview_);
  return group;
}

void CFieldImportDlg::Connect() {
  for (QLineEdit* field : fields_) {
    connect(field, &QLineEdit::textChanged, this, &CFieldImportDlg::Update);
  }
  for (QRadioButton* choice : choices_) {
    connect(choice, &QRadioButton::toggled, this, &CFieldImportDlg::Update);
  }
  connect(&Choice(ImportChoice::kLibraryHeights), &QRadioButton::toggled, this,
          &CFieldImportDlg::OnLibraryHeightsChosen);
  if (equipment_ != nullptr) {
    connect(equipment_, &CEquipmentChoice::Changed, this, &CFieldImportDlg::Update);
    connect(&HeaderField(ImportHeaderField::kDate), &QLineEdit::textChanged, this,
            &CFieldImportDlg::ShowMeasurementDate);
  }
  connect(browse_, &QPushButton::clicked, this, &CFieldImportDlg::OnBrowse);
  connect(saveLog_, &QPushButton::clicked, this, &CFieldImportDlg::OnSaveLog);
  connect(buttons_, &QDialogButtonBox::accepted, this, &CFieldImportDlg::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &CFieldImportDlg::reject);
}

QLineEdit& CFieldImportDlg::Field(ImportField field) const {
  return *fields_[Index(field)];
}

QRadioButton& CFieldImportDlg::Choice(ImportChoice choice) const {
  return *choices_[Index(choice)];
}

QLineEdit& CFieldImportDlg::HeaderField(ImportHeaderField field) const {
  return *headerFields_[Index(field)];
}

ImportHeader CFieldImportDlg::Header() const {
  const auto text = [this](ImportHeaderField field) { return HeaderField(field).text(); };
  return {text(ImportHeaderField::kDate),          text(ImportHeaderField::kTime),
          text(ImportHeaderField::kComment),       text(ImportHeaderField::kEdmDescription),
          text(ImportHeaderField::kConstantError), text(ImportHeaderField::kPpmError)};
}

QPushButton& CFieldImportDlg::OkButton() const {
  return *buttons_->button(QDialogButtonBox::Ok);
}

std::string CFieldImportDlg::ReducedLines() const {
  return reduction_ ? ReducedObservationLines(*reduction_) : std::string();
}

std::string CFieldImportDlg::Log() const {
  return reduction_ ? ReductionLogCsv(*reduction_) : std::string();
}

void CFieldImportDlg::ShowCarrier(const std::optional<EdmCarrier>& carrier) {
  const auto* index = carrier ? std::get_if<double>(&carrier->reference) : nullptr;
  const auto* atmosphere =
      carrier ? std::get_if<ReferenceAtmosphere>(&carrier->reference) : nullptr;
  const auto show = [this](ImportField field, const double* value) {
    Field(field).setText(value ? FigureText(*value) : QString());
  };
  show(ImportField::kWavelength, carrier ? &carrier->wavelength : nullptr);
  show(ImportField::kReferenceIndex, index);
  show(ImportField::kReferenceTemperature, atmosphere ? &atmosphere->temperature : nullptr);
  show(ImportField::kReferencePressure, atmosphere ? &atmosphere->pressure : nullptr);
  show(ImportField::kReferenceHumidity, atmosphere ? &atmosphere->humidity : nullptr);
  Choice(atmosphere ? ImportChoice::kReferenceConditions : ImportChoice::kReferenceIndex)
      .setChecked(true);
}

void CFieldImportDlg::ShowMeasurementDate() {
  if (equipment_ != nullptr) {
    equipment_->SetDate(
        IsoDateOf(HeaderField(ImportHeaderField::kDate).text().toStdString()).value_or(""));
  }
}

void CFieldImportDlg::accept() {
  if (reduction_) {
    QDialog::accept();
  }
}

void CFieldImportDlg::OnLibraryHeightsChosen(bool chosen) {
  // The library says which distances it publishes.
  FieldFileError error;
  const std::optional<PublishedDistanceKind> kind =
      chosen && baseline_ ? BaselineDistanceKind(*baseline_, error) : std::nullopt;
  if (kind) {
    Choice(*kind == PublishedDistanceKind::kMarkToMark ? ImportChoice::kMarkToMark
                                                       : ImportChoice::kHorizontal)
        .setChecked(true);
  } else if (!Choice(ImportChoice::kMarkToMark).isChecked()) {
    Choice(ImportChoice::kHorizontal).setChecked(true);
  }
}

void CFieldImportDlg::OnBrowse() {
  const std::optional<QString> chosen =
      services_.ChooseFile(*this, {.filter = kHeightsFilter,
                                   .defaultExtension = QStringLiteral("csv"),
                                   .initialName = QStringLiteral("*.csv")});
  if (chosen) {
    Field(ImportField::kHeightsFile).setText(*chosen);
  }
}

void CFieldImportDlg::OnSaveLog() {
  if (!reduction_) {
    return;
  }
  const std::optional<QString> chosen =
      services_.ChooseFile(*this, {.forSaving = true,
                                   .filter = kLogFilter,
                                   .defaultExtension = QStringLiteral("csv"),
                                   .initialName = QStringLiteral("*.csv")});
  if (chosen && WriteFileBytes(PathFromText(*chosen), Log()) != 0) {
    services_.ShowMessage(*this, QStringLiteral("Could not write the file ") + *chosen);
  }
}

void CFieldImportDlg::Update() {
  EnableInputs();
  QString problem;
  reduction_ = Reduce(problem);
  OkButton().setEnabled(reduction_.has_value());
  saveLog_->setEnabled(reduction_.has_value());
  ShowPreview(problem);
}

void CFieldImportDlg::EnableInputs() {
  const bool slope = NeedsReduction(import_.observations);
  for (QGroupBox* group : {instrument_, heights_, distances_}) {
    group->setEnabled(slope);
  }
  const bool index = Choice(ImportChoice::kReferenceIndex).isChecked();
  Field(ImportField::kReferenceIndex).setEnabled(index);
  for (const ImportField field :
       {ImportField::kReferenceTemperature, ImportField::kReferencePressure,
        ImportField::kReferenceHumidity}) {
    Field(field).setEnabled(!index);
  }
  Choice(ImportChoice::kLibraryHeights).setEnabled(baseline_.has_value());
  const bool fromFile = Choice(ImportChoice::kFileHeights).isChecked();
  Field(ImportField::kHeightsFile).setEnabled(fromFile);
  browse_->setEnabled(fromFile);
  Field(ImportField::kHorizontalAt).setEnabled(Choice(ImportChoice::kHorizontal).isChecked());
}

std::optional<FieldReduction> CFieldImportDlg::Reduce(QString& problem) {
  carrier_.reset();
  summary_.reset();
  heightsFile_.reset();
  std::optional<InputFile> heightsFile;
  ReductionSettings settings;
  StationHeights heights;
  std::string heightsSource;
  // A file of horizontal distances needs neither the instrument nor the heights.
  if (NeedsReduction(import_.observations)) {
    settings.carrier = ReadCarrier(problem);
    if (!settings.carrier) {
      return std::nullopt;
    }
    std::optional<StationHeights> read = ReadHeights(problem);
    if (!read) {
      return std::nullopt;
    }
    heights = std::move(*read);
    heightsSource = HeightsSource();
    if (Choice(ImportChoice::kFileHeights).isChecked()) {
      // Read again as bytes, to be named with its hash: the heights just read from it.
      const std::filesystem::path path = PathFromText(Field(ImportField::kHeightsFile).text());
      std::string reason;
      if (std::optional<std::string> bytes = ReadFileBytes(path, reason)) {
        heightsFile = InputFileOf("heights", path, std::move(*bytes));
      }
    }
    settings.target = Choice(ImportChoice::kMarkToMark).isChecked()
                          ? PublishedDistanceKind::kMarkToMark
                          : PublishedDistanceKind::kHorizontal;
    if (settings.target == PublishedDistanceKind::kHorizontal &&
        !ReadHorizontalAt(settings.horizontalAt, problem)) {
      return std::nullopt;
    }
  }
  // The chosen sensors' certificates correct the readings.
  if (equipment_ != nullptr) {
    settings.sensorCorrections = SensorCorrectionsOf(equipment_->Applied());
  }
  FieldFileError error;
  std::optional<FieldReduction> reduction =
      ReduceFieldObservations(import_.observations, heights, settings, error);
  if (!reduction) {
    problem = QString::fromUtf8(FieldFileErrorText(import_.fileName.toStdString(), error));
    return std::nullopt;
  }
  carrier_ = settings.carrier;
  summary_ = SummariseReduction(*reduction, settings, std::move(heightsSource));
  heightsFile_ = std::move(heightsFile);
  return reduction;
}

std::optional<EdmCarrier> CFieldImportDlg::ReadCarrier(QString& problem) const {
  const QString wavelengthText = Field(ImportField::kWavelength).text().trimmed();
  if (wavelengthText.isEmpty()) {
    problem = EmptyFieldProblem(kWavelengthName,
                                QStringLiteral("the wavelength from the instrument's manual"));
    return std::nullopt;
  }
  const std::optional<double> wavelength =
      ReadTypedFigure(kWavelengthName, wavelengthText, ParseWavelength, "0.658", problem);
  if (!wavelength) {
    return std::nullopt;
  }
  if (Choice(ImportChoice::kReferenceIndex).isChecked()) {
    const QString indexText = Field(ImportField::kReferenceIndex).text().trimmed();
    if (indexText.isEmpty()) {
      problem =
          EmptyFieldProblem(kIndexName, QStringLiteral("the index from the instrument's manual, or "
                                                       "choose its reference conditions"));
      return std::nullopt;
    }
    const std::optional<double> index =
        ReadTypedFigure(kIndexName, indexText, ParseReferenceIndex, "1.000286", problem);
    return index ? std::optional(EdmCarrier{*wavelength, *index}) : std::nullopt;
  }
  QStringList parts;
  for (const ImportField field :
       {ImportField::kReferenceTemperature, ImportField::kReferencePressure,
        ImportField::kReferenceHumidity}) {
    parts << Field(field).text().trimmed();
    if (parts.back().isEmpty()) {
      problem = EmptyFieldProblem(kConditionsName,
                                  QStringLiteral("the temperature, pressure and humidity from the "
                                                 "instrument's manual"));
      return std::nullopt;
    }
  }
  const std::optional<ReferenceAtmosphere> atmosphere = ReadTypedFigure(
      kConditionsName, parts.join(QLatin1Char(',')), ParseReferenceAtmosphere, "1013.25", problem);
  return atmosphere ? std::optional(EdmCarrier{*wavelength, *atmosphere}) : std::nullopt;
}

std::optional<StationHeights> CFieldImportDlg::ReadHeights(QString& problem) const {
  FieldFileError error;
  if (Choice(ImportChoice::kLibraryHeights).isChecked() && baseline_) {
    std::optional<StationHeights> heights = BaselineHeights(*baseline_, error);
    // Its distances' kind, read from the same lines, must read as well.
    if (!heights || !BaselineDistanceKind(*baseline_, error)) {
      problem = QString::fromUtf8(
          FieldFileErrorText(TextFromPath(import_.libraryPath).toStdString(), error));
      return std::nullopt;
    }
    return heights;
  }
  const QString fileName = Field(ImportField::kHeightsFile).text();
  if (fileName.trimmed().isEmpty()) {
    problem = kHeightsFileName + QStringLiteral(": choose the file of the marks' heights.");
    return std::nullopt;
  }
  std::string reason;
  const std::optional<std::string> text = ReadTextFile(PathFromText(fileName), reason);
  if (!text) {
    problem = QStringLiteral("Could not read the file ") + fileName;
    return std::nullopt;
  }
  std::optional<StationHeights> heights = ReadHeightsFile(*text, error);
  if (!heights) {
    problem = QString::fromUtf8(FieldFileErrorText(fileName.toStdString(), error));
  }
  return heights;
}

std::string CFieldImportDlg::HeightsSource() const {
  if (Choice(ImportChoice::kLibraryHeights).isChecked() && baseline_) {
    return "library baseline " + Latin1ToUtf8(*import_.baselineName);
  }
  const QString file =
      TextFromPath(PathFromText(Field(ImportField::kHeightsFile).text()).filename());
  return "heights file " + file.toStdString();
}

bool CFieldImportDlg::ReadHorizontalAt(std::optional<double>& height, QString& problem) const {
  const QString text = Field(ImportField::kHorizontalAt).text().trimmed();
  if (text.isEmpty()) {
    height.reset();
    return true;
  }
  height = ReadTypedFigure(kHorizontalAtName, text, ParseMarkHeight, "12.5", problem);
  return height.has_value();
}

void CFieldImportDlg::ShowPreview(const QString& problem) {
  if (!reduction_) {
    preview_->setPlainText(problem);
    return;
  }
  const std::vector<ReducedObservation>& rows = reduction_->rows;
  const std::size_t shown = std::min(rows.size(), kPreviewLines);
  const FieldReduction first{reduction_->kind,
                             reduction_->target,
                             {rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(shown)}};
  QString text = TextAreaFromBytes(ReducedObservationLines(first));
  if (rows.size() > shown) {
    text += QStringLiteral("... and %1 more").arg(rows.size() - shown);
  }
  preview_->setPlainText(text);
}

}  // namespace mensuro
