#include "cli/baseline_certificate_options.h"

#include <fmt/format.h>

#include <utility>

#include "cli/command_line.h"
#include "cli/terminal_output.h"
#include "core/baseline/baseline_warnings.h"
#include "core/data/file_bytes.h"
#include "core/data/file_names.h"
#include "core/data/visible_text.h"
#include "register/baseline_issue.h"
#include "register/head_log.h"
#include "resources/version_info.h"

namespace mensuro::cli {
namespace {

// The certificate with `identity` drawn by the document module; throws with the reason when it
// can't be, inside the register's transaction so that nothing is issued.
std::string DrawnPdf(const BaselineCertificateOrder& order, const CertificateDetails& details,
                     const BaselineCalibration& calibration, const BaselineSurvey& survey,
                     const CertificateIdentity& identity) {
  DrawnDocument drawn = DrawBaselineCertificate(order.documents, calibration, survey.name,
                                                survey.measuredText, details, identity);
  if (!drawn.bytes) {
    throw std::runtime_error(drawn.failure);
  }
  return std::move(*drawn.bytes);
}

// The survey's file as the register keeps it: its name without folders and its bytes as given.
std::vector<RecordFile> SurveyFiles(const BaselineSurvey& survey) {
  std::string reason;
  const std::filesystem::path path = PathFromUtf8(survey.measuredFile);
  std::optional<std::string> bytes = ReadFileBytes(path, reason);
  if (!bytes) {
    return {};  // read a moment ago: the record keeps the text as adjusted all the same
  }
  return {{survey.reduced ? "field" : "measured",
           Utf8FromPath(path.filename()),
           {},
           std::move(*bytes)}};
}

}  // namespace

void AddBaselineCertificateOptions(CLI::App& command, BaselineCertificateOptions& options) {
  std::vector<CLI::Option*> added = {
      command
          .add_option("--certificate", options.certificateFile,
                      "Also write the PDF baseline calibration certificate to this file: a draft "
                      "without --register")
          ->type_name("FILE.pdf"),
      command
          .add_option("--register", options.registerLocation,
                      "Issue the certificate into this register (an SQLite file, created on first "
                      "use, or a postgresql:// URI): numbered, stored with the survey, its results "
                      "and PDF as a baseline's record, and written to the --certificate file once "
                      "stored")
          ->type_name("REGISTER"),
      command
          .add_option("--head-log", options.headLogFile,
                      "A PostgreSQL register's head log (default: the environment variable "
                      "MENSURO_HEAD_LOG; an SQLite register's is REGISTER.heads beside it)")
          ->type_name("FILE"),
      command
          .add_option("--laboratory-settings", options.laboratorySettingsFile,
                      "The laboratory's own lines and the certificate numbers' prefix, for a "
                      "register that holds no settings yet (default: mensuro-laboratory.json "
                      "beside an SQLite register, when there); a register keeps its own")
          ->type_name("FILE.json"),
      command.add_flag("--accept-warnings", options.acceptWarnings,
                       "Write the certificate although the variance test fails or an observation "
                       "is an outlier; the certificate lists them"),
  };
  for (CLI::Option* option : added) {
    option->group("Certificate");
  }
  // The client is the baseline's owner, the instrument the reference instrument.
  AddCertificateDetailsOptions(command, options.details);
}

std::string BaselineCertificateOptionsProblem(const BaselineCertificateOptions& options) {
  if (options.certificateFile.empty()) {
    if (!options.registerLocation.empty()) {
      return "--register issues the certificate: give --certificate FILE.pdf too";
    }
    if (CertificateDetailsGiven(options.details)) {
      return "--details and the certificate's details (--laboratory, --client, --instrument-serial "
             "and the like) are used only with --certificate";
    }
    if (options.acceptWarnings) {
      return "--accept-warnings is used only with --certificate";
    }
    return {};
  }
  if (LowerExtension(options.certificateFile) != ".pdf") {
    return "--certificate needs a file name ending in .pdf";
  }
  if (!options.headLogFile.empty() && options.registerLocation.empty()) {
    return "--head-log is used only with --register";
  }
  return {};
}

int ReadBaselineCertificateOrder(const BaselineCertificateOptions& options, const char* argv0,
                                 std::optional<BaselineCertificateOrder>& order) {
  if (options.certificateFile.empty()) {
    return kExitSuccess;
  }
  std::string problem;
  std::optional<CertificateDetails> details =
      GatherCertificateDetails(options.details, {}, problem);
  if (!details) {
    return Fail(kExitUsage, problem);
  }
  std::optional<IssueOrder> issue;
  if (!options.registerLocation.empty()) {
    issue =
        IssueOrderOf(options.registerLocation, options.headLogFile, options.laboratorySettingsFile,
                     options.certificateFile, *details, problem);
    if (!issue) {
      return Fail(kExitUsage, problem);
    }
  }
  // Loaded before anything is written: without it the run fails at once.
  std::string reason;
  std::optional<DocumentModule> documents = LoadDocumentModule(argv0, reason);
  if (!documents) {
    return Fail(kExitUsage, reason);
  }
  order = BaselineCertificateOrder{std::move(*documents), std::move(*details), std::move(issue)};
  return kExitSuccess;
}

std::vector<NamedFile> BaselineCertificateOutputs(const BaselineCertificateOptions& options) {
  return {{"certificate file", options.certificateFile}};
}

std::vector<NamedFile> BaselineCertificateInputs(const BaselineCertificateOptions& options) {
  const std::string& location = options.registerLocation;
  return {
      {"details file", options.details.detailsFile},
      {"laboratory settings file", options.laboratorySettingsFile},
      {"register", IsPostgresLocation(location) ? std::string() : location},
      {"head log", location.empty() ? std::string()
                                    : Utf8FromPath(HeadLogPath(location, options.headLogFile))}};
}

bool BaselineCertificateWithheld(const BaselineCertificateOptions& options,
                                 const BaselineCalibration& calibration) {
  return !options.certificateFile.empty() && !options.acceptWarnings &&
         !BaselineCertificateWarnings(calibration).empty();
}

int RefuseBaselineCertificate(const BaselineCalibration& calibration) {
  for (const std::string& warning : BaselineCertificateWarnings(calibration)) {
    PrintErrorLine(VisibleText("mensuro-cli: no certificate: " + warning));
  }
  return Fail(kExitProcessingFailed,
              "mend the survey or leave an outlier out with --exclude-line N:REASON, or give "
              "--accept-warnings to issue the certificate with them listed; nothing was written");
}

int WriteBaselineCertificate(const BaselineCertificateOptions& options,
                             const BaselineCertificateOrder& order,
                             const BaselineCalibration& calibration, const BaselineSurvey& survey,
                             const std::vector<std::string>& pillarOrder, std::string& number) {
  if (!order.issue) {
    return WriteDrawnDocument("certificate", options.certificateFile,
                              DrawBaselineCertificate(order.documents, calibration, survey.name,
                                                      survey.measuredText, order.details, {}));
  }
  const std::vector<RecordFile> files = SurveyFiles(survey);
  return IssueWithOrder(
      *order.issue,
      [&](CalibrationRegister& reg, const IssueOrder& withRegister) {
        const BaselineIssueInputs inputs{withRegister.details, survey.name, ProgramVersion(),
                                         survey.measuredText,  pillarOrder, files};
        return IssueBaselineCertificateFile(
            reg, calibration, inputs,
            [&](const CertificateIdentity& identity) {
              return DrawnPdf(order, withRegister.details, calibration, survey, identity);
            },
            PathFromUtf8(options.certificateFile));
      },
      number);
}

}  // namespace mensuro::cli
