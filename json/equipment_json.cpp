#include "json/equipment_json.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <string_view>
#include <vector>

#include "core/analysis/calibration_uncertainty.h"
#include "core/data/file_names.h"
#include "core/data/text_encoding.h"

namespace mensuro {
namespace {

using Json = nlohmann::json;

// Which kinds' certificates have a member.
enum class Kinds {
  kAll,
  kSensors,
  kSensorsAndReflector,
  kReflector,
  kReferenceInstrument,
  kBaseline
};

bool HasMember(Kinds kinds, EquipmentKind kind) {
  switch (kinds) {
    case Kinds::kAll:
      return true;
    case Kinds::kSensors:
      return IsSensor(kind);
    case Kinds::kSensorsAndReflector:
      return IsSensor(kind) || kind == EquipmentKind::kReflector;
    case Kinds::kReflector:
      return kind == EquipmentKind::kReflector;
    case Kinds::kReferenceInstrument:
      return kind == EquipmentKind::kReferenceInstrument;
    case Kinds::kBaseline:
      return kind == EquipmentKind::kBaseline;
  }
  return false;
}

// A member of the certificate: a text or a number of the certificate.
struct CertificateMember {
  const char* key;
  Kinds kinds;
  std::string EquipmentCertificate::*text = nullptr;
  double EquipmentCertificate::*number = nullptr;
};

using C = EquipmentCertificate;
// A reflector's prism constant and its uncertainty are its certificate's correction and standard
// uncertainty, in mm.
constexpr CertificateMember kCertificateMembers[] = {
    {"number", Kinds::kAll, &C::number},
    {"issuedBy", Kinds::kAll, &C::issuedBy},
    {"date", Kinds::kAll, &C::date},
    {"validUntil", Kinds::kAll, &C::validUntil},
    {"correction", Kinds::kSensors, nullptr, &C::correction},
    {"prismConstant", Kinds::kReflector, nullptr, &C::correction},
    {"standardUncertainty", Kinds::kSensorsAndReflector, nullptr, &C::standardUncertainty},
    {"scalePpm", Kinds::kReferenceInstrument, nullptr, &C::scalePpm},
    {"scaleUncertaintyPpm", Kinds::kReferenceInstrument, nullptr, &C::scaleUncertaintyPpm},
    {"constantMm", Kinds::kReferenceInstrument, nullptr, &C::constantMm},
    {"constantUncertaintyMm", Kinds::kReferenceInstrument, nullptr, &C::constantUncertaintyMm},
    {"certificateLine", Kinds::kBaseline, &C::baselineCertificate},
    {"uncertainty", Kinds::kBaseline, &C::baselineUncertainty},
};

constexpr const char* kItemMembers[] = {"kind", "make", "model", "serial", "certificate"};

// Reads the members of one equipment file, naming the file and the member in what it finds
// wrong.
class EquipmentReader {
 public:
  EquipmentReader(std::string name, std::string& problem)
      : name_(std::move(name)), problem_(problem) {}

  std::optional<EquipmentFile> Read(const Json& json) {
    if (!json.is_object()) {
      problem_ = name_ +
                 ": not an equipment file: its JSON is not an object of the members kind, "
                 "make, model, serial and certificate";
      return std::nullopt;
    }
    for (const auto& [key, value] : json.items()) {
      if (std::ranges::find_if(kItemMembers, [&key](const char* k) { return key == k; }) ==
          std::end(kItemMembers)) {
        Wrong(key, "is not a member of the layout");
        return std::nullopt;
      }
    }
    EquipmentFile file;
    std::string kind;
    if (!Text(json, "kind", "kind", kind)) {
      return std::nullopt;
    }
    const std::optional<EquipmentKind> known = EquipmentKindOf(kind);
    if (!known) {
      std::vector<std::string_view> names;
      for (EquipmentKind k : kEquipmentKinds) {
        names.push_back(EquipmentKindName(k));
      }
      Wrong("kind", fmt::format("\"{}\" is not a kind of equipment (one of {})", kind,
                                fmt::join(names, ", ")));
      return std::nullopt;
    }
    file.item.kind = *known;
    if (!Text(json, "make", "make", file.item.make) ||
        !Text(json, "model", "model", file.item.model) ||
        !Text(json, "serial", "serial", file.item.serial)) {
      return std::nullopt;
    }
    if (!json.contains("certificate")) {
      Wrong("certificate", "is missing");
      return std::nullopt;
    }
    const Json& certificate = json.at("certificate");
    if (!certificate.is_object()) {
      Wrong("certificate", "is not an object");
      return std::nullopt;
    }
    if (!Certificate(certificate, *known, file.certificate)) {
      return std::nullopt;
    }
    return file;
  }

 private:
  bool Certificate(const Json& json, EquipmentKind kind, EquipmentCertificate& certificate) {
    const std::string kindName(EquipmentKindName(kind));
    for (const auto& [key, value] : json.items()) {
      const auto member = std::ranges::find_if(
          kCertificateMembers, [&key](const CertificateMember& m) { return key == m.key; });
      if (member == std::end(kCertificateMembers)) {
        return Wrong("certificate." + key, "is not a member of the layout");
      }
      if (!HasMember(member->kinds, kind)) {
        return Wrong("certificate." + key, "is not a member of a " + kindName + "'s certificate");
      }
    }
    for (const CertificateMember& member : kCertificateMembers) {
      if (!HasMember(member.kinds, kind)) {
        continue;
      }
      const std::string name = std::string("certificate.") + member.key;
      if (member.text != nullptr ? !Text(json, member.key, name, certificate.*member.text)
                                 : !Number(json, member.key, name, certificate.*member.number)) {
        return false;
      }
    }
    if (kind == EquipmentKind::kBaseline) {
      std::string reason;
      if (!ParseBaselineUncertainty(certificate.baselineUncertainty, reason)) {
        return Wrong("certificate.uncertainty",
                     "\"" + certificate.baselineUncertainty +
                         "\" is not of the form A,B[,K[,DOF]]: " + reason);
      }
    }
    return true;
  }

  bool Text(const Json& json, const char* key, const std::string& name, std::string& target) {
    if (!json.contains(key)) {
      return Wrong(name, "is missing");
    }
    if (!json.at(key).is_string()) {
      return Wrong(name, "is not a string");
    }
    target = json.at(key).get<std::string>();
    return true;
  }

  bool Number(const Json& json, const char* key, const std::string& name, double& target) {
    if (!json.contains(key)) {
      return Wrong(name, "is missing");
    }
    if (!json.at(key).is_number()) {
      return Wrong(name, "is not a number");
    }
    target = json.at(key).get<double>();
    return true;
  }

  // Notes what is wrong with `member`; false.
  bool Wrong(const std::string& member, const std::string& what) {
    problem_ = fmt::format("{}: \"{}\" {}", name_, member, what);
    return false;
  }

  std::string name_;
  std::string& problem_;
};

Json TextOrNull(const std::string& text) {
  return text.empty() ? Json(nullptr) : Json(text);
}

}  // namespace

std::optional<EquipmentFile> EquipmentFileOfText(const std::string& text, const std::string& name,
                                                 std::string& problem) {
  Json json;
  try {
    json = Json::parse(text);
  } catch (const Json::parse_error& error) {
    problem = name + ": not JSON: " + error.what();
    return std::nullopt;
  }
  return EquipmentReader(name, problem).Read(json);
}

std::optional<EquipmentFile> ReadEquipmentFile(const std::filesystem::path& file,
                                               std::string& problem) {
  std::string reason;
  const std::optional<std::string> text = ReadTextFile(file, reason);
  if (!text) {
    problem = "cannot read the file '" + Utf8FromPath(file) + "': " + reason;
    return std::nullopt;
  }
  return EquipmentFileOfText(*text, Utf8FromPath(file), problem);
}

Json EquipmentItemJson(const EquipmentItem& item) {
  Json certificates = Json::array();
  for (const EquipmentCertificate& c : item.certificates) {
    Json json = Json::object();
    for (const CertificateMember& member : kCertificateMembers) {
      if (HasMember(member.kinds, item.kind)) {
        json[member.key] = member.text != nullptr ? Json(c.*member.text) : Json(c.*member.number);
      }
    }
    json["supersedes"] = TextOrNull(c.supersedes);
    json["reason"] = TextOrNull(c.reason);
    json["supersededBy"] = TextOrNull(c.supersededBy);
    json["enteredAt"] = c.enteredAt;
    certificates.push_back(std::move(json));
  }
  return {{"kind", EquipmentKindName(item.kind)},
          {"make", item.make},
          {"model", item.model},
          {"serial", item.serial},
          {"certificates", std::move(certificates)},
          {"retiredOn", TextOrNull(item.retiredOn)},
          {"retireReason", TextOrNull(item.retireReason)}};
}

}  // namespace mensuro
