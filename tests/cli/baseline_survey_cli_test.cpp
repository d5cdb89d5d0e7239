// mensuro-cli baseline: the example survey as text and JSON, the comparison with the library's
// baseline, the library entry it writes read back by the calibration and by the next baseline
// calibration, field files, and what it refuses, each with nothing written.

#include <gtest/gtest.h>

#include <fmt/format.h>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"
#include "core/data/number_text.h"

namespace mensuro::test {
namespace {

const std::string kSurvey = std::string(MENSURO_EXAMPLES_DIR) + "/baseline-survey.txt";
const std::string kPrevious = "Example seven-pillar line 600 m";

std::vector<std::string> Args(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// The example survey against its baseline's entry in the shipped library, with `extra`.
CliRun RunExample(const TempDir& dir, const std::vector<std::string>& extra) {
  return RunCli(dir, Args({"baseline", kSurvey, "--reference-scale", "0.8,0.5"}, extra));
}

nlohmann::json Parsed(const CliRun& run) {
  return nlohmann::json::parse(run.out);
}

// The text's row of the pair, from its first cell on.
std::string PairRow(const std::string& text, const std::string& from, const std::string& to) {
  const std::string start = fmt::format("\n  {:<4}  {:<2}  ", from, to);
  const std::size_t at = text.find(start);
  return at == std::string::npos ? std::string()
                                 : text.substr(at + 3, text.find('\n', at + 1) - at - 3);
}

TEST(cli_baseline_survey, the_example_as_text_and_as_json) {
  const TempDir dir;
  const CliRun text = RunExample(dir, {"--output", "out.txt"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.err, "");
  // Named after the file without its folder and extension.
  EXPECT_TRUE(text.out.starts_with("Baseline Calibration: baseline-survey\n")) << text.out;
  EXPECT_TRUE(Contains(text.out, "Reference instrument:  Reference EDM serial 301122\n"));
  EXPECT_TRUE(Contains(text.out,
                       "Scale correction:      +0.800 ppm, expanded uncertainty 0.500 "
                       "ppm (k = 2.00)\n"));
  EXPECT_FALSE(Contains(text.out, "Comparison")) << text.out;
  EXPECT_EQ(ReadBytes(dir.path() / "out.txt"), WithCrLf(text.out));

  const CliRun json = RunExample(dir, {"--format", "json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const nlohmann::json document = Parsed(json);
  EXPECT_EQ(document["pillars"].size(), 7u);
  EXPECT_EQ(document["adjustment"]["observations"], 42);
  EXPECT_EQ(document["adjustment"]["dof"], 42 - 7);
  EXPECT_FALSE(document.contains("comparison"));
  ASSERT_EQ(document["distances"].size(), 21u);
  // The two views show the same pair the same.
  const nlohmann::json& p1p7 = document["distances"][5];
  ASSERT_EQ(p1p7["to"], "P7");
  EXPECT_TRUE(
      PairRow(text.out, "P1", "P7")
          .starts_with(fmt::format("P1    P7  {:.4f}  {:.2f}", p1p7["distance"].get<double>(),
                                   p1p7["U"].get<double>() * 1e3)))
      << PairRow(text.out, "P1", "P7");
}

TEST(cli_baseline_survey, compared_with_the_library_baseline) {
  const TempDir dir;
  const std::vector<std::string> previous = {"--previous", kPrevious, "--library",
                                             MENSURO_SHIPPED_LIBRARY};
  const CliRun json = RunExample(dir, Args(previous, {"--format", "json"}));
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const nlohmann::json comparison = Parsed(json)["comparison"];
  ASSERT_EQ(comparison.size(), 21u);
  EXPECT_EQ(comparison[0]["previous"], 54.9816);  // the library's P1-P2

  const CliRun text = RunExample(dir, previous);
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_TRUE(text.out.starts_with("Baseline Calibration: " + kPrevious + "\n")) << text.out;
  EXPECT_TRUE(Contains(text.out, "Comparison with the previous certificate (" + kPrevious + ")\n"));
  for (const nlohmann::json& pair : comparison) {
    const std::string row = PairRow(text.out.substr(text.out.find("Comparison")),
                                    pair["from"].get<std::string>(), pair["to"].get<std::string>());
    EXPECT_EQ(row.ends_with("moved beyond its uncertainty"), pair["moved"].get<bool>()) << row;
  }

  // A published file with the uncertainty given compares the same.
  dir.Write("previous.txt", "P1,P2,54.9816\r\nP6,P5,120.7264\r\n");
  const CliRun published =
      RunExample(dir, {"--previous-published", "previous.txt", "--previous-uncertainty", "0.3,1.5",
                       "--format", "json"});
  ASSERT_EQ(published.exitCode, 0) << published.err;
  const nlohmann::json two = Parsed(published)["comparison"];
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0], comparison[0]);
  EXPECT_EQ(two[1], comparison[18]);  // P5-P6, as the new certificate orders it
}

TEST(cli_baseline_survey, the_library_entry_reads_back) {
  const TempDir dir;
  const CliRun run = RunExample(dir, {"--previous", kPrevious, "--library", MENSURO_SHIPPED_LIBRARY,
                                      "--name", "Line 2026", "--library-entry", "entry.dat"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string entry = ReadBytes(dir.path() / "entry.dat");
  EXPECT_TRUE(entry.starts_with("1:Line 2026\r\n2:P1,P2,")) << entry;
  EXPECT_TRUE(Contains(entry, "\r\n3:height=P7,50.345\r\n")) << entry;  // the previous baseline's
  EXPECT_EQ(ReplaceAll(entry, "\r\n", "").find('\n'), std::string::npos);

  // An instrument calibrated against it.
  const CliRun calibration =
      RunCli(dir, {kSevenPillarMeasured, "--baseline", "Line 2026", "--library", "entry.dat"});
  EXPECT_EQ(calibration.exitCode, 0) << calibration.err;
  EXPECT_TRUE(Contains(calibration.out, "EDM Calibration Report")) << calibration.out;

  // The next baseline calibration compared with it, its P1-P2 moved by 1 mm: each pair's
  // uncertainty is its own line's (the entry has no other, and none is given).
  const std::size_t at = entry.find("2:P1,P2,");
  const std::size_t end = entry.find("\r\n", at);
  const double written = ReadNumber(entry.substr(at + 8, end - at - 8));
  std::string moved = entry;
  moved.replace(at, end - at, fmt::format("2:P1,P2,{:.4f}", written + 0.001));
  dir.Write("moved.dat", moved);
  const std::string own = "3:pair-uncertainty=P1,P2,";
  const double previousU = ReadNumber(entry.substr(entry.find(own) + own.size())) * 1e-3;
  const CliRun next =
      RunExample(dir, {"--previous", "Line 2026", "--library", "moved.dat", "--format", "json"});
  ASSERT_EQ(next.exitCode, 0) << next.err;
  const nlohmann::json document = Parsed(next);
  const nlohmann::json& comparison = document["comparison"];
  ASSERT_EQ(comparison.size(), 21u);
  const double difference = comparison[0]["difference"].get<double>();
  EXPECT_NEAR(difference, -0.001, 0.5e-4);
  const double newU = document["distances"][0]["U"].get<double>();
  EXPECT_NEAR(comparison[0]["En"].get<double>(),
              difference / std::sqrt(newU * newU + previousU * previousU), 1e-9);
  EXPECT_TRUE(comparison[0]["moved"].get<bool>());
  for (std::size_t i = 1; i < comparison.size(); ++i) {
    EXPECT_FALSE(comparison[i]["moved"].get<bool>()) << comparison[i];
  }
}

TEST(cli_baseline_survey, a_field_file_is_reduced_first) {
  const TempDir dir;
  // Horizontal distances as a spreadsheet gives them: line 3 is the first P1-P3.
  std::string field = "From,To,Horizontal_Distance\n";
  const std::string survey = ReadBytes(kSurvey);
  for (std::size_t at = survey.find("\nP"); at != std::string::npos;
       at = survey.find("\nP", at + 1)) {
    field += survey.substr(at + 1, survey.find('\n', at + 1) - at - 1) + "\n";
  }
  dir.Write("field.csv", ReplaceAll(field, "\r", ""));
  const CliRun run = RunCli(dir, {"baseline", "field.csv", "--constant", "0.6", "--ppm", "1",
                                  "--exclude-line", "3:pointed at P4", "--format", "json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const nlohmann::json document = Parsed(run);
  EXPECT_EQ(document["adjustment"]["observations"], 41);
  ASSERT_EQ(document["excluded"].size(), 1u);
  EXPECT_EQ(document["excluded"][0]["observations"][0]["to"], "P3");
  EXPECT_EQ(document["survey"]["aprioriMm"], 0.6);

  // Slope distances are reduced to horizontal at the height given, and need it.
  const std::vector<std::string> slopes = {
      "baseline",
      std::string(MENSURO_EXAMPLES_DIR) + "/seven-pillar-field.csv",
      "--previous",
      kPrevious,
      "--library",
      MENSURO_SHIPPED_LIBRARY,
      "--wavelength",
      "0.658",
      "--reference-conditions",
      "12,1013.25,60"};
  EXPECT_EQ(RunCli(dir, Args(slopes, {"--horizontal-at", "50"})).exitCode, 0);
  ExpectOneErrorLine(RunCli(dir, slopes), "give --horizontal-at H");
}

TEST(cli_baseline_survey, usage_errors_write_nothing) {
  const TempDir dir;
  dir.Write("library.dat", "1:Bare\r\n2:P1,P2,54.9816\r\n");
  const std::string library = (dir.path() / "library.dat").string();
  const struct {
    std::vector<std::string> args;
    std::string what;
  } cases[] = {
      {{"--previous-published", "p.txt"}, "--previous-published needs --previous-uncertainty"},
      {{"--library", library}, "--library is used only with --previous"},
      {{"--previous", "Bare", "--library", library},
       ":2: the library states no uncertainty of P1-P2; give --previous-uncertainty"},
      {{"--previous", "Nowhere", "--library", library}, "No baseline named Nowhere"},
      {{"--pillars", "P1,,P2"}, "--pillars: \"P1,,P2\" has an empty pillar name"},
      {{"--reference-scale", "0.8"}, "--reference-scale"},
      {{"--pillars", "P1,P2,P3,P4,P5,P6"}, "P7"},
      {{"--wavelength", "0.658", "--reference-index", "1.0003"}, "apply only to field files"},
      {{"--distances", "mark-to-mark"}, "certified distances are horizontal"},
      {{"--name", " "}, "--name needs the baseline's name"},
      {{"--name", "Line\n2:P1,P2,1"}, "holds a line break or another control character"},
      {{"--output", kSurvey}, "is the measured file"},
  };
  for (const auto& [args, what] : cases) {
    SCOPED_TRACE(what);
    ExpectOneErrorLine(
        RunCli(dir, Args({"baseline", kSurvey, "--library-entry", "entry.dat"}, args)), what);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "entry.dat"));
  }
}

TEST(cli_baseline_survey, a_survey_that_cant_be_adjusted_or_scatters_too_much) {
  const TempDir dir;
  // Three pillars, three observations: no degree of freedom.
  dir.Write("three.txt", "A,B,10.0001\r\nB,C,20.0002\r\nA,C,30.0001\r\n");
  const CliRun refused =
      RunCli(dir, {"baseline", "three.txt", "--output", "out.txt", "--library-entry", "entry.dat"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_TRUE(refused.err.starts_with("mensuro-cli: ")) << refused.err;
  EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "out.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "entry.dat"));

  // The example claimed ten times as accurate as it is: the results, and a warning.
  dir.Write("tight.txt", ReplaceAll(ReplaceAll(ReadBytes(kSurvey), "^0.6", "^0.06"), "%1", "%0.1"));
  const CliRun warned = RunCli(dir, {"baseline", "tight.txt", "--library-entry", "entry.dat"});
  EXPECT_EQ(warned.exitCode, 0);
  EXPECT_TRUE(warned.err.starts_with("mensuro-cli: warning: the variance test failed"))
      << warned.err;
  EXPECT_TRUE(Contains(warned.out, "): failed;")) << warned.out;
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "entry.dat"));
}

}  // namespace
}  // namespace mensuro::test
