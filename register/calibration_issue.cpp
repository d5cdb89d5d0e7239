#include "register/calibration_issue.h"

#include <exception>
#include <sstream>
#include <system_error>
#include <utility>

#include "core/data/file_bytes.h"
#include "core/data/file_names.h"
#include "core/units.h"
#include "json/calibration_json.h"
#include "register/registered_figures.h"

namespace mensuro {

IssueRequest IssueRequestOf(const ProcessedCalibration& calibration, const IssueInputs& inputs) {
  IssueRequest request;
  request.details = inputs.details;
  request.baseline = calibration.header.publishedSource;
  request.measuredText = calibration.measuredText;
  request.publishedText = calibration.publishedText;
  request.conditionsJson =
      JsonText(ConditionsJson(calibration.conditions, calibration.uncertainty));
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
  WriteCalibrationJson(results, calibration, inputs.input);
  request.resultsJson = std::move(results).str();
  request.results = RegisteredResultsOf(calibration);
  request.programVersion = inputs.programVersion;
  request.replaces = inputs.replaces;
  request.replaceReason = inputs.replaceReason;
  request.otherInstrument = inputs.otherInstrument;
  request.measurementDate = MeasurementDateOf(calibration).value_or("");
  for (const InputFile& file : calibration.origin.files) {
    request.files.push_back({file.role, file.name, {}, file.bytes});
  }
  return request;
}

std::filesystem::path LaboratorySettingsBeside(const std::string& location) {
  if (IsPostgresLocation(location)) {
    return {};
  }
  std::filesystem::path beside = PathFromUtf8(location).parent_path() / kLaboratorySettingsName;
  std::error_code status;
  return std::filesystem::exists(beside, status) ? beside : std::filesystem::path();
}

RegisterSettings SettingsOfFile(const LaboratorySettings& file) {
  RegisterSettings settings;
  if (!file.certificatePrefix.empty()) {
    settings.prefix = file.certificatePrefix;
  }
  settings.laboratory = file.laboratory;
  return settings;
}

CertificateDetails WithRegisterLaboratory(CalibrationRegister& reg,
                                          const CertificateDetails& details) {
  const std::optional<RegisterSettings> settings = reg.Settings();
  if (!settings) {
    return details;
  }
  CertificateDetails base;
  base.laboratory = settings->laboratory;
  return OverrideDetails(std::move(base), details);
}

IssuedCertificate IssueRecordFile(
    CalibrationRegister& reg, const CertificateDetails& details,
    const std::function<std::vector<IdentityPart>(const CertificateDetails&)>& missingOf,
    const std::function<IssueRequest(const CertificateDetails&)>& requestOf,
    const CertificateRenderer& renderPdf, const std::filesystem::path& file) {
  // The PDF made inside the register's transaction is the one written: the same bytes the
  // register keeps, so writing it again from the register gives the file the user has.
  std::string pdf;
  IssuedCertificate issued;
  try {
    const CertificateDetails withRegister = WithRegisterLaboratory(reg, details);
    issued.missing = missingOf(withRegister);
    if (!issued.missing.empty()) {
      issued.failure = "a numbered certificate needs " + MissingIdentityText(issued.missing, {});
      return issued;
    }
    issued.number = reg.Issue(requestOf(withRegister),
                              [&pdf, &renderPdf](const CertificateIdentity& identity) {
                                pdf = renderPdf(identity);
                                return pdf;
                              })
                        .identity.number;
  } catch (const RegisterRequestError& error) {
    issued.failure = error.what();
    return issued;
  } catch (const RegisterError& error) {
    issued.failure = error.what();
    issued.registerFault = true;
    return issued;
  } catch (const std::exception& error) {
    issued.failure = error.what();
    return issued;
  }
  std::string reason;
  if (WriteFileWith(
          file, [&pdf](const WriteBytes& write) { return write(pdf); }, reason) != 0) {
    issued.failure = reason.empty() ? "it can't be written" : reason;
  }
  return issued;
}

IssuedCertificate IssueCertificateFile(CalibrationRegister& reg,
                                       const ProcessedCalibration& calibration,
                                       const IssueInputs& inputs,
                                       const CertificateRenderer& renderPdf,
                                       const std::filesystem::path& file) {
  return IssueRecordFile(
      reg, inputs.details,
      [&calibration](const CertificateDetails& details) {
        return MissingIdentity(details, calibration);
      },
      [&calibration, &inputs](const CertificateDetails& details) {
        IssueInputs withRegister = inputs;
        withRegister.details = details;
        return IssueRequestOf(calibration, withRegister);
      },
      renderPdf, file);
}

}  // namespace mensuro
