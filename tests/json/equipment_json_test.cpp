// The equipment file's layout: each example read and written back, and files of the wrong shape
// refused with the member named.

#include "json/equipment_json.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace mensuro::test {
namespace {

std::string Example(const std::string& kind) {
  return std::string(MENSURO_EXAMPLES_DIR) + "/equipment-" + kind + ".json";
}

TEST(equipment_json, each_example_reads_and_writes_back_its_certificate) {
  for (const char* kind : {"thermometer", "barometer", "hygrometer", "reflector",
                           "reference-instrument", "baseline"}) {
    SCOPED_TRACE(kind);
    std::string problem;
    std::optional<EquipmentFile> file = ReadEquipmentFile(Example(kind), problem);
    ASSERT_TRUE(file) << problem;
    EXPECT_EQ(EquipmentKindName(file->item.kind), kind);
    file->item.certificates.push_back(file->certificate);
    const nlohmann::json written = EquipmentItemJson(file->item);
    nlohmann::json certificate = written.at("certificates").at(0);
    for (const char* added : {"supersedes", "reason", "supersededBy", "enteredAt"}) {
      certificate.erase(added);
    }
    const nlohmann::json example = nlohmann::json::parse(ReadBytes(Example(kind)));
    EXPECT_EQ(certificate, example.at("certificate"));
    EXPECT_EQ(written.at("serial"), example.at("serial"));
  }
  std::string problem;
  const std::optional<EquipmentFile> reflector = ReadEquipmentFile(Example("reflector"), problem);
  ASSERT_TRUE(reflector);
  EXPECT_EQ(reflector->certificate.correction, -17.4);  // the prism constant
  EXPECT_EQ(reflector->certificate.standardUncertainty, 0.3);
}

TEST(equipment_json, a_file_of_the_wrong_shape_names_the_member) {
  const std::string certificate =
      R"("certificate": {"number": "C-1", "issuedBy": "Lab", "date": "2026-03-02",
         "validUntil": "2027-03-01")";
  const std::string item = R"("make": "M", "model": "D", "serial": "S", )";
  const struct {
    std::string text;
    std::string problem;
  } cases[] = {
      {"[1]",
       "f.json: not an equipment file: its JSON is not an object of the members kind, make, "
       "model, serial and certificate"},
      {"{", "f.json: not JSON"},
      {R"({"kind": "gauge", )" + item + certificate + "}}",
       R"(f.json: "kind" "gauge" is not a kind of equipment (one of thermometer, barometer, )"},
      {R"({"kind": "thermometer", "make": "M", "model": "D", )" + certificate + "}}",
       R"(f.json: "serial" is missing)"},
      {R"({"kind": "thermometer", )" + item + certificate + R"(, "correction": 0.1}})",
       R"(f.json: "certificate.standardUncertainty" is missing)"},
      {R"({"kind": "barometer", )" + item + certificate +
           R"(, "correction": "0.1", "standardUncertainty": 0.1}})",
       R"(f.json: "certificate.correction" is not a number)"},
      {R"({"kind": "thermometer", )" + item + certificate +
           R"(, "correction": 0.1, "standardUncertainty": 0.1, "scalePpm": 1}})",
       R"(f.json: "certificate.scalePpm" is not a member of a thermometer's certificate)"},
      {R"({"kind": "reflector", "colour": 1, )" + item + certificate + "}}",
       R"(f.json: "colour" is not a member of the layout)"},
      {R"({"kind": "baseline", )" + item + certificate +
           R"(, "certificateLine": "x", "uncertainty": "0.3"}})",
       R"(f.json: "certificate.uncertainty" "0.3" is not of the form A,B[,K[,DOF]])"},
      {R"({"kind": "thermometer", )" + item + R"("certificate": 3})",
       R"(f.json: "certificate" is not an object)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string problem;
    EXPECT_FALSE(EquipmentFileOfText(c.text, "f.json", problem));
    EXPECT_EQ(problem.substr(0, c.problem.size()), c.problem);
  }
}

}  // namespace
}  // namespace mensuro::test
