#pragma once

// The baseline's previous certificate, as a new calibration is compared with it: every pair of
// pillars it certified, with its distance and expanded uncertainty. From a baseline of the
// library (its "2:" lines, each pair's uncertainty from its own "3:pair-uncertainty=" line, else
// from the baseline's "3:uncertainty=" line) or from a published text with an uncertainty given.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/calibration_uncertainty.h"
#include "core/baseline/baseline_comparison.h"
#include "core/data/baseline_library.h"

namespace mensuro {

// Why a previous certificate can't be read.
struct PreviousCertificateProblem {
  std::string reason;
  std::size_t line = 0;  // the line it names (of the library, or of the published text); 0: none
  // A pair has no uncertainty from the library, and none was given besides.
  bool uncertaintyMissing = false;
};

// The expanded uncertainty `uncertainty` states at `distance` (metres): A mm + B ppm D.
double ExpandedAt(const BaselineUncertainty& uncertainty, double distance);

// The pairs of a published text ("From,To,distance" lines, as the calibration reads them), each
// with the expanded uncertainty `uncertainty` gives at its distance. Nothing, with the problem at
// its line, for a line that gives no distance above 0 or a pair given twice (in either direction),
// or for a text without a pair.
std::optional<std::vector<PreviousDistance>> PreviousFromPublished(
    std::string_view publishedText, const BaselineUncertainty& uncertainty,
    PreviousCertificateProblem& problem);

// The pairs of a library baseline, each pair's expanded uncertainty from its own
// "3:pair-uncertainty=" line, else from the baseline's "3:uncertainty=" line, else from
// `fallback`. Nothing, with the problem at its library line, for a line that doesn't read or a
// baseline without a pair, or with `uncertaintyMissing` when a pair has no uncertainty from any
// of them.
std::optional<std::vector<PreviousDistance>> PreviousFromLibrary(
    const CollectedBaseline& baseline, const std::optional<BaselineUncertainty>& fallback,
    PreviousCertificateProblem& problem);

}  // namespace mensuro
