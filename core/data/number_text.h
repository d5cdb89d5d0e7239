#pragma once

#include <optional>
#include <string_view>

namespace mensuro {

// Reads a decimal number the way the C library's atof does, but independently of the process
// locale: leading white space skipped, an optional sign, digits with an optional point and
// exponent, the longest valid prefix taken, trailing characters ignored. Text without such a
// prefix reads as 0.0. Infinities, not-a-number, hexadecimal forms and values beyond the range
// of a double also read as 0.0, so a distance or an accuracy read from a text is always finite;
// a negative zero ("-0", "-0.000") reads as 0.0 too.
double ReadNumber(std::string_view text);

// `text` without the blanks and tabs around it.
std::string_view TrimBlanks(std::string_view text);

// The whole of `text`, blanks around it allowed, as one finite decimal number of either sign,
// whatever the locale; nothing when it is anything else. For values that must not be misread.
std::optional<double> ReadWholeNumber(std::string_view text);

}  // namespace mensuro
