#include "cli/certificate_details_options.h"

#include <fmt/format.h>

#include <algorithm>
#include <functional>
#include <nlohmann/json.hpp>
#include <utility>

#include "cli/read_option.h"
#include "core/data/file_names.h"
#include "core/data/text_encoding.h"

namespace mensuro::cli {
namespace {

using Json = nlohmann::json;

// Reads the members of one JSON file, naming the file and the member ("client.address") in what
// it finds wrong.
class JsonMembers {
 public:
  JsonMembers(std::string file, std::string& problem) : file_(std::move(file)), problem_(problem) {}

  struct Member {
    const char* key;
    std::function<bool(const Json& value, const std::string& name)> read;
  };

  // The members of the object `value` called `name` (empty: the file's own object), each read by
  // the member of `members` with its key.
  bool Object(const Json& value, const std::string& name, const std::vector<Member>& members) {
    if (!value.is_object()) {
      return Wrong(name.empty() ? "the file" : name, "is not an object");
    }
    for (const auto& [key, member] : value.items()) {
      const std::string memberName = name.empty() ? key : name + "." + key;
      const auto found = std::find_if(members.begin(), members.end(),
                                      [&key](const Member& known) { return key == known.key; });
      if (found == members.end()) {
        return Wrong(memberName, "is not a member of the layout");
      }
      if (!found->read(member, memberName)) {
        return false;
      }
    }
    return true;
  }

  // A text member read into `target`.
  Member Text(const char* key, std::string& target) {
    return {key, [this, &target](const Json& value, const std::string& name) {
              if (!value.is_string()) {
                return Wrong(name, "is not a string");
              }
              target = value.get<std::string>();
              return true;
            }};
  }

  // An address: a string of lines separated by line feeds, or an array of the lines.
  Member Lines(const char* key, std::string& target) {
    return {key, [this, &target](const Json& value, const std::string& name) {
              if (value.is_string()) {
                target = value.get<std::string>();
                return true;
              }
              if (!value.is_array()) {
                return Wrong(name, "is neither a string nor an array of strings");
              }
              target.clear();
              for (const Json& line : value) {
                if (!line.is_string()) {
                  return Wrong(name, "has a line that is not a string");
                }
                target += (target.empty() ? "" : "\n") + line.get<std::string>();
              }
              return true;
            }};
  }

  // A file named relative to the JSON file's folder unless absolute.
  Member File(const char* key, std::string& target, const std::filesystem::path& folder) {
    return {key, [this, &target, folder](const Json& value, const std::string& name) {
              if (!value.is_string()) {
                return Wrong(name, "is not a string");
              }
              const std::string given = value.get<std::string>();
              target = given.empty() ? given : Utf8FromPath(folder / PathFromUtf8(given));
              return true;
            }};
  }

  Member Millimetres(const char* key, std::optional<double>& target) {
    return {key, [this, &target](const Json& value, const std::string& name) {
              if (!value.is_number()) {
                return Wrong(name, "is not a number");
              }
              target = value.get<double>();
              return true;
            }};
  }

  // An object member whose own members `inner` reads.
  Member Nested(const char* key, std::vector<Member> inner) {
    return {key, [this, inner = std::move(inner)](const Json& value, const std::string& name) {
              return Object(value, name, inner);
            }};
  }

  Member Laboratory(LaboratoryDetails& laboratory, const std::filesystem::path& folder) {
    return Nested("laboratory",
                  {Text("name", laboratory.name), Lines("address", laboratory.address),
                   Text("accreditation", laboratory.accreditation),
                   File("logo", laboratory.logoFile, folder)});
  }

  bool Wrong(const std::string& name, const std::string& what) {
    problem_ = fmt::format("{}: \"{}\" {}", file_, name, what);
    return false;
  }

 private:
  std::string file_;
  std::string& problem_;
};

// The JSON text of `file`; nothing, with the problem, when it can't be read or isn't JSON.
std::optional<Json> ReadJsonFile(const std::filesystem::path& file, std::string& problem) {
  std::string reason;
  const std::optional<std::string> text = ReadTextFile(file, reason);
  if (!text) {
    problem = "cannot read the file '" + Utf8FromPath(file) + "': " + reason;
    return std::nullopt;
  }
  try {
    return Json::parse(*text);
  } catch (const Json::parse_error& error) {
    problem = Utf8FromPath(file) + ": not JSON: " + error.what();
    return std::nullopt;
  }
}

}  // namespace

std::vector<CLI::Option*> AddCertificateDetailsOptions(CLI::App& app,
                                                       CertificateDetailsOptions& options) {
  CertificateDetails& given = options.given;
  const auto text = [&app](const char* name, std::string& target, const char* typeName,
                           const char* description) {
    return app.add_option(name, target, description)->type_name(typeName);
  };
  std::vector<CLI::Option*> added = {
      text("--details", options.detailsFile, "FILE.json",
           "The certificate's details, laid out as examples/certificate-details.json; the "
           "options below override the file's"),
      text("--laboratory", given.laboratory.name, "NAME", "The laboratory issuing the certificate"),
      text("--laboratory-address", given.laboratory.address, "TEXT",
           "Its address; a line feed in the text starts a new line"),
      text("--accreditation", given.laboratory.accreditation, "TEXT",
           "Its accreditation: the body and the number"),
      text("--logo", given.laboratory.logoFile, "FILE", "Its logo, a PNG, SVG or JPEG file"),
      text("--client", given.client.name, "NAME", "The client the certificate is issued to"),
      text("--client-address", given.client.address, "TEXT",
           "The client's address; a line feed in the text starts a new line"),
      text("--instrument-make", given.instrument.make, "TEXT", "The instrument's make"),
      text("--instrument-model", given.instrument.model, "TEXT", "The instrument's model"),
      text("--instrument-serial", given.instrument.serialNumber, "TEXT",
           "The instrument's serial number"),
      text("--reflector-make", given.reflector.make, "TEXT", "The reflector's make"),
      text("--reflector-model", given.reflector.model, "TEXT", "The reflector's model"),
      AddReadOption(app, "--prism-constant", given.reflector.prismConstantMm, ReadPrismConstant,
                    "MM", "The prism constant set in the instrument, mm (e.g. -17.5)"),
      text("--measured-by", given.measuredBy, "NAME", "Who measured the baseline"),
      text("--checked-by", given.checkedBy, "NAME", "Who checked the calibration"),
      text("--baseline-certificate", given.baselineCertificate, "TEXT",
           "The baseline's own certificate: authority, number and date; it replaces the "
           "library's certificate line of the baseline"),
  };
  for (CLI::Option* option : added) {
    option->group("Certificate details (with --certificate)");
  }
  return added;
}

bool CertificateDetailsGiven(const CertificateDetailsOptions& options) {
  return !options.detailsFile.empty() || HasDetails(options.given);
}

std::optional<CertificateDetails> ReadDetailsFile(const std::filesystem::path& file,
                                                  std::string& problem) {
  const std::optional<Json> json = ReadJsonFile(file, problem);
  if (!json) {
    return std::nullopt;
  }
  CertificateDetails details;
  // A relative path in the file starts from its folder.
  const std::filesystem::path folder = file.parent_path();
  JsonMembers members(Utf8FromPath(file), problem);
  const bool read = members.Object(
      *json, "",
      {members.Laboratory(details.laboratory, folder),
       members.Nested("client", {members.Text("name", details.client.name),
                                 members.Lines("address", details.client.address)}),
       members.Nested("instrument",
                      {members.Text("make", details.instrument.make),
                       members.Text("model", details.instrument.model),
                       members.Text("serialNumber", details.instrument.serialNumber)}),
       members.Nested("reflector",
                      {members.Text("make", details.reflector.make),
                       members.Text("model", details.reflector.model),
                       members.Millimetres("prismConstantMm", details.reflector.prismConstantMm)}),
       members.Text("measuredBy", details.measuredBy), members.Text("checkedBy", details.checkedBy),
       members.Text("baselineCertificate", details.baselineCertificate)});
  return read ? std::optional(std::move(details)) : std::nullopt;
}

std::optional<LaboratorySettings> ReadLaboratorySettings(const std::filesystem::path& file,
                                                         std::string& problem) {
  const std::optional<Json> json = ReadJsonFile(file, problem);
  if (!json) {
    return std::nullopt;
  }
  LaboratorySettings settings;
  JsonMembers members(Utf8FromPath(file), problem);
  const bool read = members.Object(*json, "",
                                   {members.Laboratory(settings.laboratory, file.parent_path()),
                                    members.Text("certificatePrefix", settings.certificatePrefix)});
  return read ? std::optional(std::move(settings)) : std::nullopt;
}

std::optional<CertificateDetails> GatherCertificateDetails(const CertificateDetailsOptions& options,
                                                           const std::string& libraryCertificate,
                                                           std::string& problem) {
  CertificateDetails details;
  details.baselineCertificate = libraryCertificate;
  if (!options.detailsFile.empty()) {
    const std::optional<CertificateDetails> file =
        ReadDetailsFile(PathFromUtf8(options.detailsFile), problem);
    if (!file) {
      return std::nullopt;
    }
    details = OverrideDetails(std::move(details), *file);
  }
  return OverrideDetails(std::move(details), options.given);
}

}  // namespace mensuro::cli
