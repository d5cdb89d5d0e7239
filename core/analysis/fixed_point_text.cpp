#include "core/analysis/fixed_point_text.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace mensuro {
namespace {

constexpr std::uint64_t kPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000};

// Below this magnitude, value * 10^precision fits 64 bits after rounding; larger values (not
// distances of a baseline) take the general path.
constexpr double kFastLimit = 1e12;

// A 128-bit number as two 64-bit words.
struct Words {
  std::uint64_t high;
  std::uint64_t low;
};

// magnitude * 10^precision rounded half to even, exactly, for a magnitude below kFastLimit:
// the magnitude is m * 2^e with e < 0 (any double from 2^52 on has e >= 0, and 2^52 is beyond
// the limit), so the product is the integer m * 10^precision shifted right by -e bits, and the
// bits shifted out decide the rounding. Works in two 64-bit words to stay portable.
std::uint64_t ScaledRounded(double magnitude, int precision) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(magnitude);
  const int biased = static_cast<int>(bits >> 52);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased != 0) {
    mantissa |= std::uint64_t{1} << 52;
  }
  const int exponent = (biased != 0 ? biased : 1) - 1075;
  const std::uint64_t power = kPowersOfTen[precision];

  // The product m * 10^precision, below 2^73, in two words.
  const std::uint64_t lowProduct = (mantissa & 0xffffffffu) * power;
  const std::uint64_t highProduct = (mantissa >> 32) * power;
  Words product{highProduct >> 32, lowProduct + (highProduct << 32)};
  if (product.low < lowProduct) {
    ++product.high;
  }

  const int shift = -exponent;
  if (shift >= 128) {
    return 0;  // far below one half of the last digit
  }
  std::uint64_t quotient;
  Words rest;  // the bits shifted out
  Words half;  // 2^(shift - 1)
  if (shift < 64) {
    quotient = (product.low >> shift) | (product.high << (64 - shift));
    rest = {0, product.low & ((std::uint64_t{1} << shift) - 1)};
    half = {0, std::uint64_t{1} << (shift - 1)};
  } else {
    const int highShift = shift - 64;
    quotient = highShift == 0 ? product.high : product.high >> highShift;
    rest = {highShift == 0 ? 0 : product.high & ((std::uint64_t{1} << highShift) - 1), product.low};
    half = highShift == 0 ? Words{0, std::uint64_t{1} << 63}
                          : Words{std::uint64_t{1} << (highShift - 1), 0};
  }
  const bool above = rest.high != half.high ? rest.high > half.high : rest.low > half.low;
  const bool tie = rest.high == half.high && rest.low == half.low;
  if (above || (tie && (quotient & 1) != 0)) {
    ++quotient;
  }
  return quotient;
}

}  // namespace

void AppendFixed(std::string& out, double value, int width, int precision) {
  std::array<char, 352> digits;  // the largest double in fixed notation, with sign and decimals
  char* end = digits.data();
  const double magnitude = std::fabs(value);
  if (precision >= 0 && precision <= 6 && magnitude < kFastLimit) {
    std::uint64_t scaled = ScaledRounded(magnitude, precision);
    // Digits from the right: the decimals, the point, then at least one integer digit.
    std::array<char, 32> reversed;
    std::size_t count = 0;
    for (int i = 0; i < precision; ++i) {
      reversed[count++] = static_cast<char>('0' + scaled % 10);
      scaled /= 10;
    }
    if (precision > 0) {
      reversed[count++] = '.';
    }
    do {
      reversed[count++] = static_cast<char>('0' + scaled % 10);
      scaled /= 10;
    } while (scaled != 0);
    if (std::signbit(value)) {
      *end++ = '-';  // also "-0.0000", as the C library writes a negative value that rounds to 0
    }
    while (count > 0) {
      *end++ = reversed[--count];
    }
  } else {
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                      std::chars_format::fixed, precision);
    end = result.ec == std::errc{} ? result.ptr : digits.data();
  }
  const auto length = static_cast<std::size_t>(end - digits.data());
  if (length < static_cast<std::size_t>(width)) {
    out.append(static_cast<std::size_t>(width) - length, ' ');
  }
  out.append(digits.data(), length);
}

}  // namespace mensuro
