#include "documents/report_numbers.h"

#include <fmt/format.h>

#include <cmath>

namespace mensuro {

std::string MillimetresText(double metres) {
  if (!std::isfinite(metres)) {
    return fmt::format("{}", metres);
  }
  // "-0.0022" becomes "-2.2": the digits before the point, then the first three decimals, a
  // point, and the fourth.
  const std::string text = fmt::format("{:.4f}", metres);
  const std::size_t point = text.find('.');
  std::string digits = text.substr(0, point) + text.substr(point + 1, 3);
  const std::size_t sign = digits.front() == '-' ? 1 : 0;
  const std::size_t firstKept = digits.find_first_not_of('0', sign);
  digits.erase(sign, std::min(firstKept, digits.size() - 1) - sign);
  return digits + "." + text.substr(point + 4);
}

std::string PpmText(double scale) {
  return fmt::format("{:.3f}", scale * 1000000.0);
}

}  // namespace mensuro
