// The commands of the main window's bottom row: Process, Plot, report Save As, Help and About.

#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include <fmt/format.h>

#include "core/data/data_files.h"
#include "core/data/local_time.h"
#include "core/data/visible_text.h"
#include "core/equipment/applied_equipment.h"
#include "core/processing/processed_calibration.h"
#include "documents/calibration_certificate.h"
#include "documents/plot_export.h"
#include "resources/version_info.h"
#include "ui/certificate/certificate_details_dialog.h"
#include "ui/certificate/remembered_certificate_details.h"
#include "ui/common/control_text.h"
#include "ui/common/dialog_services.h"
#include "ui/common/equipment_choice.h"
#include "ui/common/h_list_box.h"
#include "ui/common/open_files.h"
#include "ui/common/remembered_conditions.h"
#include "ui/common/remembered_equipment.h"
#include "ui/main/about_box.h"
#include "ui/main/main_dialog.h"
#include "ui/plot/plot_window.h"
#include "ui/register/register_window.h"

namespace mensuro {
namespace {

constexpr std::string_view kHelpFileName = "MensuroHelp.pdf";
// Where the organisation's standards workspace keeps the help document, tried when the copy
// beside the program is missing.
constexpr std::string_view kHelpFallbackPath =
    R"(C:\HALVARD_V8_WORKSPACE\LOCATION_STDS\Standards\help\MensuroHelp.pdf)";

// Reports, and the certificate of the same calibration as a second type.
const QString kReportFilter = QStringLiteral(
    "Report Files (*.RPT)|*.RPT|Report Files (*.rpt)|*.txt|PDF certificate (*.pdf)|*.pdf|All Files "
    "(*.*)|*.*||");

enum class OpenResult { kOpened, kNotFound, kFailed };

// A missing document is told apart from one the desktop couldn't open, because only a missing
// one sends Help on to the fallback path.
OpenResult OpenDocument(DialogServices& services, const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    return OpenResult::kNotFound;
  }
  return services.OpenDocument(TextFromPath(path)) ? OpenResult::kOpened : OpenResult::kFailed;
}

// The question asked before a certificate is issued while something holds it back: the
// warnings and outliers (the first few of a long list), and what the user may do.
QString ObstacleQuestion(const CertificateObstacles& obstacles) {
  constexpr std::size_t kShown = 8;
  const std::vector<InputNotice>& warnings = obstacles.listed;
  const bool misread = obstacles.misread();
  QString text = misread && obstacles.outliers > 0
                     ? QStringLiteral(
                           "The input was probably misread, and the outlier test "
                           "finds an outlier:\n")
                 : misread ? QStringLiteral("The input was probably misread:\n")
                           : QStringLiteral("The outlier test finds an outlier:\n");
  for (std::size_t i = 0; i < warnings.size() && i < kShown; ++i) {
    const InputNotice& warning = warnings[i];
    text += FieldFromBytes(VisibleText(
        fmt::format("\n{}: {}", DescribeLocation(warning.where), warning.reason), "\n"));
  }
  const std::size_t more = warnings.size() + obstacles.unlisted;
  if (more > kShown) {
    text += QStringLiteral("\n... and %1 more").arg(more - kShown);
  }
  return text + QStringLiteral(
                    "\n\nMend the file or leave the lines out with a reason, or issue the "
                    "certificate with these warnings listed on it.\n\nIssue the certificate "
                    "with the warnings listed?");
}

// What the Certificate Details dialog opens with: the laboratory, and the instrument, reflector
// and client of the latest certificate, as remembered; the baseline's certificate as its library
// line states it.
CertificateDetails RememberedDetails(const std::string& libraryCertificate) {
  const std::vector<QString> serials = RememberedSerialNumbers();
  CertificateDetails shown;
  if (!serials.empty()) {
    shown = RememberedForSerial(serials.front()).value_or(CertificateDetails());
  }
  shown.laboratory = RememberedLaboratory();
  shown.baselineCertificate = libraryCertificate;
  return shown;
}

}  // namespace

void CVerantDlg::OnProcess() {
  ReadHeaderFromEdits();
  resultList_->ClearLines();

  std::string published = TextAreaBytes(*publishedText_);
  if (published.empty()) {
    FailProcess(QStringLiteral("No published baseline data found."));
    return;
  }
  std::string measured = TextAreaBytes(*measuredText_);
  if (measured.empty()) {
    FailProcess(QStringLiteral("No measured baseline data found."));
    return;
  }
  CalibrationOrigin origin = Origin(measured, published);
  const QString instrument = FieldFromBytes(header_.edmDescription);
  UncertaintyInputs conditions = ConditionsFor(instrument, header_.date, measured, published);
  const ProcessedCalibration& processed = calibration_.Process(
      header_, std::move(measured), std::move(published), std::move(conditions), std::move(origin));
  // The header lines of the measured text are the window's header from now on.
  header_ = processed.header;
  // A description in the text names the instrument whose conditions apply.
  if (const QString described = FieldFromBytes(header_.edmDescription); described != instrument) {
    calibration_.SetConditions(
        ConditionsFor(described, header_.date, processed.measuredText, processed.publishedText));
  }
  if (!processed.processed) {
    services_.ShowMessage(*this, calibration_.Failure());
    return;
  }
  saveReportAs_->setEnabled(true);
}

UncertaintyInputs CVerantDlg::ConditionsFor(const QString& instrument, const std::string& date,
                                            const std::string& measured,
                                            const std::string& published) {
  // Sensors correct a field file's readings: those the import applied are in the readings, and
  // no other sensor touched them.
  const ImportedText* import = ImportOf(measured);
  std::vector<AppliedEquipment> equipment;
  if (import != nullptr) {
    equipment = import->sensors;
  }
  QString problem;
  if (const std::optional<std::vector<EquipmentItem>> items = register_.Equipment(problem)) {
    for (AppliedEquipment& applied :
         ChosenEquipment(*items, RememberedEquipment(instrument), IsoDateOf(date).value_or(""))) {
      if (!IsSensor(applied.kind)) {
        equipment.push_back(std::move(applied));
      }
    }
  }
  UncertaintyInputs conditions = RememberedConditions(instrument);
  if (libraryPairs_ && libraryPairs_->text == published) {
    conditions.baselinePairs = libraryPairs_->pairs;
  }
  return WithEquipment(std::move(conditions), std::move(equipment),
                       import != nullptr ? import->meanReadings : std::nullopt);
}

const CVerantDlg::ImportedText* CVerantDlg::ImportOf(const std::string& measured) const {
  // An edit since the import makes the text one the reduction didn't give.
  return imported_ && imported_->text == measured ? &*imported_ : nullptr;
}

CalibrationOrigin CVerantDlg::Origin(const std::string& measured,
                                     const std::string& published) const {
  const ImportedText* import = ImportOf(measured);
  CalibrationOrigin origin = CalibrationOrigin::Of(
      publishedDistances_, import != nullptr ? std::optional(import->reduction) : std::nullopt);
  // A file is named only while the text is still the file's: an edit, even one undone by hand
  // to other bytes, names none.
  if (import != nullptr) {
    origin.files = import->files;
  } else if (measuredFile_ && measuredFile_->text == MeasuredFileText(measured)) {
    origin.files.push_back(measuredFile_->file);
  }
  if (publishedFile_ && publishedFile_->text == published) {
    origin.files.push_back(publishedFile_->file);
  }
  return origin;
}

void CVerantDlg::FailProcess(const QString& message) {
  calibration_.Refuse(message);
  services_.ShowMessage(*this, message);
}

void CVerantDlg::OnCalibrationChanged() {
  ShowNoticeSummary();
  // Leaving observations out in the plot window changes the report too.
  FillResultList();
}

void CVerantDlg::ShowNoticeSummary() {
  QStringList parts;
  const auto count = [&parts](std::size_t n, const char* one, const char* many) {
    if (n > 0) {
      parts.push_back(n == 1 ? QString::fromLatin1(one) : QString::fromLatin1(many).arg(n));
    }
  };
  count(calibration_.Notices().warnings, "1 warning", "%1 warnings");
  if (const ProcessedCalibration* calibration = calibration_.Calibration()) {
    count(static_cast<std::size_t>(calibration->outlierTest.outliers), "1 outlier", "%1 outliers");
    count(ExcludedObservationCount(calibration->exclusions), "1 observation left out",
          "%1 observations left out");
  }
  noticeSummary_->setText(parts.isEmpty()
                              ? QString()
                              : parts.join(QStringLiteral(", ")) + QStringLiteral(": see Plot"));
}

void CVerantDlg::OnPlot() {
  if (plotWindow_ == nullptr) {
    plotWindow_ = new CPlotWindow(services_, calibration_, this);
    plotWindow_->SetOpenFiles([this] { return OpenInputFiles(); });
    plotWindow_->SetEquipment([this] {
      QString problem;
      std::optional<std::vector<EquipmentItem>> items = register_.Equipment(problem);
      if (!problem.isEmpty()) {
        services_.ShowMessage(*plotWindow_, problem);
      }
      return items;
    });
    plotWindow_->SetMeanReadings([this](const ProcessedCalibration& calibration) {
      const ImportedText* import = ImportOf(calibration.measuredText);
      return import != nullptr ? import->meanReadings : std::nullopt;
    });
  }
  plotWindow_->show();
  plotWindow_->raise();
  plotWindow_->activateWindow();
}

void CVerantDlg::FillResultList() {
  resultList_->ClearLines();
  for (const std::string& line : ReportDisplayLines(calibration_.Report())) {
    resultList_->AddLine(FieldFromBytes(line));
  }
  resultList_->repaint();
}

void CVerantDlg::OnSaveReportAs() {
  const std::optional<QString> chosen = services_.ChooseFile(
      *this,
      {.forSaving = true,
       .filter = kReportFilter,
       .defaultExtension = QStringLiteral("rpt"),
       .initialName = QStringLiteral("*.rpt"),
       .filterExtensions = {QStringLiteral("rpt"), QStringLiteral("rpt"), QStringLiteral("pdf")}});
  if (!chosen || RefuseOpenFile(services_, *this, *chosen, OpenInputFiles())) {
    return;
  }
  if (PlotFileTypeOf(*chosen) == PlotFileType::kPdf) {
    SaveCertificateAs(*chosen);
    return;
  }
  if (WriteReportFile(PathFromText(*chosen), calibration_.Report()) != 0) {
    ShowCouldNotWrite(*chosen);
  }
}

std::vector<NamedFile> CVerantDlg::OpenInputFiles() const {
  std::vector<NamedFile> open = {OpenFile("measured file", measuredFileName_->text()),
                                 OpenFile("published file", publishedFileName_->text())};
  if (register_.IsOpen() && !IsPostgresLocation(register_.Location().toStdString())) {
    open.push_back(OpenFile("register", register_.Location()));
  }
  return open;
}

void CVerantDlg::SaveCertificateAs(const QString& fileName) {
  const ProcessedCalibration* calibration = calibration_.Calibration();
  if (calibration == nullptr) {
    services_.ShowMessage(*this, QStringLiteral("There is no calibration to certify: press "
                                                "Process first, then save the certificate."));
    return;
  }
  if (const CertificateObstacles obstacles = FindCertificateObstacles(*calibration);
      !obstacles.empty() && !services_.AskYesNo(*this, ObstacleQuestion(obstacles))) {
    return;
  }
  // Equipment not valid on the date of measurement is used only for a reason, which the
  // certificate then states.
  ProcessedCalibration accepted = *calibration;
  if (!AcceptInvalidEquipment(accepted)) {
    return;
  }
  calibration = &accepted;
  CertificateDetails shown = RememberedDetails(libraryCertificate_);
  CCertificateDetailsDlg details(services_, shown, this);
  services_.RunModal(details);
  if (details.result() != QDialog::Accepted) {
    return;
  }
  RememberCertificateDetails(details.Details());
  if (RefuseOpenFile(services_, *this, fileName,
                     {{"logo", details.Details().laboratory.logoFile}})) {
    return;
  }
  // The place is the library baseline's, which the dialog doesn't ask for.
  CertificateDetails certified = details.Details();
  certified.baselineSite = librarySite_;
  if (!OpenRegisterOrDraft(*this)) {
    return;
  }
  if (register_.IsOpen()) {
    IssueIntoRegister(*calibration, certified, fileName);
    return;
  }
  QString reason;
  if (!SaveCertificate(fileName, *calibration, certified, {}, reason)) {
    services_.ShowMessage(*this, QStringLiteral("Could not write the file ") + fileName +
                                     QStringLiteral(": ") + reason);
  }
}

bool CVerantDlg::OpenRegisterOrDraft(QWidget& owner) {
  if (register_.IsOpen()) {
    return true;
  }
  const QString location = RegisterLocation();
  switch (services_.AskIssueOrDraft(
      owner, QStringLiteral("No register is open. Issue the certificate into the register %1, "
                            "where it gets its number, or save a draft marked \"DRAFT: not "
                            "registered\" on every page?")
                 .arg(location))) {
    case IssueChoice::kCancel:
      return false;
    case IssueChoice::kDraft:
      return true;
    case IssueChoice::kIssue:
      if (const QString failure = register_.Open(location); !failure.isEmpty()) {
        services_.ShowMessage(owner, QStringLiteral("Could not open the register ") + location +
                                         QStringLiteral(": ") + failure);
        return false;
      }
      return true;
  }
  return false;
}

bool CVerantDlg::AcceptInvalidEquipment(ProcessedCalibration& calibration) {
  const std::string date = IsoDateOf(calibration.header.date).value_or("");
  for (AppliedEquipment& applied : calibration.conditions.equipment) {
    const EquipmentItem item{.kind = applied.kind,
                             .make = applied.make,
                             .model = applied.model,
                             .serial = applied.serial,
                             .certificates = {applied.certificate},
                             .retiredOn = {},
                             .retireReason = {}};
    const CertificateOnDate on = CertificateOn(item, date);
    if (on.validity == EquipmentValidity::kValid) {
      continue;
    }
    const std::string invalidity = InvalidityText(item, on, date);
    const std::optional<QString> reason = services_.AskText(
        *this, QStringLiteral("Equipment Not Valid"),
        QStringLiteral("The certificate can't state this equipment as it is: %1. Give the reason "
                       "to use it anyway, which the certificate will state, or cancel.")
            .arg(QString::fromStdString(invalidity)));
    if (!reason || reason->trimmed().isEmpty()) {
      return false;
    }
    applied.acceptedReason = reason->trimmed().toStdString();
  }
  return true;
}

void CVerantDlg::IssueIntoRegister(const ProcessedCalibration& calibration,
                                   const CertificateDetails& given, const QString& fileName) {
  QString problem;
  const std::optional<CertificateDetails> issuing = register_.DetailsToIssue(given, problem);
  if (!issuing) {
    services_.ShowMessage(*this, problem);
    return;
  }
  const CertificateDetails& details = *issuing;
  const auto pdfOf = [&](const CertificateIdentity& identity) {
    QString reason;
    std::optional<std::string> pdf = DrawCertificatePdf(calibration, details, identity, reason);
    if (!pdf) {
      throw std::runtime_error(reason.toStdString());
    }
    return std::move(*pdf);
  };
  const IssuedCertificate issued =
      register_.Issue(calibration, details, ProgramVersion(), pdfOf, PathFromText(fileName));
  if (!issued.failure.empty()) {
    services_.ShowMessage(*this, QString::fromStdString(issued.failure));
  } else {
    services_.ShowMessage(*this, QStringLiteral("Certificate %1 is issued into the register and "
                                                "written to %2.")
                                     .arg(QString::fromStdString(issued.number), fileName));
  }
}

void CVerantDlg::OnShowHelp() {
  const std::filesystem::path helpPath = LocateDataFile(executableDir_, kHelpFileName);
  switch (OpenDocument(services_, helpPath)) {
    case OpenResult::kOpened:
      return;
    case OpenResult::kNotFound: {
      const std::filesystem::path fallback{std::string(kHelpFallbackPath)};
      if (OpenDocument(services_, fallback) != OpenResult::kOpened) {
        services_.ShowMessage(*this, QStringLiteral("Error displaying: ") + TextFromPath(fallback));
      }
      return;
    }
    case OpenResult::kFailed:
      // A desktop without a PDF viewer still gets the guide, in a window of ours.
      if (!services_.ShowDocumentInViewer(*this, TextFromPath(helpPath))) {
        services_.ShowMessage(*this, QStringLiteral("Error displaying: ") + TextFromPath(helpPath));
      }
      return;
  }
}

void CVerantDlg::OnAbout() {
  CDlgAbout about(executableDir_, ProgramVersionStrings(), this);
  services_.RunModal(about);
}

}  // namespace mensuro
