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

}  // namespace

std::optional<IssueOrder> IssueOrderOf(const CommandLine& line, const CertificateDetails& details,
                                       std::string& problem) {
  IssueOrder order;
  order.location = line.registerLocation;
  order.headLog = line.headLogFile;
  if (IsPostgresLocation(order.location) && HeadLogPath(order.location, order.headLog).empty()) {
    problem = std::string(
                  "issuing into a PostgreSQL register needs its head log: give --head-log "
                  "FILE or set ") +
              kHeadLogEnvironment;
    return std::nullopt;
  }
  order.replaces = line.replaces;
  order.certificateFile = line.certificateFile;
  std::filesystem::path settingsFile = PathFromUtf8(line.laboratorySettingsFile);
  if (settingsFile.empty() && !IsPostgresLocation(line.registerLocation)) {
    const std::filesystem::path beside =
        PathFromUtf8(line.registerLocation).parent_path() / kLaboratorySettingsName;
    if (std::error_code status; std::filesystem::exists(beside, status)) {
      settingsFile = beside;
    }
  }
  CertificateDetails base;
  if (!settingsFile.empty()) {
    std::optional<LaboratorySettings> settings = ReadLaboratorySettings(settingsFile, problem);
    if (!settings) {
      return std::nullopt;
    }
    base.laboratory = std::move(settings->laboratory);
    base.procedure = std::move(settings->procedure);
    if (!settings->certificatePrefix.empty()) {
      order.settings.prefix = std::move(settings->certificatePrefix);
    }
  }
  order.details = OverrideDetails(std::move(base), details);
  order.settingsFile = Utf8FromPath(settingsFile);
  return order;
}

int IssueFromCommandLine(const IssueOrder& order, const ProcessedCalibration& calibration,
                         const nlohmann::json& input, const DocumentModule& documents) {
  IssuedCertificate issued;
  std::optional<HeadLine> head;
  try {
    CalibrationRegister reg =
        CalibrationRegister::Open(order.location, order.settings, order.headLog);
    issued = IssueCertificateFile(
        reg, calibration, {order.details, order.replaces, ProgramVersion(), input},
        [&](const CertificateIdentity& identity) {
          return DrawnCertificatePdf(order, calibration, documents, identity);
        },
        PathFromUtf8(order.certificateFile));
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
  PrintErrorLine("mensuro-cli: issued certificate " + issued.number);
  if (head) {
    PrintErrorLine("mensuro-cli: the register's head is now " + HeadLineText(*head));
  }
  return kExitSuccess;
}

}  // namespace mensuro::cli
