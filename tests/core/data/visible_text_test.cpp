#include "core/data/visible_text.h"

#include <gtest/gtest.h>

namespace mensuro {
namespace {

TEST(visible_text, shows_tabs_and_control_bytes) {
  EXPECT_EQ(VisibleText("A\tB\x1B[2J\x7F\xE9\n"), "A\\tB\\x1B[2J\\x7F\xE9\\x0A");
}

TEST(visible_text, keeps_the_bytes_asked_for) {
  EXPECT_EQ(VisibleText("A\tB\nC\r\x1F", "\n\t"), "A\tB\nC\\x0D\\x1F");
}

TEST(visible_text, control_bytes_are_those_below_blank_and_delete) {
  EXPECT_TRUE(IsControlByte('\0'));
  EXPECT_TRUE(IsControlByte('\x1F'));
  EXPECT_FALSE(IsControlByte(' '));
  EXPECT_FALSE(IsControlByte('~'));
  EXPECT_TRUE(IsControlByte('\x7F'));
  EXPECT_FALSE(IsControlByte('\x80'));
  EXPECT_FALSE(IsControlByte('\xFF'));
}

}  // namespace
}  // namespace mensuro
