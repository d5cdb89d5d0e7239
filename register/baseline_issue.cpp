#include "register/baseline_issue.h"

#include <utility>

#include "core/baseline/baseline_warnings.h"
#include "core/data/local_time.h"
#include "json/baseline_json.h"
#include "json/calibration_json.h"

namespace mensuro {

IssueRequest BaselineIssueRequestOf(const BaselineCalibration& calibration,
                                    const BaselineIssueInputs& inputs) {
  IssueRequest request;
  request.kind = RecordKind::kBaseline;
  request.details = inputs.details;
  request.baseline = inputs.baselineName;
  request.measuredText = inputs.measuredText;
  const BaselineAdjustment& adjustment = calibration.adjustment;
  nlohmann::json conditions = {{"referenceScale",
                                {{"ppm", adjustment.referenceScale.ppm},
                                 {"expandedPpm", adjustment.referenceScale.expandedPpm},
                                 {"k", adjustment.referenceScale.k}}},
                               {"pillarOrder", inputs.pillarOrder},
                               {"previous", calibration.previousSource.empty()
                                                ? nlohmann::json(nullptr)
                                                : nlohmann::json(calibration.previousSource)}};
  request.conditionsJson = JsonText(conditions);
  request.exclusionsJson = JsonText(ExcludedJson(calibration.excluded));
  request.acceptedWarningsJson = JsonText(BaselineCertificateWarnings(calibration));
  request.resultsJson = JsonText(BaselineCalibrationJson(calibration));
  request.programVersion = inputs.programVersion;
  request.measurementDate = IsoDateOf(calibration.header.date).value_or("");
  request.files = inputs.files;
  return request;
}

IssuedCertificate IssueBaselineCertificateFile(CalibrationRegister& reg,
                                               const BaselineCalibration& calibration,
                                               const BaselineIssueInputs& inputs,
                                               const CertificateRenderer& renderPdf,
                                               const std::filesystem::path& file) {
  return IssueRecordFile(
      reg, inputs.details,
      [&](const CertificateDetails& details) {
        return MissingBaselineIdentity(details, calibration.header, inputs.baselineName);
      },
      [&](const CertificateDetails& details) {
        BaselineIssueInputs withRegister = inputs;
        withRegister.details = details;
        return BaselineIssueRequestOf(calibration, withRegister);
      },
      renderPdf, file);
}

}  // namespace mensuro
