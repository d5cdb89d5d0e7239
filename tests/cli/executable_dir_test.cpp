#include "cli/executable_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace mensuro::cli {
namespace {

// The shipped files are looked up beside the running program, so its folder must come from the
// system, not from how it was started: a script may start it through a link or by a bare name.
TEST(executable_directory, is_the_running_programs_folder_whatever_it_was_started_as) {
  const std::filesystem::path expected{MENSURO_CLI_TESTS_DIR};
  EXPECT_TRUE(std::filesystem::equivalent(ExecutableDirectory("elsewhere/cli_tests"), expected));
  EXPECT_TRUE(std::filesystem::equivalent(ExecutableDirectory(nullptr), expected));
}

}  // namespace
}  // namespace mensuro::cli
