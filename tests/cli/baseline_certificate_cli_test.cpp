// mensuro-cli baseline --certificate: a draft, a certificate withheld while a warning stands and
// issued once accepted, the register's baseline records beside an instrument's, and a
// baseline's history over its certificates.

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"

namespace mensuro::test {
namespace {

const std::string kSurvey = std::string(MENSURO_EXAMPLES_DIR) + "/baseline-survey.txt";

// The example survey with its first observation, P1-P2 at 54.9815 m, made 3 mm longer: an
// outlier of the adjustment.
std::string SurveyWithOutlier(const TempDir& dir) {
  const std::string text = ReplaceAll(ReadBytes(kSurvey), "P1,P2,54.9815", "P1,P2,54.9845");
  dir.Write("outlier.txt", text);
  return "outlier.txt";
}

CliRun Baseline(const TempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), "baseline");
  return RunCli(dir, args);
}

nlohmann::json Json(const CliRun& run) {
  return nlohmann::json::parse(run.out);
}

TEST(cli_baseline_certificate, a_draft_without_register_states_the_certified_distances) {
#ifdef _WIN32
  GTEST_SKIP() << "poppler's pdftotext is the build machine's";
#endif
  const TempDir dir;
  const CliRun run = Baseline(
      dir, {kSurvey, "--reference-scale", "0.8,0.5", "--name", "Northfield", "--certificate",
            "draft.pdf", "--details", kExampleDetails, "--format", "json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string words = CertificateWords(dir, "draft.pdf");
  EXPECT_TRUE(Contains(words, "Baseline Calibration Certificate"));
  EXPECT_TRUE(Contains(words, "Certificate number: not registered"));
  EXPECT_TRUE(Contains(words, "DRAFT: not registered"));
  EXPECT_TRUE(Contains(words, "Baseline: Northfield"));
  EXPECT_TRUE(Contains(words, "Owner: Harbour Engineering Surveys Ltd"));
  EXPECT_TRUE(Contains(words, "scale correction S = +0.8 ppm, U = 0.5 ppm (k = 2)"));
  EXPECT_TRUE(Contains(words, "Variance test:"));
  EXPECT_TRUE(Contains(words, "about 95 percent")) << words;
  // Every certified pair with its distance and expanded uncertainty as the JSON gives them.
  for (const nlohmann::json& d : Json(run).at("distances")) {
    const std::string row =
        fmt::format("{} {} {:.5f}", d.at("from").get<std::string>(), d.at("to").get<std::string>(),
                    d.at("distance").get<double>());
    EXPECT_TRUE(Contains(words, row)) << row;
    EXPECT_TRUE(Contains(words, fmt::format("{:.2f}", d.at("U").get<double>() * 1000)));
  }
}

TEST(cli_baseline_certificate, withheld_while_an_outlier_stands_and_issued_once_accepted) {
  const TempDir dir;
  const std::string survey = SurveyWithOutlier(dir);
  const std::vector<std::string> asked = {
      survey,          "--reference-scale", "0.8,0.5",  "--certificate",   "c.pdf",    "--details",
      kExampleDetails, "--register",        "r.sqlite", "--library-entry", "entry.dat"};
  const CliRun withheld = Baseline(dir, asked);
  EXPECT_EQ(withheld.exitCode, 1);
  EXPECT_TRUE(Contains(withheld.err, "mensuro-cli: no certificate: line 6 (P1-P2) is an outlier"))
      << withheld.err;
  EXPECT_TRUE(Contains(withheld.err, "--accept-warnings")) << withheld.err;
  EXPECT_TRUE(Contains(withheld.out, "P1")) << "the results are printed all the same";
  for (const char* file : {"c.pdf", "r.sqlite", "entry.dat"}) {
    EXPECT_FALSE(std::filesystem::exists(dir.path() / file)) << file;
  }

  std::vector<std::string> accepted = asked;
  accepted.push_back("--accept-warnings");
  const CliRun issued = Baseline(dir, accepted);
  ASSERT_EQ(issued.exitCode, 0) << issued.err;
  const std::string number = "MEN-" + issued.err.substr(issued.err.find("MEN-") + 4, 9);
  EXPECT_TRUE(Contains(issued.err, "mensuro-cli: issued certificate " + number)) << issued.err;
#ifndef _WIN32  // poppler's pdftotext is the build machine's
  const std::string words = CertificateWords(dir, "c.pdf");
  EXPECT_TRUE(Contains(words, "Accepted warnings"));
  EXPECT_TRUE(Contains(words, "Line 6 (P1-P2) is an outlier"));
  EXPECT_TRUE(Contains(words, "Certificate number: " + number));
  EXPECT_FALSE(Contains(words, "DRAFT"));
#endif
  EXPECT_TRUE(Contains(ReadBytes(dir.path() / "entry.dat"), "3:certificate=" + number + "\r\n"));
}

// A register of an instrument's calibration and a baseline's certificate surveyed with the same
// instrument (the details name serial 1864207 for both).
class cli_baseline_register : public ::testing::Test {
 protected:
  void SetUp() override {
    const CliRun instrument = RunSevenPillar(
        dir, {"--register", "r.sqlite", "--details", kExampleDetails, "--certificate", "i.pdf"});
    ASSERT_EQ(instrument.exitCode, 0) << instrument.err;
    IssueSurvey(kSurvey, "b1.pdf", "0.8,0.5");
  }

  void IssueSurvey(const std::string& survey, const std::string& pdf, const std::string& scale) {
    const CliRun run = Baseline(
        dir, {survey, "--reference-scale", scale, "--name", "Northfield", "--certificate", pdf,
              "--details", kExampleDetails, "--register", "r.sqlite", "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    results.push_back(Json(run));
  }

  CliRun Register(std::vector<std::string> args) {
    args.insert(args.begin(), "register");
    args.insert(args.end(), {"--register", "r.sqlite"});
    return RunCli(dir, args);
  }

  const TempDir dir;
  std::vector<nlohmann::json> results;  // of each baseline certificate issued
};

TEST_F(cli_baseline_register, lists_shows_and_verifies_both_kinds) {
  const CliRun list = Register({"list", "--format", "json"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  const nlohmann::json entries = Json(list);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].at("kind"), "instrument");
  EXPECT_EQ(entries[1].at("kind"), "baseline");
  EXPECT_EQ(entries[1].at("baseline"), "Northfield");
  EXPECT_EQ(entries[1].at("recordFormat"), 3);
  const std::string number = entries[1].at("number");

  const CliRun text = Register({"list"});
  EXPECT_TRUE(Contains(text.out, "baseline Northfield")) << text.out;
  const CliRun shown = Register({"show", number});
  EXPECT_TRUE(Contains(shown.out, "Kind:")) << shown.out;
  EXPECT_TRUE(Contains(shown.out, "baseline calibration")) << shown.out;
  const nlohmann::json record = Json(Register({"show", number, "--format", "json"}));
  EXPECT_EQ(record.at("results").at("distances"), results[0].at("distances"));
  EXPECT_EQ(record.at("files").at(0).at("name"), "baseline-survey.txt");
#ifndef _WIN32  // poppler's pdftotext is the build machine's
  // The certificate names the record it was issued under.
  EXPECT_TRUE(Contains(CertificateWords(dir, "b1.pdf"),
                       "Register record SHA-256: " + record.at("recordSha256").get<std::string>()));
#endif

  const CliRun verified = Register({"verify"});
  EXPECT_EQ(verified.exitCode, 0) << verified.out << verified.err;
  EXPECT_TRUE(Contains(verified.out, "intact: 2 records")) << verified.out;
  EXPECT_EQ(Register({"verify-certificate", "b1.pdf"}).exitCode, 0);

  // The instrument's history holds its own calibration alone.
  const CliRun history = Register({"history", "1864207", "--format", "json"});
  ASSERT_EQ(history.exitCode, 0) << history.err;
  ASSERT_EQ(Json(history).size(), 1u);
  EXPECT_EQ(Json(history)[0].at("kind"), "instrument");
}

TEST_F(cli_baseline_register, history_of_a_baseline_follows_each_pair_over_its_certificates) {
  // A year later, with the reference instrument's scale one ppm larger.
  dir.Write("later.txt", ReplaceAll(ReadBytes(kSurvey), "$2026-11-18", "$2027-11-18"));
  IssueSurvey("later.txt", "b2.pdf", "1.8,0.5");
  const CliRun run = Register({"history", "--baseline", "Northfield", "--format", "json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const nlohmann::json history = Json(run);
  EXPECT_EQ(history.at("baseline"), "Northfield");
  const nlohmann::json& first = results[0].at("distances");
  const nlohmann::json& second = results[1].at("distances");
  ASSERT_EQ(history.at("pairs").size(), first.size());
  for (std::size_t i = 0; i < first.size(); ++i) {
    const nlohmann::json& pair = history.at("pairs")[i];
    EXPECT_EQ(pair.at("from"), first[i].at("from"));
    const nlohmann::json& points = pair.at("certificates");
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].at("measurementDate"), "2026-11-18");
    EXPECT_EQ(points[1].at("measurementDate"), "2027-11-18");
    EXPECT_EQ(points[0].at("change"), nullptr);
    const double d1 = first[i].at("distance");
    const double d2 = second[i].at("distance");
    const double u1 = first[i].at("U");
    const double u2 = second[i].at("U");
    EXPECT_EQ(points[1].at("distance").get<double>(), d2);
    EXPECT_NEAR(points[1].at("change").get<double>(), d2 - d1, 1e-12);
    EXPECT_NEAR(points[1].at("En").get<double>(), (d2 - d1) / std::hypot(u1, u2), 1e-9);
  }

  const CliRun text = Register({"history", "--baseline", "Northfield"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_TRUE(Contains(text.out, "History of the baseline Northfield\n\nPair P1-P2\n")) << text.out;
  EXPECT_TRUE(Contains(text.out, fmt::format("{:.5f}", second[0].at("distance").get<double>())));

  const CliRun none = Register({"history", "--baseline", "Hill"});
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_TRUE(Contains(none.err, "holds no certificate of the baseline Hill")) << none.err;
}

}  // namespace
}  // namespace mensuro::test
