#include "cli/register_issue.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "cli/certificate_details_options.h"
#include "cli/command_line.h"
#include "cli/terminal_output.h"
#include "core/data/file_bytes.h"
#include "core/data/file_names.h"
#include "register/calibration_issue.h"
#include "resources/version_info.h"

namespace mensuro::cli {
namespace {

std::string ProgramVersion() {
  const std::optional<VersionInfo> version = ReadVersionInfo();
  return version ? version->productName + " " + version->productVersion : std::string();
}

// The certificate with `identity` drawn by the document module into a file of its own beside
// the certificate file (named by the number, which no other issue holds), and read back.
std::string DrawnCertificatePdf(const IssueOrder& order, const ProcessedCalibration& calibration,
                                const DocumentWriter& documents,
                                const CertificateIdentity& identity) {
  const std::filesystem::path target = PathFromUtf8(order.certificateFile);
  std::filesystem::path drawn = target;
  drawn += "." + identity.number + ".part";
  DocumentFiles files;
  files.certificateFile = Utf8FromPath(drawn);
  files.details = order.details;
  files.identity = identity;
  if (const std::string failure = documents(calibration, files); !failure.empty()) {
    throw std::runtime_error(failure);
  }
  std::string reason;
  std::optional<std::string> bytes = ReadFileBytes(drawn, reason);
  std::error_code ignored;
  std::filesystem::remove(drawn, ignored);
  if (!bytes) {
    throw std::runtime_error("cannot read the certificate just written: " + reason);
  }
  return std::move(*bytes);
}

}  // namespace

std::optional<IssueOrder> IssueOrderOf(const CommandLine& line, const CertificateDetails& details,
                                       std::string& problem) {
  IssueOrder order;
  order.location = line.registerLocation;
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
    if (!settings->certificatePrefix.empty()) {
      order.settings.prefix = std::move(settings->certificatePrefix);
    }
  }
  order.details = OverrideDetails(std::move(base), details);
  order.settingsFile = Utf8FromPath(settingsFile);
  return order;
}

int IssueFromCommandLine(const IssueOrder& order, const ProcessedCalibration& calibration,
                         const nlohmann::json& input, const DocumentWriter& documents) {
  IssuedCertificate issued;
  try {
    CalibrationRegister reg = CalibrationRegister::Open(order.location, order.settings);
    issued = IssueCertificateFile(
        reg, calibration, {order.details, order.replaces, ProgramVersion(), input},
        [&](const CertificateIdentity& identity) {
          return DrawnCertificatePdf(order, calibration, documents, identity);
        },
        PathFromUtf8(order.certificateFile));
  } catch (const std::exception& error) {
    issued.failure = error.what();
  }
  if (issued.number.empty()) {
    return Fail(kExitUsage, "no certificate issued: " + issued.failure);
  }
  if (!issued.failure.empty()) {
    return Fail(kExitUsage, "certificate " + issued.number + " is in the register, but the file '" +
                                order.certificateFile +
                                "' could not be written; write it with: mensuro-cli register "
                                "reissue " +
                                issued.number + " --certificate FILE");
  }
  PrintErrorLine("mensuro-cli: issued certificate " + issued.number);
  return kExitSuccess;
}

}  // namespace mensuro::cli
