// The certificate details' JSON layout, read and written by the same unit.

#include "json/certificate_details_json.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace mensuro::test {
namespace {

const std::string kExample = std::string(MENSURO_EXAMPLES_DIR) + "/certificate-details.json";

TEST(certificate_details_json, writes_the_layout_of_the_example_it_reads) {
  std::string problem;
  const std::optional<CertificateDetails> details = ReadDetailsFile(kExample, problem);
  ASSERT_TRUE(details) << problem;
  nlohmann::json expected = nlohmann::json::parse(ReadBytes(kExample));
  // The example gives its addresses as arrays of lines; they are written as one text.
  expected["laboratory"]["address"] = "12 Station Road\nNorthfield NF4 2QT";
  expected["client"]["address"] = "Unit 3, Quay Street\nPortlow PL1 8EX";
  // The members it leaves out are written empty.
  expected["procedure"] = "";
  expected["baselineSite"] = "";
  EXPECT_EQ(CertificateDetailsJson(*details), expected);
}

TEST(certificate_details_json, every_member_is_written_and_a_missing_constant_is_null) {
  const nlohmann::json written = CertificateDetailsJson(CertificateDetails{});
  EXPECT_TRUE(written["reflector"]["prismConstantMm"].is_null());
  EXPECT_EQ(written["laboratory"].size(), 4U);
  EXPECT_EQ(written["client"]["address"], "");
  EXPECT_EQ(written.size(), 9U);
  EXPECT_EQ(written["procedure"], "");
  EXPECT_EQ(written["baselineSite"], "");
}

TEST(certificate_details_json,
     a_laboratory_settings_file_has_the_laboratory_a_prefix_and_a_procedure) {
  const TempDir dir;
  const auto file =
      dir.Write("lab/settings.json",
                R"({"laboratory": {"name": "Lab", "logo": "logo.png"}, "certificatePrefix": "NSL",
          "procedure": "QP-7"})");
  std::string problem;
  const std::optional<LaboratorySettings> settings = ReadLaboratorySettings(file, problem);
  ASSERT_TRUE(settings) << problem;
  EXPECT_EQ(settings->laboratory.name, "Lab");
  EXPECT_EQ(std::filesystem::path(settings->laboratory.logoFile), dir.path() / "lab" / "logo.png");
  EXPECT_EQ(settings->certificatePrefix, "NSL");
  EXPECT_EQ(settings->procedure, "QP-7");

  dir.Write("lab/settings.json", R"({"client": {"name": "C"}})");
  EXPECT_FALSE(ReadLaboratorySettings(file, problem));
  EXPECT_NE(problem.find("\"client\" is not a member of the layout"), std::string::npos) << problem;
}

}  // namespace
}  // namespace mensuro::test
