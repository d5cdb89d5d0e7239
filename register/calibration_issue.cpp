#include "register/calibration_issue.h"

#include <sstream>
#include <utility>

#include "core/units.h"
#include "json/calibration_json.h"

namespace mensuro {

IssueRequest IssueRequestOf(const ProcessedCalibration& calibration, CertificateDetails details,
                            const nlohmann::json& input, std::string programVersion) {
  IssueRequest request;
  request.details = std::move(details);
  request.baseline = calibration.header.publishedSource;
  request.measuredText = calibration.measuredText;
  request.publishedText = calibration.publishedText;
  request.conditionsJson = JsonText(ConditionsJson(calibration.conditions));
  request.exclusionsJson = JsonText(ExcludedJson(ExclusionsInFileLines(calibration)));
  nlohmann::json accepted = nlohmann::json::array();
  for (const InputNotice& warning : FindCertificateObstacles(calibration).listed) {
    accepted.push_back({{"text", InputTextName(warning.where.text)},
                        {"line", warning.where.line},
                        {"reason", warning.reason},
                        {"content", warning.content}});
  }
  request.acceptedWarningsJson = JsonText(accepted);
  std::ostringstream results;
  WriteCalibrationJson(results, calibration, input);
  request.resultsJson = std::move(results).str();
  const CalibrationResult& fit = calibration.run.analysis.result;
  const ParameterUncertainty uncertainty =
      ExpandedParameterUncertainty(calibration.run.analysis, calibration.conditions);
  request.results = {.scalePpm = fit.scale * kPartsPerMillion,
                     .scaleUncertaintyPpm = uncertainty.scalePpm,
                     .constantM = fit.constant,
                     .constantUncertaintyM = uncertainty.constant};
  request.programVersion = std::move(programVersion);
  return request;
}

}  // namespace mensuro
