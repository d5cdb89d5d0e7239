// mensuro-cli's plot and certificate: written beside the unchanged report, without a display.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"

namespace mensuro::test {
namespace {

constexpr std::string_view kMeasured = "A,B,99.997\nA,C,299.995\nA,D,599.991\n";
constexpr std::string_view kPublished = "A,B,100\nA,C,300\nA,D,600\n";
// No display and no platform chosen: the program must choose Qt's offscreen platform itself.
const Env kNoDisplay = {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}};
// A display that isn't there must not matter either.
const Env kGoneDisplay = {{"DISPLAY", ":97"}, {"QT_QPA_PLATFORM", ""}};

TEST(cli_documents, plot_and_certificate_leave_the_report_as_it_is) {
  const TempDir dir;
  const CliRun plain = RunFiles(dir, kMeasured, kPublished);
  ASSERT_EQ(plain.exitCode, 0);
  for (const char* plot : {"plot.svg", "plot.PNG", "plot.pdf"}) {
    SCOPED_TRACE(plot);
    const CliRun run =
        RunFiles(dir, kMeasured, kPublished,
                 {"--plot", plot, "--certificate", "cert.pdf", "--output", "r.rpt"}, kNoDisplay);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, plain.out);
    EXPECT_EQ(ReadBytes(dir.path() / "r.rpt"), WithCrLf(plain.out));
    EXPECT_TRUE(ReadBytes(dir.path() / "cert.pdf").starts_with("%PDF-"));
    EXPECT_FALSE(ReadBytes(dir.path() / plot).empty());
  }
  EXPECT_TRUE(ReadBytes(dir.path() / "plot.PNG").starts_with("\x89PNG"));
#ifndef _WIN32  // DISPLAY names an X server; under Wine, one that isn't there breaks Wine itself
  const CliRun gone = RunFiles(dir, kMeasured, kPublished, {"--plot", "gone.png"}, kGoneDisplay);
  EXPECT_EQ(gone.exitCode, 0) << gone.err;
  EXPECT_EQ(gone.out, plain.out);
#endif
  EXPECT_TRUE(Contains(ReadBytes(dir.path() / "plot.svg"), "<svg"));
}

TEST(cli_documents, a_file_that_cannot_be_written_is_one_line_and_exit_two) {
  const TempDir dir;
  ExpectOneErrorLine(
      RunFiles(dir, kMeasured, kPublished, {"--certificate", "missing/c.pdf"}, kNoDisplay),
      "mensuro-cli: cannot write the certificate file 'missing/c.pdf': ");
  ExpectOneErrorLine(RunFiles(dir, kMeasured, kPublished, {"--plot", "missing/p.png"}, kNoDisplay),
                     "mensuro-cli: cannot write the plot file 'missing/p.png': ");
  ExpectOneErrorLine(RunFiles(dir, kMeasured, kPublished, {"--plot", "p.gif"}),
                     "--plot needs a file name ending in .svg, .png or .pdf");
  // A calibration that fails draws nothing.
  const CliRun failed =
      RunFiles(dir, kMeasured, "A,B,100\nA,C,300\n", {"--certificate", "c.pdf"}, kNoDisplay);
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "c.pdf"));
}

}  // namespace
}  // namespace mensuro::test
