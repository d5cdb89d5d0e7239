#pragma once

// A text as one cell of a CSV file that spreadsheets and scripts read back unchanged.

#include <string>
#include <string_view>

namespace mensuro {

// `text` as it stands, or quoted (quotes doubled) when it holds a quote, a comma or a line
// break, or has a blank at either end.
std::string CsvCell(std::string_view text);

}  // namespace mensuro
