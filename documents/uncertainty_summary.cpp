#include "documents/uncertainty_summary.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

#include "core/units.h"
#include "documents/report_numbers.h"

namespace mensuro {
namespace {

std::string Millimetres(double metres) {
  return FixedText(metres * kMillimetresPerMetre, 2);
}

std::string LimitText(const MmPlusPpm& length) {
  return MmPlusPpmText(length.mm, length.ppm);
}

std::string DofText(std::optional<double> dof) {
  return dof ? fmt::format("{:.1f}", *dof) : std::string("inf");
}

// The distances of the rows with `conformity`, "100, 200 m".
std::string DistancesWith(const CorrectionUncertainty& budget, Conformity conformity) {
  std::string distances;
  for (const CorrectionRow& row : budget.table) {
    if (row.conformity == conformity) {
      distances += (distances.empty() ? "" : ", ") + fmt::format("{:.0f}", row.distance);
    }
  }
  return distances + " m";
}

// "1 degree of freedom", "19 degrees of freedom", "infinite degrees of freedom".
std::string DegreesOfFreedom(const std::string& count) {
  return count + (count == "1" ? " degree of freedom" : " degrees of freedom");
}

std::string Verdict(bool passed) {
  return passed ? "passed" : "failed";
}

}  // namespace

std::string FitUncertaintyLine(const CalibrationAnalysis& analysis,
                               const CorrectionUncertainty& budget) {
  const std::string correlation =
      std::isfinite(budget.correlation) ? FixedText(budget.correlation, 3) : "-";
  return fmt::format("Fit (type A): {}; correlation of constant and scale {}",
                     DegreesOfFreedom(std::to_string(analysis.result.degreesOfFreedom)),
                     correlation);
}

std::string BaselineUncertaintyText(const BaselineUncertainty& baseline) {
  return fmt::format(
      "U = {} (k = {}, {})", LimitText(baseline.expanded), baseline.k,
      DegreesOfFreedom(baseline.dof ? fmt::format("{}", *baseline.dof) : "infinite"));
}

std::string PairBaselineText(const UncertaintyInputs& inputs, const PairBaselineComponent& pairs) {
  if (!pairs.leftOut.empty()) {
    return "not given: " + pairs.leftOut;
  }
  const auto own = std::count_if(
      pairs.pairs.begin(), pairs.pairs.end(),
      [](const BaselinePairInput& pair) { return pair.source == BaselinePairSource::kPair; });
  std::string text =
      static_cast<std::size_t>(own) == pairs.pairs.size()
          ? fmt::format("each station pair's own U ({} pairs)", own)
          : fmt::format("own U of {} of the {} station pairs, ", own, pairs.pairs.size()) +
                BaselineUncertaintyText(*inputs.baseline) + " for the others";
  return text + fmt::format("; fitted u(D) = |a + b D| with a = {} mm, b = {} ppm ({})",
                            FixedText(pairs.intercept * kMillimetresPerMetre, 3),
                            FixedText(pairs.slope * kPartsPerMillion, 3),
                            DegreesOfFreedom(pairs.dof ? fmt::format("{}", *pairs.dof)
                                                       : std::string("infinite")));
}

std::vector<std::string> UncertaintyInputLines(const UncertaintyInputs& inputs,
                                               const std::optional<PairBaselineComponent>& pairs) {
  std::vector<std::string> lines;
  if (pairs) {
    lines.push_back("Baseline: " + PairBaselineText(inputs, *pairs));
  } else if (const auto& baseline = inputs.baseline) {
    lines.push_back("Baseline: " + BaselineUncertaintyText(*baseline));
  } else {
    lines.emplace_back("Baseline: not given");
  }
  if (const auto& sensors = inputs.sensors) {
    lines.push_back(fmt::format("Sensors: u(t) = {} K, u(p) = {} hPa, u(RH) = {} %",
                                sensors->temperature, sensors->pressure, sensors->humidity));
  } else {
    lines.emplace_back("Sensors: not given");
  }
  lines.push_back(inputs.resolution ? fmt::format("Display resolution: {} mm", *inputs.resolution)
                                    : std::string("Display resolution: not given"));
  lines.push_back(inputs.centring ? fmt::format("Centring: +/- {} mm at each end", *inputs.centring)
                                  : std::string("Centring: not given"));
  lines.push_back(inputs.acceptance ? "Acceptance limit: MPE = " + LimitText(*inputs.acceptance)
                                    : std::string("Acceptance limit: not given"));
  return lines;
}

std::vector<std::string> CorrectionTableHeadings(const UncertaintyInputs& inputs) {
  std::vector<std::string> headings = {"D (m)", "IC (mm)", "u (mm)", "DOF", "k", "U (mm)"};
  if (inputs.acceptance) {
    headings.emplace_back("Conformity");
  }
  return headings;
}

std::vector<std::vector<std::string>> CorrectionTableCells(const UncertaintyInputs& inputs,
                                                           const CorrectionUncertainty& budget) {
  std::vector<std::vector<std::string>> rows;
  for (const CorrectionRow& row : budget.table) {
    std::vector<std::string> cells = {
        fmt::format("{:.0f}", row.distance),  Millimetres(row.correction),
        Millimetres(row.standardUncertainty), DofText(row.effectiveDof),
        FixedText(row.coverageFactor, 3),     Millimetres(row.expandedUncertainty)};
    if (inputs.acceptance) {
      cells.emplace_back(row.conformity ? ConformityName(*row.conformity) : "");
    }
    rows.push_back(std::move(cells));
  }
  return rows;
}

std::vector<std::string> ConformityLines(const UncertaintyInputs& inputs,
                                         const CorrectionUncertainty& budget) {
  if (!inputs.acceptance || !budget.conformity) {
    return {};
  }
  std::vector<std::string> lines = {
      "Decision rule (ISO 14253-1): at a distance D the instrument conforms when |IC(D)| + "
      "U(D) <= MPE(D), does not conform when |IC(D)| - U(D) > MPE(D), and the result is "
      "inconclusive otherwise.",
  };
  const std::string limit = LimitText(*inputs.acceptance);
  switch (*budget.conformity) {
    case Conformity::kConforms:
      lines.push_back("Statement: the instrument conforms to MPE = " + limit +
                      " at every distance of the table.");
      break;
    case Conformity::kDoesNotConform:
      lines.push_back("Statement: the instrument does not conform to MPE = " + limit + " at " +
                      DistancesWith(budget, Conformity::kDoesNotConform) + ".");
      break;
    case Conformity::kInconclusive:
      lines.push_back("Statement: inconclusive against MPE = " + limit + " at " +
                      DistancesWith(budget, Conformity::kInconclusive) +
                      ": there the uncertainty of the correction straddles the limit.");
      break;
  }
  return lines;
}

std::vector<std::string> FullTestLines(const std::optional<FullTestResult>& test) {
  if (!test) {
    return {"Not applicable: the full test needs every pair of four or more stations measured."};
  }
  return {
      fmt::format("{} stations, {}", test->stations, DegreesOfFreedom(std::to_string(test->dof))),
      fmt::format("s = {} mm; zero-point correction delta = {} mm, s(delta) = {} mm",
                  Millimetres(test->s), Millimetres(test->delta), Millimetres(test->sDelta)),
      fmt::format("Test A (s within the specified accuracy, sigma = {} mm): s <= {} mm: {}",
                  Millimetres(test->sigma), Millimetres(test->limitA), Verdict(test->passedA)),
      fmt::format("Test C (zero-point correction is zero): |delta| <= {} mm: {}",
                  Millimetres(test->limitC), Verdict(test->passedC)),
  };
}

}  // namespace mensuro
