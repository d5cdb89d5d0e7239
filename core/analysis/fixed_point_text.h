#pragma once

#include <string>

namespace mensuro {

// Appends `value` exactly as printf's "%<width>.<precision>f" writes it in the C locale:
// correctly rounded, right-justified with blanks, "inf" and "nan" spelled as the C library
// spells them. The report's table lines, one per observation and one per pair, use it in place
// of a format string that would be parsed again for every line.
void AppendFixed(std::string& out, double value, int width, int precision);

}  // namespace mensuro
