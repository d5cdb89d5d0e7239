#include "core/analysis/critical_t.h"

#include <gtest/gtest.h>

namespace mensuro {
namespace {

TEST(critical_t, table_values) {
  EXPECT_EQ(CriticalT(1), 12.705);
  EXPECT_EQ(CriticalT(2), 4.303);
  EXPECT_EQ(CriticalT(10), 2.228);
  EXPECT_EQ(CriticalT(30), 2.042);
}

TEST(critical_t, beyond_the_table_the_exact_quantile_to_three_decimals) {
  EXPECT_EQ(CriticalT(31), 2.040);
  EXPECT_EQ(CriticalT(40), 2.021);
  EXPECT_EQ(CriticalT(60), 2.000);
  EXPECT_EQ(CriticalT(98), 1.984);
  EXPECT_EQ(CriticalT(120), 1.980);
  EXPECT_EQ(CriticalT(1000000), 1.960);
}

TEST(critical_t, no_value_without_degrees_of_freedom) {
  EXPECT_EQ(CriticalT(0), 0.0);
}

}  // namespace
}  // namespace mensuro
