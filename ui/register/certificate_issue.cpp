#include "ui/register/certificate_issue.h"

#include "json/calibration_json.h"

namespace mensuro {

IssuedCertificate IssueFromWindow(CalibrationRegister& reg, const ProcessedCalibration& calibration,
                                  const CertificateDetails& details,
                                  const std::string& programVersion,
                                  const CertificateRenderer& pdfOf,
                                  const std::filesystem::path& file) {
  const nlohmann::json input =
      CalibrationInputJson(calibration, [&calibration](const InputLocation& where) {
        return ProcessedTextLine(calibration.origin, where);
      });
  IssuedCertificate issued = IssueCertificateFile(
      reg, calibration, {details, {}, programVersion, input, {}, false}, pdfOf, file);
  if (issued.number.empty()) {
    issued.failure = "The certificate was not issued: " + issued.failure;
  } else if (!issued.failure.empty()) {
    issued.failure = "The certificate " + issued.number +
                     " was issued, but its file could not be written; reissue it from the "
                     "register.";
  }
  return issued;
}

}  // namespace mensuro
