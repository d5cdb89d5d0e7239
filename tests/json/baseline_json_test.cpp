// A baseline calibration as JSON and back: every member read back to the bit, through the text
// the command line prints and the register keeps; the member names other programs read; and a
// document that isn't one, refused with the member it lacks.

#include "json/baseline_json.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "json/calibration_json.h"

namespace mensuro {
namespace {

using Json = nlohmann::json;

// A calibration with every member set to a value of its own, optional ones present.
BaselineCalibration Full() {
  BaselineCalibration c;
  c.header = {1.0, 0.6, "overcast", "Reference EDM 301122", "2026-11-18", "08:10", "", "s.txt"};
  BaselineAdjustment& a = c.adjustment;
  a.pillars = {{"P1", 0.0, 0.0}, {"P2", 54.98195245585849, 1.1063308748890343e-4}};
  a.orderInferred = true;
  a.constant = 2.9164312084926355e-4;
  a.constantUncertainty = 8.574197511305423e-05;
  a.referenceScale = {0.8, 0.5, 2.0};
  a.aprioriMm = 0.6;
  a.aprioriPpm = 1.0;
  a.observationCount = 41;
  a.unknowns = 7;
  a.dof = 34;
  a.s0 = 0.3426161837030462;
  a.varianceTest = SurveyVarianceTest{3.9911188773981428, 48.602367367294185, true};
  a.observations = {{6, "P1", "P2", 54.9815, -1.0e-4 / 3.0, 0.71, false},
                    {8, "P2", "P1", 54.9821, 4.4e-4, 3.3, true}};
  a.outlierTest = {true, "", 0.0012506, 3.0625, 1};
  a.distances = {{"P1", "P2", 54.98195245585849, 1.1063308748890343e-4, 1.3745488113964622e-05,
                  1.1148371401607728e-4, 35.05778721957104, 2.02998831404643,
                  2.263106366591311e-4}};
  c.excluded = {
      {{"", "", 7, "bumped"}, {7}, {{7, "P1", "P3", 141.7043}}},
      {{"P2", "P5", 0, ""}, {12, 30}, {{12, "P2", "P5", 274.6317}, {30, "P5", "P2", 274.6316}}}};
  c.comparison = std::vector<DistanceComparison>{{"P1", "P2", 54.9816, 3.7e-4, 0.84, false}};
  c.previousSource = "Example seven-pillar line 600 m";
  return c;
}

// The same with every optional member absent: no variance test, no outlier test, infinite
// degrees of freedom, no comparison.
BaselineCalibration Sparse() {
  BaselineCalibration c = Full();
  BaselineAdjustment& a = c.adjustment;
  a.aprioriMm = a.aprioriPpm = c.header.constantError = c.header.ppmError = 0.0;
  a.varianceTest.reset();
  a.outlierTest = {false, "one degree of freedom", 0.0, 0.0, 0};
  for (SurveyObservation& observation : a.observations) {
    observation.standardizedResidual.reset();
    observation.outlier = false;
  }
  a.distances.front().dofEffective.reset();
  c.comparison.reset();
  c.previousSource.clear();
  c.excluded.clear();
  return c;
}

TEST(baseline_json, reads_back_every_member_through_its_text) {
  for (const BaselineCalibration& calibration : {Full(), Sparse()}) {
    const Json written = BaselineCalibrationJson(calibration);
    std::string reason;
    const auto read = BaselineCalibrationFromJson(Json::parse(JsonText(written)), reason);
    ASSERT_TRUE(read) << reason;
    EXPECT_EQ(BaselineCalibrationJson(*read), written);
    // What the JSON carries of the header and the tests, seen in the structs themselves.
    EXPECT_EQ(read->header.edmDescription, calibration.header.edmDescription);
    EXPECT_EQ(read->header.constantError, calibration.header.constantError);
    EXPECT_EQ(read->adjustment.varianceTest.has_value(),
              calibration.adjustment.varianceTest.has_value());
    EXPECT_EQ(read->adjustment.outlierTest.applicable,
              calibration.adjustment.outlierTest.applicable);
    EXPECT_EQ(read->adjustment.outlierTest.outliers, calibration.adjustment.outlierTest.outliers);
    EXPECT_EQ(read->adjustment.distances.front().expanded,
              calibration.adjustment.distances.front().expanded);
  }
}

std::set<std::string> Keys(const Json& object) {
  std::set<std::string> keys;
  for (const auto& [key, value] : object.items()) {
    keys.insert(key);
  }
  return keys;
}

TEST(baseline_json, member_names_and_nulls) {
  const Json full = BaselineCalibrationJson(Full());
  using Names = std::set<std::string>;
  EXPECT_EQ(Keys(full["pillars"][0]), (Names{"name", "position", "standardUncertainty"}));
  EXPECT_EQ(Keys(full["constant"]), (Names{"value", "standardUncertainty"}));
  EXPECT_EQ(Keys(full["adjustment"]), (Names{"observations", "unknowns", "dof", "s0", "chiSquare",
                                             "chiSquareCritical", "passed"}));
  EXPECT_EQ(Keys(full["observations"][0]), (Names{"line", "from", "to", "distance", "residual",
                                                  "standardizedResidual", "outlier"}));
  EXPECT_EQ(Keys(full["outlierTest"]), (Names{"alphaEach", "critical"}));
  EXPECT_EQ(Keys(full["distances"][0]),
            (Names{"from", "to", "distance", "uA", "uB", "u", "dofEffective", "k", "U"}));
  EXPECT_EQ(Keys(full["comparison"][0]),
            (Names{"from", "to", "previous", "difference", "En", "moved"}));
  EXPECT_EQ(full["excluded"], ExcludedJson(Full().excluded));

  const Json sparse = BaselineCalibrationJson(Sparse());
  EXPECT_TRUE(sparse["adjustment"]["chiSquare"].is_null());
  EXPECT_TRUE(sparse["adjustment"]["chiSquareCritical"].is_null());
  EXPECT_TRUE(sparse["adjustment"]["passed"].is_null());
  EXPECT_EQ(sparse["outlierTest"], (Json{{"reason", "one degree of freedom"}}));
  EXPECT_TRUE(sparse["distances"][0]["dofEffective"].is_null());
  EXPECT_TRUE(sparse["observations"][0]["standardizedResidual"].is_null());
  EXPECT_FALSE(sparse.contains("comparison"));
}

TEST(baseline_json, a_document_that_isnt_one_is_refused_naming_the_member) {
  std::string reason;
  Json document = BaselineCalibrationJson(Full());
  document["distances"][0].erase("U");
  EXPECT_FALSE(BaselineCalibrationFromJson(document, reason));
  EXPECT_EQ(reason, "not a baseline calibration: distances[0].U is missing");
  document = BaselineCalibrationJson(Full());
  document["excluded"][1]["lines"][1] = "thirty";
  EXPECT_FALSE(BaselineCalibrationFromJson(document, reason));
  EXPECT_EQ(reason, "not a baseline calibration: excluded[1].lines[1] is not a line number");
  document = BaselineCalibrationJson(Full());
  document["adjustment"]["dof"] = -1;
  EXPECT_FALSE(BaselineCalibrationFromJson(document, reason));
  EXPECT_EQ(reason, "not a baseline calibration: adjustment.dof is not a count");
  EXPECT_FALSE(BaselineCalibrationFromJson(Json::array(), reason));
}

}  // namespace
}  // namespace mensuro
