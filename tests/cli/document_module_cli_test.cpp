// mensuro-cli without Qt: every run but --plot and --certificate loads neither Qt nor the
// document module, and a program whose module is missing still gives its reports and says what
// is missing when a document is asked for.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"

namespace mensuro::test {
namespace {

constexpr std::string_view kMeasured = "A,B,99.997\nA,C,299.995\nA,D,599.991\n";
constexpr std::string_view kPublished = "A,B,100\nA,C,300\nA,D,600\n";
const std::string kExamples = MENSURO_EXAMPLES_DIR;
const std::string kBaseline = "Example seven-pillar line 600 m";

TEST(cli_document_module, runs_without_documents_load_no_qt_and_not_the_module) {
#ifdef _WIN32
  GTEST_SKIP() << "the loader's list of libraries (LD_DEBUG) is Linux's";
#endif
  const TempDir dir;
  dir.Write("m.txt", kMeasured);
  dir.Write("p.txt", kPublished);
  const std::vector<std::vector<std::string>> runs = {
      {"m.txt", "--published", "p.txt"},
      {"m.txt", "--published", "p.txt", "--format", "json"},
      {"--version"},
      {"--help"},
      {"--list-baselines"},
      {"reduce", kExamples + "/seven-pillar-field.csv", "--baseline", kBaseline, "--wavelength",
       "0.658", "--reference-conditions", "12,1013.25,60"},
  };
  for (const std::vector<std::string>& args : runs) {
    SCOPED_TRACE(args.front());
    // The dynamic loader names on standard error every library it loads.
    const CliRun run = RunProgram(dir, MENSURO_CLI, args, {{"LD_DEBUG", "libs"}});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    ASSERT_TRUE(Contains(run.err, "libc.so")) << "the loader listed nothing: " << run.err;
    EXPECT_FALSE(Contains(run.err, "libQt6")) << run.err;
    EXPECT_FALSE(Contains(run.err, MENSURO_DOCUMENT_MODULE)) << run.err;
  }
}

TEST(cli_document_module, without_the_module_reports_work_and_documents_fail_in_one_line) {
  const TempDir dir;
  dir.Write("m.txt", kMeasured);
  dir.Write("p.txt", kPublished);
  const std::filesystem::path program =
      dir.path() / "bin" / std::filesystem::path(MENSURO_CLI).filename();
  std::filesystem::create_directory(program.parent_path());
  std::filesystem::copy_file(MENSURO_CLI, program);

  const CliRun report = RunProgram(dir, program, {"m.txt", "--published", "p.txt"});
  EXPECT_EQ(report.exitCode, 0) << report.err;
  EXPECT_EQ(report.out, RunCli(dir, {"m.txt", "--published", "p.txt"}).out);

  const CliRun plot = RunProgram(
      dir, program, {"m.txt", "--published", "p.txt", "--plot", "p.svg", "--output", "r.rpt"});
  ExpectOneErrorLine(plot, (program.parent_path() / MENSURO_DOCUMENT_MODULE).string());
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "p.svg"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "r.rpt"));

  // A module that is there but can't be loaded: the loader's reason.
  dir.Write("bin/" MENSURO_DOCUMENT_MODULE, "not a module");
  ExpectOneErrorLine(
      RunProgram(dir, program, {"m.txt", "--published", "p.txt", "--certificate", "c.pdf"}),
      "cannot load the document module '" +
          (program.parent_path() / MENSURO_DOCUMENT_MODULE).string() + "': ");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "c.pdf"));
}

}  // namespace
}  // namespace mensuro::test
