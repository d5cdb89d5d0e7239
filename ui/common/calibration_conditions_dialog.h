#pragma once

#include <QDialog>
#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "core/analysis/calibration_uncertainty.h"
#include "core/equipment/equipment.h"
#include "core/reduction/field_observations.h"
#include "ui/common/equipment_choice.h"

class QComboBox;
class QGroupBox;
class QLineEdit;

namespace mensuro {

class DialogServices;

// The sensors whose certificates' corrections are in a calibration's readings, as the import of
// its field file applied them, and the mean of those readings; none for a calibration not
// reduced from a field file.
struct CalibrationSensors {
  std::vector<AppliedEquipment> applied;
  std::optional<FieldWeather> meanReadings;
};

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
// the fit, as the command line's options give it, the instrument's unit length and harmonics for
// its cyclic error (an empty or zero unit length: none), and, while a register is open, the
// equipment the calibration used, whose certificates are checked against the date of
// measurement. The sensors are shown but not chosen here: their corrections are in the readings,
// so they are the import's. OK accepts only figures that read; a field that doesn't is named in
// a message and the dialog stays open with everything as typed. What it accepts states exactly
// the calibration's sensors.
class CCalibrationConditionsDlg : public QDialog {
  Q_OBJECT

 public:
  // Opens showing `shown`, the reflector of `equipment`'s choice and the sensors of `sensors`;
  // `services` tells the user of a field that doesn't read.
  CCalibrationConditionsDlg(DialogServices& services, const UncertaintyInputs& shown,
                            QWidget* owner, std::optional<EquipmentOffer> equipment = std::nullopt,
                            CalibrationSensors sensors = {});

  // What OK accepted; until then what the dialog opened with.
  const UncertaintyInputs& Conditions() const { return conditions_; }

  QGroupBox& Group(ConditionGroup group) const;
  QLineEdit& Field(ConditionField field) const;
  // The cyclic error's unit length in metres, and the number of harmonics (1 or 2).
  QLineEdit& UnitLength() const { return *unitLength_; }
  QComboBox& Harmonics() const { return *harmonics_; }
  // The equipment shown, its reflector chosen; nothing when none is offered.
  CEquipmentChoice* Equipment() const { return equipment_; }

  void accept() override;

 private:
  // The tickable frame of `group` with its labelled fields, labels `labelWidth` wide.
  QGroupBox* BuildGroup(std::size_t group, int labelWidth);
  QGroupBox* BuildCyclicGroup();
  void Show(const UncertaintyInputs& shown);
  // The ticked groups' figures, or nothing after telling the user of the first that doesn't
  // read.
  std::optional<UncertaintyInputs> ReadConditions();
  std::optional<double> ReadField(ConditionField field);
  // The cyclic settings typed: none for an empty or zero unit length; nothing after telling the
  // user of a unit length that doesn't read.
  std::optional<std::optional<CyclicSettings>> ReadCyclic();
  bool Given(ConditionGroup group) const;

  DialogServices& services_;
  UncertaintyInputs conditions_;
  CalibrationSensors sensors_;
  std::array<QGroupBox*, kConditionGroupCount> groups_{};
  std::array<QLineEdit*, kConditionFieldCount> fields_{};
  QLineEdit* unitLength_ = nullptr;
  QComboBox* harmonics_ = nullptr;
  CEquipmentChoice* equipment_ = nullptr;
};

}  // namespace mensuro
