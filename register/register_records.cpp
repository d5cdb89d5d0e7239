#include "register/register_records.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "core/data/local_time.h"

namespace mensuro {

std::string_view RecordKindName(RecordKind kind) {
  return kind == RecordKind::kBaseline ? "baseline" : "instrument";
}

std::optional<double> NormalisedError(double x1, double u1, double x2, double u2) {
  const double combined = std::sqrt(u1 * u1 + u2 * u2);
  if (!(combined > 0.0)) {
    return std::nullopt;
  }
  return std::fabs(x2 - x1) / combined;
}

std::string DateMonthsAfter(const std::string& date, int months) {
  if (!IsIsoDate(date)) {
    return {};
  }
  namespace ch = std::chrono;
  const ch::year_month start{ch::year{std::stoi(date.substr(0, 4))},
                             ch::month{static_cast<unsigned>(std::stoi(date.substr(5, 2)))}};
  const ch::year_month later = start + ch::months{months};
  const ch::day last =
      ch::year_month_day_last{later.year(), ch::month_day_last{later.month()}}.day();
  const ch::day wanted{static_cast<unsigned>(std::stoi(date.substr(8, 2)))};
  return fmt::format("{:04}-{:02}-{:02}", static_cast<int>(later.year()),
                     static_cast<unsigned>(later.month()),
                     static_cast<unsigned>(std::min(wanted, last)));
}

std::string DateDaysAfter(const std::string& date, int days) {
  if (!IsIsoDate(date)) {
    return {};
  }
  namespace ch = std::chrono;
  const ch::year_month_day later{
      ch::sys_days{ch::year{std::stoi(date.substr(0, 4))} /
                   ch::month{static_cast<unsigned>(std::stoi(date.substr(5, 2)))} /
                   ch::day{static_cast<unsigned>(std::stoi(date.substr(8, 2)))}} +
      ch::days{days}};
  return fmt::format("{:04}-{:02}-{:02}", static_cast<int>(later.year()),
                     static_cast<unsigned>(later.month()), static_cast<unsigned>(later.day()));
}

}  // namespace mensuro
