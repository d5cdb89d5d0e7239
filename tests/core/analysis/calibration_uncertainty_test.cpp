#include "core/analysis/calibration_uncertainty.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace mensuro {
namespace {

// A fit of four pairs at 100 to 400 m (mean 250 m): constant 0.5 mm, scale 3 ppm, standard
// errors 1 mm and 2 ppm.
CalibrationAnalysis SmallFit(double constant = 0.5e-3, double scale = 3e-6) {
  CalibrationAnalysis analysis;
  for (const double P : {100.0, 200.0, 300.0, 400.0}) {
    AdjustmentEntry entry;
    entry.P = P;
    analysis.entries.push_back(entry);
  }
  analysis.result.constant = constant;
  analysis.result.scale = scale;
  analysis.result.constantStdError = 1e-3;
  analysis.result.scaleStdError = 2e-6;
  return analysis;
}

UncertaintyInputs EveryComponent() {
  UncertaintyInputs inputs;
  inputs.baseline = BaselineUncertainty{{1.0, 2.0}, 2.0, 10.0};
  inputs.sensors = SensorUncertainty{0.2, 0.5, 2.0};
  inputs.resolution = 0.1;
  inputs.centring = 0.3;
  return inputs;
}

void ExpectRelative(double actual, double expected) {
  EXPECT_NEAR(actual, expected, std::fabs(expected) * 1e-12) << "expected " << expected;
}

// Worked by hand at D = 100 m:
//   u_A^2 = 1e-6 + 100^2 (2e-6)^2 + 2 * 100 * (-250 * (2e-6)^2) = 8.4e-7, 2 degrees of freedom
//   u_bl = (1 mm + 2 ppm * 100 m) / 2 = 0.6 mm, 10 degrees of freedom
//   u_atm = 100 m * 1e-6 * sqrt(0.19^2 + 0.1375^2 + 0.018^2)
//   u_res = 0.1 mm / (2 sqrt 3); u_cen = sqrt 2 * 0.3 mm / sqrt 3
//   nu_eff = u_c^4 / (u_A^4 / 2 + u_bl^4 / 10)
TEST(calibration_uncertainty, budget_with_every_component) {
  const CalibrationAnalysis fit = SmallFit();
  const CorrectionUncertainty budget = AnalyseUncertainty(fit, EveryComponent());
  ExpectRelative(budget.covariance, -1e-9);
  ExpectRelative(budget.correlation, -0.5);

  ASSERT_EQ(budget.table.size(), 9u);  // 0 to 400 m in steps of 50 m
  const CorrectionRow& row = budget.table[2];
  EXPECT_EQ(row.distance, 100.0);
  ExpectRelative(row.correction, 0.8e-3);
  const double uc2 = 8.4e-7 + 3.6e-7 + 1e-8 * 0.05533025 + 1e-8 / 12 + 6e-8;
  ExpectRelative(row.standardUncertainty, std::sqrt(uc2));
  ExpectRelative(row.standardUncertainty, 0.0011231147028836071);
  ASSERT_TRUE(row.effectiveDof);
  ExpectRelative(*row.effectiveDof, uc2 * uc2 / (8.4e-7 * 8.4e-7 / 2 + 3.6e-7 * 3.6e-7 / 10));
  ExpectRelative(row.coverageFactor, CoverageFactor(*row.effectiveDof));
  ExpectRelative(row.expandedUncertainty, row.coverageFactor * row.standardUncertainty);
  EXPECT_FALSE(row.conformity);
  EXPECT_FALSE(budget.conformity);

  ExpectRelative(budget.table.front().standardUncertainty, 0.0011449162997063729);
  ExpectRelative(*budget.table.back().effectiveDof, 7.0679967848613652);
}

TEST(calibration_uncertainty, coverage_factor_is_students_t) {
  ExpectRelative(CoverageFactor(4.0), 2.7764451051977987);
  ExpectRelative(CoverageFactor(10.0), 2.2281388519862744);
  const double between = CoverageFactor(4.35);
  EXPECT_LT(between, CoverageFactor(4.0));
  EXPECT_GT(between, CoverageFactor(5.0));
  EXPECT_EQ(CoverageFactor(std::nullopt), 1.959963984540054);
  EXPECT_TRUE(std::isinf(CoverageFactor(1e-300)));  // no exception for absurd inputs
}

TEST(calibration_uncertainty, effective_dof_infinite_without_finite_terms_or_beyond_a_million) {
  CalibrationAnalysis exact = SmallFit();
  exact.result.constantStdError = 0.0;
  exact.result.scaleStdError = 0.0;
  UncertaintyInputs inputs;
  inputs.resolution = 1.0;
  const CorrectionRow row = CorrectionsAt(exact, inputs, {100.0}).front();
  EXPECT_FALSE(row.effectiveDof);
  EXPECT_EQ(row.coverageFactor, 1.959963984540054);

  // A fit far smaller than an infinitely known baseline: nu_eff beyond 1e6.
  inputs.baseline = BaselineUncertainty{{100.0, 0.0}, 2.0, std::nullopt};
  CalibrationAnalysis tiny = SmallFit();
  tiny.result.constantStdError = 1e-9;
  tiny.result.scaleStdError = 1e-15;
  EXPECT_FALSE(CorrectionsAt(tiny, inputs, {0.0}).front().effectiveDof);
}

TEST(calibration_uncertainty, table_steps) {
  using Distances = std::vector<double>;
  EXPECT_EQ(CorrectionTableDistances(600.0), (Distances{0, 100, 200, 300, 400, 500, 600}));
  EXPECT_EQ(CorrectionTableDistances(95.0).back(), 100.0);
  EXPECT_EQ(CorrectionTableDistances(95.0).size(), 11u);
  EXPECT_EQ(CorrectionTableDistances(1400.0).back(), 1400.0);  // step 200 m
  EXPECT_EQ(CorrectionTableDistances(2001.0), (Distances{0, 500, 1000, 1500, 2000, 2500}));
  EXPECT_EQ(CorrectionTableDistances(10001.0)[1], 2000.0);  // the series goes on
  EXPECT_EQ(CorrectionTableDistances(1e300).size(), 11u);
  EXPECT_EQ(CorrectionTableDistances(0.0), (Distances{0}));
}

// With U = 2.4 mm at 0 m for 2 degrees of freedom and a correction of 0.5 mm at 0 m, the
// limit decides.
TEST(calibration_uncertainty, decision_rule) {
  const CalibrationAnalysis fit = SmallFit();
  UncertaintyInputs inputs;
  const auto overall = [&](MmPlusPpm limit) {
    inputs.acceptance = limit;
    return AnalyseUncertainty(fit, inputs);
  };
  const double correctionPlusU = 0.5e-3 + AnalyseUncertainty(fit, {}).table[0].expandedUncertainty;

  const CorrectionUncertainty wide = overall({20.0, 20.0});
  EXPECT_EQ(wide.conformity, Conformity::kConforms);
  EXPECT_EQ(wide.table[0].conformity, Conformity::kConforms);

  // Just below |IC| + U at 0 m: that row can't be decided, the others conform.
  const CorrectionUncertainty narrow = overall({correctionPlusU * 1e3 - 1e-6, 100.0});
  EXPECT_EQ(narrow.table[0].conformity, Conformity::kInconclusive);
  EXPECT_EQ(narrow.table[1].conformity, Conformity::kConforms);
  EXPECT_EQ(narrow.conformity, Conformity::kInconclusive);

  // A 10 mm correction far beyond 1 mm even with its uncertainty.
  const CalibrationAnalysis off = SmallFit(10e-3);
  inputs.acceptance = MmPlusPpm{1.0, 0.0};
  const CorrectionUncertainty failed = AnalyseUncertainty(off, inputs);
  EXPECT_EQ(failed.table[0].conformity, Conformity::kDoesNotConform);
  EXPECT_EQ(failed.conformity, Conformity::kDoesNotConform);
  EXPECT_EQ(ConformityName(*failed.conformity), "does not conform");
}

TEST(calibration_uncertainty, parsing_inputs) {
  std::string reason;
  const auto baseline = ParseBaselineUncertainty(" 1.5, 2 ,2.5, inf", reason);
  ASSERT_TRUE(baseline) << reason;
  EXPECT_EQ(baseline->expanded.mm, 1.5);
  EXPECT_EQ(baseline->k, 2.5);
  EXPECT_FALSE(baseline->dof);
  const auto defaults = ParseBaselineUncertainty("1,2", reason);
  ASSERT_TRUE(defaults);
  EXPECT_EQ(defaults->k, 2.0);
  EXPECT_EQ(ParseBaselineUncertainty("1,2,2,30", reason)->dof, 30.0);
  EXPECT_EQ(ParseSensorUncertainty("0.2,0.5,3", reason)->humidity, 3.0);
  EXPECT_EQ(ParseMmPlusPpm("2,2", reason)->ppm, 2.0);
  EXPECT_EQ(ParseMillimetres("0.1", reason), 0.1);

  for (const char* bad : {"", "1", "1,2,3,4,5", "1,,2", "1,-2", "1,2,0", "1,2,2,0", "1,x", "inf,2",
                          "1,2,inf", "1;2", "nan,1", "1,2 mm"}) {
    reason.clear();
    EXPECT_FALSE(ParseBaselineUncertainty(bad, reason)) << bad;
    EXPECT_FALSE(reason.empty()) << bad;
  }
  EXPECT_FALSE(ParseSensorUncertainty("0.2,0.5", reason));
  EXPECT_FALSE(ParseMmPlusPpm("2", reason));
  EXPECT_FALSE(ParseMillimetres("-0.1", reason));
  EXPECT_FALSE(ParseMillimetres("1,2", reason));
}

// Worked by hand for the scale: u_A = 2 ppm with 2 degrees of freedom, the baseline's
// 2 ppm / 2 = 1 ppm with 10, the sensors' sqrt(0.19^2 + 0.1375^2 + 0.018^2) ppm; the mm parts,
// resolution and centring leave it alone. The constant's is the table's row at D = 0.
TEST(calibration_uncertainty, expanded_constant_and_scale) {
  const CalibrationAnalysis fit = SmallFit();
  const UncertaintyInputs inputs = EveryComponent();
  const ParameterUncertainty expanded = ExpandedParameterUncertainty(fit, inputs);
  ExpectRelative(expanded.constant,
                 AnalyseUncertainty(fit, inputs).table.front().expandedUncertainty);
  const double uc2 = 4.0 + 1.0 + 0.05533025;
  const double dof = uc2 * uc2 / (16.0 / 2 + 1.0 / 10);
  ExpectRelative(expanded.scalePpm, CoverageFactor(dof) * std::sqrt(uc2));

  // The fit alone: Student's t for its 2 degrees of freedom.
  ExpectRelative(ExpandedParameterUncertainty(fit, {}).scalePpm, 4.302652729749464 * 2.0);
}

// SmallFit's pairs named A-B, A-C, A-D and A-E (100 to 400 m).
CalibrationAnalysis NamedFit() {
  CalibrationAnalysis fit = SmallFit();
  for (std::size_t j = 0; j < fit.entries.size(); ++j) {
    fit.entries[j].from = "A";
    fit.entries[j].to = std::string(1, static_cast<char>('B' + j));
  }
  return fit;
}

// The baseline formula 1 mm + 2 ppm (k = 2, 10 degrees of freedom) alone.
UncertaintyInputs FormulaOnly() {
  UncertaintyInputs inputs;
  inputs.baseline = BaselineUncertainty{{1.0, 2.0}, 2.0, 10.0};
  return inputs;
}

TEST(calibration_uncertainty, pairs_whose_own_lines_follow_the_formula_give_the_formulas_budget) {
  const CalibrationAnalysis fit = NamedFit();
  UncertaintyInputs inputs = FormulaOnly();
  const CorrectionUncertainty formula = AnalyseUncertainty(fit, inputs);
  // Own lines for three pairs, one of them written the other way round; A-C takes the formula.
  inputs.baselinePairs = {
      {"A", "B", 1.2, 2.0, 10.0}, {"D", "A", 1.6, 2.0, 10.0}, {"A", "E", 1.8, 2.0, 10.0}};
  const CorrectionUncertainty own = AnalyseUncertainty(fit, inputs);
  ASSERT_EQ(own.table.size(), formula.table.size());
  for (std::size_t i = 0; i < own.table.size(); ++i) {
    ExpectRelative(own.table[i].standardUncertainty, formula.table[i].standardUncertainty);
    ExpectRelative(*own.table[i].effectiveDof, *formula.table[i].effectiveDof);
  }
  ExpectRelative(ExpandedParameterUncertainty(fit, inputs).scalePpm,
                 ExpandedParameterUncertainty(fit, FormulaOnly()).scalePpm);
  ASSERT_TRUE(own.baselinePairs);
  ASSERT_EQ(own.baselinePairs->pairs.size(), 4u);
  const BaselinePairInput& ac = own.baselinePairs->pairs[1];
  EXPECT_EQ(BaselinePairSourceName(ac.source), "formula");
  ExpectRelative(ac.expandedMm, 1.4);
  EXPECT_EQ(BaselinePairSourceName(own.baselinePairs->pairs[2].source), "pair");
  EXPECT_TRUE(own.baselinePairs->leftOut.empty());
}

// The pair at 400 m with its own U = 3.8 mm (k = 2, 5 degrees of freedom) beside the formula's
// 0.6, 0.7 and 0.8 mm: u_j = 0.6, 0.7, 0.8, 1.9 mm, whose straight line is u(D) = 4 ppm * D
// with 5 degrees of freedom, the smallest. It weighs on the long distances and lightens the
// short ones, as the fit carries it.
TEST(calibration_uncertainty, a_pair_with_a_larger_own_uncertainty_tilts_the_baseline_component) {
  const CalibrationAnalysis fit = NamedFit();
  UncertaintyInputs inputs = FormulaOnly();
  inputs.baselinePairs = {{"A", "E", 1.0, 2.0, 10.0}, {"E", "A", 3.8, 2.0, 5.0}};
  const CorrectionUncertainty budget = AnalyseUncertainty(fit, inputs);
  const CorrectionUncertainty formula = AnalyseUncertainty(fit, FormulaOnly());
  ASSERT_TRUE(budget.baselinePairs);
  ExpectRelative(budget.baselinePairs->slope, 4e-6);
  EXPECT_NEAR(budget.baselinePairs->intercept, 0.0, 1e-15);
  EXPECT_EQ(budget.baselinePairs->dof, 5.0);

  const CorrectionRow& far = budget.table.back();
  ASSERT_EQ(far.distance, 400.0);
  const double uA2 = 8.4e-7;  // the fit's at 400 m
  const double uBl2 = 1.6e-3 * 1.6e-3;
  ExpectRelative(far.standardUncertainty, std::sqrt(uA2 + uBl2));
  ExpectRelative(*far.effectiveDof,
                 (uA2 + uBl2) * (uA2 + uBl2) / (uA2 * uA2 / 2 + uBl2 * uBl2 / 5));
  EXPECT_GT(far.standardUncertainty, formula.table.back().standardUncertainty);
  EXPECT_LT(budget.table.front().standardUncertainty, formula.table.front().standardUncertainty);

  const double scale2 = 4.0 + 16.0;
  ExpectRelative(ExpandedParameterUncertainty(fit, inputs).scalePpm,
                 CoverageFactor(scale2 * scale2 / (16.0 / 2 + 256.0 / 5)) * std::sqrt(scale2));
}

TEST(calibration_uncertainty, own_lines_of_no_pair_leave_the_budget_as_it_was) {
  const CalibrationAnalysis fit = NamedFit();
  UncertaintyInputs inputs = EveryComponent();
  const CorrectionUncertainty before = AnalyseUncertainty(fit, inputs);
  inputs.baselinePairs = {{"B", "C", 9.0, 2.0, std::nullopt}};
  const CorrectionUncertainty after = AnalyseUncertainty(fit, inputs);
  EXPECT_FALSE(after.baselinePairs);
  ASSERT_EQ(after.table.size(), before.table.size());
  for (std::size_t i = 0; i < after.table.size(); ++i) {
    EXPECT_EQ(after.table[i].expandedUncertainty, before.table[i].expandedUncertainty);
    EXPECT_EQ(after.table[i].effectiveDof, before.table[i].effectiveDof);
  }
  EXPECT_EQ(ExpandedParameterUncertainty(fit, inputs).scalePpm,
            ExpandedParameterUncertainty(fit, EveryComponent()).scalePpm);
}

TEST(calibration_uncertainty, a_pair_with_no_uncertainty_leaves_the_baseline_out_and_says_why) {
  const CalibrationAnalysis fit = NamedFit();
  UncertaintyInputs inputs;
  inputs.baselinePairs = {{"A", "B", 1.0, 2.0, std::nullopt}, {"A", "D", 1.0, 2.0, std::nullopt}};
  const CorrectionUncertainty budget = AnalyseUncertainty(fit, inputs);
  ASSERT_TRUE(budget.baselinePairs);
  EXPECT_EQ(budget.baselinePairs->leftOut,
            "the station pairs A-C, A-E have no 3:pair-uncertainty= line of their own and no "
            "3:uncertainty= formula is given, so the baseline's uncertainty is left out");
  EXPECT_EQ(BaselinePairSourceName(budget.baselinePairs->pairs[1].source), "none");
  const CorrectionUncertainty none = AnalyseUncertainty(fit, {});
  for (std::size_t i = 0; i < budget.table.size(); ++i) {
    EXPECT_EQ(budget.table[i].standardUncertainty, none.table[i].standardUncertainty);
  }
  EXPECT_EQ(ExpandedParameterUncertainty(fit, inputs).scalePpm,
            ExpandedParameterUncertainty(fit, {}).scalePpm);
}

}  // namespace
}  // namespace mensuro
