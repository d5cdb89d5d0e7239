#include "core/data/number_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mensuro {
namespace {

TEST(number_text, reads_the_longest_decimal_prefix) {
  EXPECT_EQ(ReadNumber("100.1234"), 100.1234);
  EXPECT_EQ(ReadNumber("  \t1.5mm"), 1.5);
  EXPECT_EQ(ReadNumber("+2"), 2.0);
  EXPECT_EQ(ReadNumber("-.5"), -0.5);
  EXPECT_EQ(ReadNumber("5."), 5.0);
  EXPECT_EQ(ReadNumber("1.5e2x"), 150.0);
  EXPECT_EQ(ReadNumber("1.5E-2"), 0.015);
  EXPECT_EQ(ReadNumber("1,5"), 1.0);  // a comma is no decimal point, whatever the locale
  EXPECT_EQ(ReadNumber("2e"), 2.0);   // an exponent needs a digit
  EXPECT_EQ(ReadNumber("2e+"), 2.0);
  EXPECT_EQ(ReadNumber("0x10"), 0.0);  // hexadecimal: the 0 before the x
}

TEST(number_text, reads_a_negative_zero_as_zero) {
  // As an accuracy, -0 would make every standardized difference -inf and flag none.
  for (const char* text : {"-0", "-0.000", "-0e5", " -.0"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ReadNumber(text), 0.0);
    EXPECT_FALSE(std::signbit(ReadNumber(text)));
  }
}

TEST(number_text, reads_text_without_a_number_as_zero) {
  EXPECT_EQ(ReadNumber(""), 0.0);
  EXPECT_EQ(ReadNumber("abc"), 0.0);
  EXPECT_EQ(ReadNumber("-"), 0.0);
  EXPECT_EQ(ReadNumber("."), 0.0);
  EXPECT_EQ(ReadNumber("e5"), 0.0);
  EXPECT_EQ(ReadNumber("\n12"), 12.0);  // line feed is white space to atof too
}

TEST(number_text, never_yields_a_value_that_is_not_finite) {
  EXPECT_EQ(ReadNumber("inf"), 0.0);
  EXPECT_EQ(ReadNumber("-infinity"), 0.0);
  EXPECT_EQ(ReadNumber("nan"), 0.0);
  EXPECT_EQ(ReadNumber("1e999"), 0.0);
  EXPECT_EQ(ReadNumber("-1e999"), 0.0);
  EXPECT_EQ(ReadNumber("1e-999"), 0.0);
}

}  // namespace
}  // namespace mensuro
