// mensuro-cli with the baseline library: --baseline, --library and --list-baselines end to end.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"

namespace mensuro::test {
namespace {

constexpr std::string_view kMeasured = "A,B,99.997\nA,C,299.995\nA,D,599.991\n";
constexpr std::string_view kPublished = "A,B,100\nA,C,300\nA,D,600\n";
constexpr std::string_view kLibrary =
    "\xEF\xBB\xBF"
    "1:Behind a byte-order mark\r\n"
    "2:A,B,1\r\n"
    "1:Worked example\r\n"
    "2:A,B,100\r\n"
    "2:A,C,300\r\n"
    "\r\n"
    "1:Short  \r\n"
    "1:Tabbed\t\r\n"
    "2:A,D,600\r\n"
    "1:\r\n"
    "2:A,B,100\r\n";

TEST(cli_baselines, list_prints_the_names_one_per_line_in_file_order) {
  const TempDir dir;
  dir.Write("lib.dat", kLibrary);
  const CliRun run = RunCli(dir, {"--list-baselines", "--library", "lib.dat"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  // A UTF-8 byte-order mark is no part of the first line.
  EXPECT_EQ(run.out, "Behind a byte-order mark\nWorked example\nShort\nTabbed\t\n\n");

  dir.Write("empty.dat", "");
  const CliRun empty = RunCli(dir, {"--list-baselines", "--library", "empty.dat"});
  EXPECT_EQ(empty.exitCode, 0);
  EXPECT_EQ(empty.out, "");
}

TEST(cli_baselines, a_library_baseline_gives_the_report_of_its_distances_in_a_file) {
  const TempDir dir;
  dir.Write("m.txt", kMeasured);
  // The groups of both name lines of the repeated name, as the library loads them.
  dir.Write("lib.dat", std::string(kLibrary) + "1:Worked example\n2:A,D,600\n");
  dir.Write("p.txt", kPublished);
  const CliRun fromLibrary =
      RunCli(dir, {"m.txt", "--baseline", "Worked example", "--library", "lib.dat"});
  const CliRun fromFile = RunCli(dir, {"m.txt", "--published", "p.txt"});
  ASSERT_EQ(fromLibrary.exitCode, 0) << fromLibrary.err;
  ASSERT_EQ(fromFile.exitCode, 0) << fromFile.err;
  // Only the name of the published source differs.
  EXPECT_TRUE(Contains(fromLibrary.out, "\nPublished Baseline: Worked example\n"));
  std::string expected = fromFile.out;
  const std::string fileLine = "Published Baseline: p.txt";
  expected.replace(expected.find(fileLine), fileLine.size(), "Published Baseline: Worked example");
  EXPECT_EQ(fromLibrary.out, expected);

  const CliRun json = RunCli(
      dir, {"m.txt", "--baseline", "Worked example", "--library", "lib.dat", "--format", "json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  EXPECT_EQ(nlohmann::json::parse(json.out)["header"]["publishedSource"], "Worked example");
}

TEST(cli_baselines, the_library_baseline_is_processed_like_a_published_text) {
  const TempDir dir;
  dir.Write("m.txt", kMeasured);
  dir.Write("lib.dat", kLibrary);
  // An empty name is a name: the "1:" line's group, which holds the pair A, B alone.
  const CliRun empty = RunCli(dir, {"m.txt", "--baseline", "", "--library", "lib.dat"});
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_EQ(empty.err,
            "mensuro-cli: Error processing project: No published distance between A and C. "
            "(m.txt:2)\n");
  // A line of the baseline is named by its line in the library.
  dir.Write("ab.txt", "A,B,99.997\n");
  const CliRun unused =
      RunCli(dir, {"ab.txt", "--baseline", "Worked example", "--library", "lib.dat"});
  EXPECT_TRUE(
      unused.err.starts_with("lib.dat:5: note: no observation of A-C; the distance is not used\n"))
      << unused.err;
}

TEST(cli_baselines, every_listed_name_loads_and_a_near_miss_is_named) {
  const TempDir dir;
  dir.Write("m.txt", kMeasured);
  dir.Write("lib.dat", kLibrary);
  // Listed as "Short" and "Tabbed\t": both load, "Tabbed" as it looks too, though none holds
  // all pairs measured.
  for (const std::string name : {"Short", "Tabbed\t", "Tabbed"}) {
    const CliRun run = RunCli(dir, {"m.txt", "--baseline", name, "--library", "lib.dat"});
    EXPECT_EQ(run.exitCode, 1) << name;
    EXPECT_TRUE(Contains(run.err, "No published distance between A and B.")) << run.err;
  }
  const std::string hint = "; did you mean \"Worked example\"? (--list-baselines lists them)\n";
  for (const std::string name : {"worked example", " Worked example "}) {
    const CliRun run = RunCli(dir, {"m.txt", "--baseline", name, "--library", "lib.dat"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "mensuro-cli: No baseline named " + name + " in lib.dat" + hint);
  }
  const CliRun unknown = RunCli(dir, {"m.txt", "--baseline", "North", "--library", "lib.dat"});
  EXPECT_EQ(unknown.err,
            "mensuro-cli: No baseline named North in lib.dat (--list-baselines lists them)\n");
}

TEST(cli_baselines, an_unreadable_library_is_named_and_exits_two) {
  const TempDir dir;
  dir.Write("m.txt", kMeasured);
  std::filesystem::create_directory(dir.path() / "a folder");
  ExpectOneErrorLine(RunCli(dir, {"--list-baselines", "--library", "gone.dat"}), "gone.dat");
  ExpectOneErrorLine(RunCli(dir, {"m.txt", "--baseline", "X", "--library", "gone.dat"}),
                     "gone.dat");
  ExpectOneErrorLine(RunCli(dir, {"m.txt", "--baseline", "X", "--library", "a folder"}),
                     "a folder");
}

TEST(cli_baselines, options_that_do_not_go_together_are_usage_errors) {
  struct Case {
    std::vector<std::string> args;
    std::string_view mentions;
  };
  const Case cases[] = {
      {{"m.txt"}, "--baseline"},
      {{"m.txt", "--published", "p.txt", "--baseline", "X"}, "--baseline"},
      {{"m.txt", "--published", "p.txt", "--library", "lib.dat"}, "--library"},
      {{"m.txt", "--list-baselines"}, "--list-baselines"},
      {{"--list-baselines", "--output", "r.txt"}, "--list-baselines"},
  };
  const TempDir dir;
  dir.Write("m.txt", kMeasured);
  dir.Write("p.txt", kPublished);
  dir.Write("lib.dat", kLibrary);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mentions);
    ExpectOneErrorLine(RunCli(dir, c.args), c.mentions);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "r.txt"));
}

// Without --library the program reads the library shipped beside it: the example of `make run`.
TEST(cli_baselines, the_shipped_library_serves_the_bundled_example) {
  const TempDir dir;
  const CliRun list = RunCli(dir, {"--list-baselines"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(list.out, RunCli(dir, {"--list-baselines", "--library", MENSURO_SHIPPED_LIBRARY}).out);
  EXPECT_TRUE(Contains(list.out, "\nExample seven-pillar line 600 m\n")) << list.out;

  const std::string measured = MENSURO_EXAMPLES_DIR "/seven-pillar-measured.txt";
  const CliRun run = RunCli(dir, {measured, "--baseline", "Example seven-pillar line 600 m"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "\nPublished Baseline: Example seven-pillar line 600 m\n"));
  // Every pair of the seven pillars measured, so 21 - 2 degrees of freedom.
  EXPECT_TRUE(Contains(run.out, "\n    Degrees of Freedom: 19\n")) << run.out;
}

#ifndef _WIN32
// An installed program finds the library in ../share/mensuro/ beside its bin/ folder.
TEST(cli_baselines, an_installed_program_finds_the_library_in_its_share_folder) {
  const TempDir dir;
  std::filesystem::create_directories(dir.path() / "usr/bin");
  std::filesystem::copy_file(MENSURO_CLI, dir.path() / "usr/bin/mensuro-cli");
  dir.Write("usr/share/mensuro/Baselines.dat", "1:Installed\n2:A,B,1\n");
  // A symbolic link elsewhere still leads to the program's own folder.
  std::filesystem::create_directories(dir.path() / "elsewhere");
  std::filesystem::create_symlink(dir.path() / "usr/bin/mensuro-cli",
                                  dir.path() / "elsewhere/mensuro-cli");
  for (const std::string_view program : {"usr/bin/mensuro-cli", "elsewhere/mensuro-cli"}) {
    const CliRun run = RunShell(dir, std::string(program) + " --list-baselines");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Installed\n");
  }

  std::filesystem::remove(dir.path() / "usr/share/mensuro/Baselines.dat");
  const CliRun missing = RunShell(dir, "usr/bin/mensuro-cli --list-baselines");
  ExpectOneErrorLine(missing, "usr/bin/Baselines.dat");
}
#endif

}  // namespace
}  // namespace mensuro::test
