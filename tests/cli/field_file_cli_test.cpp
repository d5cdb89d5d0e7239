// mensuro-cli given a field file: reduced in memory and processed exactly as `reduce` and a run
// on its output would, recognised by its header row or forced with --field, and the reduction
// and the kind of the published distances stated in the JSON.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"
#include "core/data/visible_text.h"
#include "support/measured_layouts.h"

namespace mensuro::test {
namespace {

const std::string kBaseline = "Example seven-pillar line 600 m";
const std::vector<std::string> kOptions = {"--wavelength",
                                           "0.658",
                                           "--reference-conditions",
                                           "12,1013.25,60",
                                           "--edm",
                                           "Total station",
                                           "--constant",
                                           "2",
                                           "--ppm",
                                           "2"};

std::vector<std::string> Args(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

std::string Example() {
  return ReadBytes(std::filesystem::path(MENSURO_EXAMPLES_DIR) / "seven-pillar-field.csv");
}

// The JSON text without its "reduction" member, which only the direct run has.
std::string WithoutReduction(const std::string& json) {
  const std::size_t start = json.find("\n  \"reduction\": {");
  const std::size_t end = json.find("\n  }", start);
  if (start == std::string::npos || end == std::string::npos) {
    return json;
  }
  return json.substr(0, start) + json.substr(end + 4 + 1);  // the closing brace and its comma
}

// Runs the field file `name` of `dir` directly, and `reduce` with its output processed under the
// same name in a folder of its own; each with the report also written to a file.
void ExpectDirectRunAsReduceThenProcess(const TempDir& dir, const std::string& name) {
  const TempDir reduced;
  const CliRun reduce = RunCli(dir, Args({"reduce", name, "--baseline", kBaseline, "--output",
                                          (reduced.path() / name).string()},
                                         kOptions));
  ASSERT_EQ(reduce.exitCode, 0) << reduce.err;
  for (const std::string format : {"text", "json"}) {
    const std::vector<std::string> run = {name,   "--baseline", kBaseline,   "--format",
                                          format, "--output",   "report.txt"};
    const CliRun direct = RunCli(dir, Args(run, kOptions));
    const CliRun twoSteps = RunCli(reduced, run);
    ASSERT_EQ(direct.exitCode, 0) << direct.err;
    EXPECT_EQ(direct.err, twoSteps.err);
    EXPECT_EQ(format == "json" ? WithoutReduction(direct.out) : direct.out, twoSteps.out);
    EXPECT_EQ(ReadBytes(dir.path() / "report.txt"), ReadBytes(reduced.path() / "report.txt"));
  }
}

TEST(cli_field_file, direct_run_is_reduce_then_process_with_real_world_column_names) {
  const TempDir dir;
  dir.Write("field.csv",
            ReplaceAll(Example(), "from,to,slope_distance,instrument_height,reflector_height",
                       "from_pillar,to_pillar,slope_distance,height_of_instrument,"
                       "height_of_target"));
  ExpectDirectRunAsReduceThenProcess(dir, "field.csv");
}

TEST(cli_field_file, direct_run_is_reduce_then_process_with_tabs) {
  const TempDir dir;
  dir.Write("field.txt", ReplaceAll(Example(), ",", "\t"));
  ExpectDirectRunAsReduceThenProcess(dir, "field.txt");
}

TEST(cli_field_file, field_forces_the_reading_and_reduction_options_need_a_field_file) {
  const TempDir dir;
  dir.Write("m.txt", "A,B,99.997\nA,C,299.995\nA,D,599.991\n");
  dir.Write("p.txt", "A,B,100\nA,C,300\nA,D,600\n");
  // Without a distance column the header row is not a field file's, unless --field says so.
  dir.Write("f.csv", "from,to,temperature\nA,B,12\n");
  EXPECT_EQ(RunCli(dir, {"f.csv", "--published", "p.txt"}).exitCode, 1);
  ExpectOneErrorLine(RunCli(dir, {"f.csv", "--published", "p.txt", "--field"}),
                     "f.csv:1: the columns \"slope_distance\"");
  ExpectOneErrorLine(RunCli(dir, {"m.txt", "--published", "p.txt", "--field"}),
                     "m.txt:1: the columns \"from\"");
  ExpectOneErrorLine(RunCli(dir, {"m.txt", "--published", "p.txt", "--wavelength", "0.658",
                                  "--reference-index", "1.0003"}),
                     "--wavelength, --reference-index apply only to field files, and 'm.txt' is "
                     "a measured text");
}

// The data collector's export, whose names say too little, is read as --column says: the same
// report as the file with the names that say it.
TEST(cli_field_file, column_names_what_a_column_holds) {
  const std::string collector =
      ReadBytes(std::filesystem::path(MENSURO_EXAMPLES_DIR) / "seven-pillar-collector.txt");
  const TempDir given;
  const TempDir named;
  given.Write("collector.txt", collector);
  named.Write(
      "collector.txt",
      ReplaceAll(ReplaceAll(ReplaceAll(ReplaceAll(collector, "Pt Occ", "from"), "Pt Sighted", "to"),
                            "Inst Ht", "instrument_height"),
                 "Tgt Ht", "reflector_height"));
  const std::vector<std::string> run = Args({"collector.txt", "--baseline", kBaseline}, kOptions);
  const std::vector<std::string> columns = {"--column", "from=Pt Occ",
                                            "--column", "to=pt sighted",
                                            "--column", "instrument_height=Inst Ht",
                                            "--column", "reflector_height=Tgt Ht"};
  const CliRun byName = RunCli(named, run);
  const CliRun chosen = RunCli(given, Args(run, columns));
  ASSERT_EQ(chosen.exitCode, 0) << chosen.err;
  EXPECT_EQ(chosen.out, byName.out);
  EXPECT_EQ(chosen.err, byName.err);

  ExpectOneErrorLine(RunCli(given, Args(run, {"--field"})),
                     "--column QUANTITY=NAME says which column holds a quantity");
  ExpectOneErrorLine(RunCli(given, Args(run, {"--column", "form=Pt Occ"})),
                     "--column: \"form\" is not a quantity; the quantities are from, to, "
                     "slope_distance, horizontal_distance,");
  ExpectOneErrorLine(RunCli(given, Args(run, {"--column", "from=Pt Occupied"})),
                     "--column from=Pt Occupied: 'collector.txt' has no column of that name; its "
                     "columns are \"Date\", \"Time\", \"Pt Occ\",");
  ExpectOneErrorLine(
      RunCli(given, Args(run, {"--column", "from=Pt Occ", "--column", "from=Pt Sighted"})),
      "--column gives from twice (\"Pt Occ\" and \"Pt Sighted\")");
}

TEST(cli_field_file, json_states_the_reduction_and_what_the_published_distances_are) {
  const TempDir dir;
  dir.Write("field.csv", Example());
  const nlohmann::json library = nlohmann::json::parse(
      RunCli(dir, Args({"field.csv", "--baseline", kBaseline, "--format", "json"}, kOptions)).out);
  EXPECT_EQ(library["publishedDistances"], "horizontal");
  EXPECT_EQ(library["reduction"], nlohmann::json::parse(R"({
    "fieldObservations": 31, "distances": "slope", "wavelength": 0.658,
    "reference": {"temperature": 12.0, "pressure": 1013.25, "humidity": 60.0},
    "reducedTo": "horizontal", "referenceHeight": null,
    "heights": "library baseline Example seven-pillar line 600 m",
    "temperature": {"smallest": 9.7, "largest": 16.2},
    "pressure": {"smallest": 1007.1, "largest": 1008.4},
    "humidity": {"smallest": 62.0, "largest": 82.0}, "humidityFromWetBulb": false})"));

  // Against a published file the reduction says what the distances are; a measured text says
  // nothing of them.
  dir.Write("slope.csv",
            "from,to,sd,hi,ht,temp,press,wet\nA,B,100,1.5,1.5,12,1013.25,9\n"
            "A,C,300,1.5,1.5,14,1013.25,11\nA,D,600,1.5,1.5,13,1013.25,10\n");
  dir.Write("h.csv", "A,10\nB,10\nC,10\nD,10\n");
  dir.Write("p.txt", "A,B,100\nA,C,300\nA,D,600\n");
  const CliRun slope = RunCli(
      dir, {"slope.csv", "--published", "p.txt", "--heights", "h.csv", "--wavelength", "0.658",
            "--reference-index", "1.0002863", "--distances", "mark-to-mark", "--format", "json"});
  ASSERT_EQ(slope.exitCode, 0) << slope.err;
  const nlohmann::json json = nlohmann::json::parse(slope.out);
  EXPECT_EQ(json["publishedDistances"], "mark to mark");
  const nlohmann::json& reduction = json["reduction"];
  EXPECT_EQ(reduction["reducedTo"], "mark to mark");
  EXPECT_FALSE(reduction.contains("referenceHeight"));
  EXPECT_EQ(reduction["reference"], nlohmann::json::parse(R"({"refractiveIndex": 1.0002863})"));
  EXPECT_EQ(reduction["heights"], "heights file h.csv");
  EXPECT_EQ(reduction["humidityFromWetBulb"], true);

  dir.Write("m.txt", "A,B,99.997\nA,C,299.995\nA,D,599.991\n");
  const nlohmann::json measured =
      nlohmann::json::parse(RunCli(dir, {"m.txt", "--published", "p.txt", "--format", "json"}).out);
  EXPECT_TRUE(measured["publishedDistances"].is_null());
  EXPECT_FALSE(measured.contains("reduction"));

  dir.Write("flat.csv", "from,to,hd\nA,B,99.997\nA,C,299.995\nA,D,599.991\n");
  const nlohmann::json flat = nlohmann::json::parse(
      RunCli(dir, {"flat.csv", "--published", "p.txt", "--format", "json"}).out);
  EXPECT_EQ(flat["reduction"],
            nlohmann::json::parse(R"({"fieldObservations": 3, "distances": "horizontal"})"));
  // Distances taken as given say nothing of the published ones.
  EXPECT_TRUE(flat["publishedDistances"].is_null());
}

// Measured texts with tabs, blanks and commas anywhere, header lines and blank lines first: each
// is processed as the measured text it is, with the report of its plain form.
TEST(field_file_cli, every_layout_of_measured_data_is_read_as_a_measured_text) {
  const TempDir dir;
  dir.Write("published.txt", "STN02,STN04,825.0204\r\nP1,P3,141.7012\r\nP2,P3,86.7185\r\n");
  const std::vector<PlainObservation> observations = {
      {"STN02", "STN04", "825.019"}, {"P1", "P3", "141.7"}, {"P2", "P3", "86.72"}};
  // A sample across all layouts, with the tab-led line once taken for column names.
  const std::vector<LaidOutText> all = MeasuredTextsWithLayouts(observations);
  std::vector<LaidOutText> texts;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (i % (all.size() / 30) == 0 ||
        all[i].text.find("\tSTN02\t STN04 825.019") != std::string::npos) {
      texts.push_back(all[i]);
    }
  }
  for (const auto& [text, plainText] : texts) {
    dir.Write("measured.txt", plainText);
    const CliRun plain = RunCli(dir, {"measured.txt", "--published", "published.txt"});
    dir.Write("measured.txt", text);
    const CliRun run = RunCli(dir, {"measured.txt", "--published", "published.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err << VisibleText(text);
    EXPECT_EQ(run.out, plain.out) << VisibleText(text);
  }
  EXPECT_GT(texts.size(), 30U);
}

// Horizontal distances with a blank line (2) and a blunder (7): the measured text reduced from it
// numbers its lines otherwise, and more so with each header line.
constexpr std::string_view kBlunderField =
    "from,to,hd\n\nA,B,100.001\nA,C,200.002\nA,D,300.001\nA,E,400.000\nB,A,100.031\n";
constexpr std::string_view kBlunderPublished = "A,B,100\nA,C,200\nA,D,300\nA,E,400\n";

TEST(cli_field_file, warnings_and_exclude_line_count_the_lines_of_the_field_file) {
  const TempDir dir;
  dir.Write("f.csv", kBlunderField);
  dir.Write("p.txt", kBlunderPublished);
  const std::vector<std::string> run = {"--published", "p.txt", "--constant", "1"};
  const CliRun warned = RunCli(dir, Args({"f.csv", "--format", "json"}, run));
  ASSERT_EQ(warned.exitCode, 0) << warned.err;
  EXPECT_TRUE(warned.err.starts_with("f.csv:3: warning: observations of B-A spread 30.0 mm"))
      << warned.err;
  EXPECT_EQ(nlohmann::json::parse(warned.out)["warnings"][0]["line"], 3);

  // The blunder left out by its line in the field file is the report of the file without it,
  // whether or not --date adds a header line to the measured text.
  std::string without(kBlunderField);
  without.erase(without.find("B,A,100.031\n"));
  dir.Write("without.csv", without);
  for (const std::vector<std::string>& date :
       {std::vector<std::string>(), std::vector<std::string>{"--date", "07-12-2026"}}) {
    const CliRun left =
        RunCli(dir, Args(Args({"f.csv", "--exclude-line", "7:blunder"}, run), date));
    ASSERT_EQ(left.exitCode, 0) << left.err;
    EXPECT_EQ(left.err, "");
    EXPECT_EQ(left.out,
              ReplaceAll(RunCli(dir, Args(Args({"without.csv"}, run), date)).out, "without", "f"));
  }
  const nlohmann::json json = nlohmann::json::parse(
      RunCli(dir, Args({"f.csv", "--exclude-line", "7:blunder", "--format", "json"}, run)).out);
  EXPECT_EQ(json["excluded"], nlohmann::json::parse(R"([{"line": 7, "reason": "blunder",
      "lines": [7],
      "observations": [{"from": "B", "to": "A", "distance": 100.031, "line": 7}]}])"));

  // A line without an observation: the header row, the blank line, past the end.
  for (const std::string number : {"1", "2", "8"}) {
    ExpectOneErrorLine(RunCli(dir, Args({"f.csv", "--exclude-line", number}, run)),
                       "--exclude-line " + number + ": line " + number +
                           " of the measured file holds no observation");
  }
}

// The date and the time of the first observation that states them, unless given.
TEST(cli_field_file, the_direct_run_is_dated_by_the_field_file) {
  const TempDir dir;
  dir.Write("f.csv",
            "date,time,from,to,hd\n,,A,B,100.001\n2026-12-07,09:42,A,C,200.002\n"
            "2026-12-08,,A,D,300.001\n");
  dir.Write("p.txt", "A,B,100\nA,C,200\nA,D,300\n");
  const nlohmann::json stated = nlohmann::json::parse(
      RunCli(dir, {"f.csv", "--published", "p.txt", "--format", "json"}).out)["header"];
  EXPECT_EQ(stated["date"], "07-12-2026");
  EXPECT_EQ(stated["time"], "09:42:00");
  const nlohmann::json given = nlohmann::json::parse(
      RunCli(dir, {"f.csv", "--published", "p.txt", "--format", "json", "--time", "noon"})
          .out)["header"];
  EXPECT_EQ(given["date"], "07-12-2026");
  EXPECT_EQ(given["time"], "noon");
}

}  // namespace
}  // namespace mensuro::test
