// mensuro-cli end to end: the built binary run as a script would run it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"
#include "core/data/file_bytes.h"
#include "core/data/file_names.h"

namespace mensuro::test {
namespace {

// The worked example: a = 2 mm, b = 2 ppm, three pairs.
constexpr std::string_view kMeasured = "A,B,99.997\nA,C,299.995\nA,D,599.991\n";
constexpr std::string_view kPublished = "A,B,100\nA,C,300\nA,D,600\n";
constexpr std::string_view kMissingD = "A,B,100\nA,C,300\n";
constexpr std::string_view kNoPublishedD =
    "Error processing project:\nNo published distance between A and D.";
constexpr std::string_view kTooFewPairs =
    "Error processing project:\nthe measured file gives 3 observation(s) of 2 station pair(s); at "
    "least three different pairs are needed";

TEST(cli, success_prints_the_report_on_stdout_and_exits_zero) {
  const TempDir dir;
  const CliRun run = RunFiles(dir, kMeasured, kPublished);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(run.out.starts_with("\n          EDM Calibration Report\n")) << run.out;
  EXPECT_FALSE(Contains(run.out, "\r"));
  // Header at its reset values, then the figures of the worked example.
  for (const std::string_view line :
       {"\nDate: \n", "\nTime: \n", "\nEDM Description: \n", "\nComment: \n",
        "\nEDM Specifications: +/- 2.0 mm + 2.0 PPM\n", "\n    Scale Error: 12.105 ppm\n",
        "\n    Constant Error: 0.0016m\n", "\n    Covariance: 0.279762   Correlation: 0.839274 \n",
        "\n          13.2791 is greater than 12.7050. \n"}) {
    EXPECT_TRUE(Contains(run.out, line)) << "missing: " << line;
  }
}

TEST(cli, processing_failures_go_to_stderr_and_exit_one) {
  struct Case {
    std::string_view measured, published, message;
  };
  // On one line, with the line the failure names: the pair's first observation, or its second
  // published distance.
  const Case cases[] = {
      {kMeasured, kMissingD,
       "mensuro-cli: Error processing project: No published distance between A and D. (m.txt:3)"},
      // Three observations but two distinct pairs: the core gives no reason, so the command
      // line says what it read.
      {"A,B,99.997\nA,C,299.995\nA,B,99.998\n", kPublished,
       "mensuro-cli: Error processing project: the measured file gives 3 observation(s) of 2 "
       "station pair(s); at least three different pairs are needed"},
      {kMeasured, "A,B,100\n\nA,B,100.1\nA,C,300\nA,D,600\n",
       "mensuro-cli: Error processing project: Multiple published distances found between:\tA - "
       "B (p.txt:3)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const TempDir dir;
    const CliRun run = RunFiles(dir, c.measured, c.published);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    // After any warnings and notes.
    EXPECT_TRUE(run.err.ends_with(std::string(c.message) + "\n")) << run.err;
  }
}

TEST(cli, usage_errors_print_one_line_and_exit_two) {
  struct Case {
    std::vector<std::string> args;
    std::string_view mentions;
  };
  const Case cases[] = {
      {{}, "MEASURED_FILE"},
      {{"m.txt"}, "--published"},
      {{"m.txt", "--published", "p.txt", "--bogus"}, "--bogus"},
      {{"m.txt", "--published", "p.txt", "--format", "xml"}, "xml"},
  };
  const TempDir dir;
  dir.Write("m.txt", kMeasured);
  dir.Write("p.txt", kPublished);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mentions);
    ExpectOneErrorLine(RunCli(dir, c.args), c.mentions);
  }
}

TEST(cli, unreadable_inputs_name_the_path_and_exit_two) {
  const TempDir dir;
  dir.Write("m.txt", kMeasured);
  dir.Write("p.txt", kPublished);
  std::filesystem::create_directory(dir.path() / "a folder");
  ExpectOneErrorLine(RunCli(dir, {"absent.txt", "--published", "p.txt"}), "absent.txt");
  ExpectOneErrorLine(RunCli(dir, {"m.txt", "--published", "gone.txt"}), "gone.txt");
  ExpectOneErrorLine(RunCli(dir, {"a folder", "--published", "p.txt"}), "a folder");
  ExpectOneErrorLine(RunCli(dir, {"m.txt", "--published", "a folder"}), "a folder");
}

TEST(cli, unwritable_output_exits_two_and_creates_nothing) {
  const TempDir dir;
  const CliRun run = RunFiles(dir, kMeasured, kPublished, {"--output", "no-folder/report.txt"});
  ExpectOneErrorLine(run, "'no-folder/report.txt': No such file or directory");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "no-folder"));
}

TEST(cli, help_prints_usage_on_stdout_and_exits_zero) {
  const TempDir dir;
  const CliRun run = RunCli(dir, {"--help"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  for (const std::string_view word :
       {"MEASURED_FILE", "--published", "--output", "--format", "--baseline-uncertainty",
        "--sensor-uncertainty", "--resolution", "--centring", "--acceptance"}) {
    EXPECT_TRUE(Contains(run.out, word)) << "missing: " << word;
  }
  EXPECT_FALSE(Contains(run.out, "Excludes")) << run.out;
  EXPECT_TRUE(Contains(run.out,
                       "; it replaces the uncertainty that the library gives for the "
                       "baseline\n"))
      << run.out;
}

TEST(cli, version_is_the_one_the_build_was_given) {
  const TempDir dir;
  const CliRun run = RunCli(dir, {"--version"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "mensuro-cli " MENSURO_PROJECT_VERSION "\n");
  EXPECT_EQ(run.err, "");
}

TEST(cli, report_file_holds_stdout_with_cr_lf) {
  const TempDir dir;
  // Longer than the report: what was there before must not survive.
  dir.Write("report.txt", std::string(20000, 'x'));
  const CliRun run = RunFiles(dir, kMeasured, kPublished, {"--output", "report.txt"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ASSERT_FALSE(run.out.empty());
  EXPECT_EQ(ReadBytes(dir.path() / "report.txt"), WithCrLf(run.out));
}

TEST(cli, file_name_lines_show_the_arguments_as_given) {
  const TempDir dir;
  dir.Write("in dir/measured.txt", kMeasured);
  const std::string published = dir.Write("p.txt", kPublished).string();
  const std::string measured = "./in dir/../in dir/measured.txt";
  const CliRun run = RunCli(dir, {measured, "--published", published});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "\nPublished Baseline: " + published + "\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "\nMeasured Calibration File Name: " + measured + "\n")) << run.out;
}

// On Windows these take the wide command line and the wide-character file calls.
TEST(cli, file_names_outside_ascii_are_read_written_and_shown_as_given) {
  const TempDir dir;
  const std::string measured =
      "Pr\xC3\xBC"
      "fstrecke \xC3\x98resund.txt";
  const std::string report =
      "Bericht \xE2\x80\x93 Pr\xC3\xBC"
      "fung.txt";
  ASSERT_EQ(WriteFileBytes(dir.path() / PathFromUtf8(measured), kMeasured), 0);
  dir.Write("p.txt", kPublished);
  const CliRun run = RunCli(dir, {measured, "--published", "p.txt", "--output", report});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "\nMeasured Calibration File Name: " + measured + "\n")) << run.out;
  EXPECT_EQ(ReadBytes(dir.path() / PathFromUtf8(report)), WithCrLf(run.out));
}

TEST(cli, header_lines_of_the_measured_file_set_the_report_header) {
  const TempDir dir;
  const CliRun run = RunFiles(
      dir,
      "$2024-05-01\n!10:30\n#Baseline check\n@Total station X\n^3\n%1.5\n" + std::string(kMeasured),
      kPublished);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (const std::string_view line :
       {"\nDate: 2024-05-01\n", "\nTime: 10:30\n", "\nEDM Description: Total station X\n",
        "\nComment: Baseline check\n", "\nEDM Specifications: +/- 3.0 mm + 1.5 PPM\n"}) {
    EXPECT_TRUE(Contains(run.out, line)) << "missing: " << line;
  }
}

TEST(cli, other_line_ends_a_byte_order_mark_and_a_missing_final_line_feed_give_the_same_report) {
  const std::string measured = "#Check\n" + std::string(kMeasured);
  const TempDir dir;
  const CliRun lf = RunFiles(dir, measured, kPublished);
  ASSERT_EQ(lf.exitCode, 0) << lf.err;
  auto withoutLast = [](std::string_view text) {
    return std::string(text.substr(0, text.size() - 1));
  };
  const std::string crlfMeasured = ReplaceAll(measured, "\n", "\r\n");
  const std::string crlfPublished = ReplaceAll(std::string(kPublished), "\n", "\r\n");
  // Three pairs exactly: dropping the unterminated last line would fail the run.
  const std::pair<std::string, std::string> variants[] = {
      {crlfMeasured, crlfPublished},
      {withoutLast(measured), withoutLast(kPublished)},
      {crlfMeasured.substr(0, crlfMeasured.size() - 2),
       crlfPublished.substr(0, crlfPublished.size() - 2)},
      // Carriage returns alone, as old Macintosh editors end lines.
      {ReplaceAll(measured, "\n", "\r"), ReplaceAll(std::string(kPublished), "\n", "\r")},
      // A UTF-8 byte-order mark in front of a header line and of a distance line.
      {"\xEF\xBB\xBF" + crlfMeasured, "\xEF\xBB\xBF" + std::string(kPublished)},
  };
  for (const auto& [m, p] : variants) {
    SCOPED_TRACE(m);
    const CliRun run = RunFiles(dir, m, p);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, lf.out);
  }
}

// Significant digits of a JSON number token, without sign, point, exponent or outer zeros.
std::string SignificantDigits(std::string_view number) {
  number = number.substr(0, number.find_first_of("eE"));
  std::string digits;
  std::copy_if(number.begin(), number.end(), std::back_inserter(digits),
               [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
  digits.erase(0, digits.find_first_not_of('0'));
  digits.erase(digits.find_last_not_of('0') + 1);
  return digits;
}

// Sees every floating point number of a JSON text as written: its digits must be those of the
// shortest form that reads back the same double.
struct ShortestNumberCheck : nlohmann::json_sax<nlohmann::json> {
  int checked = 0;
  bool number_float(double value, const std::string& written) override {
    char shortest[64];
    const auto stop = std::to_chars(shortest, shortest + sizeof shortest, value).ptr;
    EXPECT_EQ(SignificantDigits(written), SignificantDigits({shortest, stop})) << written;
    ++checked;
    return true;
  }
  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override { return true; }
  bool key(string_t&) override { return true; }
  bool end_object() override { return true; }
  bool start_array(std::size_t) override { return true; }
  bool end_array() override { return true; }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }
};

TEST(cli, json_holds_the_run_and_the_report_of_the_text_output) {
  const TempDir dir;
  const CliRun text = RunFiles(dir, kMeasured, kPublished);
  const CliRun run = RunFiles(dir, kMeasured, kPublished, {"--format", "json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const auto doc = nlohmann::json::parse(run.out);

  const auto& header = doc.at("header");
  EXPECT_EQ(header.at("constantError"), 2.0);
  EXPECT_EQ(header.at("ppmError"), 2.0);
  EXPECT_EQ(header.at("comment"), "");
  EXPECT_EQ(header.at("edmDescription"), "");
  EXPECT_EQ(header.at("date"), "");
  EXPECT_EQ(header.at("time"), "");
  EXPECT_EQ(header.at("publishedSource"), "p.txt");
  EXPECT_EQ(header.at("measuredFileName"), "m.txt");

  const auto& observations = doc.at("observations");
  ASSERT_EQ(observations.size(), 3u);
  EXPECT_EQ(observations[2].at("fromStation"), "A");
  EXPECT_EQ(observations[2].at("toStation"), "D");
  EXPECT_EQ(observations[2].at("observedDistance"), 599.991);
  EXPECT_EQ(observations[2].at("publishedDistance"), 600.0);

  const auto& pairs = doc.at("pairs");
  ASSERT_EQ(pairs.size(), 3u);
  EXPECT_EQ(pairs[1].at("from"), "A");
  EXPECT_EQ(pairs[1].at("to"), "C");
  EXPECT_EQ(pairs[1].at("C"), 299.995);
  EXPECT_EQ(pairs[1].at("P"), 300.0);
  EXPECT_NEAR(pairs[1].at("d").get<double>(), 0.005, 1e-12);
  EXPECT_NEAR(pairs[1].at("r").get<double>(), -0.000263158, 1e-9);
  EXPECT_EQ(pairs[1].at("flagged"), false);

  const auto& result = doc.at("result");
  EXPECT_NEAR(result.at("scale").get<double>(), 12.105e-6, 0.0005e-6);
  EXPECT_NEAR(result.at("constant").get<double>(), 0.0016, 0.00005);
  EXPECT_NEAR(result.at("scaleT").get<double>(), 13.2791, 0.00005);
  EXPECT_NEAR(result.at("criticalT").get<double>(), 12.7050, 0.00005);
  EXPECT_EQ(result.at("degreesOfFreedom"), 1);
  EXPECT_NEAR(result.at("covariance").get<double>(), 0.279762, 5e-7);
  EXPECT_NEAR(result.at("correlation").get<double>(), 0.839274, 5e-7);
  EXPECT_EQ(doc.at("verdicts"),
            nlohmann::json({{"scaleTestPassed", false}, {"constantTestPassed", true}}));

  std::string joined;
  for (const auto& line : doc.at("report")) {
    joined += line.get<std::string>();
  }
  EXPECT_EQ(joined, text.out);
  ShortestNumberCheck numbers;
  EXPECT_TRUE(nlohmann::json::sax_parse(run.out, &numbers));
  EXPECT_GT(numbers.checked, 30);
}

TEST(cli, input_warnings_name_file_and_line_and_the_run_goes_on) {
  // A decimal comma on line 2; A-B measured twice, 7.0 mm apart.
  constexpr std::string_view kOdd = "A,B,99.997\nA,C,299,995\nA,D,599.991\nA,B,99.990\n";
  const TempDir dir;
  const CliRun text = RunFiles(dir, kOdd, kPublished);
  EXPECT_EQ(text.exitCode, 0);
  EXPECT_EQ(text.err,
            "m.txt:1: warning: observations of A-B spread 7.0 mm (limit 6.6 mm)\n"
            "m.txt:2: warning: a decimal comma? the distance is read as 299\n");

  const CliRun json = RunFiles(dir, kOdd, kPublished, {"--format", "json"});
  ASSERT_EQ(json.exitCode, 0);
  const nlohmann::json document = nlohmann::json::parse(json.out);
  EXPECT_EQ(document["warnings"][1], nlohmann::json({{"text", "measured"},
                                                     {"line", 2},
                                                     {"reason",
                                                      "a decimal comma? the distance is "
                                                      "read as 299"},
                                                     {"content", "A,C,299,995"}}));
  // A-C was measured once and closes first; A-B twice and closes last.
  const nlohmann::json& pairs = document["pairs"];
  EXPECT_EQ(pairs[0]["observations"], 1);
  EXPECT_TRUE(pairs[0]["observationSpread"].is_null());
  EXPECT_EQ(pairs[2]["observations"], 2);
  EXPECT_NEAR(pairs[2]["observationSpread"].get<double>(), 0.007, 1e-12);
  EXPECT_NEAR(pairs[2]["observationStdDev"].get<double>(), 0.007 / std::sqrt(2.0), 1e-12);
}

TEST(cli, json_failure_is_an_error_object_on_stdout) {
  const TempDir dir;
  const CliRun run = RunFiles(dir, kMeasured, kMissingD, {"--format", "json"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(nlohmann::json::parse(run.out),
            nlohmann::json({{"error", kNoPublishedD},
                            {"errorAt", {{"text", "measured"}, {"line", 3}}},
                            {"warnings", nlohmann::json::array()},
                            {"notes", nlohmann::json::array()}}));
  // Too few pairs: the counts, as the text says them.
  const CliRun few =
      RunFiles(dir, "A,B,99.997\nA,C,299.995\nA,B,99.998\n", kPublished, {"--format", "json"});
  EXPECT_EQ(few.exitCode, 1);
  EXPECT_EQ(nlohmann::json::parse(few.out)["error"], kTooFewPairs);
}

TEST(cli, german_locale_gives_the_same_bytes_as_c) {
#ifdef _WIN32
  GTEST_SKIP() << "locales are named differently on Windows";
#else
  const TempDir dir;
  std::string locales = RunShell(dir, "locale -a").out;
  std::transform(locales.begin(), locales.end(), locales.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (!Contains(locales, "de_de.utf8")) {
    GTEST_SKIP() << "no de_DE.utf8 locale installed";
  }
  // Decimal header values too: a locale-bound reader takes "2.5" for 2 under de_DE.
  const std::string measured = "^2.5\n%1.5\n" + std::string(kMeasured);
  for (const std::string format : {"text", "json"}) {
    SCOPED_TRACE(format);
    const CliRun c = RunFiles(dir, measured, kPublished, {"--format", format, "--output", "c.txt"},
                              {{"LC_ALL", "C"}});
    const CliRun de =
        RunFiles(dir, measured, kPublished, {"--format", format, "--output", "de.txt"},
                 {{"LC_ALL", "de_DE.UTF-8"}});
    ASSERT_EQ(c.exitCode, 0) << c.err;
    EXPECT_EQ(de.exitCode, 0);
    EXPECT_EQ(de.err, c.err);
    EXPECT_EQ(de.out, c.out);
    EXPECT_EQ(ReadBytes(dir.path() / "de.txt"), ReadBytes(dir.path() / "c.txt"));
  }
#endif
}

}  // namespace
}  // namespace mensuro::test
