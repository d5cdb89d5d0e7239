// mensuro-cli's uncertainty options, the library's uncertainty line and the JSON they feed; the
// numbers themselves are the core's to check.

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"

namespace mensuro::test {
namespace {

constexpr std::string_view kMeasured = "A,B,99.997\nA,C,299.995\nA,D,599.991\n";
constexpr std::string_view kPublished = "A,B,100\nA,C,300\nA,D,600\n";
using Json = nlohmann::json;

TEST(cli_uncertainty, malformed_values_are_usage_errors_naming_the_option) {
  const std::vector<std::vector<std::string>> cases = {
      {"--baseline-uncertainty", "1,2,0"},
      {"--sensor-uncertainty", "0.5,x,3"},
      {"--resolution", "-1"},
      {"--centring", ""},
      {"--acceptance", "1,2,3"},
  };
  const TempDir dir;
  for (const auto& option : cases) {
    ExpectOneErrorLine(RunFiles(dir, kMeasured, kPublished, option), option[0] + ": ");
  }
  ExpectOneErrorLine(RunCli(dir, {"--list-baselines", "--resolution", "1"}), "--list-baselines");
}

TEST(cli_uncertainty, json_gives_the_budget_of_the_inputs_and_the_text_stays_as_it_was) {
  const std::vector<std::string> options = {
      "--baseline-uncertainty", "1,2,2,50", "--sensor-uncertainty", "0.5,1,5", "--centring", "0.3",
      "--acceptance",           "3,3"};
  const TempDir dir;
  EXPECT_EQ(RunFiles(dir, kMeasured, kPublished, options).out,
            RunFiles(dir, kMeasured, kPublished).out);
  std::vector<std::string> json = options;
  json.insert(json.end(), {"--format", "json"});
  const CliRun run = RunFiles(dir, kMeasured, kPublished, json);
  std::vector<std::string> keys;
  const auto ordered = nlohmann::ordered_json::parse(run.out);
  for (const auto& item : ordered.items()) {
    keys.push_back(item.key());
  }
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end())) << run.out;

  const Json doc = Json::parse(run.out);
  // Four stations, three of their six pairs measured.
  EXPECT_TRUE(doc.at("iso17123_4").is_null());
  const Json& budget = doc.at("uncertainty");
  EXPECT_EQ(budget.at("inputs"), Json::parse(R"({"baseline": {"a_mm": 1, "b_ppm": 2, "k": 2,
      "dof": 50}, "sensors": {"temperature_k": 0.5, "pressure_hpa": 1, "humidity_percent": 5},
      "resolution_mm": null, "centring_mm": 0.3, "acceptance": {"a_mm": 3, "b_ppm": 3}})"));
  std::vector<double> distances;
  for (const Json& row : budget.at("table")) {
    distances.push_back(row.at("distance"));
    EXPECT_TRUE(row.at("conformity").is_string() && row.at("effective_dof").is_number()) << row;
  }
  EXPECT_EQ(distances, (std::vector<double>{0, 100, 200, 300, 400, 500, 600}));

  const Json bare = Json::parse(RunFiles(dir, kMeasured, kPublished, {"--format", "json"}).out);
  EXPECT_TRUE(bare.at("uncertainty").at("conformity").is_null());
  EXPECT_TRUE(bare.at("uncertainty").at("inputs").at("baseline").is_null());
}

TEST(cli_uncertainty, the_library_line_gives_the_baseline_uncertainty_unless_the_option_does) {
  const TempDir dir;
  dir.Write("m.txt", kMeasured);
  const std::vector<std::string> args = {"m.txt", "--baseline", "W", "--library", "lib.dat"};
  const auto baseline = [&](const std::string& library, std::vector<std::string> extra) {
    dir.Write("lib.dat", "1:W\n2:A,B,100\n2:A,C,300\n2:A,D,600\n" + library);
    extra.insert(extra.begin(), args.begin(), args.end());
    extra.insert(extra.end(), {"--format", "json"});
    return Json::parse(RunCli(dir, extra).out)["uncertainty"]["inputs"]["baseline"];
  };
  EXPECT_EQ(baseline("3:uncertainty=1,2,2.5,inf\n", {}),
            Json::parse(R"({"a_mm": 1, "b_ppm": 2, "k": 2.5, "dof": null})"));
  EXPECT_EQ(baseline("3:uncertainty=1,x\n", {"--baseline-uncertainty", "0.5,1"}),
            Json::parse(R"({"a_mm": 0.5, "b_ppm": 1, "k": 2, "dof": null})"));
  ExpectOneErrorLine(RunCli(dir, args), "mensuro-cli: lib.dat:5: ");
}

TEST(cli_uncertainty, the_librarys_pair_lines_enter_the_budget_and_the_json_says_which) {
  const TempDir dir;
  dir.Write("m.txt", kMeasured);
  const auto run = [&dir](const std::string& pairLines) {
    dir.Write("lib.dat",
              "1:W\n2:A,B,100\n2:A,C,300\n2:A,D,600\n3:uncertainty=1,2,2,inf\n" + pairLines);
    return RunCli(dir, {"m.txt", "--baseline", "W", "--library", "lib.dat", "--format", "json"});
  };
  const CliRun formula = run("");
  // Lines for pairs the calibration doesn't have change nothing, byte for byte.
  EXPECT_EQ(run("3:pair-uncertainty=B,C,5,2,inf\n").out, formula.out);

  const Json own = Json::parse(run("3:pair-uncertainty=D,A,4,2,20\n").out).at("uncertainty");
  const Json& pairs = own.at("inputs").at("baselinePairs");
  ASSERT_EQ(pairs.size(), 3u) << pairs;
  EXPECT_EQ(pairs[0].at("source"), "formula");
  EXPECT_EQ(pairs[2], Json::parse(R"({"from": "A", "to": "D", "source": "pair", "U_mm": 4,
      "k": 2, "dof": 20})"));
  const Json before = Json::parse(formula.out).at("uncertainty");
  EXPECT_EQ(own.at("inputs").at("baseline"), before.at("inputs").at("baseline"));
  EXPECT_GT(own.at("table").back().at("expanded_uncertainty").get<double>(),
            before.at("table").back().at("expanded_uncertainty").get<double>());

  ExpectOneErrorLine(run("3:pair-uncertainty=A,B,1,2\n"),
                     "mensuro-cli: lib.dat, line 6: the pair uncertainty \"A,B,1,2\" can't be "
                     "read: \"A,B,1,2\" is not of the form From,To,U_mm,K,DOF\n");
}

TEST(cli_uncertainty, the_full_test_applies_when_every_pair_of_the_stations_is_measured) {
  const TempDir dir;
  const CliRun run = RunCli(dir, {MENSURO_EXAMPLES_DIR "/seven-pillar-measured.txt", "--baseline",
                                  "Example seven-pillar line 600 m", "--format", "json"});
  const Json test = Json::parse(run.out).at("iso17123_4");
  EXPECT_EQ(test.at("stations"), 7);
  EXPECT_EQ(test.at("dof"), 14);
  EXPECT_TRUE(test.at("test_a").at("passed").is_boolean() && test.at("s_delta").is_number());
}

}  // namespace
}  // namespace mensuro::test
