#include "cli/json_output.h"

namespace mensuro::cli {

nlohmann::json ResultsToJson(const MeasurementHeader& header, const ProjectRun& run,
                             const ReportText& report) {
  nlohmann::json document;
  document["header"] = {
      {"constantError", header.constantError},
      {"ppmError", header.ppmError},
      {"comment", header.comment},
      {"edmDescription", header.edmDescription},
      {"date", header.date},
      {"time", header.time},
      {"publishedSource", header.publishedSource},
      {"measuredFileName", header.measuredFileName},
  };

  nlohmann::json observations = nlohmann::json::array();
  for (const ProjectRecord& record : run.records.entries) {
    if (record.kind != kObservationKind) {
      continue;
    }
    observations.push_back({
        {"fromStation", record.fromStation},
        {"toStation", record.toStation},
        {"observedDistance", record.observedDistance},
        {"publishedDistance", record.publishedDistance},
    });
  }
  document["observations"] = std::move(observations);

  nlohmann::json pairs = nlohmann::json::array();
  for (const AdjustmentEntry& entry : run.analysis.entries) {
    pairs.push_back({
        {"from", entry.from},
        {"to", entry.to},
        {"C", entry.C},
        {"P", entry.P},
        {"d", entry.d},
        {"r", entry.r},
        {"standardizedDifference", entry.standardizedDifference},
        {"flagged", entry.flagged},
    });
  }
  document["pairs"] = std::move(pairs);

  const CalibrationResult& result = run.analysis.result;
  document["result"] = {
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
  document["verdicts"] = {
      {"scaleTestPassed", run.analysis.scaleTestPassed},
      {"constantTestPassed", run.analysis.constantTestPassed},
  };
  document["report"] = report.lines;
  return document;
}

std::string JsonText(const nlohmann::json& document) {
  return document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace mensuro::cli
