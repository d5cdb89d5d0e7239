#include "json/calibration_json.h"

#include <functional>
#include <optional>
#include <string_view>
#include <variant>

namespace mensuro {
namespace {

constexpr int kIndent = 2;

// The text of `value` as it stands at `depth` levels inside the document: the lines after its
// first are indented by the enclosing levels (JSON strings hold no raw line feeds, so every
// line feed of the text is the layout's).
std::string NestedText(const nlohmann::json& value, int depth) {
  const std::string text =
      value.dump(kIndent, ' ', false, nlohmann::json::error_handler_t::replace);
  const std::string margin(static_cast<std::size_t>(depth * kIndent), ' ');
  if (margin.empty()) {
    return text;
  }
  std::string nested;
  nested.reserve(text.size() + text.size() / 4);
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string::npos;
       start = end + 1, end = text.find('\n', start)) {
    nested.append(text, start, end + 1 - start).append(margin);
  }
  return nested.append(text, start);
}

// Writes the members of the top-level object one at a time, as the whole document's text would
// show them.
class DocumentWriter {
 public:
  explicit DocumentWriter(std::ostream& out) : out_(out) { out_ << '{'; }

  void Member(std::string_view name, const nlohmann::json& value) {
    Key(name);
    out_ << NestedText(value, 1);
  }

  // An array member written element by element: `toJson` gives the JSON of an item, or nothing
  // for an item the array leaves out.
  template <typename Range, typename ToJson>
  void ArrayMember(std::string_view name, const Range& range, ToJson&& toJson) {
    Key(name);
    bool empty = true;
    for (const auto& item : range) {
      const std::optional<nlohmann::json> element = toJson(item);
      if (!element) {
        continue;
      }
      out_ << (empty ? "[\n" : ",\n") << std::string(2 * kIndent, ' ') << NestedText(*element, 2);
      empty = false;
    }
    if (empty) {
      out_ << "[]";
    } else {
      out_ << '\n' << std::string(kIndent, ' ') << ']';
    }
  }

  void Close() { out_ << "\n}\n"; }

 private:
  void Key(std::string_view name) {
    out_ << (first_ ? "\n" : ",\n") << std::string(kIndent, ' ') << nlohmann::json(name).dump()
         << ": ";
    first_ = false;
  }

  std::ostream& out_;
  bool first_ = true;
};

nlohmann::json HeaderJson(const MeasurementHeader& header) {
  return {
      {"constantError", header.constantError},
      {"ppmError", header.ppmError},
      {"comment", header.comment},
      {"edmDescription", header.edmDescription},
      {"date", header.date},
      {"time", header.time},
      {"publishedSource", header.publishedSource},
      {"measuredFileName", header.measuredFileName},
  };
}

std::optional<nlohmann::json> ObservationJson(const ProjectRecord& record) {
  if (record.kind != kObservationKind) {
    return std::nullopt;
  }
  return nlohmann::json{
      {"fromStation", record.fromStation},
      {"toStation", record.toStation},
      {"observedDistance", record.observedDistance},
      {"publishedDistance", record.publishedDistance},
  };
}

std::optional<nlohmann::json> PairJson(const AdjustmentEntry& entry,
                                       const std::optional<PairOutlier>& outlier) {
  return nlohmann::json{
      {"from", entry.from},
      {"to", entry.to},
      {"C", entry.C},
      {"P", entry.P},
      {"d", entry.d},
      {"r", entry.r},
      {"standardizedDifference", entry.standardizedDifference},
      {"flagged", entry.flagged},
      {"observations", entry.observations},
      // Of a pair measured once there is nothing to spread.
      {"observationStdDev",
       entry.observations > 1 ? nlohmann::json(entry.observationStdDev) : nlohmann::json()},
      {"observationSpread",
       entry.observations > 1 ? nlohmann::json(entry.observationSpread) : nlohmann::json()},
      // Both null when the outlier test does not apply.
      {"studentizedResidual",
       outlier ? nlohmann::json(outlier->studentizedResidual) : nlohmann::json()},
      {"outlier", outlier ? nlohmann::json(outlier->outlier) : nlohmann::json()},
  };
}

nlohmann::json ResultJson(const CalibrationResult& result) {
  return {
      {"scale", result.scale},
      {"constant", result.constant},
      {"scaleStdError", result.scaleStdError},
      {"constantStdError", result.constantStdError},
      {"scaleT", result.scaleT},
      {"constantT", result.constantT},
      {"criticalT", result.criticalT},
      {"degreesOfFreedom", result.degreesOfFreedom},
      {"unitWeightVariance", result.unitWeightVariance},
      {"covariance", result.covariance},
      {"correlation", result.correlation},
      {"rms", result.rms},
  };
}

template <typename Value, typename ToJson>
nlohmann::json OrNull(const std::optional<Value>& value, ToJson&& toJson) {
  return value ? toJson(*value) : nlohmann::json();
}
using mensuro::OrNull;  // and the number's, declared in the header

nlohmann::json ConformityJson(const std::optional<Conformity>& conformity) {
  return OrNull(conformity, [](Conformity c) { return nlohmann::json(ConformityName(c)); });
}

nlohmann::json MmPlusPpmJson(const MmPlusPpm& length) {
  return {{"a_mm", length.mm}, {"b_ppm", length.ppm}};
}

// An equipment certificate's figures, by what the item is.
nlohmann::json EquipmentCertificateJson(EquipmentKind kind, const EquipmentCertificate& c) {
  nlohmann::json json = {
      {"number", c.number},
      {"issuedBy", c.issuedBy},
      {"date", c.date},
      {"validUntil", c.validUntil},
  };
  if (kind == EquipmentKind::kBaseline) {
    json["baselineCertificate"] = c.baselineCertificate;
    json["baselineUncertainty"] = c.baselineUncertainty;
  } else if (kind == EquipmentKind::kReferenceInstrument) {
    json["scalePpm"] = c.scalePpm;
    json["scaleUncertaintyPpm"] = c.scaleUncertaintyPpm;
    json["constantMm"] = c.constantMm;
    json["constantUncertaintyMm"] = c.constantUncertaintyMm;
  } else {
    json["correction"] = c.correction;
    json["standardUncertainty"] = c.standardUncertainty;
    json["unit"] = CorrectionUnit(kind);
  }
  return json;
}

nlohmann::json AppliedEquipmentJson(const AppliedEquipment& item) {
  nlohmann::json json = {
      {"kind", EquipmentKindName(item.kind)},
      {"make", item.make},
      {"model", item.model},
      {"serial", item.serial},
      {"certificate", EquipmentCertificateJson(item.kind, item.certificate)},
  };
  if (!item.acceptedReason.empty()) {
    json["acceptedReason"] = item.acceptedReason;
  }
  return json;
}

nlohmann::json InputsJson(const UncertaintyInputs& inputs) {
  nlohmann::json json = {
      {"baseline", OrNull(inputs.baseline,
                          [](const BaselineUncertainty& baseline) {
                            nlohmann::json json = MmPlusPpmJson(baseline.expanded);
                            json["k"] = baseline.k;
                            json["dof"] = OrNull(baseline.dof);
                            return json;
                          })},
      {"sensors", OrNull(inputs.sensors,
                         [](const SensorUncertainty& sensors) {
                           return nlohmann::json{{"temperature_k", sensors.temperature},
                                                 {"pressure_hpa", sensors.pressure},
                                                 {"humidity_percent", sensors.humidity}};
                         })},
      {"resolution_mm", OrNull(inputs.resolution)},
      {"centring_mm", OrNull(inputs.centring)},
      {"acceptance", OrNull(inputs.acceptance, MmPlusPpmJson)},
  };
  // Only a run that estimates the cyclic error has its settings, so every other run's JSON stays
  // as it was.
  if (inputs.cyclic) {
    json["cyclic"] = {{"unitLength", inputs.cyclic->unitLength},
                      {"harmonics", inputs.cyclic->harmonics}};
  }
  // Only a run that used equipment names it, so every other run's JSON stays as it was.
  if (!inputs.equipment.empty()) {
    nlohmann::json& equipment = json["equipment"] = nlohmann::json::array();
    for (const AppliedEquipment& item : inputs.equipment) {
      equipment.push_back(AppliedEquipmentJson(item));
    }
  }
  return json;
}

// The inputs with how the station pairs took the baseline's uncertainty, when some have lines
// of their own: only then, so every other run's JSON stays as it was.
nlohmann::json InputsJson(const UncertaintyInputs& inputs,
                          const std::optional<PairBaselineComponent>& pairs) {
  nlohmann::json json = InputsJson(inputs);
  if (!pairs) {
    return json;
  }
  nlohmann::json& list = json["baselinePairs"] = nlohmann::json::array();
  for (const BaselinePairInput& pair : pairs->pairs) {
    const bool given = pair.source != BaselinePairSource::kNone;
    list.push_back({{"from", pair.from},
                    {"to", pair.to},
                    {"source", BaselinePairSourceName(pair.source)},
                    {"U_mm", given ? nlohmann::json(pair.expandedMm) : nlohmann::json()},
                    {"k", given ? nlohmann::json(pair.k) : nlohmann::json()},
                    {"dof", given ? OrNull(pair.dof) : nlohmann::json()}});
  }
  if (!pairs->leftOut.empty()) {
    json["baselineLeftOut"] = pairs->leftOut;
  }
  return json;
}

nlohmann::json CorrectionRowJson(const CorrectionRow& row) {
  return {
      {"distance", row.distance},
      {"correction", row.correction},
      {"standard_uncertainty", row.standardUncertainty},
      {"effective_dof", OrNull(row.effectiveDof)},
      {"coverage_factor", row.coverageFactor},
      {"expanded_uncertainty", row.expandedUncertainty},
      {"conformity", ConformityJson(row.conformity)},
  };
}

}  // namespace

nlohmann::json OrNull(const std::optional<double>& value) {
  return value ? nlohmann::json(*value) : nlohmann::json();
}

nlohmann::json UncertaintyJson(const UncertaintyInputs& inputs,
                               const CorrectionUncertainty& budget) {
  nlohmann::json table = nlohmann::json::array();
  for (const CorrectionRow& row : budget.table) {
    table.push_back(CorrectionRowJson(row));
  }
  return {
      {"covariance", budget.covariance},
      {"correlation", budget.correlation},
      {"inputs", InputsJson(inputs, budget.baselinePairs)},
      {"table", std::move(table)},
      {"conformity", ConformityJson(budget.conformity)},
  };
}

nlohmann::json ConditionsJson(const UncertaintyInputs& inputs) {
  return InputsJson(inputs);
}

nlohmann::json ConditionsJson(const UncertaintyInputs& inputs,
                              const CorrectionUncertainty& budget) {
  return InputsJson(inputs, budget.baselinePairs);
}

nlohmann::json CyclicHarmonicJson(const CyclicHarmonic& harmonic) {
  return {
      {"order", harmonic.order},
      {"sine", harmonic.sine},
      {"cosine", harmonic.cosine},
      {"sineStdError", harmonic.sineStdError},
      {"cosineStdError", harmonic.cosineStdError},
      {"amplitude", harmonic.amplitude},
      {"phaseDegrees", harmonic.phaseDegrees},
      {"amplitudeStdError", OrNull(harmonic.amplitudeStdError)},
      {"phaseStdErrorDegrees", OrNull(harmonic.phaseStdErrorDegrees)},
      {"F", harmonic.F},
      {"critical", harmonic.critical},
      {"significant", harmonic.significant},
  };
}

nlohmann::json CyclicJson(const CyclicAnalysis& analysis) {
  const double unitLength = analysis.settings.unitLength;
  if (!analysis.estimable) {
    return {{"unitLength", unitLength}, {"reason", analysis.reason}};
  }
  nlohmann::json harmonics = nlohmann::json::array();
  for (const CyclicHarmonic& harmonic : analysis.harmonics) {
    harmonics.push_back(CyclicHarmonicJson(harmonic));
  }
  return {
      {"unitLength", unitLength},
      {"dof", analysis.degreesOfFreedom},
      {"s0", analysis.s0},
      {"constant", analysis.constant},
      {"constantStdError", analysis.constantStdError},
      {"scale", analysis.scale},
      {"scaleStdError", analysis.scaleStdError},
      {"harmonics", std::move(harmonics)},
      {"maxCorrelation", analysis.maxCorrelation},
      {"warning", analysis.warning.empty() ? nlohmann::json() : nlohmann::json(analysis.warning)},
  };
}

nlohmann::json FullTestJson(const std::optional<FullTestResult>& test) {
  return OrNull(test, [](const FullTestResult& result) {
    return nlohmann::json{
        {"stations", result.stations},
        {"dof", result.dof},
        {"s", result.s},
        {"delta", result.delta},
        {"s_delta", result.sDelta},
        {"test_a", {{"sigma", result.sigma}, {"limit", result.limitA}, {"passed", result.passedA}}},
        {"test_c", {{"limit", result.limitC}, {"passed", result.passedC}}},
    };
  });
}

nlohmann::json OutlierTestJson(const OutlierTest& test, const AdjustmentTable& entries) {
  if (!test.applicable) {
    return {{"reason", test.reason}};
  }
  nlohmann::json outliers = nlohmann::json::array();
  for (std::size_t j = 0; j < test.pairs.size() && j < entries.size(); ++j) {
    if (test.pairs[j].outlier) {
      outliers.push_back({{"from", entries[j].from}, {"to", entries[j].to}});
    }
  }
  return {
      {"alpha", test.alpha},
      {"alphaEach", test.alphaEach},
      {"dof", test.degreesOfFreedom},
      {"critical", test.critical},
      {"outliers", std::move(outliers)},
  };
}

nlohmann::json ExcludedJson(const std::vector<AppliedExclusion>& exclusions) {
  nlohmann::json list = nlohmann::json::array();
  for (const AppliedExclusion& applied : exclusions) {
    const Exclusion& exclusion = applied.exclusion;
    nlohmann::json item = exclusion.line == 0
                              ? nlohmann::json{{"from", exclusion.from}, {"to", exclusion.to}}
                              : nlohmann::json{{"line", exclusion.line}};
    item["reason"] = exclusion.reason;
    item["lines"] = applied.lines;
    nlohmann::json observations = nlohmann::json::array();
    for (const ExcludedObservation& observation : applied.observations) {
      observations.push_back({{"from", observation.from},
                              {"to", observation.to},
                              {"distance", observation.distance},
                              {"line", observation.line}});
    }
    item["observations"] = std::move(observations);
    list.push_back(std::move(item));
  }
  return list;
}

nlohmann::json PublishedDistancesJson(const std::optional<PublishedDistanceKind>& kind) {
  return kind ? nlohmann::json(PublishedDistanceKindText(*kind)) : nlohmann::json();
}

nlohmann::json ReductionJson(const ReductionSummary& summary) {
  const bool slope = summary.kind == FieldDistanceKind::kSlope;
  nlohmann::json reduction = {{"fieldObservations", summary.observations},
                              {"distances", slope ? "slope" : "horizontal"}};
  if (!slope) {
    return reduction;
  }
  if (summary.carrier) {
    reduction["wavelength"] = summary.carrier->wavelength;
    if (const auto* index = std::get_if<double>(&summary.carrier->reference)) {
      reduction["reference"] = {{"refractiveIndex", *index}};
    } else {
      const auto& atmosphere = std::get<ReferenceAtmosphere>(summary.carrier->reference);
      reduction["reference"] = {{"temperature", atmosphere.temperature},
                                {"pressure", atmosphere.pressure},
                                {"humidity", atmosphere.humidity}};
    }
  }
  reduction["reducedTo"] = PublishedDistanceKindText(summary.target);
  if (summary.target == PublishedDistanceKind::kHorizontal) {
    reduction["referenceHeight"] = OrNull(summary.horizontalAt);
  }
  reduction["heights"] = summary.heightsSource;
  const auto range = [](const std::optional<ValueRange>& values) {
    return OrNull(values, [](const ValueRange& value) {
      return nlohmann::json{{"smallest", value.smallest}, {"largest", value.largest}};
    });
  };
  reduction["temperature"] = range(summary.temperature);
  reduction["pressure"] = range(summary.pressure);
  reduction["humidity"] = range(summary.humidity);
  reduction["humidityFromWetBulb"] = summary.humidityFromWetBulb;
  return reduction;
}

void WriteResultsJson(std::ostream& out, const MeasurementHeader& header, const ProjectRun& run,
                      const OutlierTest& outliers, const ReportText& report,
                      const nlohmann::json& input) {
  // Members in the order of the keys, as a whole document orders them; those of `input` go
  // between the run's own.
  DocumentWriter document(out);
  const auto items = input.items();
  auto extra = items.begin();
  const auto inputBefore = [&](std::string_view name) {
    for (; extra != items.end() && extra.key() < name; ++extra) {
      document.Member(extra.key(), extra.value());
    }
  };
  inputBefore("header");
  document.Member("header", HeaderJson(header));
  inputBefore("observations");
  document.ArrayMember("observations", run.records.entries, ObservationJson);
  inputBefore("pairs");
  std::size_t pair = 0;
  document.ArrayMember("pairs", run.analysis.entries, [&](const AdjustmentEntry& entry) {
    const bool tested = outliers.applicable && pair < outliers.pairs.size();
    return PairJson(entry, tested ? std::optional(outliers.pairs[pair++]) : std::nullopt);
  });
  inputBefore("report");
  document.ArrayMember("report", report.lines,
                       [](const std::string& line) { return std::optional<nlohmann::json>(line); });
  inputBefore("result");
  document.Member("result", ResultJson(run.analysis.result));
  inputBefore("verdicts");
  document.Member("verdicts", {
                                  {"scaleTestPassed", run.analysis.scaleTestPassed},
                                  {"constantTestPassed", run.analysis.constantTestPassed},
                              });
  inputBefore("\x7f");
  document.Close();
}

void WriteCalibrationJson(std::ostream& out, const ProcessedCalibration& calibration,
                          nlohmann::json input) {
  const ProjectRun& run = calibration.run;
  input["uncertainty"] = UncertaintyJson(calibration.conditions, calibration.uncertainty);
  input["iso17123_4"] = FullTestJson(calibration.fullTest);
  input["outlierTest"] = OutlierTestJson(calibration.outlierTest, run.analysis.entries);
  input["excluded"] = ExcludedJson(ExclusionsInFileLines(calibration));
  input["publishedDistances"] = PublishedDistancesJson(calibration.origin.publishedDistances);
  if (calibration.origin.reduction) {
    input["reduction"] = ReductionJson(*calibration.origin.reduction);
  }
  if (calibration.cyclic) {
    input["cyclic"] = CyclicJson(*calibration.cyclic);
  }
  WriteResultsJson(out, calibration.header, run, calibration.outlierTest, calibration.report,
                   input);
}

namespace {

// The notices of `notices` of the levels `wanted` gives: text, line, reason and content.
nlohmann::json NoticesJson(const std::vector<InputNotice>& notices, const NoticeLineOf& lineOf,
                           const std::function<bool(NoticeLevel)>& wanted) {
  nlohmann::json list = nlohmann::json::array();
  for (const InputNotice& notice : notices) {
    if (wanted(notice.level)) {
      list.push_back({{"text", InputTextName(notice.where.text)},
                      {"line", lineOf(notice.where)},
                      {"reason", notice.reason},
                      {"content", notice.content}});
    }
  }
  return list;
}

}  // namespace

std::size_t ProcessedTextLine(const CalibrationOrigin& origin, const InputLocation& where) {
  return where.text == InputText::kMeasured ? FileLineOf(origin, where.line) : where.line;
}

nlohmann::json InputNoticesJson(const InputNotices& notices, const NoticeLineOf& lineOf) {
  nlohmann::json input = {
      {"warnings", NoticesJson(notices.listed, lineOf,
                               [](NoticeLevel level) { return level == NoticeLevel::kWarning; })},
      {"notes", NoticesJson(notices.listed, lineOf,
                            [](NoticeLevel level) { return level == NoticeLevel::kNote; })},
  };
  const std::size_t unlisted = UnlistedNotices(notices);
  if (unlisted > 0) {
    input["noticesNotListed"] = unlisted;
  }
  return input;
}

nlohmann::json CalibrationInputJson(const ProcessedCalibration& calibration,
                                    const NoticeLineOf& lineOf) {
  nlohmann::json input = InputNoticesJson(calibration.run.notices, lineOf);
  input["certificateObstacles"] = NoticesJson(FindCertificateObstacles(calibration).listed, lineOf,
                                              [](NoticeLevel) { return true; });
  return input;
}

std::string JsonText(const nlohmann::json& document) {
  return NestedText(document, 0) + "\n";
}

}  // namespace mensuro
