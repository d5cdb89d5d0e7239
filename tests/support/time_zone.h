#pragma once

// The C library's time zone set for a test, as the laboratory's clock would be.

#include <time.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace mensuro::test {

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

// Noon (UTC) of the day `date` (YYYY-MM-DD): the same day on the clocks of most of the world,
// a moment of issue for a test.
inline std::time_t NoonOf(const std::string& date) {
  const std::chrono::year_month_day day{std::chrono::year(std::stoi(date.substr(0, 4))),
                                        std::chrono::month(std::stoul(date.substr(5, 2))),
                                        std::chrono::day(std::stoul(date.substr(8, 2)))};
  return std::chrono::system_clock::to_time_t(std::chrono::sys_days(day) + std::chrono::hours(12));
}

}  // namespace mensuro::test
