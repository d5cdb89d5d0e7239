#pragma once

// The correction a calibration gives for a measured distance, IC(D) = c + s D, with its
// uncertainty budget after the GUM (the fit's type A part, the baseline, the weather sensors,
// the display's resolution and the centring), and, against an acceptance limit, the decision
// rule of ISO 14253-1: a verdict is given only where the uncertainty leaves no doubt.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/calibration_adjustment.h"
#include "core/analysis/cyclic_error.h"
#include "core/baseline/baseline_library_entry.h"
#include "core/equipment/equipment.h"

namespace mensuro {

// A distance-dependent length a mm + b ppm.
struct MmPlusPpm {
  double mm = 0.0;
  double ppm = 0.0;
};

// The expanded uncertainty of the published distances, as the baseline's own certificate
// states it: U_bl(D) = a + b D at coverage factor `k`, with `dof` degrees of freedom (none:
// infinite).
struct BaselineUncertainty {
  MmPlusPpm expanded;
  double k = 2.0;
  std::optional<double> dof;
};

// Standard uncertainties of the thermometer (K), barometer (hPa) and hygrometer (%).
struct SensorUncertainty {
  double temperature = 0.0;
  double pressure = 0.0;
  double humidity = 0.0;
};

// What the budget takes besides the fit. Every input is optional; one not given leaves its
// component out.
struct UncertaintyInputs {
  std::optional<BaselineUncertainty> baseline;
  std::optional<SensorUncertainty> sensors;
  std::optional<double> resolution;     // the display's last digit, mm
  std::optional<double> centring;       // half-width of forced centring at each end, mm
  std::optional<MmPlusPpm> acceptance;  // maximum permissible error MPE(D)
  // The equipment the calibration used, each with the certificate chosen for its date of
  // measurement: what the certificate and the JSON name. A sensor's standard uncertainty is
  // already in `sensors`; the budget itself reads only the figures above.
  std::vector<AppliedEquipment> equipment;
  // The pairs' own uncertainties, as the library baseline the published distances came from
  // states them: a station pair with a line of its own takes it instead of `baseline`.
  std::vector<PairUncertainty> baselinePairs;
  // The instrument's unit length and harmonics when its cyclic error is to be estimated beside
  // the fit; not part of the budget, but a condition of the calibration as the others are.
  std::optional<CyclicSettings> cyclic;
};

// Where a station pair of the calibration takes the baseline's uncertainty from.
enum class BaselinePairSource { kPair, kFormula, kNone };

// "pair", "formula" or "none".
std::string_view BaselinePairSourceName(BaselinePairSource source);

// A station pair's share of the baseline component, when pairs have uncertainties of their own.
struct BaselinePairInput {
  std::string from;  // as the calibration names the pair
  std::string to;
  BaselinePairSource source = BaselinePairSource::kNone;
  double expandedMm = 0.0;  // U at the pair's published distance (0 for none)
  double k = 0.0;
  std::optional<double> dof;  // none: infinite
};

// The baseline component of a calibration some of whose station pairs have uncertainties of
// their own. With u_j the standard uncertainty of pair j's published distance P_j, the
// baseline's standard uncertainty at D is |a + b D|, the unweighted straight line through the
// points (P_j, u_j): the pairs' uncertainties, fully correlated, carried through the
// calibration's own unweighted fit. When every pair follows the formula it is (A + B D)/K.
struct PairBaselineComponent {
  std::vector<BaselinePairInput> pairs;  // in the calibration's order
  // Why the component is left out: a pair with neither a line of its own nor the formula.
  // Empty when it counts.
  std::string leftOut;
  double intercept = 0.0;     // a, metres
  double slope = 0.0;         // b, dimensionless
  std::optional<double> dof;  // the smallest of the pairs'; none: every pair's infinite
};

// The baseline component of the station pairs `entries` under `inputs`; nothing when no pair
// has a line of its own in `inputs.baselinePairs` (the formula alone applies then). A pair
// matches a line in either direction; of two lines for one pair the later holds.
std::optional<PairBaselineComponent> PairBaseline(const AdjustmentTable& entries,
                                                  const UncertaintyInputs& inputs);

enum class Conformity { kConforms, kDoesNotConform, kInconclusive };

// "conforms", "does not conform" or "inconclusive".
std::string_view ConformityName(Conformity conformity);

// One distance of the correction table.
struct CorrectionRow {
  double distance = 0.0;                 // D, metres
  double correction = 0.0;               // IC(D), metres
  double standardUncertainty = 0.0;      // u_c(D), metres
  std::optional<double> effectiveDof;    // Welch-Satterthwaite; none: infinite
  double coverageFactor = 0.0;           // k for 95 percent
  double expandedUncertainty = 0.0;      // U(D) = k u_c(D), metres
  std::optional<Conformity> conformity;  // only with an acceptance limit
};

struct CorrectionUncertainty {
  double covariance = 0.0;   // of constant and scale in the unweighted fit, metres
  double correlation = 0.0;  // of constant and scale (NaN when either is known exactly)
  std::vector<CorrectionRow> table;
  std::optional<Conformity> conformity;  // over every row; only with an acceptance limit
  // How the station pairs took the baseline's uncertainty, when some have lines of their own.
  std::optional<PairBaselineComponent> baselinePairs;
};

// The correction, its uncertainty and its conformity at each of `distances` (metres), the fit's
// share worked out once for all of them.
std::vector<CorrectionRow> CorrectionsAt(const CalibrationAnalysis& analysis,
                                         const UncertaintyInputs& inputs,
                                         const std::vector<double>& distances);

// The expanded (95 percent) uncertainties of the calibration's two parameters, as an
// instrument's history compares them.
struct ParameterUncertainty {
  double constant = 0.0;  // the correction table's at D = 0, metres
  double scalePpm = 0.0;  // ppm
};

// The constant's from the row at D = 0; the scale's from the fit's scale standard error and the
// ppm parts of the baseline's (the slope b when pairs have their own) and the sensors'
// uncertainty, with k for the effective degrees of freedom (Welch-Satterthwaite), as in the rows.
ParameterUncertainty ExpandedParameterUncertainty(const CalibrationAnalysis& analysis,
                                                  const UncertaintyInputs& inputs);

// The distances of the correction table: 0, D, 2D, ... up to the first multiple of D at or
// beyond the largest published distance, D being the smallest of 10, 20, 50, 100, 200, 500 and
// 1000 m that needs at most ten steps. Beyond 10 km the series goes on (2, 5, 10, 20 km...), so
// the table never has more than eleven rows.
std::vector<double> CorrectionTableDistances(double largestDistance);

// The budget of a successful analysis.
CorrectionUncertainty AnalyseUncertainty(const CalibrationAnalysis& analysis,
                                         const UncertaintyInputs& inputs);

// The coverage factor for 95 percent: Student's t quantile 0.975 for `dof` degrees of freedom,
// the normal distribution's for none.
double CoverageFactor(std::optional<double> dof);

// Reading the inputs from text, as the command line and the baseline library give them:
// numbers separated by commas, in the units above, none negative. Each returns nothing with
// the reason in `reason` when the text is not of its form.
// "A,B[,K[,DOF]]"; DOF may be "inf".
std::optional<BaselineUncertainty> ParseBaselineUncertainty(std::string_view text,
                                                            std::string& reason);
// "T,P,RH".
std::optional<SensorUncertainty> ParseSensorUncertainty(std::string_view text, std::string& reason);
// "A,B".
std::optional<MmPlusPpm> ParseMmPlusPpm(std::string_view text, std::string& reason);
// One length in mm.
std::optional<double> ParseMillimetres(std::string_view text, std::string& reason);

}  // namespace mensuro
