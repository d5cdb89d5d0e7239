// The cyclic error estimated with the constant and scale: recovered from generated benches whose
// truth is known, tested by F, and refused or warned of where the design can't carry it.

#include "core/analysis/cyclic_error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "core/analysis/cyclic_text.h"
#include "core/processing/processed_calibration.h"

namespace mensuro {
namespace {

// A fixed-seed generator of normal deviates (a 64-bit LCG and Box-Muller), so the bench is the
// same on every machine.
class Deviates {
 public:
  explicit Deviates(std::uint64_t seed) : state_(seed) {}
  double Normal(double sigma) {
    const double u1 = Uniform();
    const double u2 = Uniform();
    return sigma * std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
  }

 private:
  double Uniform() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return (static_cast<double>(state_ >> 11) + 0.5) / 9007199254740992.0;
  }
  std::uint64_t state_;
};

// What the generated instrument does: d = P − D = c + s·P + a·sin(2π·D/U + φ₀) + noise, with
// A = a·cos φ₀ and B = a·sin φ₀, so φ = atan2(B, A) = φ₀.
struct Truth {
  double unitLength = 5.0;
  double constant = 0.0008;
  double scale = 3e-6;
  double amplitude = 0.0005;
  double phaseDegrees = 40.0;
  double noise = 0.0001;
};

// The measured and published texts of pairs from pillar 0 to pillars 1.. at `published`
// distances, measured by an instrument of `truth`.
ProcessedCalibration Bench(const std::vector<double>& published, const Truth& truth,
                           std::uint64_t seed, CyclicSettings settings) {
  Deviates deviates(seed);
  std::string publishedText;
  std::string measuredText = "^1\n%1\n";
  const double phase = truth.phaseDegrees * std::numbers::pi / 180.0;
  for (std::size_t j = 0; j < published.size(); ++j) {
    const double P = published[j];
    const double noise = deviates.Normal(truth.noise);
    double D = P;
    for (int pass = 0; pass < 4; ++pass) {  // the cyclic term depends on D itself
      const double cyclic =
          truth.amplitude * std::sin(2.0 * std::numbers::pi * D / truth.unitLength + phase);
      D = P - (truth.constant + truth.scale * P + cyclic + noise);
    }
    publishedText += "0," + std::to_string(j + 1) + "," + std::to_string(P) + "\n";
    char distance[32];
    std::snprintf(distance, sizeof distance, "%.6f", D);
    measuredText += "0," + std::to_string(j + 1) + "," + distance + "\n";
  }
  UncertaintyInputs conditions;
  conditions.cyclic = settings;
  return ProcessCalibration({}, measuredText, publishedText, conditions);
}

// 20 distances from 25 m to 1 km whose fractional parts of D/U step through one unit length.
std::vector<double> SpreadOverOneUnitLength(double unitLength) {
  std::vector<double> distances;
  for (int j = 0; j < 20; ++j) {
    distances.push_back(25.0 + 50.0 * j + unitLength * j / 20.0);
  }
  return distances;
}

TEST(cyclic_error, recovers_a_known_cyclic_error_and_tests_each_harmonic) {
  const Truth truth;
  const ProcessedCalibration calibration =
      Bench(SpreadOverOneUnitLength(truth.unitLength), truth, 20261209, {truth.unitLength, 2});
  ASSERT_TRUE(calibration.processed) << calibration.failure;
  ASSERT_TRUE(calibration.cyclic.has_value());
  const CyclicAnalysis& cyclic = *calibration.cyclic;
  ASSERT_TRUE(cyclic.estimable) << cyclic.reason;
  EXPECT_EQ(cyclic.degreesOfFreedom, 20 - 6);
  ASSERT_EQ(cyclic.harmonics.size(), 2u);
  const CyclicHarmonic& first = cyclic.harmonics[0];
  ASSERT_TRUE(first.amplitudeStdError && first.phaseStdErrorDegrees);
  EXPECT_NEAR(first.amplitude, truth.amplitude, 3.0 * *first.amplitudeStdError);
  EXPECT_NEAR(first.phaseDegrees, truth.phaseDegrees, 3.0 * *first.phaseStdErrorDegrees);
  EXPECT_NEAR(cyclic.constant, truth.constant, 3.0 * cyclic.constantStdError);
  EXPECT_NEAR(cyclic.scale, truth.scale, 3.0 * cyclic.scaleStdError);
  EXPECT_TRUE(first.significant) << first.F << " against " << first.critical;
  EXPECT_FALSE(cyclic.harmonics[1].significant) << cyclic.harmonics[1].F;
  // F at 95 percent for (2, 14), as tables give it.
  EXPECT_NEAR(first.critical, 3.7389, 1e-4);
  EXPECT_TRUE(cyclic.warning.empty()) << cyclic.warning;
  EXPECT_LT(cyclic.maxCorrelation, kCyclicCorrelationLimit);
  // The plain fit, which the report prints, is left as it was.
  const ProcessedCalibration plain = WithConditions(calibration, {});
  EXPECT_FALSE(plain.cyclic.has_value());
  EXPECT_EQ(plain.report.lines, calibration.report.lines);
}

TEST(cyclic_error, exact_data_gives_the_terms_and_f_matches_the_plain_fits_residuals) {
  Truth truth;
  truth.noise = 0.0;
  truth.phaseDegrees = -120.0;
  const std::vector<double> distances = SpreadOverOneUnitLength(truth.unitLength);
  // Without noise the joint model fits to the rounding of the texts.
  const ProcessedCalibration exact = Bench(distances, truth, 1, {truth.unitLength, 1});
  ASSERT_TRUE(exact.cyclic && exact.cyclic->estimable) << exact.cyclic->reason;
  EXPECT_NEAR(exact.cyclic->harmonics[0].amplitude, truth.amplitude, 2e-6);
  EXPECT_NEAR(exact.cyclic->harmonics[0].phaseDegrees, -120.0, 0.5);
  EXPECT_NEAR(exact.cyclic->constant, truth.constant, 2e-6);
  EXPECT_NEAR(exact.cyclic->scale, truth.scale, 1e-8);

  // With one harmonic, the model without it is the plain fit: F must agree with the residuals
  // the calibration fit itself found.
  truth.noise = 0.0002;
  const ProcessedCalibration noisy = Bench(distances, truth, 7, {truth.unitLength, 1});
  ASSERT_TRUE(noisy.cyclic && noisy.cyclic->estimable);
  double plainRss = 0.0;
  for (const AdjustmentEntry& entry : noisy.run.analysis.entries) {
    plainRss += entry.r * entry.r;
  }
  const CyclicAnalysis& cyclic = *noisy.cyclic;
  const double rss = cyclic.s0 * cyclic.s0 * cyclic.degreesOfFreedom;
  EXPECT_NEAR(cyclic.harmonics[0].F, ((plainRss - rss) / 2.0) / (rss / cyclic.degreesOfFreedom),
              1e-6 * cyclic.harmonics[0].F);
  // A phase of ±180 degrees is given as +180.
  EXPECT_GT(cyclic.harmonics[0].phaseDegrees, -180.0);
  EXPECT_LE(cyclic.harmonics[0].phaseDegrees, 180.0);
}

TEST(cyclic_error, warns_when_the_fractional_parts_bunch_together) {
  // Whole unit lengths apart but for a few centimetres: D/U nearly the same fraction throughout.
  const Truth truth;
  std::vector<double> distances;
  for (int j = 0; j < 8; ++j) {
    distances.push_back(50.0 + 100.0 * j + 0.04 * j);
  }
  const ProcessedCalibration calibration = Bench(distances, truth, 11, {truth.unitLength, 1});
  ASSERT_TRUE(calibration.cyclic && calibration.cyclic->estimable) << calibration.cyclic->reason;
  EXPECT_GT(calibration.cyclic->maxCorrelation, kCyclicCorrelationLimit);
  EXPECT_NE(calibration.cyclic->warning.find("hardly separate the cyclic error from the constant "
                                             "and scale"),
            std::string::npos);
  EXPECT_NE(calibration.cyclic->warning.find("0.000, 0.008, 0.016"), std::string::npos)
      << calibration.cyclic->warning;
}

TEST(cyclic_error, says_why_the_terms_are_not_estimable) {
  const Truth truth;
  // Two harmonics on six pairs leave no degree of freedom: it needs seven.
  std::vector<double> six = SpreadOverOneUnitLength(truth.unitLength);
  six.resize(6);
  const ProcessedCalibration few = Bench(six, truth, 3, {truth.unitLength, 2});
  ASSERT_TRUE(few.processed);
  ASSERT_TRUE(few.cyclic.has_value());
  EXPECT_FALSE(few.cyclic->estimable);
  EXPECT_EQ(few.cyclic->reason,
            "the cyclic error with 2 harmonics needs at least 7 station pairs; the fit has 6");
  EXPECT_TRUE(few.cyclic->harmonics.empty());

  // Every distance measured as a whole number of unit lengths: sine and cosine are constant, and
  // the design is singular.
  std::vector<double> whole;
  for (int j = 1; j <= 8; ++j) {
    whole.push_back(100.0 * j);
  }
  const Truth flat{.unitLength = truth.unitLength,
                   .constant = 0.0,
                   .scale = 0.0,
                   .amplitude = 0.0,
                   .phaseDegrees = 0.0,
                   .noise = 0.0};
  const ProcessedCalibration singular = Bench(whole, flat, 5, {truth.unitLength, 1});
  ASSERT_TRUE(singular.cyclic.has_value());
  EXPECT_FALSE(singular.cyclic->estimable);
  EXPECT_NE(singular.cyclic->reason.find("singular or nearly so"), std::string::npos)
      << singular.cyclic->reason;
}

TEST(cyclic_error, unit_fraction_and_fitted_term) {
  EXPECT_DOUBLE_EQ(UnitFraction(7.5, 5.0), 0.5);
  EXPECT_DOUBLE_EQ(UnitFraction(10.0, 5.0), 0.0);
  const double justBelow = std::nextafter(0.0, -1.0);
  const double fraction = UnitFraction(justBelow, 5.0);
  EXPECT_GE(fraction, 0.0);
  EXPECT_LT(fraction, 1.0);
  CyclicAnalysis analysis;
  CyclicHarmonic first;
  first.sine = 0.001;
  CyclicHarmonic second;
  second.order = 2;
  second.cosine = 0.0005;
  analysis.harmonics = {first, second};
  EXPECT_NEAR(CyclicTermAt(analysis, 0.25), 0.001 - 0.0005, 1e-15);
}

TEST(cyclic_error, figures_in_words) {
  CyclicAnalysis analysis;
  analysis.estimable = true;
  CyclicHarmonic first;
  first.amplitude = 0.000483;
  first.amplitudeStdError = 0.0000512;
  first.phaseDegrees = 38.24;
  first.phaseStdErrorDegrees = 6.06;
  first.F = 23.414;
  first.critical = 3.7389;
  first.significant = true;
  CyclicHarmonic second;
  second.order = 2;
  second.F = std::numeric_limits<double>::infinity();
  second.critical = 3.7389;
  analysis.harmonics = {first, second};
  EXPECT_EQ(CyclicAmplitudeText(first), "0.48 \u00b1 0.05 mm");
  EXPECT_EQ(CyclicPhaseText(first), "38.2 \u00b1 6.1\u00b0");
  EXPECT_EQ(CyclicTestText(first), "F = 23.41 > 3.74: significant");
  EXPECT_EQ(CyclicAmplitudeText(second), "0.00 mm");
  EXPECT_EQ(CyclicPhaseText(second), "undefined");
  EXPECT_EQ(CyclicTestText(second), "F = \u221e \u2264 3.74: not significant");
  EXPECT_EQ(CyclicVerdictText(analysis), "significant cyclic error (harmonic 1)");
  analysis.harmonics[1].significant = true;
  EXPECT_EQ(CyclicVerdictText(analysis), "significant cyclic error (harmonics 1 and 2)");
  analysis.harmonics = {};
  EXPECT_EQ(CyclicVerdictText(analysis), "no significant cyclic error");
  analysis.estimable = false;
  analysis.reason = "why";
  EXPECT_EQ(CyclicVerdictText(analysis), "not estimable: why");
}

}  // namespace
}  // namespace mensuro
