// mensuro-cli's equipment commands and the due list: the examples entered into a register,
// listed, shown, superseded and retired; a refused file stores nothing; the calibration interval
// set at init and changed in the settings.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <string>
#include <vector>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"

namespace mensuro::test {
namespace {

std::string Example(const std::string& kind) {
  return std::string(MENSURO_EXAMPLES_DIR) + "/equipment-" + kind + ".json";
}

// A register made with a six-month interval and the thermometer and barometer examples entered.
class cli_equipment : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Register({"init", "--interval-months", "6"}).exitCode, 0);
    for (const char* kind : {"thermometer", "barometer"}) {
      const CliRun added = Register({"equipment", "add", Example(kind)});
      ASSERT_EQ(added.exitCode, 0) << added.err;
    }
  }
  CliRun Register(std::vector<std::string> args) {
    args.insert(args.begin(), "register");
    args.insert(args.end(), {"--register", "register.sqlite"});
    return RunCli(dir, args);
  }
  TempDir dir;
};

TEST_F(cli_equipment, add_enters_a_certificate_and_refuses_a_repeated_one) {
  const CliRun added = Register({"equipment", "add", Example("reflector")});
  EXPECT_EQ(added.exitCode, 0);
  EXPECT_EQ(added.out,
            "Entered certificate BWO-26-0342 of the reflector Brightwater Optics CP-62 serial "
            "R-0584: calibrated 2026-02-10, valid until 2027-02-09.\n");
  const CliRun repeated = Register({"equipment", "add", Example("reflector")});
  EXPECT_EQ(repeated.exitCode, 2);
  EXPECT_NE(repeated.err.find("holds the certificate BWO-26-0342 already"), std::string::npos);
  std::ofstream(dir.path() / "bad.json") << R"({"kind": "thermometer"})";
  const CliRun bad = Register({"equipment", "add", "bad.json"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find(R"("make" is missing)"), std::string::npos) << bad.err;
  const CliRun verified = Register({"verify"});
  EXPECT_EQ(verified.exitCode, 0);
  EXPECT_NE(verified.out.find("Its 3 equipment records each match"), std::string::npos);
}

TEST_F(cli_equipment, show_gives_every_certificate_and_a_supersession_as_json) {
  std::ofstream(dir.path() / "corrected.json")
      << R"({"kind": "thermometer", "make": "Calderon Instruments", "model": "DT-20",
            "serial": "T-4711", "certificate": {"number": "NCL-2026-0200",
            "issuedBy": "Northfield Calibration Laboratory", "date": "2026-03-02",
            "validUntil": "2027-03-01", "correction": 0.12, "standardUncertainty": 0.05}})";
  ASSERT_EQ(Register({"equipment", "add", "corrected.json", "--supersedes", "NCL-2026-0117",
                      "--reason", "typing error"})
                .exitCode,
            0);
  const CliRun shown = Register({"equipment", "show", "T-4711", "--format", "json"});
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  const nlohmann::json items = nlohmann::json::parse(shown.out);
  ASSERT_EQ(items.size(), 1u);
  const nlohmann::json& item = items[0];
  EXPECT_EQ(item["kind"], "thermometer");
  EXPECT_EQ(item["make"], "Calderon Instruments");
  EXPECT_EQ(item["retiredOn"], nullptr);
  ASSERT_EQ(item["certificates"].size(), 2u);
  EXPECT_EQ(item["certificates"][0]["supersededBy"], "NCL-2026-0200");
  EXPECT_EQ(item["certificates"][1]["supersedes"], "NCL-2026-0117");
  EXPECT_EQ(item["certificates"][1]["reason"], "typing error");
  EXPECT_EQ(item["certificates"][1]["correction"], 0.12);
  EXPECT_EQ(Register({"equipment", "show", "X-1"}).exitCode, 2);
}

TEST_F(cli_equipment, list_and_retire) {
  const CliRun listed = Register({"equipment", "list", "--kind", "barometer"});
  EXPECT_EQ(listed.exitCode, 0);
  EXPECT_NE(listed.out.find("B-20931"), std::string::npos);
  EXPECT_EQ(listed.out.find("T-4711"), std::string::npos);
  // Ten thousand days from now every certificate of 2027 has ended.
  EXPECT_NE(Register({"equipment", "list", "--due-within", "10000"}).out.find("T-4711"),
            std::string::npos);

  const CliRun retired = Register({"equipment", "retire", "B-20931", "--reason", "dropped"});
  EXPECT_EQ(retired.exitCode, 0) << retired.err;
  EXPECT_NE(retired.out.find("Retired the barometer Halvorsen Messtechnik PB-5 serial B-20931"),
            std::string::npos);
  EXPECT_EQ(Register({"equipment", "retire", "B-20931", "--reason", "again"}).exitCode, 2);
  // A retired item is never due.
  EXPECT_EQ(Register({"equipment", "list", "--due-within", "10000"}).out.find("B-20931"),
            std::string::npos);
}

TEST_F(cli_equipment, due_and_the_interval_in_the_settings) {
  EXPECT_NE(Register({"settings"}).out.find("Calibration interval:  6 months"), std::string::npos);
  const CliRun changed = Register({"settings", "--interval-months", "24"});
  EXPECT_EQ(changed.exitCode, 0);
  EXPECT_NE(changed.out.find("24 months"), std::string::npos);
  EXPECT_EQ(Register({"due"}).out, "No calibrations due.\n");
  const CliRun issued = RunSevenPillar(dir, {"--register", "register.sqlite", "--details",
                                             kExampleDetails, "--certificate", "a.pdf"});
  ASSERT_EQ(issued.exitCode, 0) << issued.err;
  const CliRun due = Register({"due", "--format", "json"});
  ASSERT_EQ(due.exitCode, 0) << due.err;
  const nlohmann::json list = nlohmann::json::parse(due.out);
  ASSERT_EQ(list.size(), 1u);
  const std::string measured = list[0]["lastMeasurementDate"];
  const std::string dueDate = list[0]["dueDate"];
  ASSERT_EQ(measured.size(), 10u);
  // Twenty-four months on: the same day two years later.
  EXPECT_EQ(dueDate, std::to_string(std::stoi(measured.substr(0, 4)) + 2) + measured.substr(4));
  EXPECT_FALSE(std::string(list[0]["lastNumber"]).empty());
}

}  // namespace
}  // namespace mensuro::test
