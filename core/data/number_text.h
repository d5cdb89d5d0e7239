#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// What a field of ReadNumberFields may hold besides a finite number of 0 or more.
struct NumberFieldRules {
  bool negativeAllowed = false;
  bool infinityAllowed = false;  // written "inf"
};

// The numbers of a comma-separated text of `fewest` to `most` fields, each with blanks around it
// allowed, as an option or a library line gives them. Nothing, with the reason naming the field
// and the expected `form`, when a field is not a number the rules allow or the count is wrong.
std::optional<std::vector<double>> ReadNumberFields(std::string_view text, std::size_t fewest,
                                                    std::size_t most, std::string_view form,
                                                    std::string& reason,
                                                    NumberFieldRules rules = {});

}  // namespace mensuro
