#pragma once

// Checks shared by the command line's end-to-end tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

#include "cli/cli_run.h"

namespace mensuro::test {

inline bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// Usage and file errors: exit 2, nothing on stdout, one stderr line mentioning `what`.
inline void ExpectOneErrorLine(const CliRun& run, std::string_view what) {
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_TRUE(run.err.ends_with('\n')) << run.err;
  EXPECT_TRUE(Contains(run.err, what)) << run.err << " lacks " << what;
}

}  // namespace mensuro::test
