// mensuro-cli's cyclic error options: their usage errors, the JSON member they add, and the text
// report, which stays byte for byte as it is. The estimate itself is the core's to check.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"
#include "core/analysis/cyclic_error.h"
#include "json/calibration_json.h"

namespace mensuro::test {
namespace {

using Json = nlohmann::json;

const std::string kExamples = MENSURO_EXAMPLES_DIR;
const std::vector<std::string> kKellerby = {kExamples + "/kellerby-measured.txt", "--published",
                                            kExamples + "/kellerby-published.txt"};
const std::vector<std::string> kFieldReduction = {"--baseline",
                                                  kSevenPillarBaseline,
                                                  "--library",
                                                  MENSURO_SHIPPED_LIBRARY,
                                                  "--wavelength",
                                                  "0.658",
                                                  "--reference-conditions",
                                                  "12,1013.25,60",
                                                  "--edm",
                                                  "Total station",
                                                  "--constant",
                                                  "2",
                                                  "--ppm",
                                                  "2"};
const std::vector<std::string> kCyclicOptions[] = {
    {"--unit-length", "5"}, {"--cyclic-harmonics", "2", "--unit-length", "5"}};

std::vector<std::string> Args(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

Json KellerbyJson(const TempDir& dir, const std::vector<std::string>& options) {
  const CliRun run = RunCli(dir, Args(Args(kKellerby, {"--format", "json"}), options));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  return Json::parse(run.out);
}

TEST(cli_cyclic, malformed_values_are_usage_errors_that_write_nothing) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--unit-length", "0"}, "--unit-length: 0 is zero (expected a length in m, greater than 0)"},
      {{"--unit-length", "-5"}, "--unit-length: -5 is negative"},
      {{"--unit-length", "x"}, "--unit-length: \"x\" is not a number"},
      {{"--unit-length", "inf"}, "--unit-length: inf is infinite"},
      {{"--unit-length", "5", "--cyclic-harmonics", "3"},
       "--cyclic-harmonics: 3 is not a number of harmonics (expected 1 or 2)"},
      {{"--cyclic-harmonics", "1.5", "--unit-length", "5"},
       "--cyclic-harmonics: 1.5 is not a number of harmonics"},
      {{"--unit-length", "5", "--cyclic-harmonics", "x"},
       "--cyclic-harmonics: \"x\" is not a number (expected 1 or 2)"},
      {{"--cyclic-harmonics", "2"}, "--cyclic-harmonics is used only with --unit-length U"},
  };
  const TempDir dir;
  for (const auto& [options, message] : cases) {
    const std::vector<std::string> outputs = {"--output", "r.rpt",         "--plot",
                                              "p.svg",    "--certificate", "c.pdf"};
    ExpectOneErrorLine(RunCli(dir, Args(Args(kKellerby, outputs), options)), message);
    for (const char* written : {"r.rpt", "p.svg", "c.pdf"}) {
      EXPECT_FALSE(std::filesystem::exists(dir.path() / written)) << written;
    }
  }
}

TEST(cli_cyclic, other_commands_refuse_the_options) {
  const TempDir dir;
  const std::string field = kExamples + "/seven-pillar-field.csv";
  ExpectOneErrorLine(RunCli(dir, Args({"--unit-length", "5", "reduce", field}, kFieldReduction)),
                     "reduce excludes --unit-length");
  ExpectOneErrorLine(
      RunCli(dir, {"--cyclic-harmonics", "2", "register", "list", "--register", "r.sqlite"}),
      "register excludes --cyclic-harmonics");
  ExpectOneErrorLine(
      RunCli(dir, {"--unit-length", "5", "baseline", kExamples + "/baseline-survey.txt"}),
      "baseline excludes --unit-length");
  ExpectOneErrorLine(RunCli(dir, {"--list-baselines", "--unit-length", "5"}),
                     "--unit-length excludes --list-baselines");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "r.sqlite"));
}

// Every figure of the member is the core's estimate from the pairs the JSON lists, to the bit,
// whichever order the two options come in.
TEST(cli_cyclic, json_member_is_the_estimate_from_the_listed_pairs) {
  const TempDir dir;
  for (const int harmonics : {1, 2}) {
    const std::string count = std::to_string(harmonics);
    const Json doc = KellerbyJson(dir, {"--unit-length", "5", "--cyclic-harmonics", count});
    EXPECT_EQ(doc, KellerbyJson(dir, {"--cyclic-harmonics", count, "--unit-length", "5"}));
    EXPECT_EQ(doc.at("uncertainty").at("inputs").at("cyclic"),
              Json({{"unitLength", 5.0}, {"harmonics", harmonics}}));

    AdjustmentTable pairs;
    for (const Json& pair : doc.at("pairs")) {
      AdjustmentEntry& entry = pairs.emplace_back();
      entry.P = pair.at("P");
      entry.C = pair.at("C");
      entry.d = pair.at("d");
    }
    const CyclicAnalysis expected = EstimateCyclicError(pairs, {5.0, harmonics});
    ASSERT_TRUE(expected.estimable) << expected.reason;
    const Json& cyclic = doc.at("cyclic");
    EXPECT_EQ(cyclic.size(), 10U) << cyclic;
    EXPECT_EQ(cyclic.at("dof"), static_cast<int>(pairs.size()) - 2 - 2 * harmonics);
    const std::vector<std::pair<const char*, double>> figures = {
        {"unitLength", 5.0},
        {"s0", expected.s0},
        {"constant", expected.constant},
        {"constantStdError", expected.constantStdError},
        {"scale", expected.scale},
        {"scaleStdError", expected.scaleStdError},
        {"maxCorrelation", expected.maxCorrelation}};
    for (const auto& [name, value] : figures) {
      EXPECT_EQ(cyclic.at(name).get<double>(), value) << name;
    }
    ASSERT_EQ(cyclic.at("harmonics").size(), static_cast<std::size_t>(harmonics));
    for (const CyclicHarmonic& want : expected.harmonics) {
      const Json& term = cyclic.at("harmonics").at(static_cast<std::size_t>(want.order - 1));
      EXPECT_EQ(term.size(), 12U) << term;
      EXPECT_EQ(term.at("order"), want.order);
      EXPECT_EQ(term.at("significant"), want.significant);
      const std::vector<std::pair<const char*, double>> terms = {
          {"sine", want.sine},
          {"cosine", want.cosine},
          {"sineStdError", want.sineStdError},
          {"cosineStdError", want.cosineStdError},
          {"amplitude", want.amplitude},
          {"phaseDegrees", want.phaseDegrees},
          {"amplitudeStdError", want.amplitudeStdError.value()},
          {"phaseStdErrorDegrees", want.phaseStdErrorDegrees.value()},
          {"F", want.F},
          {"critical", want.critical}};
      for (const auto& [name, value] : terms) {
        EXPECT_EQ(term.at(name).get<double>(), value) << name;
      }
    }
    EXPECT_TRUE(cyclic.at("warning").is_null() || cyclic.at("warning").is_string());
  }
}

// Too few pairs for the terms, and distances whose fractions of U all coincide: the reason,
// with the unit length asked for, and the run goes on.
TEST(cli_cyclic, terms_not_estimable_give_the_unit_length_and_the_reason) {
  const TempDir dir;
  const CliRun few =
      RunFiles(dir, "A,B,99.997\nA,C,299.995\nA,D,599.991\n", "A,B,100\nA,C,300\nA,D,600\n",
               {"--format", "json", "--unit-length", "5"});
  ASSERT_EQ(few.exitCode, 0) << few.err;
  const Json cyclic = Json::parse(few.out).at("cyclic");
  EXPECT_EQ(cyclic.size(), 2U) << cyclic;
  EXPECT_EQ(cyclic.at("unitLength"), 5.0);
  EXPECT_TRUE(Contains(cyclic.at("reason").get<std::string>(), "needs at least 5 station pairs"))
      << cyclic;

  const Json same = KellerbyJson(dir, {"--unit-length", "0.0001", "--cyclic-harmonics", "2"});
  EXPECT_EQ(same.at("cyclic").at("unitLength"), 0.0001);
  EXPECT_TRUE(Contains(same.at("cyclic").at("reason").get<std::string>(), "singular"))
      << same.at("cyclic");
}

// Without the option there is no member; with it, every other member is as without it, to the
// byte.
TEST(cli_cyclic, json_without_the_option_is_as_it_was) {
  const TempDir dir;
  const CliRun bare = RunCli(dir, Args(kKellerby, {"--format", "json"}));
  ASSERT_EQ(bare.exitCode, 0) << bare.err;
  EXPECT_FALSE(Contains(bare.out, "cyclic")) << bare.out;
  for (const std::vector<std::string>& options : kCyclicOptions) {
    Json doc = KellerbyJson(dir, options);
    EXPECT_EQ(doc.erase("cyclic"), 1U);
    EXPECT_EQ(doc.at("uncertainty").at("inputs").erase("cyclic"), 1U);
    EXPECT_EQ(JsonText(doc), bare.out);
  }
}

// The text report and what goes to standard error, on every example a calibration run reads.
TEST(cli_cyclic, text_report_is_byte_identical_with_and_without_the_options) {
  const std::vector<std::string> collector = {"--column", "from=Pt Occ",
                                              "--column", "to=Pt Sighted",
                                              "--column", "instrument_height=Inst Ht",
                                              "--column", "reflector_height=Tgt Ht"};
  const std::vector<std::vector<std::string>> examples = {
      kKellerby,
      {kSevenPillarMeasured, "--baseline", kSevenPillarBaseline, "--library",
       MENSURO_SHIPPED_LIBRARY},
      Args({kExamples + "/seven-pillar-field.csv"}, kFieldReduction),
      Args(Args({kExamples + "/seven-pillar-collector.txt", "--field"}, kFieldReduction),
           collector),
  };
  const TempDir dir;
  for (const std::vector<std::string>& example : examples) {
    const CliRun bare = RunCli(dir, example);
    ASSERT_EQ(bare.exitCode, 0) << example[0] << bare.err;
    for (const std::vector<std::string>& options : kCyclicOptions) {
      const CliRun run = RunCli(dir, Args(example, options));
      EXPECT_EQ(run.exitCode, 0) << example[0];
      EXPECT_EQ(run.out, bare.out) << example[0];
      EXPECT_EQ(run.err, bare.err) << example[0];
    }
  }
}

}  // namespace
}  // namespace mensuro::test
