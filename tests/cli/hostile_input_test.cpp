// mensuro-cli on files no surveyor meant to give it: empty, binary, wide-character, huge. Each
// gives a report or a clear message, never a crash. Tests whose names start large_ are left out
// of the run under valgrind, where they would take minutes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"

namespace mensuro::test {
namespace {

using namespace std::string_literals;

constexpr std::string_view kMeasured = "A,B,99.997\nA,C,299.995\nA,D,599.991\n";
constexpr std::string_view kPublished = "A,B,100\nA,C,300\nA,D,600\n";

constexpr std::string_view kDataHeading =
    "  Sta.             Sta.            Horiz. Dist.  Horiz. Dist.  Diff.\n";

// The data lines of a report: from the column headings to the blank line after them.
std::size_t DataLineCount(std::string_view report) {
  const std::size_t start = report.find(kDataHeading);
  const std::size_t end = report.find("\n\n", start);
  if (start == std::string_view::npos || end == std::string_view::npos) {
    return 0;
  }
  const std::size_t first = start + kDataHeading.size();
  const std::string_view data = report.substr(first, end + 1 - first);
  return static_cast<std::size_t>(std::count(data.begin(), data.end(), '\n'));
}

bool HasControlBytes(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\n' && c != '\t') || byte == 0x7F;
  });
}

TEST(hostile_input, empty_files_fail_with_what_was_read) {
  const TempDir dir;
  const CliRun noMeasured = RunFiles(dir, "", kPublished);
  EXPECT_EQ(noMeasured.exitCode, 1);
  EXPECT_EQ(noMeasured.out, "");
  EXPECT_EQ(LastLine(noMeasured.err),
            "mensuro-cli: Error processing project: the measured file gives 0 observation(s) of 0 "
            "station pair(s); at least three different pairs are needed\n");
  const CliRun noPublished = RunFiles(dir, kMeasured, "");
  EXPECT_EQ(noPublished.exitCode, 1);
  EXPECT_EQ(noPublished.err,
            "mensuro-cli: Error processing project: No published distance between A and B. "
            "(m.txt:1)\n");
}

TEST(hostile_input, binary_garbage_fails_and_its_control_bytes_never_reach_the_terminal) {
  std::mt19937 bytes(7);
  std::string garbage;
  for (int i = 0; i < 64 * 1024; ++i) {
    garbage += static_cast<char>(bytes() & 0xFF);
  }
  const TempDir dir;
  for (const auto& [measured, published] :
       {std::pair{garbage, std::string(kPublished)}, std::pair{std::string(kMeasured), garbage}}) {
    const CliRun run = RunFiles(dir, measured, published);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(LastLine(run.err).starts_with("mensuro-cli: Error processing project: "))
        << run.err;
    EXPECT_FALSE(HasControlBytes(run.err));
  }
  // The escape sequence a name holds is shown, not obeyed.
  const CliRun escape = RunFiles(dir, "A,B,1\nA,\x1B[2J,2\nA,D,3\n", kPublished);
  EXPECT_EQ(LastLine(escape.err),
            "mensuro-cli: Error processing project: No published distance between A and \\x1B[2J. "
            "(m.txt:2)\n");

  dir.Write("garbage.dat", garbage);
  const CliRun list = RunCli(dir, {"--list-baselines", "--library", "garbage.dat"});
  EXPECT_EQ(list.exitCode, 0) << list.err;
}

TEST(hostile_input, nul_bytes_are_ordinary_bytes_of_their_line) {
  const TempDir dir;
  const CliRun clean = RunFiles(dir, kMeasured, kPublished);
  ASSERT_EQ(clean.exitCode, 0) << clean.err;
  // A distance ends where its digits end, as before a note.
  const CliRun trailing = RunFiles(dir, "A,B,99.997\0x\nA,C,299.995\nA,D,599.991\n"s, kPublished);
  EXPECT_EQ(trailing.exitCode, 0) << trailing.err;
  EXPECT_EQ(trailing.out, clean.out);
  // A name with a NUL is its own name, kept in the report byte for byte.
  const CliRun named = RunFiles(dir, "A,B\0C,99.997\nA,C,299.995\nA,D,599.991\n"s,
                                "A,B\0C,100\nA,C,300\nA,D,600\n"s);
  EXPECT_EQ(named.exitCode, 0) << named.err;
  EXPECT_TRUE(Contains(named.out, "  A                B\0C")) << named.out;
}

TEST(hostile_input, wide_character_files_are_refused_naming_the_file) {
  const std::string reason =
      "': it is UTF-16 or UTF-32 text; save it as plain text (ANSI or UTF-8)\n";
  const TempDir dir;
  const CliRun measured = RunFiles(dir, "\xFF\xFE" + Utf16(kMeasured, true), kPublished);
  ExpectOneErrorLine(measured, "");
  EXPECT_EQ(measured.err, "mensuro-cli: cannot read the measured file 'm.txt" + reason);
  const CliRun published = RunFiles(dir, kMeasured, Utf16(kPublished, false));
  EXPECT_EQ(published.err, "mensuro-cli: cannot read the published file 'p.txt" + reason);
  dir.Write("lib.dat", "\xFF\xFE" + Utf16("1:North\r\n2:A,B,100\r\n", true));
  const CliRun library = RunCli(dir, {"--list-baselines", "--library", "lib.dat"});
  ExpectOneErrorLine(library, "");
  EXPECT_EQ(library.err, "mensuro-cli: cannot read the baseline library 'lib.dat" + reason);
}

TEST(hostile_input, numbers_are_read_as_far_as_they_are_decimal) {
  struct Case {
    std::string header;
    std::string_view accuracyLine;
  };
  // Infinities, not-a-number and overflow read as 0, like text without a number; so does a
  // hexadecimal number after its 0; a comma is no decimal point.
  const Case cases[] = {
      {"^0x10\n%1,5\n", "+/- 0.0 mm + 1.0 PPM"},
      {"^1.5\n%2,75\n", "+/- 1.5 mm + 2.0 PPM"},
      {"^1e999\n%2\n", "+/- 0.0 mm + 2.0 PPM"},
  };
  const TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header);
    const CliRun run = RunFiles(dir, c.header + std::string(kMeasured), kPublished);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "\nEDM Specifications: " + std::string(c.accuracyLine) + "\n"))
        << run.out;
  }
  // Without any accuracy no difference can be judged: refused rather than reported as infinite.
  for (const std::string header : {"^1e999\n%inf\n", "^nan\n%-1e999\n", "^-0\n%-0\n"}) {
    const CliRun none = RunFiles(dir, header + std::string(kMeasured), kPublished);
    EXPECT_EQ(none.exitCode, 1) << header;
    EXPECT_TRUE(Contains(none.err, "specified accuracy is 0 mm + 0 ppm")) << none.err;
  }

  // A distance that is no decimal number reads as 0.0 and shows so in the report.
  const CliRun distance =
      RunFiles(dir, std::string(kMeasured) + "A,B,1e999\nA,C,nan\nA,D,-0\n", kPublished);
  ASSERT_EQ(distance.exitCode, 0) << distance.err;
  EXPECT_TRUE(Contains(distance.out, "  A                B                   0.0000      100.0000"))
      << distance.out;
  EXPECT_FALSE(Contains(distance.out, "-0.0000      600.0000")) << distance.out;

  // With a comma in the line, blanks vanish and the comma separates: the message shows the
  // fields as they were read.
  const CliRun comma = RunFiles(dir, "A B 99,997\nA,C,299.995\nA,D,599.991\n", kPublished);
  EXPECT_EQ(comma.exitCode, 1);
  EXPECT_EQ(LastLine(comma.err),
            "mensuro-cli: Error processing project: No published distance between AB99 and 997. "
            "(m.txt:1)\n");
}

TEST(hostile_input, names_of_ten_thousand_characters_are_read_whole) {
  const std::string name(10'000, 'N');
  const TempDir dir;
  const CliRun run = RunFiles(dir, "A," + name + ",99.997\nA,C,299.995\nA,D,599.991\n",
                              "A," + name + ",100\nA,C,300\nA,D,600\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  // The report's columns show the start of a name.
  EXPECT_TRUE(Contains(run.out, "  A                NNNNNNNNNNNNNNN    99.9970      100.0000"));
  // A message names it whole.
  const CliRun missing =
      RunFiles(dir, "A," + name + ",99.997\n" + std::string(kMeasured), kPublished);
  EXPECT_EQ(LastLine(missing.err),
            "mensuro-cli: Error processing project: No published distance "
            "between A and " +
                name + ". (m.txt:1)\n");

  // A library line is read in pieces of 254 bytes: such a baseline is listed but never loaded.
  // (Windows' command interpreter takes no command of more than 8191 characters.)
#ifndef _WIN32
  dir.Write("lib.dat", "1:" + name + "\n2:A,B,100\n");
  const CliRun list = RunCli(dir, {"--list-baselines", "--library", "lib.dat"});
  EXPECT_EQ(list.out, name + "\n");
  const CliRun load = RunCli(dir, {"m.txt", "--baseline", name, "--library", "lib.dat"});
  ExpectOneErrorLine(load, "No baseline named " + name + " in lib.dat");
#endif
}

TEST(hostile_input, large_a_ten_megabyte_line_is_read_whole) {
  const std::string comment(10 * 1024 * 1024, 'c');
  const TempDir dir;
  const CliRun run = RunFiles(dir, "#" + comment + "\n" + std::string(kMeasured), kPublished);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "\nComment: " + comment + "\n"));

  // One observation line of 10 MB: its station name is named in the message.
  const CliRun line = RunFiles(dir, comment + ",B,1\n" + std::string(kMeasured), kPublished);
  EXPECT_EQ(line.exitCode, 1);
  EXPECT_EQ(LastLine(line.err),
            "mensuro-cli: Error processing project: No published distance "
            "between " +
                comment + " and B. (m.txt:1)\n");
}

TEST(hostile_input, large_a_million_observations_give_a_data_line_each) {
  constexpr std::size_t kObservations = 1'000'000;
  std::string measured = "^1\n%1.5\n";
  measured.reserve(kObservations * 16);
  const std::string_view pairs[] = {"A,B,99.99", "A,C,299.99", "B,D,499.99", "C,D,300.00"};
  for (std::size_t i = 0; i < kObservations; ++i) {
    measured += pairs[i % 4];
    measured += static_cast<char>('0' + i % 10);
    measured += '\n';
  }
  const TempDir dir;
  const CliRun run = RunFiles(dir, measured, "A,B,100\nA,C,300\nB,D,500\nC,D,300.01\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(DataLineCount(run.out), kObservations);
  // One results line per pair, each the mean of its quarter of the observations.
  EXPECT_TRUE(
      Contains(run.out, "  A              B                 99.9940     100.0000    0.0060"))
      << run.out.substr(run.out.size() - 3000);
  EXPECT_TRUE(Contains(run.out, "                                                      RMS: "));
}

}  // namespace
}  // namespace mensuro::test
