#pragma once

#include <string>
#include <string_view>

namespace mensuro {

// The one grammar of observation lines and published distance lines: From station, To station
// and distance, separated by commas, or by blanks when the line has no comma. Tabs are never
// separators.

// Removes the blanks at the end of the line, the tabs at its start, and every tab that is
// immediately followed by a blank.
void TidyWhitespace(std::string& line);

// Tidies the line, then deletes every blank when it holds a comma, or else turns every blank
// into a comma; afterwards the fields are separated by commas alone.
void NormalizeSeparators(std::string& line);

// Field `n` (counted from 0) of a normalised line: the text between its n-th and (n+1)-th
// comma. A line with fewer fields yields its last field.
std::string_view GetField(std::string_view line, int n);

}  // namespace mensuro
