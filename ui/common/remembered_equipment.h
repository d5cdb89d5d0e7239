#pragma once

// The sensors and the reflector the user chose for each instrument, remembered between runs of
// the program under the instrument's EDM description, as its carrier and its conditions are: the
// import and the calibration conditions offer the same equipment again for the same instrument.
// Kept by serial, as the register names its items.

#include <QString>

namespace mensuro {

// The serials chosen; empty: none.
struct EquipmentSerials {
  QString thermometer;
  QString barometer;
  QString humidity;  // a hygrometer's or a psychrometer's
  QString reflector;
  bool operator==(const EquipmentSerials&) const = default;
};

// The serials remembered for `edmDescription`; none when nothing is.
EquipmentSerials RememberedEquipment(const QString& edmDescription);

// Remembers `serials` for `edmDescription`, replacing what was remembered for it.
void RememberEquipment(const QString& edmDescription, const EquipmentSerials& serials);

}  // namespace mensuro
