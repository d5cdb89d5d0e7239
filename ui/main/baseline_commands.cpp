// The main window's part in the Baseline Calibration window: the certificate of a baseline,
// written with the certificate details and the register the main window holds.

#include <fmt/format.h>

#include <QStringList>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/baseline/baseline_warnings.h"
#include "core/data/file_bytes.h"
#include "core/data/visible_text.h"
#include "documents/baseline_certificate.h"
#include "register/baseline_issue.h"
#include "resources/version_info.h"
#include "ui/baseline/baseline_window.h"
#include "ui/certificate/certificate_details_dialog.h"
#include "ui/certificate/remembered_certificate_details.h"
#include "ui/common/control_text.h"
#include "ui/common/dialog_services.h"
#include "ui/common/open_files.h"
#include "ui/main/main_dialog.h"

namespace mensuro {
namespace {

const QString kCertificateFilter = QStringLiteral("PDF certificate (*.pdf)|*.pdf||");

// The question asked before a certificate is written while warnings hold it back.
QString WarningQuestion(const std::vector<std::string>& warnings) {
  QString text = QStringLiteral("The certificate is held back:\n");
  for (const std::string& warning : warnings) {
    text += FieldFromBytes(VisibleText(fmt::format("\n{}.", warning)));
  }
  return text + QStringLiteral(
                    "\n\nMend the survey or leave the outliers out with a reason, or issue the "
                    "certificate with these warnings listed on it.\n\nIssue the certificate "
                    "with the warnings listed?");
}

// The survey's file as the register keeps it: its name without folders and its bytes.
std::vector<RecordFile> SurveyFiles(const std::string& fileName) {
  const std::filesystem::path path = PathFromText(FieldFromBytes(fileName));
  std::string reason;
  std::optional<std::string> bytes = ReadFileBytes(path, reason);
  if (!bytes) {
    return {};  // read when opened: the record keeps the text as adjusted all the same
  }
  return {{"measured", BytesFromField(TextFromPath(path.filename())), {}, std::move(*bytes)}};
}

}  // namespace

std::optional<std::string> CVerantDlg::WriteBaselineCertificate(
    QWidget& owner, const BaselineToCertify& certified) {
  const BaselineCalibration& calibration = certified.calibration;
  if (const std::vector<std::string> warnings = BaselineCertificateWarnings(calibration);
      !warnings.empty() && !services_.AskYesNo(owner, WarningQuestion(warnings))) {
    return std::nullopt;
  }
  const std::optional<QString> fileName =
      services_.ChooseFile(owner, {.forSaving = true,
                                   .filter = kCertificateFilter,
                                   .defaultExtension = QStringLiteral("pdf"),
                                   .initialName = QStringLiteral("*.pdf")});
  if (!fileName) {
    return std::nullopt;
  }
  std::vector<NamedFile> open = OpenInputFiles();
  open.push_back(OpenFile("survey file", FieldFromBytes(certified.request.measuredFileName)));
  if (RefuseOpenFile(services_, owner, *fileName, open)) {
    return std::nullopt;
  }
  CertificateDetails shown;
  shown.laboratory = RememberedLaboratory();
  CCertificateDetailsDlg dialog(services_, shown, &owner);
  services_.RunModal(dialog);
  if (dialog.result() != QDialog::Accepted) {
    return std::nullopt;
  }
  const CertificateDetails& given = dialog.Details();
  RememberCertificateDetails(given);
  if (RefuseOpenFile(services_, owner, *fileName, {{"logo", given.laboratory.logoFile}}) ||
      !OpenRegisterOrDraft(owner)) {
    return std::nullopt;
  }
  const std::string& survey = certified.request.measuredText;
  if (!register_.IsOpen()) {
    QString reason;
    if (!SaveBaselineCertificate(*fileName, {calibration, certified.name, survey}, given, {},
                                 reason)) {
      services_.ShowMessage(owner, QStringLiteral("Could not write the file ") + *fileName +
                                       QStringLiteral(": ") + reason);
    }
    return std::nullopt;
  }
  QString problem;
  const std::optional<CertificateDetails> issuing = register_.DetailsToIssue(given, problem);
  if (!issuing) {
    services_.ShowMessage(owner, problem);
    return std::nullopt;
  }
  const BaselineIssueInputs inputs{*issuing,
                                   certified.name,
                                   ProgramVersion(),
                                   survey,
                                   certified.request.options.pillarOrder,
                                   SurveyFiles(certified.request.measuredFileName)};
  const auto pdfOf = [&](const CertificateIdentity& identity) {
    QString reason;
    std::optional<std::string> pdf = DrawBaselineCertificatePdf(
        {calibration, certified.name, survey}, *issuing, identity, reason);
    if (!pdf) {
      throw std::runtime_error(reason.toStdString());
    }
    return std::move(*pdf);
  };
  const IssuedCertificate issued =
      register_.IssueBaseline(calibration, inputs, pdfOf, PathFromText(*fileName));
  if (!issued.failure.empty()) {
    services_.ShowMessage(owner, QString::fromStdString(issued.failure));
  } else {
    services_.ShowMessage(owner, QStringLiteral("Certificate %1 is issued into the register and "
                                                "written to %2.")
                                     .arg(QString::fromStdString(issued.number), *fileName));
  }
  if (issued.number.empty()) {
    return std::nullopt;
  }
  return issued.number;
}

}  // namespace mensuro
