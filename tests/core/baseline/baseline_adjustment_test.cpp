// The adjustment of a baseline survey: a small case worked outside the program, a generated
// survey with known truth, the invariances of the result, and the surveys it must refuse.

#include "core/baseline/baseline_adjustment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "core/baseline/baseline_calibration.h"

namespace mensuro {
namespace {

std::optional<BaselineCalibration> Calibrate(const std::string& text,
                                             std::vector<std::string> order,
                                             std::optional<ReferenceScale> scale,
                                             BaselineSurveyError& error) {
  BaselineSurveyRequest request;
  request.measuredText = text;
  request.options.pillarOrder = std::move(order);
  request.options.referenceScale = scale;
  return CalibrateBaseline(request, error);
}

BaselineAdjustment Adjusted(const std::string& text, std::vector<std::string> order = {},
                            std::optional<ReferenceScale> scale = std::nullopt) {
  BaselineSurveyError error;
  const auto calibration = Calibrate(text, std::move(order), scale, error);
  EXPECT_TRUE(calibration) << error.message;
  return calibration ? calibration->adjustment : BaselineAdjustment{};
}

// Four pillars A..D about 30, 70 and 120 m from A, every pair measured once and A-D twice.
// The expected figures were worked from the normal equations A'PA x = A'Pl written out for
// these seven lines, solved in exact rational arithmetic (Python's fractions) apart from the
// square roots; the tau limit from the closed form of Student's t for 2 degrees of freedom,
// t = (2p - 1) / sqrt(2p(1 - p)); the coverage factors by integrating Student's t density
// numerically (Simpson's rule) for the fractional degrees of freedom.
const std::string kFourPillars =
    "A,B,30.0012\nA,C,70.0021\nD,A,120.0016\nB,C,39.9997\nB,D,89.9991\nC,D,50.0004\n"
    "A,D,120.0031\n";

TEST(baseline_adjustment, four_pillars_weighted_with_a_reference_scale) {
  const BaselineAdjustment r =
      Adjusted("^0.5\n%2\n" + kFourPillars, {}, ReferenceScale{5.0, 10.0, 2.0});
  ASSERT_EQ(r.pillars.size(), 4u);
  EXPECT_TRUE(r.orderInferred);
  const char* names[] = {"A", "B", "C", "D"};
  const double positions[] = {0.0, 30.002364770023014, 70.00266268342787, 120.00338068687552};
  const double positionU[] = {0.0, 0.000678906227932826, 0.000960189078435716,
                              0.0012424433806013872};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(r.pillars[i].name, names[i]);
    EXPECT_NEAR(r.pillars[i].position, positions[i], 1e-10) << names[i];
    EXPECT_NEAR(r.pillars[i].standardUncertainty, positionU[i], 1e-12) << names[i];
  }
  EXPECT_NEAR(r.constant, 0.0005739895565749217, 1e-11);
  EXPECT_NEAR(r.constantUncertainty, 0.0007722541119918562, 1e-12);
  EXPECT_EQ(r.observationCount, 7);
  EXPECT_EQ(r.unknowns, 4);
  EXPECT_EQ(r.dof, 3);
  EXPECT_NEAR(r.s0, 1.3652190741753183, 1e-8);
  ASSERT_TRUE(r.varianceTest);
  EXPECT_NEAR(r.varianceTest->chiSquare, 5.59146936147634, 1e-7);
  EXPECT_NEAR(r.varianceTest->critical, 7.814727903251178, 1e-9);
  EXPECT_TRUE(r.varianceTest->passed);

  ASSERT_TRUE(r.outlierTest.applicable) << r.outlierTest.reason;
  EXPECT_NEAR(r.outlierTest.alphaEach, 0.007300831979014655, 1e-15);
  EXPECT_NEAR(r.outlierTest.critical, 1.7194053956437, 1e-9);
  EXPECT_EQ(r.outlierTest.outliers, 0);
  const double residuals[] = {0.00044077446643964646, -0.0003613166286969002,
                              0.0006066893189395927,  -0.00017607465171146834,
                              0.0008919317959250246,  -0.0005059881089384288,
                              -0.0008933181810604073};
  const double standardized[] = {1.2791440367758407,   -0.5521431065440557, 0.7801814487640051,
                                 -0.46647600675398415, 1.2502478477711447,  -1.2791440367758404,
                                 -1.148768376285408};
  ASSERT_EQ(r.observations.size(), 7u);
  for (std::size_t k = 0; k < 7; ++k) {
    EXPECT_EQ(r.observations[k].line, k + 3);  // after the two header lines
    EXPECT_NEAR(r.observations[k].residual, residuals[k], 1e-11) << k;
    ASSERT_TRUE(r.observations[k].standardizedResidual) << k;
    EXPECT_NEAR(*r.observations[k].standardizedResidual, standardized[k], 1e-7) << k;
  }
  EXPECT_EQ(r.observations[2].from, "D");
  EXPECT_DOUBLE_EQ(r.observations[2].distance, 120.0016);  // as measured, not corrected

  struct Expected {
    const char* from;
    const char* to;
    double D, uA, uB, dof, k, U;
  };
  const Expected expected[] = {
      {"A", "B", 30.002364770023014, 0.000678906227932826, 0.00015001182385011508, 3.30009396244812,
       3.0248312887725533, 0.0021031110833202014},
      {"A", "C", 70.00266268342787, 0.000960189078435716, 0.0003500133134171394, 3.850242932337988,
       2.819557685197174, 0.002881571933396026},
      {"A", "D", 120.00338068687552, 0.0012424433806013872, 0.0006000169034343775,
       4.562526360033884, 2.646515912859643, 0.0036515070984248924},
      {"B", "C", 40.000297913404864, 0.0006926343555562002, 0.00020000148956702432,
       3.521132318989098, 2.9318918346395835, 0.0021136946394571775},
      {"B", "D", 90.0010159168525, 0.0009429114330138854, 0.0004500050795842625, 4.522244023287044,
       2.6544521354960358, 0.0027733455523115706},
      {"C", "D", 50.00071800344764, 0.0006775695300749624, 0.0002500035900172382,
       3.8724401798992987, 2.812888665109207, 0.0020315254929992093}};
  ASSERT_EQ(r.distances.size(), 6u);
  for (std::size_t p = 0; p < 6; ++p) {
    const CertifiedDistance& d = r.distances[p];
    const Expected& e = expected[p];
    EXPECT_EQ(d.from, e.from);
    EXPECT_EQ(d.to, e.to);
    EXPECT_NEAR(d.distance, e.D, 1e-10) << e.from << e.to;
    EXPECT_NEAR(d.uA, e.uA, 1e-12) << e.from << e.to;
    EXPECT_NEAR(d.uB, e.uB, 1e-13) << e.from << e.to;
    EXPECT_NEAR(d.u, std::hypot(e.uA, e.uB), 1e-12) << e.from << e.to;
    ASSERT_TRUE(d.dofEffective) << e.from << e.to;
    EXPECT_NEAR(*d.dofEffective, e.dof, 1e-6) << e.from << e.to;
    EXPECT_NEAR(d.k, e.k, 1e-6) << e.from << e.to;
    EXPECT_NEAR(d.expanded, e.U, 1e-8) << e.from << e.to;
  }
}

// Without a priori accuracies every weight is 1 and the figures are those of the plain fit:
// here c = 4.1/7 mm and x_B = 30.0023357... m by hand.
TEST(baseline_adjustment, four_pillars_unweighted_without_a_reference_scale) {
  const BaselineAdjustment r = Adjusted("^0\n%0\n" + kFourPillars);
  EXPECT_FALSE(r.varianceTest);
  EXPECT_NEAR(r.constant, 0.0005857142857142858, 1e-12);
  EXPECT_NEAR(r.s0, 0.0009204036381625494, 1e-12);
  const double positions[] = {0.0, 30.002335714285714, 70.00237857142857, 120.00281428571428};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_NEAR(r.pillars[i].position, positions[i], 1e-10);
  }
  ASSERT_EQ(r.distances.size(), 6u);
  const CertifiedDistance& bd = r.distances[4];
  EXPECT_EQ(bd.from + bd.to, "BD");
  EXPECT_NEAR(bd.uA, 0.000999208870730709, 1e-12);
  EXPECT_EQ(bd.uB, 0.0);
  // With no scale part the effective degrees of freedom are the adjustment's.
  ASSERT_TRUE(bd.dofEffective);
  EXPECT_NEAR(*bd.dofEffective, 3.0, 1e-9);
  EXPECT_NEAR(bd.k, 3.182446305284263, 1e-9);
}

// A small deterministic scatter, roughly normal, from a fixed integer sequence (a linear
// congruential generator): the same on every platform.
class Scatter {
 public:
  // A value of mean 0 and standard deviation about `sigma`: the sum of three uniform values.
  double Next(double sigma) {
    double sum = 0.0;
    for (int i = 0; i < 3; ++i) {
      state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
      sum += static_cast<double>(state_ >> 11) / 9007199254740992.0 - 0.5;  // [-0.5, 0.5)
    }
    return sum * 2.0 * sigma;  // three uniforms of variance 1/12 sum to variance 1/4
  }

 private:
  std::uint64_t state_ = 20261209;
};

struct Truth {
  std::vector<std::string> names = {"P1", "P2", "P3", "P4", "P5", "P6", "P7"};
  std::vector<double> positions = {0.0,       54.98163,  141.70417, 218.44702,
                                   329.61378, 450.34105, 599.82934};
  double constant = 0.00042;  // what the reference instrument reads short, metres
  double scalePpm = 1.5;      // what it reads short by in scale
};

// Every pair both ways, twice, with a scatter of 0.15 mm, and `blunder` metres added to the
// observation on `blunderLine` (of the lines after the header, from 1).
std::string SevenPillarSurvey(const Truth& truth, double blunder = 0.0, int blunderLine = 0) {
  Scatter scatter;
  std::string text = "^0.6\n%1\n";
  int line = 0;
  for (int round = 0; round < 2; ++round) {
    for (std::size_t i = 0; i < truth.names.size(); ++i) {
      for (std::size_t j = 0; j < truth.names.size(); ++j) {
        if (i == j) {
          continue;
        }
        const double D = std::abs(truth.positions[j] - truth.positions[i]);
        double d = (D - truth.constant) / (1.0 + truth.scalePpm * 1e-6) + scatter.Next(0.00015);
        if (++line == blunderLine) {
          d += blunder;
        }
        text += fmt::format("{},{},{:.5f}\n", truth.names[i], truth.names[j], d);
      }
    }
  }
  return text;
}

TEST(baseline_adjustment, seven_pillars_recovers_the_truth) {
  const Truth truth;
  const BaselineAdjustment r =
      Adjusted(SevenPillarSurvey(truth), {}, ReferenceScale{truth.scalePpm, 0.5, 2.0});
  EXPECT_EQ(r.observationCount, 84);
  EXPECT_EQ(r.dof, 84 - 7);
  ASSERT_EQ(r.pillars.size(), 7u);
  for (std::size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(r.pillars[i].name, truth.names[i]);
    EXPECT_LE(std::abs(r.pillars[i].position - truth.positions[i]),
              3.0 * r.pillars[i].standardUncertainty + 1e-12)
        << truth.names[i];
  }
  EXPECT_LT(r.pillars[6].standardUncertainty, 0.0001);  // the scatter was small
  EXPECT_LE(std::abs(r.constant - truth.constant), 3.0 * r.constantUncertainty);
  ASSERT_TRUE(r.varianceTest);
  EXPECT_TRUE(r.varianceTest->passed);
  ASSERT_TRUE(r.outlierTest.applicable);
  EXPECT_EQ(r.outlierTest.outliers, 0);
  EXPECT_EQ(r.distances.size(), 21u);
}

TEST(baseline_adjustment, seven_pillars_flags_a_planted_blunder) {
  const Truth truth;
  constexpr int kBlunderLine = 30;
  const BaselineAdjustment r = Adjusted(SevenPillarSurvey(truth, 0.003, kBlunderLine), {},
                                        ReferenceScale{truth.scalePpm, 0.5, 2.0});
  ASSERT_TRUE(r.outlierTest.applicable);
  EXPECT_EQ(r.outlierTest.outliers, 1);
  for (const SurveyObservation& o : r.observations) {
    // The header takes two lines.
    EXPECT_EQ(o.outlier, o.line == kBlunderLine + 2) << o.line;
  }
}

// The certified distances by pair, whichever way round the pair is named.
std::map<std::pair<std::string, std::string>, CertifiedDistance> ByPair(
    const BaselineAdjustment& r) {
  std::map<std::pair<std::string, std::string>, CertifiedDistance> pairs;
  for (const CertifiedDistance& d : r.distances) {
    pairs[std::minmax(d.from, d.to)] = d;
  }
  return pairs;
}

TEST(baseline_adjustment, distances_do_not_depend_on_the_origin_or_the_order_of_lines) {
  const Truth truth;
  const std::string survey = SevenPillarSurvey(truth);
  const ReferenceScale scale{truth.scalePpm, 0.5, 2.0};
  const BaselineAdjustment forward = Adjusted(survey, {}, scale);

  // The same lines the other way round along the line, reversed in order, every other one
  // with its ends swapped.
  std::vector<std::string> lines;
  std::string header;
  for (std::size_t start = 0, end; start < survey.size(); start = end + 1) {
    end = survey.find('\n', start);
    const std::string line = survey.substr(start, end - start);
    if (line[0] == '^' || line[0] == '%') {
      header += line + "\n";
      continue;
    }
    lines.push_back(line);
  }
  std::reverse(lines.begin(), lines.end());
  std::string shuffled = header;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    std::string line = lines[k];
    if (k % 2 == 1) {
      const std::size_t a = line.find(','), b = line.find(',', a + 1);
      line = line.substr(a + 1, b - a - 1) + "," + line.substr(0, a) + line.substr(b);
    }
    shuffled += line + "\n";
  }
  std::vector<std::string> reversedOrder(truth.names.rbegin(), truth.names.rend());
  const BaselineAdjustment backward = Adjusted(shuffled, reversedOrder, scale);
  ASSERT_EQ(backward.pillars.front().name, "P7");

  const auto a = ByPair(forward);
  const auto b = ByPair(backward);
  ASSERT_EQ(a.size(), 21u);
  ASSERT_EQ(b.size(), 21u);
  for (const auto& [pair, d] : a) {
    const CertifiedDistance& e = b.at(pair);
    EXPECT_NEAR(d.distance, e.distance, 1e-9) << pair.first << "-" << pair.second;
    EXPECT_NEAR(d.expanded, e.expanded, 1e-9) << pair.first << "-" << pair.second;
  }
  EXPECT_NEAR(forward.constant, backward.constant, 1e-9);
  EXPECT_NEAR(forward.s0, backward.s0, 1e-9);
}

struct Refusal {
  const char* what;
  std::string text;
  std::vector<std::string> order;
  BaselineSurveyError::Kind kind;
  const char* message;
};

TEST(baseline_adjustment, refuses_surveys_it_cannot_adjust) {
  using Kind = BaselineSurveyError::Kind;
  const std::string four =
      "A,B,30.001\nA,C,70.002\nA,D,120.003\nB,C,40.001\nB,D,90.002\n"
      "C,D,50.001\n";
  std::string star;
  for (int i = 1; i <= 500; ++i) {
    star += fmt::format("O,S{},{}.5\n", i, i);
  }
  const Refusal refusals[] = {
      {"no observations", "^1\n%1\n", {}, Kind::kData, "the survey has no observations"},
      {"the same pillar at both ends",
       four + "C,C,0.001\n",
       {},
       Kind::kData,
       "line 7: C is at both ends of the observation"},
      {"a distance not above zero",
       "A,B,30.001\nA,C,0\n" + four,
       {},
       Kind::kData,
       "line 2: the distance A-C is not above zero (0.0000 m)"},
      {"an order naming a pillar twice",
       four,
       {"A", "B", "C", "B", "D"},
       Kind::kUsage,
       "the pillar order lists pillar B more than once"},
      {"an order naming pillars not observed",
       four,
       {"A", "B", "X", "C", "D", "Y"},
       Kind::kUsage,
       "the pillar order names pillars X, Y that no observation measures"},
      {"an order leaving out an observed pillar",
       four,
       {"A", "B", "D"},
       Kind::kUsage,
       "the pillar order leaves out pillar C that the survey measures"},
      {"a pillar that can't be placed",
       four + "E,F,10.001\nE,F,10.002\n",
       {},
       Kind::kData,
       "pillar E can't be placed along the line: it was measured to neither A nor D, the ends "
       "of the longest pair; give the pillar order (--pillars)"},
      {"a pillar tied to no other",
       four + "E,F,10.001\nE,F,10.002\n",
       {"A", "B", "C", "D", "E", "F"},
       Kind::kData,
       "pillars E, F are tied by no observation to A and the pillars measured with it"},
      {"a negative accuracy",
       "^-0.5\n" + four,
       {},
       Kind::kData,
       "the reference instrument's accuracy can't be negative (^ -0.5 mm, % 2 ppm)"},
      {"more pillars than a baseline has",
       star,
       {},
       Kind::kData,
       "the survey names 501 pillars; a baseline calibration takes at most 500"},
      {"no degree of freedom",
       "A,B,30.001\nA,C,70.002\nB,C,40.001\n",
       {},
       Kind::kData,
       "the survey has 3 observations for 3 unknowns (2 pillar positions and the constant): at "
       "least one degree of freedom is needed"},
      {"a constant the survey can't separate",
       "A,B,30.001\nB,C,40.002\nA,B,30.002\nB,C,40.001\n",
       {"A", "B", "C"},
       Kind::kData,
       "the observations can't determine the reference instrument's constant apart from the "
       "positions: the normal equations are singular; measure pairs that tie it to the others"},
  };
  for (const Refusal& refusal : refusals) {
    BaselineSurveyError error;
    EXPECT_FALSE(Calibrate(refusal.text, refusal.order, std::nullopt, error)) << refusal.what;
    EXPECT_EQ(error.kind, refusal.kind) << refusal.what;
    EXPECT_EQ(error.message, refusal.message) << refusal.what;
  }
}

// Positions that go backwards: under a given order, the pillars out of order are named; under
// an order taken from the observations, when the far ends were not measured against each other
// (A-E is missing, B-E the longest pair, and A is put after B), the order is asked for.
TEST(baseline_adjustment, refuses_positions_that_go_backwards) {
  const std::string four =
      "A,B,30.001\nA,C,70.002\nA,D,120.003\nB,C,40.001\nB,D,90.002\n"
      "C,D,50.001\n";
  BaselineSurveyError given;
  EXPECT_FALSE(Calibrate(four, {"A", "C", "B", "D"}, std::nullopt, given));
  EXPECT_EQ(given.kind, BaselineSurveyError::Kind::kData);
  EXPECT_EQ(
      given.message.rfind("the adjusted positions go backwards in the pillar order given: B (", 0),
      0u)
      << given.message;
  EXPECT_NE(given.message.find(" m) is not beyond C ("), std::string::npos) << given.message;

  const std::string survey =
      "A,B,10.000\nA,C,50.000\nA,D,80.000\nB,C,40.000\nB,D,70.000\nB,E,90.000\nC,D,30.000\n"
      "C,E,50.000\nD,E,20.000\n";
  BaselineSurveyError inferred;
  EXPECT_FALSE(Calibrate(survey, {}, std::nullopt, inferred));
  EXPECT_EQ(inferred.kind, BaselineSurveyError::Kind::kData);
  EXPECT_EQ(inferred.message.rfind("the adjusted positions go backwards under the order taken from "
                                   "the observations (A (",
                                   0),
            0u)
      << inferred.message;
  EXPECT_NE(inferred.message.find("Give the pillar order (--pillars)"), std::string::npos)
      << inferred.message;
  // Given, the same survey adjusts.
  BaselineSurveyError none;
  EXPECT_TRUE(Calibrate(survey, {"A", "B", "C", "D", "E"}, std::nullopt, none)) << none.message;
}

}  // namespace
}  // namespace mensuro
