// The commands of the main window's bottom row: Process, report Save As, Help and About.

#include <QPlainTextEdit>
#include <QPushButton>
#include <string>

#include "core/data/data_files.h"
#include "core/data/project_processing.h"
#include "resources/version_info.h"
#include "ui/about_box.h"
#include "ui/control_text.h"
#include "ui/dialog_services.h"
#include "ui/h_list_box.h"
#include "ui/main_dialog.h"

namespace mensuro {
namespace {

constexpr std::string_view kHelpFileName = "MensuroHelp.pdf";
// Where the organisation's standards workspace keeps the help document, tried when the copy
// beside the program is missing.
constexpr std::string_view kHelpFallbackPath =
    R"(C:\HALVARD_V8_WORKSPACE\LOCATION_STDS\Standards\help\MensuroHelp.pdf)";

const QString kReportFilter =
    QStringLiteral("Report Files (*.RPT)|*.RPT|Report Files (*.rpt)|*.txt|All Files (*.*)|*.*||");

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

  const std::string published = TextAreaBytes(*publishedText_);
  if (published.empty()) {
    services_.ShowMessage(*this, QStringLiteral("No published baseline data found."));
    return;
  }
  const std::string measured = TextAreaBytes(*measuredText_);
  if (measured.empty()) {
    services_.ShowMessage(*this, QStringLiteral("No measured baseline data found."));
    return;
  }

  std::string message;
  if (ProcessProject(report_, header_, measured, published, message) != 0) {
    services_.ShowMessage(*this, FieldFromBytes(message));
    return;
  }
  FillResultList();
  saveReportAs_->setEnabled(true);
}

void CVerantDlg::FillResultList() {
  resultList_->ClearLines();
  for (const std::string& line : ReportDisplayLines(report_)) {
    resultList_->AddLine(FieldFromBytes(line));
  }
  resultList_->repaint();
}

void CVerantDlg::OnSaveReportAs() {
  const std::optional<QString> chosen =
      services_.ChooseFile(*this, {.forSaving = true,
                                   .filter = kReportFilter,
                                   .defaultExtension = QStringLiteral("rpt"),
                                   .initialName = QStringLiteral("*.rpt")});
  if (!chosen) {
    return;
  }
  if (WriteReportFile(PathFromText(*chosen), report_) != 0) {
    ShowCouldNotWrite(*chosen);
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
      services_.ShowMessage(*this, QStringLiteral("Error displaying: ") + TextFromPath(helpPath));
      return;
  }
}

void CVerantDlg::OnAbout() {
  CDlgAbout about(executableDir_, ProgramVersionStrings(), this);
  services_.RunModal(about);
}

}  // namespace mensuro
