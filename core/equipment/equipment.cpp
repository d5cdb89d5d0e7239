#include "core/equipment/equipment.h"

#include <fmt/format.h>

#include <algorithm>

namespace mensuro {
namespace {

struct KindName {
  EquipmentKind kind;
  std::string_view name;
  std::string_view unit;
};

constexpr KindName kKindNames[] = {
    {EquipmentKind::kThermometer, "thermometer", "°C"},
    {EquipmentKind::kBarometer, "barometer", "hPa"},
    {EquipmentKind::kHygrometer, "hygrometer", "%"},
    {EquipmentKind::kPsychrometer, "psychrometer", "°C"},
    {EquipmentKind::kReflector, "reflector", "mm"},
    {EquipmentKind::kReferenceInstrument, "reference-instrument", ""},
    {EquipmentKind::kBaseline, "baseline", ""},
};

const KindName& NameOf(EquipmentKind kind) {
  return *std::find_if(std::begin(kKindNames), std::end(kKindNames),
                       [kind](const KindName& k) { return k.kind == kind; });
}

}  // namespace

std::string_view EquipmentKindName(EquipmentKind kind) {
  return NameOf(kind).name;
}

std::optional<EquipmentKind> EquipmentKindOf(std::string_view name) {
  for (const KindName& k : kKindNames) {
    if (k.name == name) {
      return k.kind;
    }
  }
  return std::nullopt;
}

bool IsSensor(EquipmentKind kind) {
  return kind == EquipmentKind::kThermometer || kind == EquipmentKind::kBarometer ||
         kind == EquipmentKind::kHygrometer || kind == EquipmentKind::kPsychrometer;
}

std::string_view CorrectionUnit(EquipmentKind kind) {
  return NameOf(kind).unit;
}

CertificateOnDate CertificateOn(const EquipmentItem& item, std::string_view date) {
  // ISO dates compare as text.
  const EquipmentCertificate* valid = nullptr;
  const EquipmentCertificate* expired = nullptr;  // the last to run out before the date
  const EquipmentCertificate* future = nullptr;   // the first to start after it
  for (const EquipmentCertificate& c : item.certificates) {
    if (!c.supersededBy.empty()) {
      continue;
    }
    if (c.date <= date && date <= c.validUntil) {
      if (!valid || c.date >= valid->date) {
        valid = &c;
      }
    } else if (c.validUntil < date) {
      if (!expired || c.validUntil >= expired->validUntil) {
        expired = &c;
      }
    } else if (!future || c.date < future->date) {
      future = &c;
    }
  }
  if (valid) {
    const bool retired = !item.retiredOn.empty() && item.retiredOn < date;
    return {*valid, retired ? EquipmentValidity::kRetired : EquipmentValidity::kValid};
  }
  if (expired) {
    return {*expired, EquipmentValidity::kExpired};
  }
  if (future) {
    return {*future, EquipmentValidity::kNotYetValid};
  }
  return {std::nullopt, EquipmentValidity::kNoCertificate};
}

std::string EquipmentName(const EquipmentItem& item) {
  return fmt::format("{} {} {} serial {}", EquipmentKindName(item.kind), item.make, item.model,
                     item.serial);
}

std::string InvalidityText(const EquipmentItem& item, const CertificateOnDate& on,
                           std::string_view date) {
  const std::string name = EquipmentName(item);
  if (!on.certificate) {
    return fmt::format("the {} has no certificate in force", name);
  }
  const EquipmentCertificate& c = *on.certificate;
  const std::string certificate =
      fmt::format("certificate {} (calibrated {}, valid until {})", c.number, c.date, c.validUntil);
  switch (on.validity) {
    case EquipmentValidity::kValid:
      return {};
    case EquipmentValidity::kExpired:
      return fmt::format("the {}'s {} had expired on the date of measurement {}", name, certificate,
                         date);
    case EquipmentValidity::kNotYetValid:
      return fmt::format("the {}'s {} was not yet valid on the date of measurement {}", name,
                         certificate, date);
    case EquipmentValidity::kRetired:
      return fmt::format("the {} was retired on {}, before the date of measurement {} ({})", name,
                         item.retiredOn, date, item.retireReason);
    case EquipmentValidity::kNoCertificate:
      break;
  }
  return fmt::format("the {} has no certificate in force", name);
}

SensorCorrections SensorCorrectionsOf(const std::vector<AppliedEquipment>& equipment) {
  SensorCorrections corrections;
  for (const AppliedEquipment& item : equipment) {
    const double correction = item.certificate.correction;
    switch (item.kind) {
      case EquipmentKind::kThermometer:
        corrections.temperature += correction;
        break;
      case EquipmentKind::kBarometer:
        corrections.pressure += correction;
        break;
      case EquipmentKind::kHygrometer:
        corrections.humidity += correction;
        break;
      case EquipmentKind::kPsychrometer:
        corrections.wetBulb += correction;
        break;
      default:
        break;
    }
  }
  return corrections;
}

}  // namespace mensuro
