// The laboratory's date and moment east and west of Greenwich, set by TZ for the test's process.

#include "core/data/local_time.h"

#include <gtest/gtest.h>

#include "support/time_zone.h"

namespace mensuro {
namespace {

using test::TimeZone;

// 2026-12-31 22:30:00 UTC.
constexpr std::time_t kNewYearsEveUtc = 1798756200;

TEST(LocalTime, DateAndOffsetFollowTheLaboratorysClock) {
  {
    const TimeZone zone("UTC0");
    const auto moment = LocalMomentOf(kNewYearsEveUtc);
    ASSERT_TRUE(moment);
    EXPECT_EQ(moment->date, "2026-12-31");
    EXPECT_EQ(moment->moment, "2026-12-31T22:30:00+00:00");
  }
  {
    // Two hours east: already the new year, and its date.
    const TimeZone zone("EET-2");
    const auto moment = LocalMomentOf(kNewYearsEveUtc);
    ASSERT_TRUE(moment);
    EXPECT_EQ(moment->date, "2027-01-01");
    EXPECT_EQ(moment->moment, "2027-01-01T00:30:00+02:00");
  }
  {
    const TimeZone zone("NST3:30");  // half an hour's offset, west
    const auto moment = LocalMomentOf(kNewYearsEveUtc);
    ASSERT_TRUE(moment);
    EXPECT_EQ(moment->moment, "2026-12-31T19:00:00-03:30");
  }
}

// Dates of the calendar only: the register's date options and the date of measurement.
TEST(local_time, dates_are_days_of_the_calendar) {
  EXPECT_TRUE(IsIsoDate("2026-12-08"));
  EXPECT_TRUE(IsIsoDate("2028-02-29"));
  for (const char* wrong : {"2026-02-30", "2026-13-01", "2026-1-08", "2026/12/08", "20261208",
                            "2026-12-08 ", "", "2026-12-0x"}) {
    EXPECT_FALSE(IsIsoDate(wrong)) << wrong;
  }
  // A measured text's header writes the day first.
  EXPECT_EQ(IsoDateOf("05-12-2026"), "2026-12-05");
  EXPECT_EQ(IsoDateOf(" 07/12/2026\t"), "2026-12-07");
  EXPECT_EQ(IsoDateOf("07.12.2026"), "2026-12-07");
  EXPECT_EQ(IsoDateOf("2026-12-07"), "2026-12-07");
  for (const char* wrong :
       {"30-02-2026", "07-12/2026", "7-12-2026", "Dec 7 2026", "", "00-00-0000"}) {
    EXPECT_FALSE(IsoDateOf(wrong)) << wrong;
  }
}

}  // namespace
}  // namespace mensuro
