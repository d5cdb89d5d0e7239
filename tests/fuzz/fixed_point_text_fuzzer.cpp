// Fixed-point numbers as the report writes them. AppendFixed must append exactly what the C
// library's printf writes for "%<width>.<precision>f" in the "C" locale, for every double. The
// input's first byte gives the precision (0 to 9: up to 6 takes the exact integer path below
// 1e12, more takes the general one), the second the width (0 to 31), and the next eight bytes the
// bits of the value (missing bytes are zero).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/analysis/fixed_point_text.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mensuro;
  if (size < 2) {
    return 0;
  }
  const int precision = data[0] % 10;
  const int width = data[1] % 32;
  std::uint64_t bits = 0;
  std::memcpy(&bits, data + 2, std::min<std::size_t>(size - 2, sizeof bits));
  double value = 0.0;
  std::memcpy(&value, &bits, sizeof value);

  std::string out = "before|";
  AppendFixed(out, value, width, precision);
  const std::string expected = "before|" + fuzz::Printf("%*.*f", width, precision, value);
  MENSURO_FUZZ_CHECK(out == expected, fuzz::Printf("%a as %%%d.%df: ", value, width, precision) +
                                          fuzz::Shown(out) + ", printf gives " +
                                          fuzz::Shown(expected));
  return 0;
}
