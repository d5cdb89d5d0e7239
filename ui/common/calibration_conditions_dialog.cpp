#include "ui/common/calibration_conditions_dialog.h"

#include <fmt/format.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>

#include "core/data/number_text.h"
#include "core/equipment/applied_equipment.h"
#include "ui/common/control_text.h"
#include "ui/common/dialog_services.h"
#include "ui/common/typed_figure.h"

namespace mensuro {
namespace {

enum class Need { kZeroOrMore, kAboveZero };

// In the order of ConditionGroup.
constexpr std::array<const char*, kConditionGroupCount> kGroupTitles = {
    "Uncertainty of the published distances (from the baseline's certificate)",
    "Weather sensors (standard uncertainties)",
    "Display resolution",
    "Centring",
    "Acceptance limit (maximum permissible error)",
};

struct FieldLayout {
  ConditionGroup group;
  const char* label;  // beside the field
  const char* name;   // how a message names it
  Need need;
};

// In the order of ConditionField.
constexpr std::array<FieldLayout, kConditionFieldCount> kFields = {{
    {ConditionGroup::kBaseline, "Expanded uncertainty, constant part (mm):",
     "Uncertainty of the published distances, constant part (mm)", Need::kZeroOrMore},
    {ConditionGroup::kBaseline, "Expanded uncertainty, scale part (ppm):",
     "Uncertainty of the published distances, scale part (ppm)", Need::kZeroOrMore},
    {ConditionGroup::kBaseline, "Coverage factor k:", "Coverage factor k", Need::kAboveZero},
    {ConditionGroup::kBaseline, "Degrees of freedom (empty: infinite):", "Degrees of freedom",
     Need::kAboveZero},
    {ConditionGroup::kSensors, "Thermometer (K):", "Thermometer uncertainty (K)",
     Need::kZeroOrMore},
    {ConditionGroup::kSensors, "Barometer (hPa):", "Barometer uncertainty (hPa)",
     Need::kZeroOrMore},
    {ConditionGroup::kSensors, "Hygrometer (% RH):", "Hygrometer uncertainty (% RH)",
     Need::kZeroOrMore},
    {ConditionGroup::kResolution, "Last digit displayed (mm):", "Display resolution (mm)",
     Need::kZeroOrMore},
    {ConditionGroup::kCentring, "Half-width at each end (mm):", "Centring half-width (mm)",
     Need::kZeroOrMore},
    {ConditionGroup::kAcceptance, "Constant part (mm):", "Acceptance limit, constant part (mm)",
     Need::kZeroOrMore},
    {ConditionGroup::kAcceptance, "Scale part (ppm):", "Acceptance limit, scale part (ppm)",
     Need::kZeroOrMore},
}};

// The cyclic error's group: no tick, an empty or zero unit length leaves it out.
constexpr const char* kCyclicTitle = "Cyclic error";
constexpr const char* kUnitLengthLabel = "Unit length (m):";
constexpr const char* kUnitLengthName = "Unit length (m)";
constexpr const char* kHarmonicsLabel = "Harmonics:";

constexpr std::size_t Index(ConditionField field) {
  return static_cast<std::size_t>(field);
}

constexpr std::size_t Index(ConditionGroup group) {
  return static_cast<std::size_t>(group);
}

// Degrees of freedom left empty, or given as "inf", are infinite.
bool Infinite(const QString& text) {
  return text.trimmed().isEmpty() || text.trimmed() == QLatin1String("inf");
}

// A figure of 0 or more, and one above 0; the reason names the text as typed.
std::optional<double> ReadZeroOrMore(std::string_view text, std::string& reason) {
  const std::optional<double> value = ReadWholeNumber(text);
  if (!value) {
    reason = fmt::format("\"{}\" is not a number", text);
  } else if (*value < 0.0) {
    reason = fmt::format("{} is negative; enter 0 or more", text);
  } else {
    return *value + 0.0;  // a negative zero shows as 0
  }
  return std::nullopt;
}

std::optional<double> ReadAboveZero(std::string_view text, std::string& reason) {
  const std::optional<double> value = ReadWholeNumber(text);
  if (!value) {
    reason = fmt::format("\"{}\" is not a number", text);
  } else if (*value <= 0.0) {
    reason = fmt::format("{} is not greater than 0", text);
  } else {
    return value;
  }
  return std::nullopt;
}

}  // namespace

CCalibrationConditionsDlg::CCalibrationConditionsDlg(DialogServices& services,
                                                     const UncertaintyInputs& shown, QWidget* owner,
                                                     std::optional<EquipmentOffer> equipment,
                                                     CalibrationSensors sensors)
    : QDialog(owner), services_(services), conditions_(shown), sensors_(std::move(sensors)) {
  setWindowTitle(QStringLiteral("Calibration Conditions"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  auto* layout = new QVBoxLayout(this);
  auto* note = new QLabel(QStringLiteral("What the uncertainty of the correction takes beside the "
                                         "fit, and the cyclic error to estimate with it. A group "
                                         "without a tick is left out, as is the cyclic error "
                                         "without a unit length. Decimals are written with a "
                                         "point."),
                          this);
  note->setWordWrap(true);
  layout->addWidget(note);

  // The budget's groups in one column with their fields aligned; the cyclic error and the
  // equipment beside them, so that the dialog stays within a small screen's height.
  auto* columns = new QHBoxLayout;
  auto* budget = new QVBoxLayout;
  auto* beside = new QVBoxLayout;
  columns->addLayout(budget);
  columns->addLayout(beside);
  layout->addLayout(columns);
  int labelWidth = 0;
  for (const FieldLayout& field : kFields) {
    labelWidth =
        std::max(labelWidth, fontMetrics().horizontalAdvance(QString::fromUtf8(field.label)));
  }
  for (std::size_t group = 0; group < kConditionGroupCount; ++group) {
    budget->addWidget(BuildGroup(group, labelWidth));
  }
  budget->addStretch();
  beside->addWidget(BuildCyclicGroup());
  if (equipment) {
    equipment_ = new CEquipmentChoice(std::move(equipment->items), this);
    equipment_->setObjectName(QStringLiteral("equipment"));
    EquipmentSerials chosen = SerialsOf(sensors_.applied);
    chosen.reflector = equipment->chosen.reflector;
    equipment_->Choose(chosen);
    equipment_->SetDate(equipment->date);
    for (const EquipmentSlot slot :
         {EquipmentSlot::kThermometer, EquipmentSlot::kBarometer, EquipmentSlot::kHumidity}) {
      equipment_->Box(slot).setEnabled(false);
    }
    beside->addWidget(equipment_);
    auto* sensorsNote = new QLabel(QStringLiteral("Sensors are chosen when the field file is "
                                                  "imported, since their corrections are in the "
                                                  "readings."),
                                   this);
    sensorsNote->setObjectName(QStringLiteral("sensorsNote"));
    sensorsNote->setTextFormat(Qt::PlainText);
    sensorsNote->setWordWrap(true);
    beside->addWidget(sensorsNote);
  }
  beside->addStretch();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CCalibrationConditionsDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CCalibrationConditionsDlg::reject);
  layout->addWidget(buttons);
  Show(shown);
}

QGroupBox* CCalibrationConditionsDlg::BuildGroup(std::size_t group, int labelWidth) {
  const int fieldWidth = fontMetrics().horizontalAdvance(QLatin1Char('0')) * 12;
  auto* box = new QGroupBox(QString::fromUtf8(kGroupTitles[group]), this);
  box->setCheckable(true);
  auto* form = new QFormLayout(box);
  for (std::size_t field = 0; field < kConditionFieldCount; ++field) {
    if (Index(kFields[field].group) != group) {
      continue;
    }
    fields_[field] = new QLineEdit(box);
    fields_[field]->setMaximumWidth(fieldWidth);
    auto* label = new QLabel(QString::fromUtf8(kFields[field].label), box);
    label->setMinimumWidth(labelWidth);
    form->addRow(label, fields_[field]);
  }
  groups_[group] = box;
  return box;
}

QGroupBox* CCalibrationConditionsDlg::BuildCyclicGroup() {
  auto* box = new QGroupBox(QString::fromUtf8(kCyclicTitle), this);
  box->setObjectName(QStringLiteral("cyclicError"));
  auto* form = new QFormLayout(box);
  // As wide as the budget's fields.
  const int fieldWidth = fontMetrics().horizontalAdvance(QLatin1Char('0')) * 12;
  unitLength_ = new QLineEdit(box);
  unitLength_->setObjectName(QStringLiteral("unitLength"));
  unitLength_->setMaximumWidth(fieldWidth);
  unitLength_->setPlaceholderText(QStringLiteral("none"));
  harmonics_ = new QComboBox(box);
  harmonics_->setObjectName(QStringLiteral("harmonics"));
  harmonics_->setMaximumWidth(fieldWidth);
  for (int order = 1; order <= kMaxCyclicHarmonics; ++order) {
    harmonics_->addItem(QString::number(order), order);
  }
  form->addRow(QString::fromUtf8(kUnitLengthLabel), unitLength_);
  form->addRow(QString::fromUtf8(kHarmonicsLabel), harmonics_);
  return box;
}

QGroupBox& CCalibrationConditionsDlg::Group(ConditionGroup group) const {
  return *groups_[Index(group)];
}

QLineEdit& CCalibrationConditionsDlg::Field(ConditionField field) const {
  return *fields_[Index(field)];
}

bool CCalibrationConditionsDlg::Given(ConditionGroup group) const {
  return Group(group).isChecked();
}

void CCalibrationConditionsDlg::Show(const UncertaintyInputs& shown) {
  const auto show = [this](ConditionField field, std::optional<double> value) {
    Field(field).setText(value ? FigureText(*value) : QString());
  };
  const std::optional<BaselineUncertainty>& baseline = shown.baseline;
  Group(ConditionGroup::kBaseline).setChecked(baseline.has_value());
  show(ConditionField::kBaselineConstant,
       baseline ? std::optional(baseline->expanded.mm) : std::nullopt);
  show(ConditionField::kBaselineScale,
       baseline ? std::optional(baseline->expanded.ppm) : std::nullopt);
  show(ConditionField::kCoverageFactor, baseline.value_or(BaselineUncertainty{}).k);
  show(ConditionField::kDegreesOfFreedom, baseline ? baseline->dof : std::nullopt);

  const std::optional<SensorUncertainty>& sensors = shown.sensors;
  Group(ConditionGroup::kSensors).setChecked(sensors.has_value());
  show(ConditionField::kThermometer, sensors ? std::optional(sensors->temperature) : std::nullopt);
  show(ConditionField::kBarometer, sensors ? std::optional(sensors->pressure) : std::nullopt);
  show(ConditionField::kHygrometer, sensors ? std::optional(sensors->humidity) : std::nullopt);

  Group(ConditionGroup::kResolution).setChecked(shown.resolution.has_value());
  show(ConditionField::kResolution, shown.resolution);
  Group(ConditionGroup::kCentring).setChecked(shown.centring.has_value());
  show(ConditionField::kCentring, shown.centring);

  const std::optional<MmPlusPpm>& acceptance = shown.acceptance;
  Group(ConditionGroup::kAcceptance).setChecked(acceptance.has_value());
  show(ConditionField::kAcceptanceConstant,
       acceptance ? std::optional(acceptance->mm) : std::nullopt);
  show(ConditionField::kAcceptanceScale,
       acceptance ? std::optional(acceptance->ppm) : std::nullopt);

  UnitLength().setText(shown.cyclic ? FigureText(shown.cyclic->unitLength) : QString());
  const int harmonics = shown.cyclic ? shown.cyclic->harmonics : 1;
  Harmonics().setCurrentIndex(std::max(0, Harmonics().findData(harmonics)));
}

void CCalibrationConditionsDlg::accept() {
  std::optional<UncertaintyInputs> read = ReadConditions();
  if (!read) {
    return;
  }
  // The calibration's sensors stay as its readings were corrected, and their certificates give
  // their uncertainties; the reflector is the one chosen.
  std::vector<AppliedEquipment> equipment = sensors_.applied;
  if (equipment_ != nullptr) {
    for (AppliedEquipment& applied : equipment_->Applied()) {
      if (!IsSensor(applied.kind)) {
        equipment.push_back(std::move(applied));
      }
    }
  }
  read = WithEquipment(std::move(*read), std::move(equipment), sensors_.meanReadings);
  conditions_ = std::move(*read);
  QDialog::accept();
}

std::optional<double> CCalibrationConditionsDlg::ReadField(ConditionField field) {
  const FieldLayout& layout = kFields[Index(field)];
  const QString name = QString::fromUtf8(layout.name);
  const QString text = Field(field).text().trimmed();
  QString problem;
  std::optional<double> value;
  if (text.isEmpty()) {
    problem = EmptyFieldProblem(
        name, QStringLiteral("a number, or clear the tick of its group to leave it out"));
  } else {
    value = ReadTypedFigure(name, text,
                            layout.need == Need::kAboveZero ? ReadAboveZero : ReadZeroOrMore, "0.5",
                            problem);
  }
  if (!value) {
    services_.ShowMessage(*this, problem);
    Field(field).setFocus();
  }
  return value;
}

std::optional<std::optional<CyclicSettings>> CCalibrationConditionsDlg::ReadCyclic() {
  const QString text = UnitLength().text().trimmed();
  if (text.isEmpty()) {
    return std::optional<CyclicSettings>();
  }
  QString problem;
  const std::optional<double> unitLength =
      ReadTypedFigure(QString::fromUtf8(kUnitLengthName), text, ReadZeroOrMore, "5.0", problem);
  if (!unitLength) {
    services_.ShowMessage(*this, problem);
    UnitLength().setFocus();
    return std::nullopt;
  }
  if (*unitLength == 0.0) {
    return std::optional<CyclicSettings>();
  }
  return std::optional(
      CyclicSettings{.unitLength = *unitLength, .harmonics = Harmonics().currentData().toInt()});
}

std::optional<UncertaintyInputs> CCalibrationConditionsDlg::ReadConditions() {
  const bool infiniteDof = Infinite(Field(ConditionField::kDegreesOfFreedom).text());
  std::array<double, kConditionFieldCount> figures{};
  for (std::size_t index = 0; index < kConditionFieldCount; ++index) {
    const auto field = static_cast<ConditionField>(index);
    if (!Given(kFields[index].group) ||
        (field == ConditionField::kDegreesOfFreedom && infiniteDof)) {
      continue;
    }
    const std::optional<double> figure = ReadField(field);
    if (!figure) {
      return std::nullopt;
    }
    figures[index] = *figure;
  }
  const auto figure = [&figures](ConditionField field) { return figures[Index(field)]; };
  const std::optional<std::optional<CyclicSettings>> cyclic = ReadCyclic();
  if (!cyclic) {
    return std::nullopt;
  }

  UncertaintyInputs read;
  read.cyclic = *cyclic;
  if (Given(ConditionGroup::kBaseline)) {
    read.baseline = BaselineUncertainty{
        .expanded = {figure(ConditionField::kBaselineConstant),
                     figure(ConditionField::kBaselineScale)},
        .k = figure(ConditionField::kCoverageFactor),
        .dof =
            infiniteDof ? std::nullopt : std::optional(figure(ConditionField::kDegreesOfFreedom))};
  }
  if (Given(ConditionGroup::kSensors)) {
    read.sensors = SensorUncertainty{.temperature = figure(ConditionField::kThermometer),
                                     .pressure = figure(ConditionField::kBarometer),
                                     .humidity = figure(ConditionField::kHygrometer)};
  }
  if (Given(ConditionGroup::kResolution)) {
    read.resolution = figure(ConditionField::kResolution);
  }
  if (Given(ConditionGroup::kCentring)) {
    read.centring = figure(ConditionField::kCentring);
  }
  if (Given(ConditionGroup::kAcceptance)) {
    read.acceptance = MmPlusPpm{.mm = figure(ConditionField::kAcceptanceConstant),
                                .ppm = figure(ConditionField::kAcceptanceScale)};
  }
  return read;
}

}  // namespace mensuro
