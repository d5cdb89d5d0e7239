// The program's version as a certificate and the register name it.

#include "resources/version_info.h"

#include <gtest/gtest.h>

#include <vector>

namespace mensuro::test {
namespace {

TEST(version_info, the_program_version_is_the_name_and_version_or_the_name_alone) {
  EXPECT_EQ(ProgramVersion(), "Mensuro " MENSURO_PROJECT_VERSION);
  const std::vector<VersionString> both = {{"ProductName", "Mensuro"}, {"ProductVersion", "2.1"}};
  EXPECT_EQ(ProgramVersion(both), "Mensuro 2.1");
  const std::vector<VersionString> noName = {{"ProductVersion", "2.1"}};
  EXPECT_EQ(ProgramVersion(noName), "Mensuro");
  EXPECT_EQ(ProgramVersion({}), "Mensuro");
}

}  // namespace
}  // namespace mensuro::test
