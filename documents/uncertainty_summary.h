#pragma once

// The uncertainty analysis as texts, so that the plot window's panel and the certificate say
// the same in the same words. Lengths are shown in millimetres, distances in metres; the texts
// are UTF-8, ASCII but for the minus sign of a negative accuracy. A value that rounds to zero
// has no sign.

#include <optional>
#include <string>
#include <vector>

#include "core/analysis/calibration_uncertainty.h"
#include "core/analysis/full_test.h"

namespace mensuro {

// The fit's part of the budget: its degrees of freedom and the correlation of constant and
// scale.
std::string FitUncertaintyLine(const CalibrationAnalysis& analysis,
                               const CorrectionUncertainty& budget);

// The baseline's uncertainty as the budget states it: "U = 1.0 mm + 2.0 ppm (k = 2, 50 degrees
// of freedom)".
std::string BaselineUncertaintyText(const BaselineUncertainty& baseline);

// One line per input of the budget, "Baseline: U = 1.0 mm + 2.0 ppm (k = 2, 50 degrees of
// freedom)", those not given saying so. When station pairs have uncertainties of their own
// (`pairs`), the baseline's line says how many and the straight line they give, or why the
// baseline is left out.
std::vector<std::string> UncertaintyInputLines(
    const UncertaintyInputs& inputs,
    const std::optional<PairBaselineComponent>& pairs = std::nullopt);

// The correction table's column headings; the conformity column only with an acceptance limit.
std::vector<std::string> CorrectionTableHeadings(const UncertaintyInputs& inputs);

// The correction table's cells, one row per distance, in the headings' order.
std::vector<std::vector<std::string>> CorrectionTableCells(const UncertaintyInputs& inputs,
                                                           const CorrectionUncertainty& budget);

// The conformity statement with its decision rule, one sentence per line; empty without an
// acceptance limit.
std::vector<std::string> ConformityLines(const UncertaintyInputs& inputs,
                                         const CorrectionUncertainty& budget);

// The full test's results, one line each, or why it does not apply, for under a heading that
// names the test.
std::vector<std::string> FullTestLines(const std::optional<FullTestResult>& test);

}  // namespace mensuro
