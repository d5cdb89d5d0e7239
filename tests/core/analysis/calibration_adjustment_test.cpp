#include "core/analysis/calibration_adjustment.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/run_project.h"

namespace mensuro {
namespace {

using test::RunProject;

TEST(calibration_adjustment, first_worked_example) {
  const test::Outcome outcome = RunProject(test::kExampleMeasured, test::kExamplePublished);
  ASSERT_EQ(outcome.result, 0) << outcome.message;
  const CalibrationAnalysis& analysis = outcome.run.analysis;
  const CalibrationResult& result = analysis.result;

  ASSERT_EQ(analysis.entries.size(), 3u);
  const double d[] = {0.003, 0.005, 0.009};
  const double r[] = {0.0001579, -0.0002632, 0.0001053};
  const double q[] = {1.36, 1.92, 2.81};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(analysis.entries[i].d, d[i], 1e-12);
    EXPECT_NEAR(analysis.entries[i].r, r[i], 5e-11 + 1e-7);
    EXPECT_NEAR(analysis.entries[i].standardizedDifference, q[i], 0.005);
    EXPECT_FALSE(analysis.entries[i].flagged);
  }
  EXPECT_NEAR(result.scale, 4.6 / 380000, 1e-15);
  EXPECT_NEAR(result.constant, 620.0 / 380000, 1e-13);
  EXPECT_NEAR(result.scaleStdError * 1e6, 0.912, 0.0005);
  EXPECT_NEAR(result.constantStdError, 0.000357, 5e-7);
  EXPECT_NEAR(result.scaleT, 13.2791, 5e-5);
  EXPECT_NEAR(result.constantT, 4.5707, 5e-5);
  EXPECT_EQ(result.degreesOfFreedom, 1);
  EXPECT_EQ(result.criticalT, 12.705);
  EXPECT_NEAR(result.unitWeightVariance, 0.023935, 5e-7);
  EXPECT_NEAR(result.covariance, 0.279762, 5e-7);
  EXPECT_NEAR(result.correlation, 0.839274, 5e-7);
  EXPECT_NEAR(result.rms, 0.00619, 5e-6);
  EXPECT_FALSE(analysis.scaleTestPassed);
  EXPECT_TRUE(analysis.constantTestPassed);
}

TEST(calibration_adjustment, second_worked_example_averages_repeats) {
  const test::Outcome outcome =
      RunProject("1,2,99.9985\n1,3,299.997\n1,4,599.9952\n1,2,99.9995\n4,1,599.9948\n1,5,999.992\n",
                 "1,2,100\n1,3,300\n1,4,600\n1,5,1000\n");
  ASSERT_EQ(outcome.result, 0) << outcome.message;
  const CalibrationAnalysis& analysis = outcome.run.analysis;
  ASSERT_EQ(analysis.entries.size(), 4u);
  EXPECT_NEAR(analysis.entries[0].C, 299.997, 1e-9);  // pairs in order of their last observation
  EXPECT_NEAR(analysis.entries[1].C, 99.999, 1e-9);
  EXPECT_EQ(analysis.entries[2].from, "4");  // names from the closing observation
  EXPECT_NEAR(analysis.entries[2].C, 599.995, 1e-9);
  EXPECT_NEAR(analysis.result.scale * 1e6, 7.609, 0.0005);
  EXPECT_NEAR(analysis.result.constant, 0.0004, 0.00005);
  EXPECT_EQ(analysis.result.degreesOfFreedom, 2);
  EXPECT_EQ(analysis.result.criticalT, 4.303);
  EXPECT_NEAR(analysis.result.scaleT, 21.1058, 5e-5);
  EXPECT_NEAR(analysis.result.constantT, 2.0462, 5e-5);
  EXPECT_FALSE(analysis.scaleTestPassed);
  EXPECT_TRUE(analysis.constantTestPassed);

  // The closing observation carries the pair's mean and count.
  const ProjectRecord& closing = outcome.run.records.entries[4];
  EXPECT_EQ(closing.pairLast, 1);
  EXPECT_EQ(closing.pairCount, 2);
  EXPECT_NEAR(closing.pairMean, 599.995, 1e-9);
  EXPECT_EQ(outcome.run.records.entries[2].pairLast, 0);
  EXPECT_EQ(outcome.run.records.entries[2].pairGrouped, 1);
}

TEST(calibration_adjustment, pairs_take_the_order_and_names_of_their_last_observation) {
  const test::Outcome outcome =
      RunProject("A,B,100\nA,C,200\nB,A,100.002\na,d,300\n", "A,B,100.001\nA,C,200\na,d,300.01\n");
  ASSERT_EQ(outcome.result, 0) << outcome.message;
  const AdjustmentTable& entries = outcome.run.analysis.entries;
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].from + "-" + entries[0].to, "A-C");
  EXPECT_EQ(entries[1].from + "-" + entries[1].to, "B-A");
  EXPECT_NEAR(entries[1].C, 100.001, 1e-9);
  EXPECT_EQ(entries[2].from + "-" + entries[2].to, "a-d");  // case makes other stations
}

TEST(calibration_adjustment, needs_three_station_pairs) {
  const test::Outcome two = RunProject("A,B,1\nA,C,2\nB,A,1\nC,A,2\n", "A,B,1\nA,C,2\n");
  EXPECT_EQ(two.result, 1);
  EXPECT_EQ(two.message, "Error processing project:\n");
  EXPECT_TRUE(two.report.lines.empty());

  const test::Outcome three = RunProject("A,B,1\nA,C,2\nA,D,3.001\n", "A,B,1\nA,C,2\nA,D,3\n");
  EXPECT_EQ(three.result, 0);
  EXPECT_EQ(three.run.analysis.result.degreesOfFreedom, 1);
}

TEST(calibration_adjustment, a_difference_of_exactly_three_times_the_accuracy_is_flagged) {
  // a = 1000 mm and b = 0 make the yardstick exactly 1 m, so q is |d| to the bit.
  const test::Outcome outcome =
      RunProject("^1000\n%0\nA,B,100\nA,C,200\nA,D,300\n", "A,B,103\nA,C,202.5\nA,D,303.5\n");
  ASSERT_EQ(outcome.result, 0) << outcome.message;
  const AdjustmentTable& entries = outcome.run.analysis.entries;
  EXPECT_EQ(entries[0].standardizedDifference, 3.0);
  EXPECT_TRUE(entries[0].flagged);
  EXPECT_FALSE(entries[1].flagged);
  EXPECT_TRUE(entries[2].flagged);
}

TEST(calibration_adjustment, a_perfect_fit_passes_both_tests) {
  // Zero standard errors make t-values that are not a number; they pass.
  const test::Outcome outcome =
      RunProject("A,B,100\nA,C,200\nA,D,400\n", "A,B,100\nA,C,200\nA,D,400\n");
  ASSERT_EQ(outcome.result, 0) << outcome.message;
  EXPECT_TRUE(std::isnan(outcome.run.analysis.result.scaleT));
  EXPECT_TRUE(outcome.run.analysis.scaleTestPassed);
  EXPECT_TRUE(outcome.run.analysis.constantTestPassed);
}

TEST(calibration_adjustment, beyond_thirty_degrees_of_freedom_uses_the_exact_quantile) {
  std::string measured, published;
  for (int i = 1; i <= 42; ++i) {
    const std::string pair = "BM,P" + std::to_string(i) + ",";
    measured += pair + std::to_string(i * 25) + "." + std::to_string(i % 7) + "\n";
    published += pair + std::to_string(i * 25) + "." + std::to_string((i + 3) % 9) + "\n";
  }
  const test::Outcome outcome = RunProject(measured, published);
  ASSERT_EQ(outcome.result, 0) << outcome.message;
  EXPECT_EQ(outcome.run.analysis.result.degreesOfFreedom, 40);
  EXPECT_EQ(outcome.run.analysis.result.criticalT, 2.021);
}

TEST(calibration_adjustment, no_specified_accuracy_is_refused) {
  const test::Outcome none =
      RunProject("^0\n%0\n" + std::string(test::kExampleMeasured), test::kExamplePublished);
  EXPECT_EQ(none.result, 1);
  EXPECT_EQ(none.message,
            "Error processing project:\nThe instrument's specified accuracy is 0 mm + 0 ppm, so no "
            "difference can be judged against it.");
  // A constant part alone, or a scale part alone, is an accuracy to judge by.
  for (const char* accuracy : {"^0\n%1\n", "^1\n%0\n"}) {
    const test::Outcome some =
        RunProject(accuracy + std::string(test::kExampleMeasured), test::kExamplePublished);
    ASSERT_EQ(some.result, 0) << accuracy;
    EXPECT_TRUE(std::isfinite(some.run.analysis.entries[0].standardizedDifference));
  }
}

}  // namespace
}  // namespace mensuro
