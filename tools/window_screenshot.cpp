// Draws the main window after a Process of the bundled example into a PNG, for the README; with
// two more arguments the plot window into a PNG and the certificate into a PDF; and with two
// more the Import Field Observations dialog of a field file on the library's seven-pillar line;
// and with two more the Columns of the Field File dialog of a data collector's export; and with
// one more the Certificate Details dialog the certificate was written with; and with one more
// the register window on a register made on the fly, the example issued in it; and with two more
// the Baseline Calibration window on a baseline survey:
//   mensuro-screenshot MEASURED_FILE PUBLISHED_FILE WINDOW_PNG [PLOT_PNG CERTIFICATE_PDF
//                      [FIELD_CSV IMPORT_PNG [EXPORT_FILE COLUMNS_PNG [DETAILS_PNG
//                      [REGISTER_PNG [BASELINE_SURVEY BASELINE_PNG]]]]]]
// Runs on any Qt platform, the offscreen one included, with example calibration conditions and
// certificate details in settings of their own.

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <utility>

#include "core/data/data_files.h"
#include "core/data/file_bytes.h"
#include "core/data/text_file.h"
#include "core/reduction/field_columns.h"
#include "core/reduction/field_observations.h"
#include "documents/calibration_certificate.h"
#include "documents/document_fonts.h"
#include "register/calibration_issue.h"
#include "resources/control_ids.h"
#include "ui/baseline/baseline_window.h"
#include "ui/certificate/certificate_details_dialog.h"
#include "ui/certificate/remembered_certificate_details.h"
#include "ui/common/control_text.h"
#include "ui/common/qt_dialog_services.h"
#include "ui/common/remembered_conditions.h"
#include "ui/import/field_columns_dialog.h"
#include "ui/import/field_import_dialog.h"
#include "ui/main/main_dialog.h"
#include "ui/plot/plot_window.h"
#include "ui/register/register_location.h"
#include "ui/register/register_window.h"

namespace {

using namespace mensuro;

std::string Read(const char* path) {
  std::string reason;
  const std::optional<std::string> bytes = ReadFileBytes(path, reason);
  if (!bytes) {
    std::fprintf(stderr, "mensuro-screenshot: %s: %s\n", path, reason.c_str());
    std::exit(1);
  }
  return *bytes;
}

void SetField(const CVerantDlg& dialog, int id, const std::string& text) {
  qobject_cast<QLineEdit*>(dialog.Control(id))->setText(FieldFromBytes(text));
}

// The import dialog of the field file at `fieldPath`, filled in for the example instrument.
bool DrawImportDialog(QtDialogServices& services, const char* fieldPath, const char* png) {
  FieldFileError error;
  const std::optional<FieldObservations> observations =
      ReadFieldObservations(Read(fieldPath), error);
  if (!observations) {
    std::fprintf(stderr, "mensuro-screenshot: %s\n", FieldFileErrorText(fieldPath, error).c_str());
    return false;
  }
  CFieldImportDlg import(services,
                         {QString::fromLocal8Bit(fieldPath),
                          *observations,
                          BaselineLibraryPath(PathFromText(QCoreApplication::applicationDirPath())),
                          std::string("Example seven-pillar line 600 m"),
                          {.date = {},
                           .time = {},
                           .comment = {},
                           .edmDescription = QStringLiteral("Total station 2 mm + 2 ppm"),
                           .constantError = QStringLiteral("2.00"),
                           .ppmError = QStringLiteral("2.00")},
                          QString()},
                         nullptr);
  import.ShowCarrier(EdmCarrier{0.658, ReferenceAtmosphere { 12.0, 1013.25, 60.0 }});
  import.show();
  QApplication::processEvents();
  return import.grab().save(QString::fromLocal8Bit(png));
}

// The column step of the export at `exportPath`, preset from the names it gives.
bool DrawColumnsDialog(const char* exportPath, const char* png) {
  FieldFileError error;
  const std::optional<FieldTable> table = ReadFieldTable(Read(exportPath), error);
  const std::optional<FieldColumnMap> map = table ? MatchFieldColumns(*table, error) : std::nullopt;
  if (!map) {
    std::fprintf(stderr, "mensuro-screenshot: %s\n", FieldFileErrorText(exportPath, error).c_str());
    return false;
  }
  CFieldColumnsDlg columns(*table, *map, nullptr);
  columns.show();
  QApplication::processEvents();
  return columns.grab().save(QString::fromLocal8Bit(png));
}

// The example laboratory, client, instrument and reflector, as examples/certificate-details.json
// gives them.
CertificateDetails ExampleDetails() {
  CertificateDetails details;
  details.laboratory = {"Northfield Survey Calibration Laboratory",
                        "12 Station Road\nNorthfield NF4 2QT",
                        "National Accreditation Service, laboratory no. 0412", ""};
  details.client = {"Harbour Engineering Surveys Ltd", "Unit 3, Quay Street\nPortlow PL1 8EX"};
  details.instrument = {"Geodimetric", "TS 16", "1864207"};
  details.reflector = {"Geodimetric", "Circular prism GPR1", -17.5};
  details.measuredBy = "A. Surveyor";
  details.checkedBy = "B. Checker";
  details.baselineCertificate = "State Survey Office, certificate SSO-2026-118 of 2026-03-14";
  return details;
}

// The Certificate Details dialog as it opens for the example instrument.
bool DrawDetailsDialog(QtDialogServices& services, const CertificateDetails& details,
                       const char* png) {
  CCertificateDetailsDlg dialog(services, details, nullptr);
  dialog.show();
  QApplication::processEvents();
  return dialog.grab().save(QString::fromLocal8Bit(png));
}

// Noon (UTC) of the day `date` (YYYY-MM-DD), a moment of issue.
std::time_t NoonOf(const std::string& date) {
  const std::chrono::year_month_day day{std::chrono::year(std::stoi(date.substr(0, 4))),
                                        std::chrono::month(std::stoul(date.substr(5, 2))),
                                        std::chrono::day(std::stoul(date.substr(8, 2)))};
  return std::chrono::system_clock::to_time_t(std::chrono::sys_days(day) + std::chrono::hours(12));
}

// The register window on a register in `folder`: the example issued as this year's calibration
// of its instrument after two earlier ones, and another client's instrument.
bool DrawRegisterWindow(CVerantDlg& dialog, const ProcessedCalibration& calibration,
                        const QString& folder, const char* png) {
  const QString location = folder + QStringLiteral("/register.sqlite");
  RememberRegisterLocation(location);
  const auto pdfOf = [](const CertificateIdentity& identity) {
    return "%PDF-1.7\n% " + identity.number + "\n";
  };
  CertificateDetails details;
  details.laboratory.name = "Kellerby Survey Laboratory";
  details.client.name = "Fenwick & Daughters";
  details.instrument = {"Halvard", "TS 2", "318447"};
  const IssueRequest example =
      IssueRequestOf(calibration, {details, "", "Mensuro", nlohmann::json::object(), {}, false});
  CertificateDetails other = details;
  other.client.name = "Northmoor County Council";
  other.instrument = {"Halvard", "TS 5", "402210"};
  try {
    CalibrationRegister reg = CalibrationRegister::Open(location.toStdString());
    IssueRequest earlier = example;
    earlier.results.constantM = example.results.constantM - 0.0009;
    earlier.results.scalePpm = example.results.scalePpm + 0.9;
    earlier.measurementDate = "2024-03-08";
    reg.Issue(earlier, pdfOf, NoonOf("2024-03-12"));
    IssueRequest another =
        IssueRequestOf(calibration, {other, "", "Mensuro", nlohmann::json::object(), {}, false});
    another.measurementDate = "2025-02-17";
    reg.Issue(another, pdfOf, NoonOf("2025-02-20"));
    earlier.results.constantM = example.results.constantM - 0.0007;
    earlier.results.scalePpm = example.results.scalePpm + 0.4;
    earlier.measurementDate = "2025-03-14";
    reg.Issue(earlier, pdfOf, NoonOf("2025-03-18"));
    reg.Issue(example, pdfOf, NoonOf("2026-03-10"));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "mensuro-screenshot: %s\n", error.what());
    return false;
  }
  qobject_cast<QPushButton*>(dialog.Control(kIdRegister))->click();
  CRegisterWindow* window = dialog.RegisterWindow();
  if (window == nullptr) {
    return false;
  }
  window->Select("MEN-2026-0001");
  QApplication::processEvents();
  return window->grab().save(QString::fromLocal8Bit(png));
}

// The Baseline Calibration window after a Process of the survey at `surveyPath`, its reference
// instrument's scale as the example survey's comment states it.
bool DrawBaselineWindow(CVerantDlg& dialog, const char* surveyPath, const char* png) {
  dialog.OnBaseline();
  CBaselineWindow* window = dialog.BaselineWindow();
  window->OpenSurvey(QString::fromLocal8Bit(surveyPath));
  for (const auto& [name, text] :
       {std::pair{"baselineName", "Seven-pillar line"}, std::pair{"scalePpm", "0.8"},
        std::pair{"scaleUncertainty", "0.5"}}) {
    window->findChild<QLineEdit*>(QString::fromLatin1(name))->setText(QString::fromLatin1(text));
  }
  window->OnProcess();
  QApplication::processEvents();
  return window->Calibration().has_value() && window->grab().save(QString::fromLocal8Bit(png));
}

// The window after a Process of the example in `measuredPath` against `publishedPath`, the
// instrument's calibration conditions remembered under the description the example gives it.
void ProcessExample(CVerantDlg& dialog, const char* measuredPath, const char* publishedPath) {
  qobject_cast<QRadioButton*>(dialog.Control(kIdFromFile))->click();
  SetField(dialog, kIdPublishedFileName, publishedPath);
  SetField(dialog, kIdMeasuredFileName, measuredPath);

  // As opening the two files in the window does: header lines to the header fields, the rest to
  // the texts.
  dialog.LoadPublishedFile(SplitFileLines(Read(publishedPath)));
  dialog.LoadMeasuredFile(SplitFileLines(Read(measuredPath)));
  UncertaintyInputs conditions;
  conditions.baseline = BaselineUncertainty{{0.3, 1.5}, 2.0, std::nullopt};
  conditions.sensors = SensorUncertainty{0.2, 0.5, 2.0};
  conditions.resolution = 0.1;
  conditions.acceptance = MmPlusPpm{2.0, 2.0};
  RememberConditions(FieldFromBytes(dialog.Header().edmDescription), conditions);
  dialog.show();
  qobject_cast<QPushButton*>(dialog.Control(kIdProcess))->click();
  QApplication::processEvents();
}

// `widget` as it shows, into the picture `png`; false, said on the error stream, when it can't be
// written.
bool SaveGrab(QWidget& widget, const char* png) {
  if (!widget.grab().save(QString::fromLocal8Bit(png))) {
    std::fprintf(stderr, "mensuro-screenshot: could not write %s\n", png);
    return false;
  }
  return true;
}

// The pictures after the certificate, as many as the command line names: the import, columns and
// details dialogs and the register window. The program's exit code.
int DrawLaterPictures(int argc, char** argv, QtDialogServices& services, CVerantDlg& dialog,
                      const ProcessedCalibration& calibration, const CertificateDetails& details,
                      const QString& settingsFolder) {
  if (argc >= 8 && !DrawImportDialog(services, argv[6], argv[7])) {
    std::fprintf(stderr, "mensuro-screenshot: could not draw %s\n", argv[7]);
    return 1;
  }
  if (argc >= 10 && !DrawColumnsDialog(argv[8], argv[9])) {
    std::fprintf(stderr, "mensuro-screenshot: could not draw %s\n", argv[9]);
    return 1;
  }
  if (argc >= 11 && !DrawDetailsDialog(services, details, argv[10])) {
    std::fprintf(stderr, "mensuro-screenshot: could not draw %s\n", argv[10]);
    return 1;
  }
  if (argc >= 12 && !DrawRegisterWindow(dialog, calibration, settingsFolder, argv[11])) {
    std::fprintf(stderr, "mensuro-screenshot: could not draw %s\n", argv[11]);
    return 1;
  }
  if (argc == 14 && !DrawBaselineWindow(dialog, argv[12], argv[13])) {
    std::fprintf(stderr, "mensuro-screenshot: could not draw %s\n", argv[13]);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  UseShippedFontFolderUnlessChosen(RunningProgramFolder());
  QApplication application(argc, argv);
  LoadShippedFonts(PathFromText(QCoreApplication::applicationDirPath()));
  if (argc != 4 && argc != 6 && argc != 8 && argc != 10 && argc != 11 && argc != 12 && argc != 14) {
    std::fprintf(stderr,
                 "usage: mensuro-screenshot MEASURED_FILE PUBLISHED_FILE WINDOW_PNG [PLOT_PNG "
                 "CERTIFICATE_PDF [FIELD_CSV IMPORT_PNG [EXPORT_FILE COLUMNS_PNG "
                 "[DETAILS_PNG [REGISTER_PNG [BASELINE_SURVEY BASELINE_PNG]]]]]]\n");
    return 2;
  }
  // The pictures show the same calibration conditions whoever draws them: settings of their own,
  // not the user's.
  const QTemporaryDir settingsFolder;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
  QtDialogServices services;
  CVerantDlg dialog(services, PathFromText(QCoreApplication::applicationDirPath()));
  ProcessExample(dialog, argv[1], argv[2]);
  if (!SaveGrab(dialog, argv[3])) {
    return 1;
  }
  if (argc == 4) {
    return 0;
  }

  qobject_cast<QPushButton*>(dialog.Control(kIdPlot))->click();
  CPlotWindow& plot = *dialog.PlotWindow();
  QApplication::processEvents();
  if (!SaveGrab(plot, argv[4])) {
    return 1;
  }
  const ProcessedCalibration* calibration = dialog.Calibration().Calibration();
  if (calibration == nullptr) {
    std::fprintf(stderr, "mensuro-screenshot: the example did not process: %s\n",
                 dialog.Calibration().Failure().toLocal8Bit().constData());
    return 1;
  }
  const CertificateDetails details = ExampleDetails();
  RememberCertificateDetails(details);
  QString reason;
  if (!SaveCertificate(QString::fromLocal8Bit(argv[5]), *calibration, details, {}, reason)) {
    std::fprintf(stderr, "mensuro-screenshot: could not write %s: %s\n", argv[5],
                 reason.toLocal8Bit().constData());
    return 1;
  }
  return DrawLaterPictures(argc, argv, services, dialog, *calibration, details,
                           settingsFolder.path());
}
