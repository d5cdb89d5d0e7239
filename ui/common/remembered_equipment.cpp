#include "ui/common/remembered_equipment.h"

#include <vector>

#include "ui/common/settings.h"

namespace mensuro {

EquipmentSerials RememberedEquipment(const QString& edmDescription) {
  for (const settings::InstrumentEquipment& entry : settings::InstrumentEquipmentList()) {
    if (entry.description == edmDescription) {
      return {entry.thermometer, entry.barometer, entry.humidity, entry.reflector};
    }
  }
  return {};
}

void RememberEquipment(const QString& edmDescription, const EquipmentSerials& serials) {
  std::vector<settings::InstrumentEquipment> entries = settings::InstrumentEquipmentList();
  const settings::InstrumentEquipment remembered{
      edmDescription, serials.thermometer, serials.barometer, serials.humidity, serials.reflector};
  bool replaced = false;
  for (settings::InstrumentEquipment& entry : entries) {
    if (entry.description == edmDescription) {
      entry = remembered;
      replaced = true;
    }
  }
  if (!replaced) {
    entries.push_back(remembered);
  }
  settings::SetInstrumentEquipmentList(entries);
}

}  // namespace mensuro
