#pragma once

// Observations the surveyor leaves out of the fit, with a reason: a whole station pair or the
// observation on one line of the measured text. The measured text itself is never changed; the
// fit is made from a copy in which the lines left out are empty.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mensuro {

struct Exclusion {
  // A station pair, in either direction, when `line` is 0; else the observation on that line of
  // the measured text (counted from 1).
  std::string from;
  std::string to;
  std::size_t line = 0;
  std::string reason;

  bool operator==(const Exclusion&) const = default;
};

// An observation left out, as the measured text gives it.
struct ExcludedObservation {
  std::size_t line = 0;
  std::string from;
  std::string to;
  double distance = 0.0;  // metres
};

// An exclusion with the observation lines it leaves out, in text order, and the observations on
// them; none when it matches no observation of the text.
struct AppliedExclusion {
  Exclusion exclusion;
  std::vector<std::size_t> lines;
  std::vector<ExcludedObservation> observations;
};

// "pair A-B" or "line 12", as messages and lists name an exclusion.
std::string DescribeExclusion(const Exclusion& exclusion);

// The observation lines of `measuredText` that each exclusion leaves out.
std::vector<AppliedExclusion> ApplyExclusions(std::string_view measuredText,
                                              std::vector<Exclusion> exclusions);

// How many observations the exclusions leave out together (a line left out twice counts once).
std::size_t ExcludedObservationCount(const std::vector<AppliedExclusion>& applied);

// `measuredText` with the lines the exclusions leave out emptied: line numbers stay, and the
// readers skip empty lines, so its report is that of the text without those lines.
std::string TextWithoutExcluded(std::string_view measuredText,
                                const std::vector<AppliedExclusion>& applied);

}  // namespace mensuro
