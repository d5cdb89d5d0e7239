#pragma once

// The calibration of a baseline itself: an all-combinations survey of its pillars with a
// calibrated reference instrument, adjusted by weighted least squares into the pillars'
// positions along the line and the instrument's constant, and from them the certified distance
// of every pair of pillars with its uncertainty.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/data/measurement_header.h"
#include "core/data/record_table.h"

namespace mensuro {

// The reference instrument's certified scale correction S (ppm) with its expanded uncertainty U
// (ppm) at coverage factor K.
struct ReferenceScale {
  double ppm = 0.0;
  double expandedPpm = 0.0;
  double k = 2.0;
};

struct BaselineSurveyOptions {
  // The pillars in order along the line; empty: inferred from the observations.
  std::vector<std::string> pillarOrder;
  // None: no scale correction and no scale part in the uncertainty.
  std::optional<ReferenceScale> referenceScale;
};

// A pillar's adjusted position along the line from the origin (the first pillar), metres.
struct PillarPosition {
  std::string name;
  double position = 0.0;
  double standardUncertainty = 0.0;  // 0 for the origin
};

// One observation line of the survey and what the adjustment made of it.
struct SurveyObservation {
  std::size_t line = 0;  // of the measured text, from 1
  std::string from;
  std::string to;
  double distance = 0.0;  // as measured, metres
  double residual = 0.0;  // v_k, metres
  // w_k = v_k / (s0 sqrt(q_k)); none when the outlier test does not apply or q_k is not positive.
  std::optional<double> standardizedResidual;
  bool outlier = false;
};

// The test of the variance factor, made only when the observations have a priori accuracies:
// chi-square = v'Pv against its upper 95 percent point for the degrees of freedom.
struct SurveyVarianceTest {
  double chiSquare = 0.0;
  double critical = 0.0;
  bool passed = true;
};

// Pope's tau test of the standardized residuals at alphaEach = 1 - 0.95^(1/m).
struct SurveyOutlierTest {
  bool applicable = false;
  std::string reason;  // why not, when not applicable
  double alphaEach = 0.0;
  double critical = 0.0;  // tau
  int outliers = 0;
};

// The certified distance of a pair of pillars (from before to, in the order along the line).
struct CertifiedDistance {
  std::string from;
  std::string to;
  double distance = 0.0;  // D, metres
  double uA = 0.0;        // from the adjustment, metres
  double uB = 0.0;        // from the reference instrument's scale, metres
  double u = 0.0;         // combined standard uncertainty, metres
  std::optional<double> dofEffective;  // Welch-Satterthwaite; none: infinite
  double k = 0.0;                      // t quantile 0.975 for dofEffective
  double expanded = 0.0;               // U = k u, metres
};

struct BaselineAdjustment {
  std::vector<PillarPosition> pillars;  // in order along the line
  bool orderInferred = false;           // the order came from the observations
  double constant = 0.0;                // the reference instrument's constant c, metres
  double constantUncertainty = 0.0;     // its standard uncertainty, metres
  ReferenceScale referenceScale;        // as applied (zero when none was given)
  double aprioriMm = 0.0;               // a, the "^" header line
  double aprioriPpm = 0.0;              // b, the "%" header line
  int observationCount = 0;             // m
  int unknowns = 0;                     // n: the pillars but the origin, and c
  int dof = 0;                          // m - n
  double s0 = 0.0;                      // a posteriori standard deviation of unit weight
  std::optional<SurveyVarianceTest> varianceTest;  // none without a priori accuracies
  std::vector<SurveyObservation> observations;     // in the order of the measured text
  SurveyOutlierTest outlierTest;
  std::vector<CertifiedDistance> distances;  // every pair i < j, by i then j
};

// Why a survey cannot be adjusted. A usage fault is the operator's request (a pillar order that
// does not match the observations); a data fault is the survey's (a pillar tied to no other,
// a distance not above zero, no degree of freedom, positions that go backwards).
struct BaselineSurveyError {
  enum class Kind { kUsage, kData };
  Kind kind = Kind::kData;
  std::string message;
};

// Adjusts the observations of `table` (kObservationKind entries, lines already left out), with
// the a priori accuracy of the header's "^" (mm) and "%" (ppm) parts. Returns nothing with
// `error` set when the survey can't be adjusted.
std::optional<BaselineAdjustment> AdjustBaselineSurvey(const RecordTable& table,
                                                       const MeasurementHeader& header,
                                                       const BaselineSurveyOptions& options,
                                                       BaselineSurveyError& error);

}  // namespace mensuro
