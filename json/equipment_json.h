#pragma once

// An item of equipment and one certificate of it as JSON, laid out as
// examples/equipment-thermometer.json and its siblings: the file `register equipment add` reads,
// and the items the register lists. The layout's members are known here alone:
//   {"kind", "make", "model", "serial", "certificate": {"number", "issuedBy", "date",
//    "validUntil", ...}}
// with the certificate's further members by kind: a sensor "correction" and
// "standardUncertainty" (°C, hPa, %, wet-bulb °C); a reflector "prismConstant" and
// "standardUncertainty" (mm); a reference instrument "scalePpm", "scaleUncertaintyPpm",
// "constantMm" and "constantUncertaintyMm" (expanded, 95 percent); a baseline
// "certificateLine" and "uncertainty" ("A,B[,K[,DOF]]").

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "core/equipment/equipment.h"

namespace mensuro {

// What an equipment file enters: the item (without certificates) and its new certificate.
struct EquipmentFile {
  EquipmentItem item;
  EquipmentCertificate certificate;
};

// The equipment file `file`. Nothing, with the problem naming the file and the member, when it
// can't be read, isn't JSON, isn't an object, lacks a member of its kind, has a member of the
// wrong type, of another kind or of no kind at all, names an unknown kind or a baseline
// uncertainty not of its form.
std::optional<EquipmentFile> ReadEquipmentFile(const std::filesystem::path& file,
                                               std::string& problem);
// The same of a JSON text, its problems naming `name` as the file.
std::optional<EquipmentFile> EquipmentFileOfText(const std::string& text, const std::string& name,
                                                 std::string& problem);

// `item` in the layout, with every certificate (the members of its kind, then "supersedes",
// "reason", "supersededBy" and "enteredAt", null when empty) in "certificates", and
// "retiredOn" and "retireReason" (null when in use).
nlohmann::json EquipmentItemJson(const EquipmentItem& item);

}  // namespace mensuro
