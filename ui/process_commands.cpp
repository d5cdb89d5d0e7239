// The commands of the main window's bottom row: Process, Plot, report Save As, Help and About.

#include <QPlainTextEdit>
#include <QPushButton>
#include <string>
#include <utility>

#include "core/data/data_files.h"
#include "core/data/project_processing.h"
#include "documents/calibration_certificate.h"
#include "documents/plot_export.h"
#include "resources/version_info.h"
#include "ui/about_box.h"
#include "ui/control_text.h"
#include "ui/dialog_services.h"
#include "ui/h_list_box.h"
#include "ui/main_dialog.h"
#include "ui/plot_window.h"
#include "ui/remembered_conditions.h"

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

}  // namespace

void CVerantDlg::OnProcess() {
  ReadHeaderFromEdits();
  ClearReport(report_);
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

  ProcessedCalibration calibration;
  std::string message;
  if (ProcessProject(report_, header_, measured, published, message, calibration.run) != 0) {
    FailProcess(FieldFromBytes(message), std::move(calibration.run.notices));
    return;
  }
  FillResultList();
  saveReportAs_->setEnabled(true);
  calibration.header = header_;
  calibration.measuredText = std::move(measured);
  calibration.publishedText = std::move(published);
  calibration.conditions = RememberedConditions();
  InputNotices notices = calibration.run.notices;
  KeepCalibration(std::move(calibration), QString(), std::move(notices));
}

void CVerantDlg::FailProcess(const QString& message, InputNotices notices) {
  KeepCalibration(std::nullopt, message, std::move(notices));
  services_.ShowMessage(*this, message);
}

void CVerantDlg::KeepCalibration(std::optional<ProcessedCalibration> calibration,
                                 const QString& failure, InputNotices notices) {
  calibration_ = std::move(calibration);
  processFailure_ = failure;
  notices_ = std::move(notices);
  ShowNoticeSummary();
  emit CalibrationChanged();
}

void CVerantDlg::ShowNoticeSummary() {
  const std::size_t warnings = notices_.warnings;
  noticeSummary_->setText(warnings == 0   ? QString()
                          : warnings == 1 ? QStringLiteral("1 warning: see Plot")
                                          : QStringLiteral("%1 warnings: see Plot").arg(warnings));
}

void CVerantDlg::OnPlot() {
  if (!plotWindow_) {
    plotWindow_ = new CPlotWindow(services_, this);
    connect(this, &CVerantDlg::CalibrationChanged, plotWindow_,
            [this] { plotWindow_->ShowCalibration(calibration_, processFailure_, notices_); });
    connect(plotWindow_, &CPlotWindow::ConditionsChanged, this, &CVerantDlg::OnConditionsChanged);
    if (calibration_ || !processFailure_.isEmpty()) {
      plotWindow_->ShowCalibration(calibration_, processFailure_, notices_);
    }
  }
  plotWindow_->show();
  plotWindow_->raise();
  plotWindow_->activateWindow();
}

void CVerantDlg::OnConditionsChanged(const UncertaintyInputs& conditions) {
  // A failed Process has no calibration to take them; the next Process will.
  if (calibration_) {
    calibration_->conditions = conditions;
    plotWindow_->ShowCalibration(calibration_, processFailure_, notices_);
  }
}

void CVerantDlg::FillResultList() {
  resultList_->ClearLines();
  for (const std::string& line : ReportDisplayLines(report_)) {
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
  if (!chosen) {
    return;
  }
  if (PlotFileTypeOf(*chosen) == PlotFileType::kPdf) {
    SaveCertificateAs(*chosen);
    return;
  }
  if (WriteReportFile(PathFromText(*chosen), report_) != 0) {
    ShowCouldNotWrite(*chosen);
  }
}

void CVerantDlg::SaveCertificateAs(const QString& fileName) {
  if (!calibration_) {
    services_.ShowMessage(*this, QStringLiteral("There is no calibration to certify: press "
                                                "Process first, then save the certificate."));
    return;
  }
  QString reason;
  if (!SaveCertificate(fileName, *calibration_, reason)) {
    services_.ShowMessage(*this, QStringLiteral("Could not write the file ") + fileName +
                                     QStringLiteral(": ") + reason);
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
