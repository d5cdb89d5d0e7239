#include "core/analysis/calibration_adjustment.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "core/analysis/critical_t.h"
#include "core/analysis/flag_limit.h"
#include "core/units.h"

namespace mensuro {
namespace {

// Marks every observation with its pair: the pair's last observation in table order closes it
// and carries the mean and the count. Returns the number of pairs.
std::size_t MarkStationPairs(RecordTable& table, const StationPairs& pairs) {
  for (ProjectRecord& record : table.entries) {
    if (record.kind == kObservationKind) {
      record.pairGrouped = 0;
      record.pairLast = 0;
      record.pairCount = 0;
      record.pairMean = kUngroupedPairMean;
    }
  }
  for (const std::vector<std::size_t>& members : pairs.members) {
    double sum = 0.0;
    for (const std::size_t i : members) {
      sum += table.entries[i].observedDistance;
      table.entries[i].pairGrouped = 1;
    }
    ProjectRecord& closing = table.entries[members.back()];
    closing.pairMean = sum / static_cast<double>(members.size());
    closing.pairLast = 1;
    closing.pairCount = static_cast<int>(members.size());
  }
  return pairs.members.size();
}

// One entry per pair, in the order of the observations that close the pairs.
AdjustmentTable BuildAdjustmentTable(const RecordTable& table) {
  AdjustmentTable entries;
  for (const ProjectRecord& record : table.entries) {
    if (record.kind != kObservationKind || record.pairLast != 1) {
      continue;
    }
    AdjustmentEntry entry;
    entry.from = record.fromStation;
    entry.to = record.toStation;
    entry.P = record.publishedDistance;
    entry.C = std::fabs(record.pairMean);
    entry.d = entry.P - entry.C;
    entry.Pd = entry.P * entry.d;
    entry.P2 = entry.P * entry.P;
    entries.push_back(std::move(entry));
  }
  return entries;
}

// Count, standard deviation and spread of the observations of every pair. `pairs` lists the
// pairs by their first observation, the entries by their closing one.
void DescribeObservations(AdjustmentTable& entries, const RecordTable& table,
                          const StationPairs& pairs) {
  std::vector<const std::vector<std::size_t>*> byClosing;
  byClosing.reserve(pairs.members.size());
  for (const std::vector<std::size_t>& members : pairs.members) {
    byClosing.push_back(&members);
  }
  std::sort(byClosing.begin(), byClosing.end(),
            [](const auto* a, const auto* b) { return a->back() < b->back(); });
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const std::vector<std::size_t>& members = *byClosing[k];
    AdjustmentEntry& entry = entries[k];
    // The pair's mean and count, as marking the pairs left them on the closing observation.
    const ProjectRecord& closing = table.entries[members.back()];
    const double mean = closing.pairMean;
    double smallest = closing.observedDistance;
    double largest = smallest;
    double squares = 0.0;
    for (const std::size_t i : members) {
      const double observed = table.entries[i].observedDistance;
      smallest = std::min(smallest, observed);
      largest = std::max(largest, observed);
      squares += (observed - mean) * (observed - mean);
    }
    entry.observations = closing.pairCount;
    entry.observationStdDev =
        closing.pairCount > 1 ? std::sqrt(squares / (closing.pairCount - 1.0)) : 0.0;
    entry.observationSpread = largest - smallest;
    entry.firstLine = table.entries[members.front()].line;
  }
}

bool AllPublishedDistancesEqual(const AdjustmentTable& entries) {
  return std::all_of(entries.begin(), entries.end(),
                     [&](const AdjustmentEntry& entry) { return entry.P == entries.front().P; });
}

// The fit of d against P weighted by the specified accuracy (a in mm, b in ppm), in kilometres
// and millimetres. Only its variance of unit weight, covariance and correlation are reported.
void FitWeighted(const AdjustmentTable& entries, double a, double b, CalibrationResult& result) {
  double sw = 0.0, sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0, syy = 0.0;
  for (const AdjustmentEntry& entry : entries) {
    const double x = entry.P / kMetresPerKilometre;
    const double y = kMillimetresPerMetre * entry.d;
    const double bx = b * x;
    const double w = 1.0 / (a * a + bx * bx);
    sw += w;
    sx += w * x;
    sy += w * y;
    sxx += w * x * x;
    sxy += w * x * y;
    syy += w * y * y;
  }
  const double determinant = sw * sxx - sx * sx;
  const double slope = (sw * sxy - sx * sy) / determinant;
  const double intercept = (sxx * sy - sx * sxy) / determinant;
  const double variance =
      (syy - (intercept * sy + slope * sxy)) / static_cast<double>(entries.size() - 2);
  result.unitWeightVariance = variance;
  result.covariance = variance * sx / determinant;
  const double slopeDeviation = std::sqrt(variance * sw / determinant);
  const double interceptDeviation = std::sqrt(variance * sxx / determinant);
  result.correlation = result.covariance / (interceptDeviation * slopeDeviation);
}

// The ordinary least-squares fit d = constant + scale * P, with residuals, standard errors and
// t-values.
void FitUnweighted(AdjustmentTable& entries, CalibrationResult& result) {
  const double n = static_cast<double>(entries.size());
  double sumP = 0.0, sumP2 = 0.0, sumD = 0.0, sumPd = 0.0;
  for (const AdjustmentEntry& entry : entries) {
    sumP += entry.P;
    sumP2 += entry.P2;
    sumD += entry.d;
    sumPd += entry.Pd;
  }
  const double meanD = sumD / n;
  const double denominator = n * sumP2 - sumP * sumP;
  const double scale = (n * sumPd - sumP * sumD) / denominator;
  const double constant = (sumD * sumP2 - sumP * sumPd) / denominator;

  double sumDeviation2 = 0.0;
  for (AdjustmentEntry& entry : entries) {
    entry.r = entry.d - scale * entry.P - constant;
    sumDeviation2 += (entry.d - meanD) * (entry.d - meanD);
  }
  const double variance = (sumDeviation2 - scale * (n * sumPd - sumP * sumD) / n) / (n - 2);

  result.scale = scale;
  result.constant = constant;
  result.scaleStdError = std::sqrt(n * variance / denominator);
  result.constantStdError = std::sqrt(variance * sumP2 / denominator);
  result.scaleT = scale / result.scaleStdError;
  result.constantT = constant / result.constantStdError;
}

// A pair's |d| in units of the specified accuracy at its distance (metres over metres).
void StandardizeDifferences(AdjustmentTable& entries, double a, double b) {
  for (AdjustmentEntry& entry : entries) {
    entry.standardizedDifference = std::fabs(entry.d) / SpecifiedAccuracy(a, b, entry.C);
    entry.flagged = entry.standardizedDifference >= kFlagMultiple;  // not-a-number is not flagged
  }
}

double RootMeanSquareDifference(const AdjustmentTable& entries) {
  double sum = 0.0;
  for (const AdjustmentEntry& entry : entries) {
    sum += entry.d * entry.d;
  }
  return std::sqrt(sum / static_cast<double>(entries.size()));
}

}  // namespace

int AnalyseCalibration(const MeasurementHeader& header, RecordTable& table,
                       const StationPairs& pairs, CalibrationAnalysis& analysis,
                       std::string& errorText) {
  const std::size_t pairCount = MarkStationPairs(table, pairs);
  if (CountRecords(table) == 0 || pairCount < 3) {
    return 1;
  }

  AdjustmentTable entries = BuildAdjustmentTable(table);
  if (AllPublishedDistancesEqual(entries)) {
    errorText =
        "The published distances of all station pairs are equal, so the scale error and the "
        "constant error can't be separated.";
    return 1;
  }

  const double a = header.constantError;
  const double b = header.ppmError;
  if (a == 0.0 && b == 0.0) {
    errorText =
        "The instrument's specified accuracy is 0 mm + 0 ppm, so no difference can be judged "
        "against it.";
    return 1;
  }
  DescribeObservations(entries, table, pairs);
  CalibrationResult result;
  FitWeighted(entries, a, b, result);
  FitUnweighted(entries, result);
  result.degreesOfFreedom = static_cast<int>(entries.size()) - 2;
  result.criticalT = CriticalT(result.degreesOfFreedom);
  StandardizeDifferences(entries, a, b);
  result.rms = RootMeanSquareDifference(entries);

  analysis.entries = std::move(entries);
  analysis.result = result;
  // A t-value equal to the critical value, or not a number, passes.
  analysis.scaleTestPassed = !(std::fabs(result.scaleT) > result.criticalT);
  analysis.constantTestPassed = !(std::fabs(result.constantT) > result.criticalT);
  return 0;
}

}  // namespace mensuro
