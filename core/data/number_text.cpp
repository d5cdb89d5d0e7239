#include "core/data/number_text.h"

#include <fmt/format.h>

#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <system_error>

namespace mensuro {
namespace {

// The C locale's white space, as isspace sees it there.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

double ReadNumber(std::string_view text) {
  const std::size_t size = text.size();
  std::size_t i = 0;
  while (i < size && IsSpace(text[i])) {
    ++i;
  }
  bool negative = false;
  if (i < size && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }

  // Mantissa: digits, optionally a point and more digits; at least one digit in all.
  const std::size_t start = i;
  std::size_t digits = 0;
  while (i < size && IsDigit(text[i])) {
    ++i;
    ++digits;
  }
  if (i < size && text[i] == '.') {
    ++i;
    while (i < size && IsDigit(text[i])) {
      ++i;
      ++digits;
    }
  }
  if (digits == 0) {
    return 0.0;
  }

  // An exponent counts only when at least one digit follows its letter and sign.
  if (i < size && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < size && (text[j] == '+' || text[j] == '-')) {
      ++j;
    }
    if (j < size && IsDigit(text[j])) {
      while (j < size && IsDigit(text[j])) {
        ++j;
      }
      i = j;
    }
  }

  double value = 0.0;
  const auto [end, error] =
      std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::general);
  if (error != std::errc{} || end != text.data() + i) {
    return 0.0;  // beyond the range of a double
  }
  // "-0" is zero: a negative zero accuracy would turn the flagging of differences upside down.
  return negative && value != 0.0 ? -value : value;
}

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  return first == std::string_view::npos
             ? std::string_view()
             : text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

std::optional<double> ReadWholeNumber(std::string_view text) {
  const std::string_view number = TrimBlanks(text);
  double value = 0.0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (number.empty() || error != std::errc() || end != number.data() + number.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::vector<double>> ReadNumberFields(std::string_view text, std::size_t fewest,
                                                    std::size_t most, std::string_view form,
                                                    std::string& reason, NumberFieldRules rules) {
  std::vector<double> numbers;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    const std::string_view field =
        TrimBlanks(text.substr(start, comma == std::string_view::npos ? comma : comma - start));
    double value = 0.0;
    if (rules.infinityAllowed && field == "inf") {
      value = std::numeric_limits<double>::infinity();
    } else {
      const std::optional<double> number = ReadWholeNumber(field);
      if (!number) {
        reason = fmt::format("\"{}\" is not a number (expected {})", field, form);
        return std::nullopt;
      }
      value = *number;
      if (value < 0.0 && !rules.negativeAllowed) {
        reason = fmt::format("{} is negative (expected {})", field, form);
        return std::nullopt;
      }
    }
    numbers.push_back(value + 0.0);  // a negative zero shows as 0
    if (comma == std::string_view::npos) {
      break;
    }
    start = comma + 1;
  }
  if (numbers.size() < fewest || numbers.size() > most) {
    reason = fmt::format("\"{}\" is not of the form {}", text, form);
    return std::nullopt;
  }
  return numbers;
}

}  // namespace mensuro
