#include "ui/common/equipment_choice.h"

#include <fmt/format.h>

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPalette>
#include <utility>

#include "core/equipment/applied_equipment.h"

namespace mensuro {
namespace {

struct SlotLayout {
  const char* label;
  const char* name;  // of the box; its certificate's label is named with "Certificate"
  EquipmentKind kind;
  bool alsoPsychrometer;
};

// In the order of EquipmentSlot.
constexpr std::array<SlotLayout, kEquipmentSlotCount> kSlots = {{
    {"Thermometer:", "thermometer", EquipmentKind::kThermometer, false},
    {"Barometer:", "barometer", EquipmentKind::kBarometer, false},
    {"Hygrometer or psychrometer:", "humidity", EquipmentKind::kHygrometer, true},
    {"Reflector:", "reflector", EquipmentKind::kReflector, false},
}};

bool Offered(const SlotLayout& slot, EquipmentKind kind) {
  return kind == slot.kind || (slot.alsoPsychrometer && kind == EquipmentKind::kPsychrometer);
}

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

// The certificate as the choice shows it, and whether it is valid on `date`.
QString CertificateText(const EquipmentItem& item, const CertificateOnDate& on,
                        const std::string& date) {
  if (!on.certificate) {
    return Text("No certificate in force.");
  }
  const EquipmentCertificate& c = *on.certificate;
  std::string text =
      fmt::format("Certificate {}, issued by {}, calibrated {}, valid until {}: ", c.number,
                  c.issuedBy, c.date, c.validUntil);
  if (date.empty()) {
    text += "no date of measurement to check it against.";
  } else if (on.validity == EquipmentValidity::kValid) {
    text += fmt::format("valid on the date of measurement {}.", date);
  } else {
    text += "not valid: " + InvalidityText(item, on, date) + '.';
  }
  return Text(text);
}

}  // namespace

std::vector<AppliedEquipment> ChosenEquipment(const std::vector<EquipmentItem>& items,
                                              const EquipmentSerials& serials,
                                              const std::string& date) {
  const std::array<const QString*, kEquipmentSlotCount> wanted = {
      &serials.thermometer, &serials.barometer, &serials.humidity, &serials.reflector};
  std::vector<AppliedEquipment> applied;
  for (std::size_t slot = 0; slot < kEquipmentSlotCount; ++slot) {
    for (const EquipmentItem& item : items) {
      if (wanted[slot]->isEmpty() || !Offered(kSlots[slot], item.kind) ||
          Text(item.serial) != *wanted[slot]) {
        continue;
      }
      if (const CertificateOnDate on = CertificateOn(item, date); on.certificate) {
        applied.push_back(ApplyEquipment(item, *on.certificate, {}));
      }
      break;
    }
  }
  return applied;
}

EquipmentSerials SerialsOf(const std::vector<AppliedEquipment>& equipment) {
  EquipmentSerials serials;
  const std::array<QString*, kEquipmentSlotCount> inSlot = {
      &serials.thermometer, &serials.barometer, &serials.humidity, &serials.reflector};
  for (const AppliedEquipment& applied : equipment) {
    for (std::size_t slot = 0; slot < kEquipmentSlotCount; ++slot) {
      if (Offered(kSlots[slot], applied.kind)) {
        *inSlot[slot] = Text(applied.serial);
      }
    }
  }
  return serials;
}

CEquipmentChoice::CEquipmentChoice(std::vector<EquipmentItem> items, QWidget* parent)
    : QGroupBox(QStringLiteral("Equipment (from the register)"), parent), items_(std::move(items)) {
  auto* grid = new QGridLayout(this);
  for (std::size_t slot = 0; slot < kEquipmentSlotCount; ++slot) {
    const SlotLayout& layout = kSlots[slot];
    auto* box = new QComboBox(this);
    box->setObjectName(QString::fromLatin1(layout.name) + QStringLiteral("Serial"));
    box->addItem(QStringLiteral("(none)"), -1);
    for (std::size_t index = 0; index < items_.size(); ++index) {
      const EquipmentItem& item = items_[index];
      if (Offered(layout, item.kind)) {
        box->addItem(Text(fmt::format("{} ({} {} {})", item.serial, EquipmentKindName(item.kind),
                                      item.make, item.model)),
                     static_cast<int>(index));
      }
    }
    auto* certificate = new QLabel(this);
    certificate->setObjectName(QString::fromLatin1(layout.name) + QStringLiteral("Certificate"));
    certificate->setTextFormat(Qt::PlainText);
    certificate->setWordWrap(true);
    grid->addWidget(new QLabel(QString::fromLatin1(layout.label), this), static_cast<int>(slot), 0);
    grid->addWidget(box, static_cast<int>(slot), 1);
    grid->addWidget(certificate, static_cast<int>(slot), 2);
    boxes_[slot] = box;
    certificates_[slot] = certificate;
    connect(box, &QComboBox::currentIndexChanged, this, [this] {
      ShowCertificates();
      emit Changed();
    });
  }
  grid->setColumnStretch(2, 1);
  ShowCertificates();
}

QComboBox& CEquipmentChoice::Box(EquipmentSlot slot) const {
  return *boxes_[static_cast<std::size_t>(slot)];
}

QLabel& CEquipmentChoice::Certificate(EquipmentSlot slot) const {
  return *certificates_[static_cast<std::size_t>(slot)];
}

const EquipmentItem* CEquipmentChoice::Chosen(std::size_t slot) const {
  const int index = boxes_[slot]->currentData().toInt();
  return index >= 0 ? &items_[static_cast<std::size_t>(index)] : nullptr;
}

void CEquipmentChoice::Choose(const EquipmentSerials& serials) {
  const std::array<const QString*, kEquipmentSlotCount> wanted = {
      &serials.thermometer, &serials.barometer, &serials.humidity, &serials.reflector};
  for (std::size_t slot = 0; slot < kEquipmentSlotCount; ++slot) {
    int found = 0;
    for (int row = 1; row < boxes_[slot]->count(); ++row) {
      const auto index = static_cast<std::size_t>(boxes_[slot]->itemData(row).toInt());
      if (!wanted[slot]->isEmpty() && Text(items_[index].serial) == *wanted[slot]) {
        found = row;
        break;
      }
    }
    boxes_[slot]->setCurrentIndex(found);
  }
}

EquipmentSerials CEquipmentChoice::Serials() const {
  std::array<QString, kEquipmentSlotCount> chosen;
  for (std::size_t slot = 0; slot < kEquipmentSlotCount; ++slot) {
    if (const EquipmentItem* item = Chosen(slot)) {
      chosen[slot] = Text(item->serial);
    }
  }
  return {chosen[0], chosen[1], chosen[2], chosen[3]};
}

void CEquipmentChoice::SetDate(const std::string& date) {
  if (date != date_) {
    date_ = date;
    ShowCertificates();
  }
}

std::vector<AppliedEquipment> CEquipmentChoice::Applied() const {
  return ChosenEquipment(items_, Serials(), date_);
}

std::vector<std::string> CEquipmentChoice::Invalid() const {
  std::vector<std::string> invalid;
  for (std::size_t slot = 0; slot < kEquipmentSlotCount; ++slot) {
    const EquipmentItem* item = Chosen(slot);
    if (item == nullptr) {
      continue;
    }
    if (const CertificateOnDate on = CertificateOn(*item, date_);
        on.validity != EquipmentValidity::kValid) {
      invalid.push_back(InvalidityText(*item, on, date_));
    }
  }
  return invalid;
}

void CEquipmentChoice::ShowCertificates() {
  for (std::size_t slot = 0; slot < kEquipmentSlotCount; ++slot) {
    QLabel& label = *certificates_[slot];
    const EquipmentItem* item = Chosen(slot);
    QPalette palette = this->palette();
    if (item == nullptr) {
      label.clear();
    } else {
      const CertificateOnDate on = CertificateOn(*item, date_);
      label.setText(CertificateText(*item, on, date_));
      // Not valid on a known date of measurement: red.
      if (!date_.empty() && on.validity != EquipmentValidity::kValid) {
        palette.setColor(QPalette::WindowText, Qt::red);
      }
    }
    label.setPalette(palette);
  }
}

}  // namespace mensuro
