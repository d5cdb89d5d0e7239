#include "cli/register_issue.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "cli/certificate_details_options.h"
#include "cli/command_line.h"
#include "cli/terminal_output.h"
#include "core/data/file_bytes.h"
#include "core/data/file_names.h"
#include "register/calibration_issue.h"
#include "register/head_log.h"
#include "resources/version_info.h"

namespace mensuro::cli {
namespace {

// The certificate with `identity` drawn by the document module, as the register stores it.
std::string DrawnCertificatePdf(const IssueOrder& order, const ProcessedCalibration& calibration,
                                const DocumentModule& documents,
                                const CertificateIdentity& identity) {
  DrawnDocuments drawn =
      DrawDocuments(documents, calibration, MENSURO_NO_PLOT, &order.details, identity);
  if (!drawn.failure.empty()) {
    throw std::runtime_error(drawn.failure);
  }
  if (!drawn.certificate.bytes) {
    throw std::runtime_error("cannot write the certificate file '" + order.certificateFile +
                             "': " + drawn.certificate.failure);
  }
  return std::move(*drawn.certificate.bytes);
}

// Where a command line gives each part of the identity.
std::string OptionOf(IdentityPart part) {
  switch (part) {
    case IdentityPart::kLaboratoryName:
      return "--laboratory, or the register's settings";
    case IdentityPart::kClientName:
      return "--client";
    case IdentityPart::kInstrumentMake:
      return "--instrument-make";
    case IdentityPart::kInstrumentModel:
      return "--instrument-model";
    case IdentityPart::kInstrumentSerial:
      return "--instrument-serial";
    case IdentityPart::kMeasurementDate:
      return "a $ line of the measured file, or --date with a field file";
    case IdentityPart::kBaseline:
      return "--published or --baseline";
    case IdentityPart::kBaselineUncertainty:
      return "--baseline-uncertainty, or the library baseline's";
  }
  return {};
}

}  // namespace

std::string MissingIdentityMessage(const std::vector<IdentityPart>& missing) {
  return "no certificate issued: a numbered certificate needs " +
         MissingIdentityText(missing, OptionOf);
}

std::optional<IssueOrder> IssueOrderOf(const CommandLine& line, const CertificateDetails& details,
                                       std::string& problem) {
  std::optional<IssueOrder> order =
      IssueOrderOf(line.registerLocation, line.headLogFile, line.laboratorySettingsFile,
                   line.certificateFile, details, problem);
  if (order) {
    order->replaces = line.replaces;
    order->replaceReason = line.replaceReason;
    order->otherInstrument = line.otherInstrument;
  }
  return order;
}

std::optional<IssueOrder> IssueOrderOf(const std::string& location, const std::string& headLog,
                                       const std::string& laboratorySettingsFile,
                                       const std::string& certificateFile,
                                       const CertificateDetails& details, std::string& problem) {
  IssueOrder order;
  order.location = location;
  order.headLog = headLog;
  if (IsPostgresLocation(order.location) && HeadLogPath(order.location, order.headLog).empty()) {
    problem = std::string(
                  "issuing into a PostgreSQL register needs its head log: give --head-log "
                  "FILE or set ") +
              kHeadLogEnvironment;
    return std::nullopt;
  }
  order.certificateFile = certificateFile;
  const std::filesystem::path settingsFile = laboratorySettingsFile.empty()
                                                 ? LaboratorySettingsBeside(location)
                                                 : PathFromUtf8(laboratorySettingsFile);
  CertificateDetails base;
  if (!settingsFile.empty()) {
    std::optional<LaboratorySettings> settings = ReadLaboratorySettings(settingsFile, problem);
    if (!settings) {
      return std::nullopt;
    }
    order.seed = SettingsOfFile(*settings);
    base.laboratory = std::move(settings->laboratory);
    base.procedure = std::move(settings->procedure);
  }
  order.details = OverrideDetails(std::move(base), details);
  order.settingsFile = Utf8FromPath(settingsFile);
  return order;
}

int IssueFromCommandLine(const IssueOrder& order, const ProcessedCalibration& calibration,
                         const nlohmann::json& input, const DocumentModule& documents) {
  std::string number;
  return IssueWithOrder(
      order,
      [&](CalibrationRegister& reg, const IssueOrder& withRegister) {
        const IssueInputs inputs{withRegister.details, order.replaces,
                                 ProgramVersion(),     input,
                                 order.replaceReason,  order.otherInstrument};
        return IssueCertificateFile(
            reg, calibration, inputs,
            [&](const CertificateIdentity& identity) {
              return DrawnCertificatePdf(withRegister, calibration, documents, identity);
            },
            PathFromUtf8(order.certificateFile));
      },
      number);
}

int IssueWithOrder(const IssueOrder& order,
                   const std::function<IssuedCertificate(CalibrationRegister& reg,
                                                         const IssueOrder& withRegister)>& issue,
                   std::string& number) {
  IssuedCertificate issued;
  std::optional<HeadLine> head;
  try {
    CalibrationRegister reg = CalibrationRegister::Open(order.location, order.headLog);
    if (order.seed) {
      reg.AdoptSettings(*order.seed);
    }
    // The register's laboratory lines stand under the details' own, on the PDF as in the record.
    IssueOrder withRegister = order;
    withRegister.details = WithRegisterLaboratory(reg, order.details);
    issued = issue(reg, withRegister);
    if (!issued.number.empty()) {
      try {
        head = reg.Head().logged;
      } catch (const RegisterError&) {
        // Issued all the same; verify reads the head log again.
      }
    }
  } catch (const RegisterRequestError& error) {
    issued.failure = error.what();
  } catch (const RegisterError& error) {
    issued.failure = error.what();
    issued.registerFault = issued.number.empty();
  } catch (const std::exception& error) {
    issued.failure = error.what();
  }
  if (!issued.missing.empty()) {
    return Fail(kExitUsage, MissingIdentityMessage(issued.missing));
  }
  if (issued.number.empty()) {
    return Fail(issued.registerFault ? kExitRegister : kExitUsage,
                "no certificate issued: " + issued.failure);
  }
  if (!issued.failure.empty()) {
    return Fail(kExitUsage, "certificate " + issued.number + " is in the register, but the file '" +
                                order.certificateFile +
                                "' could not be written; write it with: mensuro-cli register "
                                "reissue " +
                                issued.number + " --certificate FILE");
  }
  number = issued.number;
  PrintErrorLine("mensuro-cli: issued certificate " + issued.number);
  if (head) {
    PrintErrorLine("mensuro-cli: the register's head is now " + HeadLineText(*head));
  }
  return kExitSuccess;
}

}  // namespace mensuro::cli
