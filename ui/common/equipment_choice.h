#pragma once

// The equipment a calibration used, chosen by serial from the open register's items: the
// thermometer, the barometer, the hygrometer or psychrometer and the reflector. Beside each
// choice its certificate for the date of measurement (number, issuer, date, valid until) and
// whether it is valid then, in red when it is not. The import dialog and the calibration
// conditions dialog show it only while a register is open.

#include <QGroupBox>
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/equipment/equipment.h"
#include "ui/common/remembered_equipment.h"

class QComboBox;
class QLabel;

namespace mensuro {

// The equipment a dialog offers while a register is open.
struct EquipmentOffer {
  std::vector<EquipmentItem> items;  // the open register's
  EquipmentSerials chosen;           // as remembered for the instrument; only its reflector is
                                     // chosen here, the sensors being the calibration's
  std::string date;                  // of measurement, YYYY-MM-DD; empty: none known
};

// The open register's equipment, as it is when asked; nothing when no register is open.
using RegisterEquipment = std::function<std::optional<std::vector<EquipmentItem>>()>;

// The items of `items` that `serials` name, each with its certificate for `date`, as the choice
// gives them.
std::vector<AppliedEquipment> ChosenEquipment(const std::vector<EquipmentItem>& items,
                                              const EquipmentSerials& serials,
                                              const std::string& date);

// The serial of each of `equipment` in the slot that offers its kind; empty slots: none.
EquipmentSerials SerialsOf(const std::vector<AppliedEquipment>& equipment);

enum class EquipmentSlot : std::size_t { kThermometer, kBarometer, kHumidity, kReflector };
inline constexpr std::size_t kEquipmentSlotCount = 4;

class CEquipmentChoice : public QGroupBox {
  Q_OBJECT

 public:
  // Offers `items` (the register's, of every kind) by serial; none chosen yet.
  explicit CEquipmentChoice(std::vector<EquipmentItem> items, QWidget* parent = nullptr);

  // Chooses the items of those serials among those offered; a serial not offered (an item since
  // taken out of the register) chooses none.
  void Choose(const EquipmentSerials& serials);
  EquipmentSerials Serials() const;
  // The date of measurement, YYYY-MM-DD; empty when none is known.
  void SetDate(const std::string& date);

  // The chosen items, each with its certificate for the date of measurement; an item with no
  // certificate at all is left out.
  std::vector<AppliedEquipment> Applied() const;
  // Why each chosen item's certificate is not valid on the date of measurement, one sentence
  // each; empty when every one is.
  std::vector<std::string> Invalid() const;

  QComboBox& Box(EquipmentSlot slot) const;
  QLabel& Certificate(EquipmentSlot slot) const;

 signals:
  // Another item was chosen.
  void Changed();

 private:
  // The chosen item of `slot`; nothing when none is.
  const EquipmentItem* Chosen(std::size_t slot) const;
  void ShowCertificates();

  std::vector<EquipmentItem> items_;
  std::string date_;
  std::array<QComboBox*, kEquipmentSlotCount> boxes_{};
  std::array<QLabel*, kEquipmentSlotCount> certificates_{};
};

}  // namespace mensuro
