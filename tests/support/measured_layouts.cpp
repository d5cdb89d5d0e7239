#include "support/measured_layouts.h"

#include <array>
#include <string_view>

#include "core/data/measured_text.h"
#include "core/data/number_text.h"

namespace mensuro::test {
namespace {

// What may stand before, between and after the fields; the reader decides which it accepts.
constexpr std::array<std::string_view, 9> kWhite = {"",   " ",    "\t",    "\t ", " \t",
                                                    "  ", "\t\t", "\t \t", " \t "};
// Around a comma: blanks and tabs before or after it.
constexpr std::array<std::string_view, 5> kBesideComma = {"", " ", "\t ", " \t ", "  "};

bool ReadsAs(const std::string& line, const PlainObservation& observation) {
  MeasurementHeader header;
  RecordTable table;
  InputNotices notices;
  ParseMeasuredText(line, header, table, notices);
  return notices.warnings == 0 && CountRecords(table) == 1 &&
         table.entries[0].fromStation == observation.from &&
         table.entries[0].toStation == observation.to &&
         table.entries[0].observedDistance == ReadNumber(observation.distance);
}

}  // namespace

std::vector<std::string> ObservationLayouts(const PlainObservation& observation) {
  std::vector<std::string> separators;
  for (const std::string_view white : kWhite) {
    if (!white.empty()) {
      separators.emplace_back(white);
    }
  }
  for (const std::string_view before : kBesideComma) {
    for (const std::string_view after : kBesideComma) {
      separators.push_back(std::string(before) + "," + std::string(after));
    }
  }
  std::vector<std::string> layouts;
  for (const std::string_view lead : kWhite) {
    for (const std::string& first : separators) {
      for (const std::string& second : separators) {
        for (const std::string_view trail : kWhite) {
          std::string line = std::string(lead) + observation.from + first + observation.to +
                             second + observation.distance + std::string(trail);
          if (ReadsAs(line, observation)) {
            layouts.push_back(std::move(line));
          }
        }
      }
    }
  }
  return layouts;
}

std::vector<LaidOutText> MeasuredTextsWithLayouts(
    const std::vector<PlainObservation>& observations) {
  constexpr std::array<std::string_view, 3> kHeaders = {
      "", "$07-12-2026\n!08:05\n", "$07-12-2026\n!08:05\n#Calm,\tovercast\n@EDM 2 mm\n^2\n%2\n"};
  constexpr std::array<std::string_view, 4> kBlankLines = {"", "\n", "\n\t\n", "\r\n\n"};
  const auto plainLine = [](const PlainObservation& observation) {
    return observation.from + "," + observation.to + "," + observation.distance + "\n";
  };
  std::string rest;
  for (std::size_t i = 1; i < observations.size(); ++i) {
    rest += plainLine(observations[i]);
  }
  std::vector<LaidOutText> texts;
  std::size_t variant = 0;
  for (const std::string& layout : ObservationLayouts(observations.front())) {
    const std::string before = std::string(kHeaders[variant % kHeaders.size()]) +
                               std::string(kBlankLines[variant % kBlankLines.size()]);
    LaidOutText text{before + layout + "\n" + rest,
                     before + plainLine(observations.front()) + rest};
    if (variant % 2 == 1) {
      for (std::string* bytes : {&text.text, &text.plain}) {
        std::string withCr;
        for (const char c : *bytes) {
          withCr += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        *bytes = std::move(withCr);
      }
    }
    texts.push_back(std::move(text));
    ++variant;
  }
  return texts;
}

}  // namespace mensuro::test
