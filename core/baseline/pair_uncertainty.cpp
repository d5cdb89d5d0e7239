// The pairs' own uncertainties of a calibrated baseline, as its library group states them on
// "3:pair-uncertainty=From,To,U_mm,K,DOF" lines.

#include <fmt/format.h>
#include <algorithm>
#include <cmath>

#include "core/baseline/baseline_library_entry.h"
#include "core/data/number_text.h"

namespace mensuro {
namespace {

constexpr std::string_view kPairUncertaintyForm = "From,To,U_mm,K,DOF";
constexpr std::string_view kPairUncertaintyKey = "pair-uncertainty";

}  // namespace

std::optional<PairUncertainty> ParsePairUncertainty(std::string_view text, std::string& reason) {
  // The two pillar names, then the three numbers.
  const std::size_t firstComma = text.find(',');
  const std::size_t secondComma =
      firstComma == std::string_view::npos ? firstComma : text.find(',', firstComma + 1);
  if (secondComma == std::string_view::npos) {
    reason = fmt::format("\"{}\" is not of the form {}", text, kPairUncertaintyForm);
    return std::nullopt;
  }
  PairUncertainty pair;
  pair.from = TrimBlanks(text.substr(0, firstComma));
  pair.to = TrimBlanks(text.substr(firstComma + 1, secondComma - firstComma - 1));
  if (pair.from.empty() || pair.to.empty()) {
    reason = fmt::format("a pillar name is empty (expected {})", kPairUncertaintyForm);
    return std::nullopt;
  }
  if (pair.from == pair.to) {
    reason = fmt::format("From and To are the same pillar, {}", pair.from);
    return std::nullopt;
  }
  const std::string_view numbersText = text.substr(secondComma + 1);
  const auto numbers =
      ReadNumberFields(numbersText, 3, 3, kPairUncertaintyForm, reason, {.infinityAllowed = true});
  if (!numbers) {
    if (std::count(numbersText.begin(), numbersText.end(), ',') != 2) {
      reason = fmt::format("\"{}\" is not of the form {}", text, kPairUncertaintyForm);
    }
    return std::nullopt;
  }
  const std::vector<double>& n = *numbers;
  if (!(n[0] > 0.0) || !std::isfinite(n[0])) {
    reason = "the expanded uncertainty U_mm must be greater than 0 and finite";
    return std::nullopt;
  }
  if (!(n[1] > 0.0) || !std::isfinite(n[1])) {
    reason = "the coverage factor K must be greater than 0 and finite";
    return std::nullopt;
  }
  if (!(n[2] > 0.0)) {
    reason = "the degrees of freedom DOF must be greater than 0 (or inf)";
    return std::nullopt;
  }
  pair.expandedMm = n[0];
  pair.k = n[1];
  if (std::isfinite(n[2])) {
    pair.dof = n[2];
  }
  return pair;
}

std::optional<std::vector<PairUncertainty>> PairUncertainties(const CollectedBaseline& baseline,
                                                              std::string& reason) {
  std::vector<PairUncertainty> pairs;
  for (const BaselineProperty& property : baseline.properties) {
    if (property.key != kPairUncertaintyKey) {
      continue;
    }
    std::string why;
    std::optional<PairUncertainty> pair = ParsePairUncertainty(property.value, why);
    if (!pair) {
      reason = fmt::format("line {}: the pair uncertainty \"{}\" can't be read: {}", property.line,
                           property.value, why);
      return std::nullopt;
    }
    pairs.push_back(std::move(*pair));
  }
  return pairs;
}

}  // namespace mensuro
