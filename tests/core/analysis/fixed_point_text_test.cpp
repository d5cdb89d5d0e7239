#include "core/analysis/fixed_point_text.h"

#include <fmt/printf.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace mensuro {
namespace {

std::string Fixed(double value, int width, int precision) {
  std::string out;
  AppendFixed(out, value, width, precision);
  return out;
}

// Compares with the printf-style formatting of {fmt}, which writes as the C library does.
void ExpectAsPrintf(double value) {
  for (const auto& [width, precision] : {std::pair{9, 4}, {7, 4}, {0, 1}, {0, 4}, {0, 0}}) {
    ASSERT_EQ(Fixed(value, width, precision), fmt::sprintf("%*.*f", width, precision, value))
        << fmt::format("{} with %{}.{}f", value, width, precision);
  }
}

TEST(fixed_point_text, rounds_and_pads_as_printf) {
  EXPECT_EQ(Fixed(99.997, 9, 4), "  99.9970");
  EXPECT_EQ(Fixed(-0.00026315789474371095, 7, 4), "-0.0003");
  EXPECT_EQ(Fixed(-1e-9, 7, 4), "-0.0000");
  EXPECT_EQ(Fixed(0.03125, 0, 4), "0.0312");  // an exact tie rounds to even
  EXPECT_EQ(Fixed(0.09375, 0, 4), "0.0938");
  EXPECT_EQ(Fixed(2.25, 0, 1), "2.2");
  EXPECT_EQ(Fixed(123456789.5, 7, 4), "123456789.5000");  // wider than its column
}

TEST(fixed_point_text, values_that_are_not_finite) {
  for (const double value :
       {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN()}) {
    ExpectAsPrintf(value);
  }
}

TEST(fixed_point_text, agrees_with_printf_over_the_whole_range) {
  std::mt19937_64 random(20261207);
  for (int i = 0; i < 20000; ++i) {
    // Distances as typed, exact binary ties, tiny and huge magnitudes, and any bit pattern.
    ExpectAsPrintf(static_cast<double>(static_cast<std::int64_t>(random() % 20000001) - 10000000) /
                   10000.0);
    ExpectAsPrintf(
        std::ldexp(static_cast<double>(random() % 100000), -static_cast<int>(random() % 24)));
    ExpectAsPrintf(std::ldexp(1.0 + static_cast<double>(random() % 1000000) / 1e6,
                              static_cast<int>(random() % 160) - 100));
    const double any = std::bit_cast<double>(random());
    if (std::isfinite(any)) {
      ExpectAsPrintf(any);
    }
  }
  for (const double edge : {0.0, -0.0, 5e-324, 0.5, 0.05, 0.00005, 0.000049999999999999996,
                            999999999999.99995, 1e12, 4503599627370496.5, 1.7976931348623157e308}) {
    ExpectAsPrintf(edge);
    ExpectAsPrintf(-edge);
  }
}

}  // namespace
}  // namespace mensuro
