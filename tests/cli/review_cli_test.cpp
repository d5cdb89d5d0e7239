// mensuro-cli's review of a calibration: observations left out with a reason, the outlier test
// in the JSON, and the certificate withheld while the input was probably misread or an outlier
// stands.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <string_view>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"

namespace mensuro::test {
namespace {

constexpr std::string_view kPublished =
    "A,B,47.6828\nA,C,104.7281\nA,D,152.4117\nA,E,234.2515\nA,F,281.9343\nA,G,347.5361\n"
    "A,H,395.2191\nA,I,455.9623\nA,J,503.6455\n";
// A 1 mm + 1.5 ppm instrument; A-F, on line 7, is read 1.9 mm off the line of the others.
constexpr std::string_view kMeasured =
    "^1\n%1.5\nA,B,47.6819\nA,C,104.7276\nA,D,152.4108\nA,E,234.2508\nA,F,281.9311\n"
    "A,G,347.5349\nA,H,395.2179\nA,I,455.9606\nA,J,503.6442\nF,A,281.9330\n";

nlohmann::json Json(const CliRun& run) {
  EXPECT_EQ(run.exitCode, 0) << run.err;
  return nlohmann::json::parse(run.out);
}

TEST(cli_review, the_json_names_the_outlier_and_what_was_left_out) {
  const TempDir dir;
  const nlohmann::json all = Json(RunFiles(dir, kMeasured, kPublished, {"--format", "json"}));
  const nlohmann::json& test = all["outlierTest"];
  EXPECT_EQ(test["alpha"], 0.05);
  EXPECT_EQ(test["dof"], 6);
  EXPECT_EQ(test["outliers"], nlohmann::json::parse(R"([{"from": "F", "to": "A"}])"));
  EXPECT_EQ(all["excluded"], nlohmann::json::array());
  for (const nlohmann::json& pair : all["pairs"]) {
    EXPECT_EQ(pair["outlier"], pair["to"] == "A") << pair;
    EXPECT_TRUE(pair["studentizedResidual"].is_number());
  }

  // The blunder left out by its line, the second observation of the pair by its names: the
  // report is that of the text without those lines.
  const CliRun left = RunFiles(dir, kMeasured, kPublished,
                               {"--exclude-line", "7:pillar bumped", "--exclude", "A-F"});
  ASSERT_EQ(left.exitCode, 0) << left.err;
  std::string without(kMeasured);
  without.erase(without.find("A,F,281.9311\n"), 13);
  without.erase(without.find("F,A,281.9330\n"), 13);
  dir.Write("without.txt", without);
  dir.Write("p.txt", kPublished);
  const CliRun expected = RunCli(dir, {"without.txt", "--published", "p.txt"});
  EXPECT_EQ(left.out, ReplaceAll(expected.out, "without.txt", "m.txt"));

  const nlohmann::json excluded = Json(RunFiles(
      dir, kMeasured, kPublished, {"--format", "json", "--exclude-line", "7:pillar bumped"}));
  EXPECT_EQ(excluded["excluded"],
            nlohmann::json::parse(R"([{"line": 7, "reason": "pillar bumped", "lines": [7],
                "observations": [{"from": "A", "to": "F", "distance": 281.9311, "line": 7}]}])"));
  EXPECT_EQ(excluded["outlierTest"]["outliers"], nlohmann::json::array());
  // Three pairs leave no test.
  const nlohmann::json few = Json(
      RunFiles(dir, "^2\nA,B,47.68\nA,C,104.73\nA,D,152.41\n", kPublished, {"--format", "json"}));
  EXPECT_EQ(few["outlierTest"],
            nlohmann::json::parse(R"({"reason": "3 station pairs; the test needs at least 4"})"));
  EXPECT_TRUE(few["pairs"][0]["outlier"].is_null());
}

TEST(cli_review, an_exclusion_that_matches_nothing_is_a_usage_error) {
  const TempDir dir;
  ExpectOneErrorLine(RunFiles(dir, kMeasured, kPublished, {"--exclude", "A-Z"}),
                     "--exclude A-Z: no observation of that pair in the measured file");
  ExpectOneErrorLine(RunFiles(dir, kMeasured, kPublished, {"--exclude", "AF"}),
                     "--exclude AF: give the pair as FROM-TO");
  ExpectOneErrorLine(RunFiles(dir, kMeasured, kPublished, {"--exclude-line", "1:header"}),
                     "--exclude-line 1:header: line 1 of the measured file holds no observation");
  ExpectOneErrorLine(RunFiles(dir, kMeasured, kPublished, {"--exclude-line", "x"}),
                     "--exclude-line x: give a line number from 1");
  // Names that hold hyphens are split where they name a measured pair.
  const CliRun hyphens = RunFiles(dir, "^2\nP-1,P-2,100.001\nP-1,P-3,200.002\nP-1,P-4,300.001\n",
                                  "P-1,P-2,100\nP-1,P-3,200\nP-1,P-4,300\n",
                                  {"--format", "json", "--exclude", "P-1-P-3:bad"});
  EXPECT_EQ(hyphens.exitCode, 1);  // two pairs left: nothing to fit, and nothing misnamed
  EXPECT_TRUE(Contains(hyphens.out, "at least three different pairs")) << hyphens.out;
}

TEST(cli_review, no_certificate_on_a_misread_file_unless_accepted) {
  const TempDir dir;
  // A decimal comma on line 13: the distance is read as 152 m.
  const std::string misread = std::string(kMeasured) + "A,D,152,4108\n";
  const CliRun plain = RunFiles(dir, misread, kPublished);
  ASSERT_EQ(plain.exitCode, 0);
  const CliRun refused = RunFiles(dir, misread, kPublished, {"--certificate", "c.pdf"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.out, plain.out);  // the report is written all the same
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "c.pdf"));
  EXPECT_TRUE(Contains(refused.err,
                       "mensuro-cli: no certificate: m.txt:13: a decimal comma? the distance is "
                       "read as 152\n"))
      << refused.err;
  // A-D is far off the line too.
  EXPECT_EQ(LastLine(refused.err),
            "mensuro-cli: mend the file or leave the outlier out with --exclude FROM-TO:REASON, "
            "or give --accept-warnings to issue the certificate with them listed\n");

  const CliRun accepted =
      RunFiles(dir, misread, kPublished, {"--certificate", "c.pdf", "--accept-warnings"});
  EXPECT_EQ(accepted.exitCode, 0) << accepted.err;
  EXPECT_TRUE(ReadBytes(dir.path() / "c.pdf").starts_with("%PDF-"));
  // Left out, the line and the outlier no longer stand in the way.
  EXPECT_EQ(RunFiles(dir, misread, kPublished,
                     {"--certificate", "d.pdf", "--exclude-line", "13:decimal comma",
                      "--exclude-line", "7:pillar bumped"})
                .exitCode,
            0);
}

TEST(cli_review, an_outlier_withholds_the_certificate_and_a_title_line_does_not) {
  const TempDir dir;
  const CliRun refused = RunFiles(dir, kMeasured, kPublished, {"--certificate", "c.pdf"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "c.pdf"));
  EXPECT_EQ(refused.err,
            "mensuro-cli: no certificate: m.txt:7: an outlier: the station pair F-A has t = 4.72, "
            "beyond the limit 4.20 of the outlier test\n"
            "mensuro-cli: mend the file or leave the outlier out with --exclude FROM-TO:REASON, "
            "or give --accept-warnings to issue the certificate with them listed\n");
  const nlohmann::json json = Json(RunFiles(dir, kMeasured, kPublished, {"--format", "json"}));
  ASSERT_EQ(json["certificateObstacles"].size(), 1u);
  EXPECT_EQ(json["certificateObstacles"][0]["line"], 7);
  EXPECT_EQ(RunFiles(dir, kMeasured, kPublished, {"--certificate", "c.pdf", "--accept-warnings"})
                .exitCode,
            0);

  // The title line is reported, but no distance is read from it.
  const CliRun titled =
      RunFiles(dir, kMeasured, "Certified Baseline Distances\n" + std::string(kPublished),
               {"--certificate", "t.pdf", "--exclude", "A-F:pillar bumped"});
  EXPECT_EQ(titled.exitCode, 0) << titled.err;
  EXPECT_TRUE(Contains(titled.err, "p.txt:1: warning: the distance \"Distances\" is read as 0"))
      << titled.err;
  EXPECT_TRUE(ReadBytes(dir.path() / "t.pdf").starts_with("%PDF-"));
}

TEST(cli_review, a_certificate_needs_the_reason_for_what_was_left_out) {
  const TempDir dir;
  ExpectOneErrorLine(
      RunFiles(dir, kMeasured, kPublished, {"--certificate", "c.pdf", "--exclude-line", "7: "}),
      "--exclude-line 7: no reason given, and a certificate states why each observation was "
      "left out (give it as 7:REASON)");
  ExpectOneErrorLine(
      RunFiles(dir, kMeasured, kPublished, {"--certificate", "c.pdf", "--exclude", "A-F"}),
      "--exclude A-F: no reason given");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "c.pdf"));
}

// An accuracy is never below 0: on the command line a usage error, in a measured text the report
// as given with a warning at the line, and no certificate.
TEST(cli_review, a_negative_accuracy) {
  const TempDir dir;
  ExpectOneErrorLine(RunFiles(dir, kMeasured, kPublished, {"--constant", "-17.5"}),
                     "--constant: -17.5 is below 0: give the EDM's specified accuracy, not a "
                     "correction");
  ExpectOneErrorLine(RunFiles(dir, kMeasured, kPublished, {"--ppm", "-1"}), "--ppm: -1 is below 0");

  const std::string negative = "^-17.5\n" + std::string(kMeasured).substr(3);
  const CliRun plain = RunFiles(dir, negative, kPublished, {"--exclude-line", "7:pillar bumped"});
  ASSERT_EQ(plain.exitCode, 0);
  EXPECT_TRUE(Contains(plain.out, "-17.5")) << plain.out;
  EXPECT_EQ(plain.err, "m.txt:1: warning: a negative accuracy: is this the prism constant?\n");
  const CliRun refused = RunFiles(dir, negative, kPublished,
                                  {"--exclude-line", "7:pillar bumped", "--certificate", "c.pdf"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.out, plain.out);
  EXPECT_TRUE(Contains(refused.err, "mensuro-cli: no certificate: m.txt:1: a negative accuracy"))
      << refused.err;
}

}  // namespace
}  // namespace mensuro::test
