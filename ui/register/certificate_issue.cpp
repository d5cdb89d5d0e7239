#include "ui/register/certificate_issue.h"

#include "json/calibration_json.h"

namespace mensuro {
namespace {

// Where the window gives each part of a certificate's identity.
std::string FieldOf(IdentityPart part) {
  switch (part) {
    case IdentityPart::kLaboratoryName:
      return "Certificate Details, Laboratory: Name";
    case IdentityPart::kClientName:
      return "Certificate Details, Client: Name";
    case IdentityPart::kInstrumentMake:
      return "Certificate Details, Instrument: Make";
    case IdentityPart::kInstrumentModel:
      return "Certificate Details, Instrument: Model";
    case IdentityPart::kInstrumentSerial:
      return "Certificate Details, Instrument: Serial number";
    case IdentityPart::kMeasurementDate:
      return "the Date field, as DD-MM-YYYY";
    case IdentityPart::kBaseline:
      return "the published file or a library baseline";
    case IdentityPart::kBaselineUncertainty:
      return "Calibration Conditions: the baseline's uncertainty";
  }
  return {};
}

}  // namespace

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
  if (!issued.missing.empty()) {
    issued.failure = "The certificate was not issued: a numbered certificate needs " +
                     MissingIdentityText(issued.missing, FieldOf) + ".";
  } else if (issued.number.empty()) {
    issued.failure = "The certificate was not issued: " + issued.failure;
  } else if (!issued.failure.empty()) {
    issued.failure = "The certificate " + issued.number +
                     " was issued, but its file could not be written; reissue it from the "
                     "register.";
  }
  return issued;
}

}  // namespace mensuro
