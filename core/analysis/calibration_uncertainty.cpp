#include "core/analysis/calibration_uncertainty.h"

#include <fmt/format.h>
#include <fmt/ranges.h>
#include <algorithm>
#include <boost/math/distributions/students_t.hpp>
#include <charconv>
#include <cmath>
#include <limits>

#include "core/analysis/quantile_policy.h"
#include "core/data/number_text.h"
#include "core/units.h"

namespace mensuro {
namespace {

// The 0.975 quantile of the normal distribution: the coverage factor for infinite degrees of
// freedom.
constexpr double kNormalCoverage = 1.959963984540054;
// Beyond this many effective degrees of freedom the t distribution is taken as normal.
constexpr double kLargestFiniteDof = 1e6;
// The refractivity's sensitivities to temperature, pressure and humidity, ppm per K, hPa, %.
constexpr double kPpmPerKelvin = 0.95;
constexpr double kPpmPerHectopascal = 0.275;
constexpr double kPpmPerPercent = 0.009;

double Length(const MmPlusPpm& length, double distance) {
  return length.mm * kMetresPerMillimetre + length.ppm * kPpm * distance;
}

double MeanPublishedDistance(const AdjustmentTable& entries) {
  double sum = 0.0;
  for (const AdjustmentEntry& entry : entries) {
    sum += entry.P;
  }
  return entries.empty() ? 0.0 : sum / static_cast<double>(entries.size());
}

// The covariance of constant and scale in the unweighted fit.
double FitCovariance(const CalibrationAnalysis& analysis) {
  const double scaleError = analysis.result.scaleStdError;
  return -MeanPublishedDistance(analysis.entries) * scaleError * scaleError;
}

// The refractivity's standard uncertainty from the sensors', ppm.
double SensorPpm(const SensorUncertainty& u) {
  const double t = kPpmPerKelvin * u.temperature;
  const double p = kPpmPerHectopascal * u.pressure;
  const double h = kPpmPerPercent * u.humidity;
  return std::sqrt(t * t + p * p + h * h);
}

Conformity RowConformity(double correction, double expanded, double limit) {
  if (std::fabs(correction) + expanded <= limit) {
    return Conformity::kConforms;
  }
  if (std::fabs(correction) - expanded > limit) {
    return Conformity::kDoesNotConform;
  }
  return Conformity::kInconclusive;
}

}  // namespace

std::string_view ConformityName(Conformity conformity) {
  switch (conformity) {
    case Conformity::kConforms:
      return "conforms";
    case Conformity::kDoesNotConform:
      return "does not conform";
    case Conformity::kInconclusive:
      break;
  }
  return "inconclusive";
}

double CoverageFactor(std::optional<double> dof) {
  if (!dof) {
    return kNormalCoverage;
  }
  const boost::math::students_t_distribution<double, QuietQuantilePolicy> distribution(*dof);
  return boost::math::quantile(distribution, 0.975);
}

namespace {

// Adds a component of standard uncertainty `u` with `dof` degrees of freedom (none: infinite)
// to the sum of squares and to the Welch-Satterthwaite denominator.
void AddComponent(double u, const std::optional<double>& dof, double& combined2,
                  double& dofDenominator) {
  combined2 += u * u;
  if (dof && std::isfinite(*dof)) {
    dofDenominator += u * u * u * u / *dof;
  }
}

// The row at `distance`, the covariance of constant and scale and the pairs' own baseline
// component (nothing: the formula's) given.
CorrectionRow CorrectionWith(const CalibrationAnalysis& analysis, double covariance,
                             const std::optional<PairBaselineComponent>& pairs,
                             const UncertaintyInputs& inputs, double distance) {
  const CalibrationResult& fit = analysis.result;
  const double D = distance;
  CorrectionRow row;
  row.distance = D;
  row.correction = fit.constant + fit.scale * D;

  // Type A, from the fit: constant and scale are correlated through the mean distance.
  const double uA2 =
      std::max(0.0, fit.constantStdError * fit.constantStdError +
                        D * D * fit.scaleStdError * fit.scaleStdError + 2.0 * D * covariance);
  const double fitDof = static_cast<double>(analysis.entries.size()) - 2.0;
  double combined2 = uA2;
  // Welch-Satterthwaite: only the components with finite degrees of freedom count.
  double dofDenominator = fitDof > 0.0 ? uA2 * uA2 / fitDof : 0.0;

  if (pairs) {
    if (pairs->leftOut.empty()) {
      AddComponent(std::fabs(pairs->intercept + pairs->slope * D), pairs->dof, combined2,
                   dofDenominator);
    }
  } else if (inputs.baseline) {
    AddComponent(Length(inputs.baseline->expanded, D) / inputs.baseline->k, inputs.baseline->dof,
                 combined2, dofDenominator);
  }
  if (inputs.sensors) {
    const double uAtm = D * kPpm * SensorPpm(*inputs.sensors);
    combined2 += uAtm * uAtm;
  }
  if (inputs.resolution) {
    const double uRes = *inputs.resolution * kMetresPerMillimetre / (2.0 * std::sqrt(3.0));
    combined2 += uRes * uRes;
  }
  if (inputs.centring) {
    // Rectangular at each of the two ends.
    const double uCen = std::sqrt(2.0) * *inputs.centring * kMetresPerMillimetre / std::sqrt(3.0);
    combined2 += uCen * uCen;
  }

  row.standardUncertainty = std::sqrt(combined2);
  if (dofDenominator > 0.0) {
    const double dof = combined2 * combined2 / dofDenominator;
    if (dof <= kLargestFiniteDof) {
      row.effectiveDof = dof;
    }
  }
  row.coverageFactor = CoverageFactor(row.effectiveDof);
  row.expandedUncertainty = row.coverageFactor * row.standardUncertainty;
  if (inputs.acceptance) {
    row.conformity =
        RowConformity(row.correction, row.expandedUncertainty, Length(*inputs.acceptance, D));
  }
  return row;
}

}  // namespace

std::vector<CorrectionRow> CorrectionsAt(const CalibrationAnalysis& analysis,
                                         const UncertaintyInputs& inputs,
                                         const std::vector<double>& distances) {
  // Once: they run over every pair.
  const double covariance = FitCovariance(analysis);
  const std::optional<PairBaselineComponent> pairs = PairBaseline(analysis.entries, inputs);
  std::vector<CorrectionRow> rows;
  rows.reserve(distances.size());
  for (const double distance : distances) {
    rows.push_back(CorrectionWith(analysis, covariance, pairs, inputs, distance));
  }
  return rows;
}

ParameterUncertainty ExpandedParameterUncertainty(const CalibrationAnalysis& analysis,
                                                  const UncertaintyInputs& inputs) {
  ParameterUncertainty expanded;
  expanded.constant = CorrectionsAt(analysis, inputs, {0.0}).front().expandedUncertainty;

  const double uA = analysis.result.scaleStdError / kPpm;
  const double fitDof = static_cast<double>(analysis.entries.size()) - 2.0;
  double combined2 = uA * uA;
  double dofDenominator = fitDof > 0.0 ? uA * uA * uA * uA / fitDof : 0.0;
  if (const std::optional<PairBaselineComponent> pairs = PairBaseline(analysis.entries, inputs)) {
    if (pairs->leftOut.empty()) {
      AddComponent(std::fabs(pairs->slope) / kPpm, pairs->dof, combined2, dofDenominator);
    }
  } else if (inputs.baseline) {
    AddComponent(inputs.baseline->expanded.ppm / inputs.baseline->k, inputs.baseline->dof,
                 combined2, dofDenominator);
  }
  if (inputs.sensors) {
    const double uAtm = SensorPpm(*inputs.sensors);
    combined2 += uAtm * uAtm;
  }
  std::optional<double> dof;
  if (dofDenominator > 0.0 && combined2 * combined2 / dofDenominator <= kLargestFiniteDof) {
    dof = combined2 * combined2 / dofDenominator;
  }
  expanded.scalePpm = CoverageFactor(dof) * std::sqrt(combined2);
  return expanded;
}

std::string_view BaselinePairSourceName(BaselinePairSource source) {
  switch (source) {
    case BaselinePairSource::kPair:
      return "pair";
    case BaselinePairSource::kFormula:
      return "formula";
    case BaselinePairSource::kNone:
      break;
  }
  return "none";
}

std::optional<PairBaselineComponent> PairBaseline(const AdjustmentTable& entries,
                                                  const UncertaintyInputs& inputs) {
  // The later of two lines for one pair holds, as a later library line overrides an earlier.
  const auto ownLine = [&inputs](const AdjustmentEntry& entry) -> const PairUncertainty* {
    const auto& lines = inputs.baselinePairs;
    const auto found = std::find_if(lines.rbegin(), lines.rend(), [&](const PairUncertainty& p) {
      return (p.from == entry.from && p.to == entry.to) ||
             (p.from == entry.to && p.to == entry.from);
    });
    return found == lines.rend() ? nullptr : &*found;
  };
  if (std::none_of(entries.begin(), entries.end(),
                   [&](const AdjustmentEntry& entry) { return ownLine(entry) != nullptr; })) {
    return std::nullopt;
  }

  PairBaselineComponent component;
  std::vector<double> u;  // the pairs' standard uncertainties, metres
  std::vector<std::string> uncertain;
  bool infinite = true;
  double smallestDof = 0.0;
  for (const AdjustmentEntry& entry : entries) {
    BaselinePairInput input;
    input.from = entry.from;
    input.to = entry.to;
    if (const PairUncertainty* own = ownLine(entry)) {
      input.source = BaselinePairSource::kPair;
      input.expandedMm = own->expandedMm;
      input.k = own->k;
      input.dof = own->dof;
    } else if (inputs.baseline) {
      input.source = BaselinePairSource::kFormula;
      input.expandedMm = Length(inputs.baseline->expanded, entry.P) * kMillimetresPerMetre;
      input.k = inputs.baseline->k;
      input.dof = inputs.baseline->dof;
    } else {
      uncertain.push_back(entry.from + "-" + entry.to);
    }
    if (input.source != BaselinePairSource::kNone) {
      u.push_back(input.expandedMm * kMetresPerMillimetre / input.k);
      if (input.dof && std::isfinite(*input.dof) && (infinite || *input.dof < smallestDof)) {
        smallestDof = *input.dof;
        infinite = false;
      }
    }
    component.pairs.push_back(std::move(input));
  }
  if (!uncertain.empty()) {
    component.leftOut = fmt::format(
        "the station pair{} {} {} no 3:pair-uncertainty= line of {} own and no 3:uncertainty= "
        "formula is given, so the baseline's uncertainty is left out",
        uncertain.size() > 1 ? "s" : "", fmt::join(uncertain, ", "),
        uncertain.size() > 1 ? "have" : "has", uncertain.size() > 1 ? "their" : "its");
    return component;
  }
  if (!infinite) {
    component.dof = smallestDof;
  }

  // The unweighted straight line through (P_j, u_j), as the calibration fits its differences.
  const double n = static_cast<double>(entries.size());
  const double meanP = MeanPublishedDistance(entries);
  double meanU = 0.0;
  for (const double value : u) {
    meanU += value / n;
  }
  double sxx = 0.0;
  double sxu = 0.0;
  for (std::size_t j = 0; j < entries.size(); ++j) {
    sxx += (entries[j].P - meanP) * (entries[j].P - meanP);
    sxu += (entries[j].P - meanP) * (u[j] - meanU);
  }
  component.slope = sxx > 0.0 ? sxu / sxx : 0.0;
  component.intercept = meanU - component.slope * meanP;
  return component;
}

std::vector<double> CorrectionTableDistances(double largestDistance) {
  constexpr int kMostSteps = 10;
  // 10, 20, 50, 100, ... m: the first step that reaches the largest distance in ten.
  double step = 10.0;
  for (int i = 0; largestDistance > kMostSteps * step; ++i) {
    step *= i % 3 == 1 ? 2.5 : 2.0;
  }
  std::vector<double> distances{0.0};
  if (!(largestDistance > 0.0)) {
    return distances;
  }
  for (int i = 1; i <= kMostSteps; ++i) {
    distances.push_back(i * step);
    if (i * step >= largestDistance) {
      break;
    }
  }
  return distances;
}

CorrectionUncertainty AnalyseUncertainty(const CalibrationAnalysis& analysis,
                                         const UncertaintyInputs& inputs) {
  CorrectionUncertainty budget;
  budget.covariance = FitCovariance(analysis);
  budget.correlation =
      budget.covariance / (analysis.result.constantStdError * analysis.result.scaleStdError);
  double largest = 0.0;
  for (const AdjustmentEntry& entry : analysis.entries) {
    largest = std::max(largest, entry.P);
  }
  budget.table = CorrectionsAt(analysis, inputs, CorrectionTableDistances(largest));
  budget.baselinePairs = PairBaseline(analysis.entries, inputs);
  if (inputs.acceptance) {
    const auto any = [&](Conformity wanted) {
      return std::any_of(budget.table.begin(), budget.table.end(),
                         [wanted](const CorrectionRow& row) { return row.conformity == wanted; });
    };
    budget.conformity = any(Conformity::kDoesNotConform) ? Conformity::kDoesNotConform
                        : any(Conformity::kInconclusive) ? Conformity::kInconclusive
                                                         : Conformity::kConforms;
  }
  return budget;
}

std::optional<BaselineUncertainty> ParseBaselineUncertainty(std::string_view text,
                                                            std::string& reason) {
  const auto numbers =
      ReadNumberFields(text, 2, 4, "A,B[,K[,DOF]]", reason, {.infinityAllowed = true});
  if (!numbers) {
    return std::nullopt;
  }
  const std::vector<double>& n = *numbers;
  if (!std::isfinite(n[0]) || !std::isfinite(n[1])) {
    reason = "A and B must be finite (expected A,B[,K[,DOF]])";
    return std::nullopt;
  }
  BaselineUncertainty baseline;
  baseline.expanded = {n[0], n[1]};
  if (n.size() > 2) {
    if (!(n[2] > 0.0) || !std::isfinite(n[2])) {
      reason = "the coverage factor K must be greater than 0";
      return std::nullopt;
    }
    baseline.k = n[2];
  }
  if (n.size() > 3 && std::isfinite(n[3])) {
    if (!(n[3] > 0.0)) {
      reason = "the degrees of freedom DOF must be greater than 0 (or inf)";
      return std::nullopt;
    }
    baseline.dof = n[3];
  }
  return baseline;
}

std::optional<SensorUncertainty> ParseSensorUncertainty(std::string_view text,
                                                        std::string& reason) {
  const auto n = ReadNumberFields(text, 3, 3, "T,P,RH", reason);
  if (!n) {
    return std::nullopt;
  }
  return SensorUncertainty{(*n)[0], (*n)[1], (*n)[2]};
}

std::optional<MmPlusPpm> ParseMmPlusPpm(std::string_view text, std::string& reason) {
  const auto n = ReadNumberFields(text, 2, 2, "A,B", reason);
  if (!n) {
    return std::nullopt;
  }
  return MmPlusPpm{(*n)[0], (*n)[1]};
}

std::optional<double> ParseMillimetres(std::string_view text, std::string& reason) {
  const auto n = ReadNumberFields(text, 1, 1, "a length in mm", reason);
  if (!n) {
    return std::nullopt;
  }
  return (*n)[0];
}

}  // namespace mensuro
