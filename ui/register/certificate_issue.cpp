#include "ui/register/certificate_issue.h"

#include "json/calibration_json.h"
#include "register/baseline_issue.h"

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

// The window's messages for what issuing gave, naming where the window gives each part that
// `fieldOf` names.
IssuedCertificate WithWindowMessages(IssuedCertificate issued,
                                     std::string (*fieldOf)(IdentityPart part)) {
  if (!issued.missing.empty()) {
    issued.failure = "The certificate was not issued: a numbered certificate needs " +
                     MissingIdentityText(issued.missing, fieldOf) + ".";
  } else if (issued.number.empty()) {
    issued.failure = "The certificate was not issued: " + issued.failure;
  } else if (!issued.failure.empty()) {
    issued.failure = "The certificate " + issued.number +
                     " was issued, but its file could not be written; reissue it from the "
                     "register.";
  }
  return issued;
}

// Where the Baseline Calibration window gives each part of its certificate's identity.
std::string BaselineFieldOf(IdentityPart part) {
  switch (part) {
    case IdentityPart::kClientName:
      return "Certificate Details, Client: Name (the baseline's owner)";
    case IdentityPart::kInstrumentMake:
      return "Certificate Details, Instrument: Make (the reference instrument)";
    case IdentityPart::kInstrumentModel:
      return "Certificate Details, Instrument: Model (the reference instrument)";
    case IdentityPart::kInstrumentSerial:
      return "Certificate Details, Instrument: Serial number (the reference instrument)";
    case IdentityPart::kMeasurementDate:
      return "the survey's date, a \"$\" line of its file";
    case IdentityPart::kBaseline:
      return "the Baseline name field";
    default:
      return FieldOf(part);
  }
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
  return WithWindowMessages(
      IssueCertificateFile(reg, calibration, {details, {}, programVersion, input, {}, false}, pdfOf,
                           file),
      FieldOf);
}

IssuedCertificate IssueBaselineFromWindow(CalibrationRegister& reg,
                                          const BaselineCalibration& calibration,
                                          const BaselineIssueInputs& inputs,
                                          const CertificateRenderer& pdfOf,
                                          const std::filesystem::path& file) {
  return WithWindowMessages(IssueBaselineCertificateFile(reg, calibration, inputs, pdfOf, file),
                            BaselineFieldOf);
}

}  // namespace mensuro
