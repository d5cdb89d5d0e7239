#include "json/certificate_details_json.h"

#include <fmt/format.h>

#include <algorithm>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "core/data/file_names.h"
#include "core/data/text_encoding.h"
#include "json/calibration_json.h"

namespace mensuro {
namespace {

using Json = nlohmann::json;

// How a member of the layout is written.
enum class Form {
  kText,
  kLines,        // an address: one text of lines, or when read, an array of the lines as well
  kFile,         // when read, relative to the JSON file's folder unless absolute
  kMillimetres,  // a number; null when not given
};

// One member of the layout and the detail it holds: a text, or for kMillimetres a number.
struct DetailMember {
  const char* key;
  Form form;
  std::string& (*text)(CertificateDetails&) = nullptr;
  std::optional<double>& (*millimetres)(CertificateDetails&) = nullptr;
};

// The members of one object of the layout.
struct DetailGroup {
  const char* key;  // nullptr: the members of the file's own object
  std::vector<DetailMember> members;
};

using D = CertificateDetails;

const std::vector<DetailGroup>& Layout() {
  static const std::vector<DetailGroup> layout = {
      {"laboratory",
       {{"name", Form::kText, [](D& d) -> std::string& { return d.laboratory.name; }},
        {"address", Form::kLines, [](D& d) -> std::string& { return d.laboratory.address; }},
        {"accreditation", Form::kText,
         [](D& d) -> std::string& { return d.laboratory.accreditation; }},
        {"logo", Form::kFile, [](D& d) -> std::string& { return d.laboratory.logoFile; }}}},
      {"client",
       {{"name", Form::kText, [](D& d) -> std::string& { return d.client.name; }},
        {"address", Form::kLines, [](D& d) -> std::string& { return d.client.address; }}}},
      {"instrument",
       {{"make", Form::kText, [](D& d) -> std::string& { return d.instrument.make; }},
        {"model", Form::kText, [](D& d) -> std::string& { return d.instrument.model; }},
        {"serialNumber", Form::kText,
         [](D& d) -> std::string& { return d.instrument.serialNumber; }}}},
      {"reflector",
       {{"make", Form::kText, [](D& d) -> std::string& { return d.reflector.make; }},
        {"model", Form::kText, [](D& d) -> std::string& { return d.reflector.model; }},
        {"prismConstantMm", Form::kMillimetres, nullptr,
         [](D& d) -> std::optional<double>& { return d.reflector.prismConstantMm; }}}},
      {nullptr,
       {{"measuredBy", Form::kText, [](D& d) -> std::string& { return d.measuredBy; }},
        {"checkedBy", Form::kText, [](D& d) -> std::string& { return d.checkedBy; }},
        {"baselineCertificate", Form::kText,
         [](D& d) -> std::string& { return d.baselineCertificate; }},
        {"procedure", Form::kText, [](D& d) -> std::string& { return d.procedure; }},
        {"baselineSite", Form::kText, [](D& d) -> std::string& { return d.baselineSite; }}}},
  };
  return layout;
}

const DetailGroup& LayoutGroup(std::string_view key) {
  return *std::find_if(Layout().begin(), Layout().end(), [key](const DetailGroup& group) {
    return group.key != nullptr && group.key == key;
  });
}

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

  bool Wrong(const std::string& name, const std::string& what) {
    problem_ = fmt::format("{}: \"{}\" {}", file_, name, what);
    return false;
  }

 private:
  std::string file_;
  std::string& problem_;
};

// What reads `member` of the layout into `details`.
JsonMembers::Member MemberReader(JsonMembers& members, const DetailMember& member,
                                 CertificateDetails& details, const std::filesystem::path& folder) {
  switch (member.form) {
    case Form::kText:
      return members.Text(member.key, member.text(details));
    case Form::kLines:
      return members.Lines(member.key, member.text(details));
    case Form::kFile:
      return members.File(member.key, member.text(details), folder);
    case Form::kMillimetres:
      break;
  }
  return members.Millimetres(member.key, member.millimetres(details));
}

// What reads the members of `group` into `details`: one object member, or for the file's own
// members one each, added to `readers`.
void AddGroupReaders(std::vector<JsonMembers::Member>& readers, JsonMembers& members,
                     const DetailGroup& group, CertificateDetails& details,
                     const std::filesystem::path& folder) {
  std::vector<JsonMembers::Member> inner;
  for (const DetailMember& member : group.members) {
    inner.push_back(MemberReader(members, member, details, folder));
  }
  if (group.key == nullptr) {
    readers.insert(readers.end(), inner.begin(), inner.end());
  } else {
    readers.push_back(members.Nested(group.key, std::move(inner)));
  }
}

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

Json CertificateDetailsJson(const CertificateDetails& details) {
  // The layout's accessors are those that fill details in: here they read a copy.
  CertificateDetails given = details;
  Json json = Json::object();
  for (const DetailGroup& group : Layout()) {
    Json& object = group.key == nullptr ? json : json[group.key];
    for (const DetailMember& member : group.members) {
      object[member.key] = member.form == Form::kMillimetres ? OrNull(member.millimetres(given))
                                                             : Json(member.text(given));
    }
  }
  return json;
}

std::optional<CertificateDetails> ReadDetailsFile(const std::filesystem::path& file,
                                                  std::string& problem) {
  const std::optional<Json> json = ReadJsonFile(file, problem);
  if (!json) {
    return std::nullopt;
  }
  CertificateDetails details;
  JsonMembers members(Utf8FromPath(file), problem);
  std::vector<JsonMembers::Member> readers;
  for (const DetailGroup& group : Layout()) {
    AddGroupReaders(readers, members, group, details, file.parent_path());
  }
  return members.Object(*json, "", readers) ? std::optional(std::move(details)) : std::nullopt;
}

std::optional<LaboratorySettings> ReadLaboratorySettings(const std::filesystem::path& file,
                                                         std::string& problem) {
  const std::optional<Json> json = ReadJsonFile(file, problem);
  if (!json) {
    return std::nullopt;
  }
  CertificateDetails details;
  LaboratorySettings settings;
  JsonMembers members(Utf8FromPath(file), problem);
  std::vector<JsonMembers::Member> readers = {
      members.Text("certificatePrefix", settings.certificatePrefix),
      members.Text("procedure", settings.procedure)};
  AddGroupReaders(readers, members, LayoutGroup("laboratory"), details, file.parent_path());
  if (!members.Object(*json, "", readers)) {
    return std::nullopt;
  }
  settings.laboratory = std::move(details.laboratory);
  return settings;
}

}  // namespace mensuro
