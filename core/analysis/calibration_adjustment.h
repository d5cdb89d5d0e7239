#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/data/measurement_header.h"
#include "core/data/record_table.h"
#include "core/data/station_pairs.h"

namespace mensuro {

// One station pair after averaging, with its part in the fits.
struct AdjustmentEntry {
  std::string from;  // names as in the pair's last observation
  std::string to;
  double P = 0.0;   // published distance, metres
  double C = 0.0;   // magnitude of the mean observed distance, metres
  double d = 0.0;   // P - C, metres
  double Pd = 0.0;  // P * d
  double r = 0.0;   // residual of the unweighted fit, metres
  double P2 = 0.0;  // P squared
  // |d| in units of the instrument's specified accuracy at distance C; flagged from 3 on.
  double standardizedDifference = 0.0;
  bool flagged = false;
  // The observations averaged into C: how many, the standard deviation of one of them (n - 1 in
  // the denominator; 0 for a single observation) and the largest minus the smallest, metres.
  int observations = 0;
  double observationStdDev = 0.0;
  double observationSpread = 0.0;
  std::size_t firstLine = 0;  // measured text line of the pair's first observation
};

using AdjustmentTable = std::vector<AdjustmentEntry>;

struct CalibrationResult {
  double scale = 0.0;               // slope of the unweighted fit (dimensionless)
  double constant = 0.0;            // intercept of the unweighted fit, metres
  double scaleStdError = 0.0;       // dimensionless
  double constantStdError = 0.0;    // metres
  double scaleT = 0.0;              // scale / scaleStdError
  double constantT = 0.0;           // constant / constantStdError
  double criticalT = 0.0;           // two-sided 5 percent, for degreesOfFreedom
  int degreesOfFreedom = 0;         // station pairs - 2
  double unitWeightVariance = 0.0;  // of the fit weighted by the specified accuracy
  double covariance = 0.0;          // of the weighted fit, mm * ppm
  double correlation = 0.0;         // of the weighted fit
  double rms = 0.0;                 // root mean square of the differences d, metres
};

// Everything one analysis found: the pairs, the fitted values and the verdicts of the two
// t-tests of the null hypothesis that scale error and constant error are 0.
struct CalibrationAnalysis {
  AdjustmentTable entries;
  CalibrationResult result;
  bool scaleTestPassed = false;
  bool constantTestPassed = false;
};

// Groups and averages the observations of `table` by station pair (`pairs`), fits published
// minus observed against the published distance and tests scale and constant error against
// zero, into `analysis`; writing the report is left to WriteCalibrationReport. Returns 0 on
// success. Returns 1, with `analysis` untouched, for fewer than three station pairs (leaving
// `errorText` as it is) and when every pair has the same published distance (with the reason in
// `errorText`): scale and constant can't be separated then; and, with the reason, when the
// specified accuracy is 0 mm + 0 ppm, against which no difference can be judged.
int AnalyseCalibration(const MeasurementHeader& header, RecordTable& table,
                       const StationPairs& pairs, CalibrationAnalysis& analysis,
                       std::string& errorText);

}  // namespace mensuro
