#include "core/data/local_time.h"

#include <fmt/format.h>

#include <chrono>
#include <cstdlib>

namespace mensuro {
namespace {

// The seconds since the epoch that the broken-down time `t` names when read as UTC.
std::int64_t SecondsAsUtc(const std::tm& t) {
  const std::chrono::sys_days day{std::chrono::year(t.tm_year + 1900) /
                                  std::chrono::month(static_cast<unsigned>(t.tm_mon + 1)) /
                                  std::chrono::day(static_cast<unsigned>(t.tm_mday))};
  return static_cast<std::int64_t>(day.time_since_epoch().count()) * 86400 + t.tm_hour * 3600 +
         t.tm_min * 60 + t.tm_sec;
}

// The number of `digits` decimal digits at `at` of `text`; nothing when they are not all digits.
std::optional<int> DigitsAt(std::string_view text, std::size_t at, std::size_t digits) {
  int value = 0;
  for (std::size_t i = at; i < at + digits; ++i) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') {
      return std::nullopt;
    }
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

std::optional<std::string> DateText(std::optional<int> year, std::optional<int> month,
                                    std::optional<int> day) {
  if (!year || !month || !day) {
    return std::nullopt;
  }
  const std::chrono::year_month_day date{std::chrono::year(*year),
                                         std::chrono::month(static_cast<unsigned>(*month)),
                                         std::chrono::day(static_cast<unsigned>(*day))};
  if (!date.ok()) {
    return std::nullopt;
  }
  return fmt::format("{:04}-{:02}-{:02}", *year, *month, *day);
}

}  // namespace

bool IsIsoDate(std::string_view text) {
  return text.size() == 10 && text[4] == '-' && text[7] == '-' &&
         DateText(DigitsAt(text, 0, 4), DigitsAt(text, 5, 2), DigitsAt(text, 8, 2)).has_value();
}

std::optional<std::string> IsoDateOf(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  if (text.size() != 10) {
    return std::nullopt;
  }
  if (IsIsoDate(text)) {
    return std::string(text);
  }
  const char separator = text[2];
  if ((separator != '-' && separator != '/' && separator != '.') || text[5] != separator) {
    return std::nullopt;
  }
  return DateText(DigitsAt(text, 6, 4), DigitsAt(text, 3, 2), DigitsAt(text, 0, 2));
}

std::optional<LocalMoment> LocalMomentOf(std::time_t when) {
  std::tm local{};
  std::tm utc{};
#ifdef _WIN32
  // The C library of Windows has the reentrant forms under its own names and argument order.
  const bool converted = localtime_s(&local, &when) == 0 && gmtime_s(&utc, &when) == 0;
#else
  const bool converted = localtime_r(&when, &local) != nullptr && gmtime_r(&when, &utc) != nullptr;
#endif
  if (!converted) {
    return std::nullopt;
  }
  // The offset is the local clock's reading less UTC's of the same instant; no tm_gmtoff on
  // Windows.
  const std::int64_t offsetMinutes = (SecondsAsUtc(local) - SecondsAsUtc(utc)) / 60;
  const std::string date =
      fmt::format("{:04}-{:02}-{:02}", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  return LocalMoment{date, fmt::format("{}T{:02}:{:02}:{:02}{}{:02}:{:02}", date, local.tm_hour,
                                       local.tm_min, local.tm_sec, offsetMinutes < 0 ? '-' : '+',
                                       std::abs(offsetMinutes) / 60, std::abs(offsetMinutes) % 60)};
}

std::optional<LocalMoment> LocalMomentNow() {
  const std::time_t now = std::time(nullptr);
  if (now == static_cast<std::time_t>(-1)) {
    return std::nullopt;
  }
  return LocalMomentOf(now);
}

}  // namespace mensuro
