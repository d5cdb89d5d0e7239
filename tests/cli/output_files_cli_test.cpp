// mensuro-cli never writes over a file the run reads, nor twice over one file: refused before
// anything is written, whatever name reaches the file.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"

namespace mensuro::test {
namespace {

constexpr std::string_view kMeasured = "A,B,99.997\nA,C,299.995\nA,D,599.991\n";
constexpr std::string_view kPublished = "A,B,100\nA,C,300\nA,D,600\n";

TEST(cli_output_files, an_output_on_an_input_is_refused_and_nothing_is_written) {
  const TempDir dir;
  ExpectOneErrorLine(RunFiles(dir, kMeasured, kPublished, {"--output", "./m.txt"}),
                     "mensuro-cli: the report file './m.txt' is the measured file 'm.txt'; "
                     "nothing was written\n");
  EXPECT_EQ(ReadBytes(dir.path() / "m.txt"), kMeasured);

  // Through a link, and checked before the report, which comes first, is written.
  std::error_code linked;
  std::filesystem::create_symlink("p.txt", dir.path() / "p.pdf", linked);
  if (!linked) {  // Windows may not allow links without privileges
    ExpectOneErrorLine(
        RunFiles(dir, kMeasured, kPublished, {"--output", "r.rpt", "--certificate", "p.pdf"}),
        "the certificate file 'p.pdf' is the published file 'p.txt'; nothing was written");
    EXPECT_EQ(ReadBytes(dir.path() / "p.txt"), kPublished);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "r.rpt"));
  }
  ExpectOneErrorLine(RunFiles(dir, kMeasured, kPublished, {"--certificate", "m.txt"}),
                     "--certificate needs a file name ending in .pdf");
  EXPECT_EQ(RunFiles(dir, kMeasured, kPublished, {"--certificate", "C.PDF"}).exitCode, 0);
}

TEST(cli_output_files, reduce_and_register_keep_their_inputs) {
  const TempDir dir;
  const std::string field = "from,to,horizontal_distance\nA,B,100\n";
  dir.Write("f.csv", field);
  ExpectOneErrorLine(RunCli(dir, {"reduce", "f.csv", "--output", "f.csv"}),
                     "mensuro-cli: the measured file 'f.csv' is the field file 'f.csv'; nothing "
                     "was written\n");
  ExpectOneErrorLine(RunCli(dir, {"reduce", "f.csv", "--output", "m.txt", "--log", "m.txt"}),
                     "the log file 'm.txt' is the measured file 'm.txt'");
  EXPECT_EQ(ReadBytes(dir.path() / "f.csv"), field);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "m.txt"));

  dir.Write("r.sqlite", "");
  ExpectOneErrorLine(RunCli(dir, {"register", "--register", "r.sqlite", "reissue", "X-1",
                                  "--certificate", "./r.sqlite"}),
                     "the certificate file './r.sqlite' is the register 'r.sqlite'");
}

}  // namespace
}  // namespace mensuro::test
