// mensuro-cli reduce: the field file to a measured text that processes, the options that choose
// heights, instrument and header, and the errors of each; the reduction's numbers are the core's
// to check.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"

namespace mensuro::test {
namespace {

const std::string kExample = std::string(MENSURO_EXAMPLES_DIR) + "/seven-pillar-field.csv";
const std::string kBaseline = "Example seven-pillar line 600 m";
const std::vector<std::string> kInstrument = {"--wavelength", "0.658", "--reference-conditions",
                                              "12,1013.25,60"};

constexpr std::string_view kSlopeHeader =
    "from,to,slope_distance,instrument_height,reflector_height,temperature,pressure,humidity\n";

std::vector<std::string> Args(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

std::size_t Lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(cli_reduce, the_example_reduces_to_a_measured_text_that_processes) {
  const TempDir dir;
  const CliRun run = RunCli(dir, Args({"reduce", kExample, "--baseline", kBaseline, "--output",
                                       "m.txt", "--log", "log.csv", "--date", "07-12-2026", "--edm",
                                       "Total station", "--constant", "2", "--ppm", "1.5"},
                                      kInstrument));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "");
  const std::string measured = ReadBytes(dir.path() / "m.txt");
  EXPECT_TRUE(
      measured.starts_with("$07-12-2026\r\n!08:05:00\r\n@Total station\r\n^2.0000\r\n"
                           "%1.5000\r\nP1,P2,54.97974\r\n"))
      << measured;
  EXPECT_EQ(Lines(measured), 5U + 31U);
  const std::string log = ReadBytes(dir.path() / "log.csv");
  EXPECT_EQ(Lines(log), 1U + 31U);
  EXPECT_TRUE(Contains(log, "\r\n2,P1,P2,54.980300,")) << log;

  const CliRun processed = RunCli(dir, {"m.txt", "--baseline", kBaseline});
  EXPECT_EQ(processed.exitCode, 0) << processed.err;
  EXPECT_TRUE(Contains(processed.out, "EDM Calibration Report"));

  // Standard output holds the same text when no file is named.
  const CliRun printed =
      RunCli(dir, Args({"reduce", kExample, "--baseline", kBaseline, "--date", "07-12-2026",
                        "--edm", "Total station", "--constant", "2", "--ppm", "1.5"},
                       kInstrument));
  EXPECT_EQ(printed.out, measured);
}

TEST(cli_reduce, heights_file_mark_to_mark_and_horizontal_files) {
  const TempDir dir;
  dir.Write("heights.csv", "station;height\nA;10\nB;10\n");
  dir.Write("field.csv", std::string(kSlopeHeader) + "A,B,100,1.5,1.5,12,1013.25,60\n");
  // The instrument's own reference atmosphere: only the heights above the marks reduce.
  const CliRun run = RunCli(
      dir, Args({"reduce", "field.csv", "--heights", "heights.csv", "--distances", "mark-to-mark"},
                kInstrument));
  EXPECT_EQ(run.out, "A,B,99.99998\r\n") << run.err;

  dir.Write("flat.csv", "From;To;Horizontal_Distance\nA;B;99,12345\n");
  EXPECT_EQ(RunCli(dir, {"reduce", "flat.csv"}).out, "A,B,99.12345\r\n");
}

// The date and the time of the first observation that states them, unless given.
TEST(cli_reduce, header_dated_by_the_first_dated_observation) {
  const TempDir dir;
  dir.Write("dated.csv",
            "Date;Time;from;to;horizontal_distance\n;;A;B;100\n2026-12-07;09:42;B;C;50\n"
            "2026-12-08;10:05:30;C;D;70\n");
  constexpr std::string_view kLines = "A,B,100.00000\r\nB,C,50.00000\r\nC,D,70.00000\r\n";
  EXPECT_EQ(RunCli(dir, {"reduce", "dated.csv"}).out,
            "$07-12-2026\r\n!09:42:00\r\n" + std::string(kLines));
  EXPECT_EQ(RunCli(dir, {"reduce", "dated.csv", "--time", "noon"}).out,
            "$07-12-2026\r\n!noon\r\n" + std::string(kLines));
  dir.Write("undated.csv", "from;to;horizontal_distance\nA;B;100\n");
  EXPECT_EQ(RunCli(dir, {"reduce", "undated.csv"}).out, "A,B,100.00000\r\n");
}

TEST(cli_reduce, errors_are_usage_errors_naming_what_is_wrong) {
  const TempDir dir;
  dir.Write("field.csv", std::string(kSlopeHeader) + "A,B,100,1.5,1.5,12,1013.25,60\n");
  dir.Write("bad.csv", std::string(kSlopeHeader) + "A,B,100,1.5,1.5,12,,60\n");
  dir.Write("heights.csv", "A,10\n");
  dir.Write("both.csv", "A,10\nB,10\n");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"reduce", "field.csv", "--heights", "heights.csv"}, "--wavelength UM"},
      {Args({"reduce", "field.csv"}, kInstrument), "--baseline NAME or --heights FILE"},
      {{"reduce", "field.csv", "--heights", "heights.csv", "--wavelength", "0.658"},
       "--reference-index N or --reference-conditions"},
      {{"reduce", "field.csv", "--wavelength", "658"}, "--wavelength: 658 µm"},
      {{"reduce", "field.csv", "--reference-index", "1.000286", "--reference-conditions",
        "12,1013.25,60"},
       "excludes"},
      {Args({"reduce", "bad.csv", "--heights", "heights.csv"}, kInstrument),
       "bad.csv:2: column 7 (pressure): the cell is empty"},
      {Args({"reduce", "field.csv", "--heights", "heights.csv"}, kInstrument),
       "field.csv:2: no height is known for the station \"B\""},
      {Args({"reduce", "field.csv", "--baseline", "No such line"}, kInstrument),
       "No baseline named No such line"},
      {Args({"reduce", "missing.csv", "--heights", "heights.csv"}, kInstrument),
       "cannot read the field file 'missing.csv'"},
      {Args({"reduce", "field.csv", "--heights", "both.csv", "--output", "no/such/m.txt"},
            kInstrument),
       "cannot write the measured file 'no/such/m.txt'"},
  };
  for (const auto& [args, what] : cases) {
    ExpectOneErrorLine(RunCli(dir, args), what);
  }
}

}  // namespace
}  // namespace mensuro::test
