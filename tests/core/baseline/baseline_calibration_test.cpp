// A baseline calibration from its text: observations left out, the comparison with the previous
// certificate, and the outlier test where it can say nothing.

#include "core/baseline/baseline_calibration.h"

#include <gtest/gtest.h>

#include <string>

namespace mensuro {
namespace {

CertifiedDistance Certified(const char* from, const char* to, double distance, double expanded) {
  CertifiedDistance d;
  d.from = from;
  d.to = to;
  d.distance = distance;
  d.expanded = expanded;
  return d;
}

TEST(baseline_comparison, matches_pairs_either_way_and_names_those_that_moved) {
  const std::vector<CertifiedDistance> now = {Certified("P1", "P2", 100.0012, 0.0003),
                                              Certified("P1", "P3", 200.0000, 0.0003),
                                              Certified("P2", "P3", 99.9994, 0.0003)};
  // P1-P3 is not in the previous certificate; P3-P2 is named the other way round.
  const std::vector<PreviousDistance> before = {{"P1", "P2", 100.0008, 0.0004},
                                                {"P3", "P2", 100.0000, 0.0004}};
  const std::vector<DistanceComparison> rows = CompareWithPrevious(now, before);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].from + "-" + rows[0].to, "P1-P2");
  EXPECT_DOUBLE_EQ(rows[0].previous, 100.0008);
  EXPECT_NEAR(rows[0].difference, 0.0004, 1e-12);
  EXPECT_NEAR(rows[0].En, 0.8, 1e-8);  // 0.4 mm against sqrt(0.3^2 + 0.4^2) = 0.5 mm
  EXPECT_FALSE(rows[0].moved);
  EXPECT_EQ(rows[1].from + "-" + rows[1].to, "P2-P3");  // as the new certificate orders it
  EXPECT_NEAR(rows[1].difference, -0.0006, 1e-12);
  EXPECT_NEAR(rows[1].En, -1.2, 1e-8);
  EXPECT_TRUE(rows[1].moved);
}

const std::string kSurvey =
    "#Four pillars\n^0.5\n%2\nA,B,30.0012\nA,C,70.0021\nD,A,120.0016\nB,C,39.9997\n"
    "B,D,89.9991\nC,D,50.0004\nA,D,120.0031\nA,D,120.0191\n";

TEST(baseline_calibration, leaves_out_observations_reads_the_header_and_compares) {
  BaselineSurveyRequest request;
  request.measuredText = kSurvey;
  request.measuredFileName = "four.txt";
  request.exclusions = {{"", "", 11, "pointed at the wrong prism"}};
  request.previous = std::vector<PreviousDistance>{{"D", "A", 120.0030, 0.0010}};
  request.previousSource = "Four pillars 2024";
  BaselineSurveyError error;
  const auto calibration = CalibrateBaseline(request, error);
  ASSERT_TRUE(calibration) << error.message;
  EXPECT_EQ(calibration->header.comment, "Four pillars");
  EXPECT_EQ(calibration->header.measuredFileName, "four.txt");
  const BaselineAdjustment& a = calibration->adjustment;
  EXPECT_EQ(a.aprioriMm, 0.5);
  EXPECT_EQ(a.aprioriPpm, 2.0);
  ASSERT_EQ(calibration->excluded.size(), 1u);
  EXPECT_EQ(calibration->excluded[0].lines, std::vector<std::size_t>{11});
  EXPECT_EQ(a.observationCount, 7);
  for (const SurveyObservation& o : a.observations) {
    EXPECT_NE(o.line, 11u);
  }
  ASSERT_TRUE(calibration->comparison);
  ASSERT_EQ(calibration->comparison->size(), 1u);
  EXPECT_EQ((*calibration->comparison)[0].from + (*calibration->comparison)[0].to, "AD");
  EXPECT_EQ(calibration->previousSource, "Four pillars 2024");
}

// With one degree of freedom the test can't be made at all; an observation nothing else checks
// (the only one to E) has no standardized residual.
TEST(baseline_calibration, outlier_test_where_it_cannot_judge) {
  BaselineSurveyRequest one;
  one.measuredText = "A,B,30.001\nA,C,70.002\nB,C,40.001\nA,C,70.003\n";
  BaselineSurveyError error;
  const auto few = CalibrateBaseline(one, error);
  ASSERT_TRUE(few) << error.message;
  EXPECT_EQ(few->adjustment.dof, 1);
  EXPECT_FALSE(few->adjustment.outlierTest.applicable);
  EXPECT_EQ(few->adjustment.outlierTest.reason,
            "it needs at least 2 degrees of freedom; the survey has 1");

  BaselineSurveyRequest spur;
  spur.measuredText = kSurvey + "A,E,150.0021\n";
  const auto withSpur = CalibrateBaseline(spur, error);
  ASSERT_TRUE(withSpur) << error.message;
  ASSERT_TRUE(withSpur->adjustment.outlierTest.applicable);
  for (const SurveyObservation& o : withSpur->adjustment.observations) {
    EXPECT_EQ(o.standardizedResidual.has_value(), o.to != "E") << o.line;
  }
}

}  // namespace
}  // namespace mensuro
