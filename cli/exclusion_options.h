#pragma once

// The options that leave observations out of the fit: --exclude FROM-TO[:REASON] for a station
// pair and --exclude-line N[:REASON] for the observation on a line of the measured file.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/processing/exclusions.h"

namespace mensuro::cli {

struct ExclusionOptions {
  std::vector<std::string> pairs;  // FROM-TO[:REASON], as given
  std::vector<std::string> lines;  // N[:REASON], as given
};

// The exclusions the options ask for, each matched against the observations of `measuredText`.
// A pair's names are split at the hyphen that names a measured pair, so names may hold hyphens
// themselves; the reason follows the first colon. Nothing, with the reason in `problem`, when an
// option is malformed or matches no observation. A line is one of the measured file, which is
// the field file the text was reduced from when `fileLines` gives its line of each line of the
// text (as CalibrationOrigin::fileLines does); the exclusion holds the text's line.
std::optional<std::vector<Exclusion>> ResolveExclusions(const ExclusionOptions& options,
                                                        std::string_view measuredText,
                                                        const std::vector<std::size_t>& fileLines,
                                                        std::string& problem);

// What keeps the options from a certificate, which states why each observation was left out:
// the first of them without a reason; the empty text when every one has one.
std::string UnexplainedExclusionProblem(const ExclusionOptions& options);

}  // namespace mensuro::cli
