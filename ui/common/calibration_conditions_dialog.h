#pragma once

#include <QDialog>
#include <array>
#include <cstddef>
#include <optional>

#include "core/analysis/calibration_uncertainty.h"
#include "ui/common/equipment_choice.h"

class QGroupBox;
class QLineEdit;

namespace mensuro {

class DialogServices;

// The groups of the dialog, each of which can be left out by clearing its tick.
enum class ConditionGroup : std::size_t {
  kBaseline,  // uncertainty of the published distances
  kSensors,
  kResolution,
  kCentring,
  kAcceptance,
};
inline constexpr std::size_t kConditionGroupCount = 5;

enum class ConditionField : std::size_t {
  kBaselineConstant,  // mm
  kBaselineScale,     // ppm
  kCoverageFactor,
  kDegreesOfFreedom,    // empty: infinite
  kThermometer,         // K
  kBarometer,           // hPa
  kHygrometer,          // %
  kResolution,          // mm
  kCentring,            // mm
  kAcceptanceConstant,  // mm
  kAcceptanceScale,     // ppm
};
inline constexpr std::size_t kConditionFieldCount = 11;

// The modal "Calibration Conditions" dialog: what the uncertainty of the correction takes beside
// the fit, as the command line's options give it, and, while a register is open, the equipment the
// calibration used, whose certificates are checked against the date of measurement. OK accepts only
// figures that read; a field that doesn't is named in a message and the dialog stays open with
// everything as typed.
class CCalibrationConditionsDlg : public QDialog {
  Q_OBJECT

 public:
  // Opens showing `shown`; `services` tells the user of a field that doesn't read.
  CCalibrationConditionsDlg(DialogServices& services, const UncertaintyInputs& shown,
                            QWidget* owner, std::optional<EquipmentOffer> equipment = std::nullopt);

  // What OK accepted; until then what the dialog opened with.
  const UncertaintyInputs& Conditions() const { return conditions_; }

  QGroupBox& Group(ConditionGroup group) const;
  QLineEdit& Field(ConditionField field) const;
  // The equipment chosen; nothing when none is offered.
  CEquipmentChoice* Equipment() const { return equipment_; }

  void accept() override;

 private:
  // The tickable frame of `group` with its labelled fields, labels `labelWidth` wide.
  QGroupBox* BuildGroup(std::size_t group, int labelWidth);
  void Show(const UncertaintyInputs& shown);
  // The ticked groups' figures, or nothing after telling the user of the first that doesn't
  // read.
  std::optional<UncertaintyInputs> ReadConditions();
  std::optional<double> ReadField(ConditionField field);
  bool Given(ConditionGroup group) const;

  DialogServices& services_;
  UncertaintyInputs conditions_;
  std::array<QGroupBox*, kConditionGroupCount> groups_{};
  std::array<QLineEdit*, kConditionFieldCount> fields_{};
  CEquipmentChoice* equipment_ = nullptr;
};

}  // namespace mensuro
