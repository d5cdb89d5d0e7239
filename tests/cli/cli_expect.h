#pragma once

// Checks shared by the command line's end-to-end tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/cli_run.h"

namespace mensuro::test {

inline bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// The seven-pillar example and a complete certificate details file, as shipped.
inline const std::string kSevenPillarMeasured =
    std::string(MENSURO_EXAMPLES_DIR) + "/seven-pillar-measured.txt";
inline const std::string kSevenPillarBaseline = "Example seven-pillar line 600 m";
inline const std::string kExampleDetails =
    std::string(MENSURO_EXAMPLES_DIR) + "/certificate-details.json";

// A calibration of the seven-pillar example against the shipped library, with `extra`.
inline CliRun RunSevenPillar(const TempDir& dir, const std::vector<std::string>& extra) {
  std::vector<std::string> args = {kSevenPillarMeasured, "--baseline", kSevenPillarBaseline,
                                   "--library", MENSURO_SHIPPED_LIBRARY};
  args.insert(args.end(), extra.begin(), extra.end());
  return RunCli(dir, args);
}

// Usage and file errors: exit 2, nothing on stdout, one stderr line mentioning `what`.
inline void ExpectOneErrorLine(const CliRun& run, std::string_view what) {
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_TRUE(run.err.ends_with('\n')) << run.err;
  EXPECT_TRUE(run.err.starts_with("mensuro-cli: ")) << run.err;
  EXPECT_TRUE(Contains(run.err, what)) << run.err << " lacks " << what;
}

// The last line of `err` with its line feed: a failure's message, after any warnings and notes.
inline std::string LastLine(const std::string& err) {
  const std::size_t end = err.ends_with('\n') ? err.size() - 1 : err.size();
  const std::size_t start = err.rfind('\n', end == 0 ? 0 : end - 1);
  return err.substr(start == std::string::npos || start >= end ? 0 : start + 1);
}

using Env = std::vector<std::pair<std::string, std::string>>;

// Writes m.txt and p.txt into `dir` and runs `m.txt --published p.txt` plus `extra`.
inline CliRun RunFiles(const TempDir& dir, std::string_view measured, std::string_view published,
                       std::vector<std::string> extra = {}, const Env& env = {}) {
  dir.Write("m.txt", measured);
  dir.Write("p.txt", published);
  std::vector<std::string> args = {"m.txt", "--published", "p.txt"};
  args.insert(args.end(), extra.begin(), extra.end());
  return RunCli(dir, args, env);
}

inline std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

}  // namespace mensuro::test
