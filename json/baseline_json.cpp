#include "json/baseline_json.h"

#include <fmt/format.h>

#include <string_view>
#include <utility>
#include <vector>

#include "json/calibration_json.h"

namespace mensuro {
namespace {

using Json = nlohmann::json;

Json PillarsJson(const std::vector<PillarPosition>& pillars) {
  Json list = Json::array();
  for (const PillarPosition& pillar : pillars) {
    list.push_back({{"name", pillar.name},
                    {"position", pillar.position},
                    {"standardUncertainty", pillar.standardUncertainty}});
  }
  return list;
}

Json AdjustmentJson(const BaselineAdjustment& adjustment) {
  const std::optional<SurveyVarianceTest>& test = adjustment.varianceTest;
  return {{"observations", adjustment.observationCount},
          {"unknowns", adjustment.unknowns},
          {"dof", adjustment.dof},
          {"s0", adjustment.s0},
          {"chiSquare", test ? Json(test->chiSquare) : Json()},
          {"chiSquareCritical", test ? Json(test->critical) : Json()},
          {"passed", test ? Json(test->passed) : Json()}};
}

Json ObservationsJson(const std::vector<SurveyObservation>& observations) {
  Json list = Json::array();
  for (const SurveyObservation& observation : observations) {
    list.push_back({{"line", observation.line},
                    {"from", observation.from},
                    {"to", observation.to},
                    {"distance", observation.distance},
                    {"residual", observation.residual},
                    {"standardizedResidual", OrNull(observation.standardizedResidual)},
                    {"outlier", observation.outlier}});
  }
  return list;
}

Json SurveyOutlierTestJson(const SurveyOutlierTest& test) {
  if (!test.applicable) {
    return {{"reason", test.reason}};
  }
  return {{"alphaEach", test.alphaEach}, {"critical", test.critical}};
}

Json DistancesJson(const std::vector<CertifiedDistance>& distances) {
  Json list = Json::array();
  for (const CertifiedDistance& pair : distances) {
    list.push_back({{"from", pair.from},
                    {"to", pair.to},
                    {"distance", pair.distance},
                    {"uA", pair.uA},
                    {"uB", pair.uB},
                    {"u", pair.u},
                    {"dofEffective", OrNull(pair.dofEffective)},
                    {"k", pair.k},
                    {"U", pair.expanded}});
  }
  return list;
}

Json ComparisonJson(const std::vector<DistanceComparison>& comparison) {
  Json list = Json::array();
  for (const DistanceComparison& pair : comparison) {
    list.push_back({{"from", pair.from},
                    {"to", pair.to},
                    {"previous", pair.previous},
                    {"difference", pair.difference},
                    {"En", pair.En},
                    {"moved", pair.moved}});
  }
  return list;
}

// What the survey states of itself, which the adjustment's figures rest on.
Json SurveyJson(const BaselineCalibration& calibration) {
  const MeasurementHeader& header = calibration.header;
  const BaselineAdjustment& adjustment = calibration.adjustment;
  return {{"date", header.date},
          {"time", header.time},
          {"comment", header.comment},
          {"instrument", header.edmDescription},
          {"measuredFile", header.measuredFileName},
          {"aprioriMm", adjustment.aprioriMm},
          {"aprioriPpm", adjustment.aprioriPpm},
          {"orderInferred", adjustment.orderInferred}};
}

Json ReferenceScaleJson(const ReferenceScale& scale) {
  return {{"ppm", scale.ppm}, {"expandedPpm", scale.expandedPpm}, {"k", scale.k}};
}

// Reading back: a member that is missing or of the wrong type ends the reading with its path.
struct Unreadable {
  std::string reason;
};

const Json& Member(const Json& object, std::string_view key, std::string_view path) {
  if (!object.is_object() || !object.contains(key)) {
    throw Unreadable{fmt::format("{}{} is missing", path, key)};
  }
  return object[std::string(key)];
}

double Number(const Json& object, std::string_view key, std::string_view path) {
  const Json& value = Member(object, key, path);
  if (!value.is_number()) {
    throw Unreadable{fmt::format("{}{} is not a number", path, key)};
  }
  return value.get<double>();
}

std::optional<double> NumberOrNull(const Json& object, std::string_view key,
                                   std::string_view path) {
  return Member(object, key, path).is_null() ? std::nullopt
                                             : std::optional(Number(object, key, path));
}

template <typename Integer>
Integer Count(const Json& object, std::string_view key, std::string_view path) {
  const Json& value = Member(object, key, path);
  if (!value.is_number_integer() || value.get<long long>() < 0) {
    throw Unreadable{fmt::format("{}{} is not a count", path, key)};
  }
  return value.get<Integer>();
}

std::string Text(const Json& object, std::string_view key, std::string_view path) {
  const Json& value = Member(object, key, path);
  if (!value.is_string()) {
    throw Unreadable{fmt::format("{}{} is not a text", path, key)};
  }
  return value.get<std::string>();
}

bool Flag(const Json& object, std::string_view key, std::string_view path) {
  const Json& value = Member(object, key, path);
  if (!value.is_boolean()) {
    throw Unreadable{fmt::format("{}{} is not true or false", path, key)};
  }
  return value.get<bool>();
}

// Reads every element of the array member `key` with `read(element, path)`.
template <typename Read>
auto List(const Json& object, std::string_view key, std::string_view path, Read&& read) {
  const Json& value = Member(object, key, path);
  if (!value.is_array()) {
    throw Unreadable{fmt::format("{}{} is not a list", path, key)};
  }
  std::vector<decltype(read(value[0], std::string()))> list;
  list.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    list.push_back(read(value[i], fmt::format("{}{}[{}].", path, key, i)));
  }
  return list;
}

PillarPosition PillarFrom(const Json& json, const std::string& path) {
  return {Text(json, "name", path), Number(json, "position", path),
          Number(json, "standardUncertainty", path)};
}

SurveyObservation ObservationFrom(const Json& json, const std::string& path) {
  return {Count<std::size_t>(json, "line", path),
          Text(json, "from", path),
          Text(json, "to", path),
          Number(json, "distance", path),
          Number(json, "residual", path),
          NumberOrNull(json, "standardizedResidual", path),
          Flag(json, "outlier", path)};
}

CertifiedDistance DistanceFrom(const Json& json, const std::string& path) {
  return {Text(json, "from", path),
          Text(json, "to", path),
          Number(json, "distance", path),
          Number(json, "uA", path),
          Number(json, "uB", path),
          Number(json, "u", path),
          NumberOrNull(json, "dofEffective", path),
          Number(json, "k", path),
          Number(json, "U", path)};
}

DistanceComparison ComparisonFrom(const Json& json, const std::string& path) {
  return {Text(json, "from", path),       Text(json, "to", path),
          Number(json, "previous", path), Number(json, "difference", path),
          Number(json, "En", path),       Flag(json, "moved", path)};
}

ExcludedObservation ExcludedObservationFrom(const Json& json, const std::string& path) {
  return {Count<std::size_t>(json, "line", path), Text(json, "from", path), Text(json, "to", path),
          Number(json, "distance", path)};
}

// An exclusion as ExcludedJson writes it: a pair (from, to) or a line.
AppliedExclusion ExclusionFrom(const Json& json, const std::string& path) {
  AppliedExclusion applied;
  Exclusion& exclusion = applied.exclusion;
  if (json.is_object() && json.contains("line")) {
    exclusion.line = Count<std::size_t>(json, "line", path);
  } else {
    exclusion.from = Text(json, "from", path);
    exclusion.to = Text(json, "to", path);
  }
  exclusion.reason = Text(json, "reason", path);
  applied.lines = List(json, "lines", path, [](const Json& line, const std::string& at) {
    if (!line.is_number_integer() || line.get<long long>() < 1) {
      throw Unreadable{fmt::format("{} is not a line number", at.substr(0, at.size() - 1))};
    }
    return line.get<std::size_t>();
  });
  applied.observations = List(json, "observations", path, ExcludedObservationFrom);
  return applied;
}

void ReadSurvey(const Json& json, BaselineCalibration& calibration) {
  constexpr std::string_view kPath = "survey.";
  MeasurementHeader& header = calibration.header;
  BaselineAdjustment& adjustment = calibration.adjustment;
  header.date = Text(json, "date", kPath);
  header.time = Text(json, "time", kPath);
  header.comment = Text(json, "comment", kPath);
  header.edmDescription = Text(json, "instrument", kPath);
  header.measuredFileName = Text(json, "measuredFile", kPath);
  adjustment.aprioriMm = header.constantError = Number(json, "aprioriMm", kPath);
  adjustment.aprioriPpm = header.ppmError = Number(json, "aprioriPpm", kPath);
  adjustment.orderInferred = Flag(json, "orderInferred", kPath);
}

void ReadAdjustment(const Json& json, BaselineAdjustment& adjustment) {
  constexpr std::string_view kPath = "adjustment.";
  adjustment.observationCount = Count<int>(json, "observations", kPath);
  adjustment.unknowns = Count<int>(json, "unknowns", kPath);
  adjustment.dof = Count<int>(json, "dof", kPath);
  adjustment.s0 = Number(json, "s0", kPath);
  if (!Member(json, "chiSquare", kPath).is_null()) {
    adjustment.varianceTest =
        SurveyVarianceTest{Number(json, "chiSquare", kPath),
                           Number(json, "chiSquareCritical", kPath), Flag(json, "passed", kPath)};
  }
}

void ReadOutlierTest(const Json& json, BaselineAdjustment& adjustment) {
  constexpr std::string_view kPath = "outlierTest.";
  SurveyOutlierTest& test = adjustment.outlierTest;
  test.applicable = !(json.is_object() && json.contains("reason"));
  if (!test.applicable) {
    test.reason = Text(json, "reason", kPath);
    return;
  }
  test.alphaEach = Number(json, "alphaEach", kPath);
  test.critical = Number(json, "critical", kPath);
  for (const SurveyObservation& observation : adjustment.observations) {
    test.outliers += observation.outlier ? 1 : 0;
  }
}

BaselineCalibration CalibrationFrom(const Json& document) {
  BaselineCalibration calibration;
  BaselineAdjustment& adjustment = calibration.adjustment;
  ReadSurvey(Member(document, "survey", ""), calibration);
  const Json& scale = Member(document, "referenceScale", "");
  adjustment.referenceScale = {Number(scale, "ppm", "referenceScale."),
                               Number(scale, "expandedPpm", "referenceScale."),
                               Number(scale, "k", "referenceScale.")};
  adjustment.pillars = List(document, "pillars", "", PillarFrom);
  const Json& constant = Member(document, "constant", "");
  adjustment.constant = Number(constant, "value", "constant.");
  adjustment.constantUncertainty = Number(constant, "standardUncertainty", "constant.");
  ReadAdjustment(Member(document, "adjustment", ""), adjustment);
  adjustment.observations = List(document, "observations", "", ObservationFrom);
  ReadOutlierTest(Member(document, "outlierTest", ""), adjustment);
  adjustment.distances = List(document, "distances", "", DistanceFrom);
  if (document.contains("comparison")) {
    calibration.comparison = List(document, "comparison", "", ComparisonFrom);
    calibration.previousSource = Text(document, "previousSource", "");
  }
  calibration.excluded = List(document, "excluded", "", ExclusionFrom);
  return calibration;
}

}  // namespace

nlohmann::json BaselineCalibrationJson(const BaselineCalibration& calibration) {
  const BaselineAdjustment& adjustment = calibration.adjustment;
  Json json = {
      {"survey", SurveyJson(calibration)},
      {"referenceScale", ReferenceScaleJson(adjustment.referenceScale)},
      {"pillars", PillarsJson(adjustment.pillars)},
      {"constant",
       {{"value", adjustment.constant}, {"standardUncertainty", adjustment.constantUncertainty}}},
      {"adjustment", AdjustmentJson(adjustment)},
      {"observations", ObservationsJson(adjustment.observations)},
      {"outlierTest", SurveyOutlierTestJson(adjustment.outlierTest)},
      {"distances", DistancesJson(adjustment.distances)},
      {"excluded", ExcludedJson(calibration.excluded)},
  };
  if (calibration.comparison) {
    json["comparison"] = ComparisonJson(*calibration.comparison);
    json["previousSource"] = calibration.previousSource;
  }
  return json;
}

std::optional<BaselineCalibration> BaselineCalibrationFromJson(const nlohmann::json& document,
                                                               std::string& reason) {
  if (!document.is_object()) {
    reason = "not a baseline calibration: the document is not an object";
    return std::nullopt;
  }
  try {
    return CalibrationFrom(document);
  } catch (const Unreadable& unreadable) {
    reason = "not a baseline calibration: " + unreadable.reason;
    return std::nullopt;
  }
}

}  // namespace mensuro
