// The test for outlying pairs, against figures worked outside the program: the same formulas in
// Python, with SciPy's Student's t quantile (scipy.stats.t.ppf) for the limit.

#include "core/analysis/outlier_test.h"

#include <gtest/gtest.h>

#include <string>

#include "core/processing/processed_calibration.h"

namespace mensuro {
namespace {

// Nine pairs from A, a 1 mm + 1.5 ppm instrument reading 0.5 mm + 2 ppm short with up to
// 0.3 mm of scatter; `blunder` reads A-F 1.9 mm shorter still.
ProcessedCalibration NinePairs(bool blunder) {
  const std::string published =
      "A,B,47.6828\nA,C,104.7281\nA,D,152.4117\nA,E,234.2515\nA,F,281.9343\nA,G,347.5361\n"
      "A,H,395.2191\nA,I,455.9623\nA,J,503.6455\n";
  const std::string measured =
      std::string("^1\n%1.5\nA,B,47.6819\nA,C,104.7276\nA,D,152.4108\nA,E,234.2508\nA,F,") +
      (blunder ? "281.9311" : "281.9330") +
      "\nA,G,347.5349\nA,H,395.2179\nA,I,455.9606\nA,J,503.6442\n";
  return ProcessCalibration({}, measured, published, {});
}

TEST(outlier_test, clean_data_has_no_outlier_and_the_reference_figures) {
  const ProcessedCalibration calibration = NinePairs(false);
  ASSERT_TRUE(calibration.processed) << calibration.failure;
  const OutlierTest& test = calibration.outlierTest;
  ASSERT_TRUE(test.applicable) << test.reason;
  EXPECT_EQ(test.degreesOfFreedom, 6);
  EXPECT_NEAR(test.alphaEach, 0.00568304498804806, 1e-15);
  EXPECT_NEAR(test.critical, 4.20043855414904, 1e-9);
  EXPECT_EQ(test.outliers, 0);
  const double expected[] = {1.3690538917, -1.3471081346, 0.2312214512, -1.4082562855, 0.9728457976,
                             0.0040309912, -0.3685294026, 1.6739092497, -0.9393870945};
  ASSERT_EQ(test.pairs.size(), 9u);
  // The analysis lists pairs in the report's order; find each by its published distance.
  const double published[] = {47.6828,  104.7281, 152.4117, 234.2515, 281.9343,
                              347.5361, 395.2191, 455.9623, 503.6455};
  for (std::size_t j = 0; j < 9; ++j) {
    const AdjustmentTable& entries = calibration.run.analysis.entries;
    for (std::size_t k = 0; k < entries.size(); ++k) {
      if (entries[k].P == published[j]) {
        EXPECT_NEAR(test.pairs[k].studentizedResidual, expected[j], 1e-6) << entries[k].to;
        EXPECT_FALSE(test.pairs[k].outlier);
      }
    }
  }
}

TEST(outlier_test, finds_one_blunder) {
  const ProcessedCalibration calibration = NinePairs(true);
  const OutlierTest& test = calibration.outlierTest;
  ASSERT_TRUE(test.applicable) << test.reason;
  EXPECT_EQ(test.outliers, 1);
  const AdjustmentTable& entries = calibration.run.analysis.entries;
  for (std::size_t k = 0; k < entries.size(); ++k) {
    EXPECT_EQ(test.pairs[k].outlier, entries[k].to == "F") << entries[k].to;
    if (entries[k].to == "F") {
      EXPECT_NEAR(test.pairs[k].studentizedResidual, 8.4612652890, 1e-6);
    }
  }
}

TEST(outlier_test, is_not_applicable_to_three_pairs_or_a_perfect_line) {
  const ProcessedCalibration three = ProcessCalibration(
      {}, "^2\nA,B,99.997\nA,C,299.995\nA,D,599.991\n", "A,B,100\nA,C,300\nA,D,600\n", {});
  ASSERT_TRUE(three.processed);
  EXPECT_FALSE(three.outlierTest.applicable);
  EXPECT_EQ(three.outlierTest.reason, "3 station pairs; the test needs at least 4");
  EXPECT_TRUE(three.outlierTest.pairs.empty());

  // Exactly on a line: nothing is left to measure a pair against.
  const ProcessedCalibration exact = ProcessCalibration(
      {}, "^2\nA,B,100\nA,C,200\nA,D,300\nA,E,400\n", "A,B,100\nA,C,200\nA,D,300\nA,E,400\n", {});
  ASSERT_TRUE(exact.processed);
  EXPECT_FALSE(exact.outlierTest.applicable);
  EXPECT_NE(exact.outlierTest.reason.find("no spread to test against"), std::string::npos);
}

}  // namespace
}  // namespace mensuro
