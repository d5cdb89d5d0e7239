#include "core/analysis/full_test.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace mensuro {
namespace {

struct Station {
  std::string name;
  double position;  // metres along the line
};

// Every pair of `stations` measured with a zero-point error: the instrument reads each
// distance `zeroPointError` too long, plus `noise(pair)`.
template <typename Noise>
AdjustmentTable AllPairs(const std::vector<Station>& stations, double zeroPointError, Noise noise) {
  AdjustmentTable entries;
  int pair = 0;
  for (std::size_t i = 0; i < stations.size(); ++i) {
    for (std::size_t k = i + 1; k < stations.size(); ++k) {
      AdjustmentEntry entry;
      // Directions and name order mixed, as field books have them.
      entry.from = pair % 2 == 0 ? stations[i].name : stations[k].name;
      entry.to = pair % 2 == 0 ? stations[k].name : stations[i].name;
      entry.C =
          std::fabs(stations[k].position - stations[i].position) + zeroPointError + noise(pair++);
      entries.push_back(entry);
    }
  }
  return entries;
}

// Seven pillars whose names don't sort in their order along the line.
const std::vector<Station> kSevenPillars = {{"P4", 0.0},   {"P1", 52.3},  {"P7", 131.9},
                                            {"P2", 240.4}, {"P6", 361.2}, {"P3", 480.7},
                                            {"P5", 600.05}};

double NoNoise(int) {
  return 0.0;
}

TEST(full_test, seven_stations_recover_the_zero_point_error) {
  const auto exact = RunFullTest(AllPairs(kSevenPillars, 0.004, NoNoise), 1.0, 1.0);
  ASSERT_TRUE(exact);
  EXPECT_EQ(exact->stations, 7);
  EXPECT_EQ(exact->dof, 14);
  // The model C + delta = D_k - D_i: a reading 4 mm long needs delta = -4 mm.
  EXPECT_NEAR(exact->delta, -0.004, 1e-12);
  EXPECT_NEAR(exact->s, 0.0, 1e-12);

  // Alternating +-0.3 mm of scatter, then the figures of the standard's 7-station design.
  const auto scattered = RunFullTest(
      AllPairs(kSevenPillars, 0.004, [](int i) { return (i % 3 - 1) * 0.0003; }), 1.0, 1.0);
  ASSERT_TRUE(scattered);
  EXPECT_GT(scattered->s, 1e-4);
  EXPECT_NEAR(scattered->delta, -0.004, 3 * scattered->sDelta);
  EXPECT_NEAR(scattered->sDelta / scattered->s, std::sqrt(0.2), 1e-12);
  EXPECT_NEAR(scattered->limitA / scattered->sigma, 1.3007, 5e-5);
  EXPECT_NEAR(scattered->limitC / scattered->sDelta, 2.1448, 5e-5);
  EXPECT_TRUE(scattered->passedA);   // s well under 1 mm + 1 ppm
  EXPECT_FALSE(scattered->passedC);  // 4 mm is no chance result

  double meanC = 0.0;
  const AdjustmentTable entries = AllPairs(kSevenPillars, 0.004, NoNoise);
  for (const AdjustmentEntry& entry : entries) {
    meanC += entry.C / 21.0;
  }
  EXPECT_NEAR(scattered->sigma, 1e-3 + 1e-6 * meanC, 1e-9);
}

TEST(full_test, verdicts_follow_the_limits) {
  // Without a zero-point error test C passes; at 0.1 mm + 0 ppm the 0.3 mm scatter fails test A.
  const auto test = RunFullTest(
      AllPairs(kSevenPillars, 0.0, [](int i) { return (i % 3 - 1) * 0.0003; }), 0.1, 0.0);
  ASSERT_TRUE(test);
  EXPECT_FALSE(test->passedA);
  EXPECT_TRUE(test->passedC);
}

TEST(full_test, applies_only_to_all_pairs_of_four_or_more_stations) {
  const std::vector<Station> four(kSevenPillars.begin(), kSevenPillars.begin() + 4);
  const auto smallest = RunFullTest(AllPairs(four, 0.0, NoNoise), 1.0, 1.0);
  ASSERT_TRUE(smallest);
  EXPECT_EQ(smallest->dof, 2);

  const std::vector<Station> three(kSevenPillars.begin(), kSevenPillars.begin() + 3);
  EXPECT_FALSE(RunFullTest(AllPairs(three, 0.0, NoNoise), 1.0, 1.0));

  AdjustmentTable missing = AllPairs(kSevenPillars, 0.0, NoNoise);
  missing.pop_back();
  EXPECT_FALSE(RunFullTest(missing, 1.0, 1.0));

  // 21 pairs, but one twice and one station measured to itself: not the design.
  AdjustmentTable repeated = AllPairs(kSevenPillars, 0.0, NoNoise);
  repeated.back() = repeated.front();
  EXPECT_FALSE(RunFullTest(repeated, 1.0, 1.0));
  repeated.back().to = repeated.back().from;
  EXPECT_FALSE(RunFullTest(repeated, 1.0, 1.0));
}

}  // namespace
}  // namespace mensuro
