#include "documents/report_numbers.h"

#include <fmt/format.h>

#include <cmath>
#include <string_view>

namespace mensuro {
namespace {

constexpr std::string_view kMinusSign = "\u2212";

// "-0.000" as "0.000": a value that rounded to zero has no sign to show.
std::string WithoutNegativeZero(std::string text) {
  if (text.starts_with('-') && text.find_first_not_of("0.", 1) == std::string::npos) {
    text.erase(0, 1);
  }
  return text;
}

// `text` with its leading minus, if any, as a real minus sign.
std::string WithMinusSign(std::string_view text) {
  return text.starts_with('-') ? std::string(kMinusSign).append(text.substr(1)) : std::string(text);
}

// "a + b" or "a − b" for the signed texts of two terms, each with its unit.
std::string SignedSum(std::string_view first, std::string_view second) {
  const bool negative = second.starts_with('-');
  return fmt::format("{} {} {}", WithMinusSign(first), negative ? kMinusSign : "+",
                     negative ? second.substr(1) : second);
}

}  // namespace

std::string FixedText(double value, int decimals) {
  return WithoutNegativeZero(fmt::format("{:.{}f}", value, decimals));
}

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
  return WithoutNegativeZero(digits + "." + text.substr(point + 4));
}

std::string PpmText(double scale) {
  return FixedText(scale * 1000000.0, 3);
}

std::string MmPlusPpmText(double mm, double ppm) {
  return SignedSum(fmt::format("{} mm", mm + 0.0), fmt::format("{} ppm", ppm + 0.0));
}

std::string CorrectionText(double constantMetres, double scale) {
  return SignedSum(MillimetresText(constantMetres) + " mm",
                   PpmText(scale) + " ppm \u00d7 distance");
}

}  // namespace mensuro
