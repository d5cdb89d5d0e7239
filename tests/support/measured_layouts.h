#pragma once

// Measured texts whose observation lines are set out in every way the measured text's reader
// reads as the same observation without a warning: blanks, tabs and commas in any mix and
// position, header lines first or not, blank lines, LF or CR LF. What they prove is that no
// such text is taken for anything but a measured text.

#include <string>
#include <vector>

namespace mensuro::test {

// An observation as a surveyor means it.
struct PlainObservation {
  std::string from;
  std::string to;
  std::string distance;  // as written, a decimal number greater than 0
};

// Every layout of `observation` built from blanks, tabs and commas around and between its three
// fields that the reader reads as exactly that observation, without a warning.
std::vector<std::string> ObservationLayouts(const PlainObservation& observation);

// A measured text, and the same text with its first observation written plainly,
// "from,to,distance".
struct LaidOutText {
  std::string text;
  std::string plain;
};

// One measured text for each layout of the first of `observations`, the others following it as
// plain lines. The texts vary, layout by layout, in the header lines before the observations
// (none, some, all six), the blank lines before the first observation and the line ends (LF or
// CR LF).
std::vector<LaidOutText> MeasuredTextsWithLayouts(
    const std::vector<PlainObservation>& observations);

}  // namespace mensuro::test
