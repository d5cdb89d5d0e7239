// mensuro-cli's uncertainty options, the baseline library's uncertainty line and the two JSON
// members they feed. The numbers themselves are the core's to check; here, the plumbing.

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

TEST(cli_uncertainty, malformed_values_are_usage_errors_naming_the_option) {
  const std::vector<std::vector<std::string>> cases = {
      {"--baseline-uncertainty", "1"},
      {"--baseline-uncertainty", "1,2,0"},
      {"--sensor-uncertainty", "0.5,x,3"},
      {"--resolution", "-1"},
      {"--centring", ""},
      {"--acceptance", "1,2,3"},
  };
  const TempDir dir;
  for (const auto& option : cases) {
    SCOPED_TRACE(option[0] + " " + option[1]);
    ExpectOneErrorLine(RunFiles(dir, kMeasured, kPublished, option), option[0] + ":");
  }
  ExpectOneErrorLine(RunCli(dir, {"--list-baselines", "--resolution", "1"}), "--list-baselines");
}

TEST(cli_uncertainty, json_gives_the_budget_of_the_inputs_and_the_text_stays_as_it_was) {
  const std::vector<std::string> options = {
      "--baseline-uncertainty", "1,2,2,50", "--sensor-uncertainty", "0.5,1,5",
      "--resolution",           "0.1",      "--centring",           "0.3",
      "--acceptance",           "3,3"};
  const TempDir dir;
  EXPECT_EQ(RunFiles(dir, kMeasured, kPublished, options).out,
            RunFiles(dir, kMeasured, kPublished).out);

  std::vector<std::string> json = options;
  json.insert(json.end(), {"--format", "json"});
  const CliRun run = RunFiles(dir, kMeasured, kPublished, json);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto ordered = nlohmann::ordered_json::parse(run.out);
  std::vector<std::string> keys;
  for (const auto& item : ordered.items()) {
    keys.push_back(item.key());
  }
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end())) << run.out;

  const auto doc = nlohmann::json::parse(run.out);
  // Four stations but three of their six pairs measured.
  EXPECT_TRUE(doc.at("iso17123_4").is_null());
  const auto& budget = doc.at("uncertainty");
  EXPECT_EQ(budget.at("inputs"),
            nlohmann::json::parse(R"({"baseline": {"a_mm": 1, "b_ppm": 2, "k": 2, "dof": 50},
                "sensors": {"temperature_k": 0.5, "pressure_hpa": 1, "humidity_percent": 5},
                "resolution_mm": 0.1, "centring_mm": 0.3,
                "acceptance": {"a_mm": 3, "b_ppm": 3}})"));
  EXPECT_TRUE(budget.at("covariance").is_number());
  EXPECT_TRUE(budget.at("conformity").is_string());
  std::vector<double> distances;
  for (const auto& row : budget.at("table")) {
    distances.push_back(row.at("distance"));
    EXPECT_EQ(row.size(), 7u) << row;
    EXPECT_TRUE(row.at("effective_dof").is_number()) << row;
    EXPECT_TRUE(row.at("conformity").is_string()) << row;
  }
  EXPECT_EQ(distances, (std::vector<double>{0, 100, 200, 300, 400, 500, 600}));

  const auto bare =
      nlohmann::json::parse(RunFiles(dir, kMeasured, kPublished, {"--format", "json"}).out);
  EXPECT_EQ(bare.at("uncertainty").at("inputs"),
            nlohmann::json::parse(R"({"baseline": null, "sensors": null, "resolution_mm": null,
                "centring_mm": null, "acceptance": null})"));
  EXPECT_TRUE(bare.at("uncertainty").at("conformity").is_null());
  EXPECT_TRUE(bare.at("uncertainty").at("table").at(0).at("conformity").is_null());
}

TEST(cli_uncertainty, the_library_line_gives_the_baseline_uncertainty_unless_the_option_does) {
  const TempDir dir;
  dir.Write("m.txt", kMeasured);
  const auto baselineInput = [&](const std::string& library, std::vector<std::string> extra) {
    dir.Write("lib.dat", library);
    std::vector<std::string> args = {"m.txt",   "--baseline", "W",   "--library",
                                     "lib.dat", "--format",   "json"};
    args.insert(args.end(), extra.begin(), extra.end());
    const CliRun run = RunCli(dir, args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return nlohmann::json::parse(run.out)["uncertainty"]["inputs"]["baseline"];
  };
  const std::string distances = "2:A,B,100\n2:A,C,300\n2:A,D,600\n";
  EXPECT_EQ(baselineInput("1:W\n3:uncertainty=1,2,2.5,inf\n" + distances, {}),
            nlohmann::json::parse(R"({"a_mm": 1, "b_ppm": 2, "k": 2.5, "dof": null})"));
  const std::string malformed = "1:W\n" + distances + "3:uncertainty=1,x\n";
  EXPECT_EQ(baselineInput(malformed, {"--baseline-uncertainty", "0.5,1"}),
            nlohmann::json::parse(R"({"a_mm": 0.5, "b_ppm": 1, "k": 2, "dof": null})"));
  ExpectOneErrorLine(RunCli(dir, {"m.txt", "--baseline", "W", "--library", "lib.dat"}),
                     "mensuro-cli: lib.dat:5: ");
}

TEST(cli_uncertainty, the_full_test_applies_when_every_pair_of_the_stations_is_measured) {
  const TempDir dir;
  const CliRun run = RunCli(dir, {MENSURO_EXAMPLES_DIR "/seven-pillar-measured.txt", "--baseline",
                                  "Example seven-pillar line 600 m", "--format", "json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto test = nlohmann::json::parse(run.out).at("iso17123_4");
  EXPECT_EQ(test.at("stations"), 7);
  EXPECT_EQ(test.at("dof"), 14);
  for (const char* key : {"s", "delta", "s_delta"}) {
    EXPECT_TRUE(test.at(key).is_number()) << key;
  }
  EXPECT_TRUE(test.at("test_a").at("passed").is_boolean());
  EXPECT_TRUE(test.at("test_a").at("sigma").is_number());
  EXPECT_TRUE(test.at("test_c").at("limit").is_number());
}

}  // namespace
}  // namespace mensuro::test
