// The laboratory's date and moment east and west of Greenwich, set by TZ for the test's process.

#include "core/data/local_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace mensuro {
namespace {

// Sets TZ for the lifetime of the object, restoring the former value after.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* former = std::getenv("TZ")) {
      former_ = former;
    }
    Set(zone);
  }
  ~TimeZone() { former_ ? Set(former_->c_str()) : Unset(); }
  TimeZone(const TimeZone&) = delete;
  TimeZone& operator=(const TimeZone&) = delete;

 private:
  static void Set(const char* zone) {
#ifdef _WIN32
    _putenv_s("TZ", zone);
    _tzset();
#else
    setenv("TZ", zone, 1);
    tzset();
#endif
  }
  static void Unset() {
#ifdef _WIN32
    _putenv_s("TZ", "");
    _tzset();
#else
    unsetenv("TZ");
    tzset();
#endif
  }
  std::optional<std::string> former_;
};

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

}  // namespace
}  // namespace mensuro
