// Numbers read from text. ReadNumber must always give a finite value, and the value the C
// library's strtod gives for the longest decimal prefix (white space, sign, digits with an
// optional point, an exponent with at least one digit), with 0.0 for text without such a
// prefix, for values beyond the range of a double and for a negative zero. The process runs in
// a comma-decimal locale when one is installed, which must change nothing; the reference reads
// in the "C" locale.

#include <locale.h>

#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/data/number_text.h"
#include "tests/fuzz/fuzz_check.h"

namespace mensuro {
namespace {

using fuzz::Printf;
using fuzz::Shown;

locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The length of the longest prefix of `text` that is
// [white space]* [+-]? (digits (. digits*)? | . digits) ([eE] [+-]? digits)?, or 0 when none.
std::size_t DecimalPrefix(std::string_view text) {
  std::size_t i = text.find_first_not_of(" \t\n\v\f\r");
  if (i == std::string_view::npos) {
    return 0;
  }
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    ++i;
  }
  const auto digits = [&text](std::size_t from) {
    std::size_t to = from;
    while (to < text.size() && IsDigit(text[to])) {
      ++to;
    }
    return to - from;
  };
  const std::size_t whole = digits(i);
  i += whole;
  std::size_t fraction = 0;
  if (i < text.size() && text[i] == '.') {
    fraction = digits(i + 1);
    if (whole == 0 && fraction == 0) {
      return 0;
    }
    i += 1 + fraction;
  }
  if (whole == 0 && fraction == 0) {
    return 0;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      ++j;
    }
    if (const std::size_t exponent = digits(j); exponent > 0) {
      i = j + exponent;
    }
  }
  return i;
}

// strtod's value for the prefix. Its ERANGE is not consulted: glibc reports it for subnormal
// results too, which are within the range of a double and what atof gives. Infinity (overflow)
// and zero (underflow, or a zero written with a minus) read as 0.0.
double Expected(std::string_view text) {
  const std::size_t length = DecimalPrefix(text);
  if (length == 0) {
    return 0.0;
  }
  const std::string prefix(text.substr(0, length));
  const double value = strtod_l(prefix.c_str(), nullptr, CLocale());
  if (!std::isfinite(value) || value == 0.0) {
    return 0.0;
  }
  return value;
}

}  // namespace
}  // namespace mensuro

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  // Where available, a locale with a decimal comma: reading must not depend on it.
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    std::setlocale(LC_ALL, "C");
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mensuro;
  const std::string_view text = fuzz::InputText(data, size);
  const double value = ReadNumber(text);
  MENSURO_FUZZ_CHECK(std::isfinite(value), Printf("%a", value));
  const double expected = Expected(text);
  MENSURO_FUZZ_CHECK(
      fuzz::SameBits(value, expected),
      Printf("read %a, expected %a from ", value, expected) + Shown(text.substr(0, 200)));
  return 0;
}
