// The register window over a register of a few certificates issued through the library, opened
// from the main window's Register button.

#include "ui/register/register_window.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QChart>
#include <QDialogButtonBox>
#include <QProgressDialog>
#include <QScatterSeries>
#include <QSignalSpy>
#include <QTableWidget>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "core/data/file_names.h"
#include "resources/version_info.h"
#include "support/temp_dir.h"
#include "support/time_zone.h"
#include "test_window.h"
#include "ui/certificate/remembered_certificate_details.h"
#include "ui/common/control_text.h"
#include "ui/common/remembered_conditions.h"
#include "ui/common/settings.h"
#include "ui/register/certificate_issue.h"
#include "ui/register/register_location.h"

namespace mensuro::test {
namespace {

// A stand-in PDF with the identity on it and bytes that are no text.
std::string FakePdf(const CertificateIdentity& identity) {
  return "%PDF-1.7\n" + identity.number + "\n" + identity.recordSha256 +
         std::string("\0\xff\r\n", 4);
}

// What a numbered certificate must name, for instrument `serial`.
CertificateDetails Identified(const std::string& serial) {
  CertificateDetails details;
  details.laboratory.name = "Survey Lab";
  details.client.name = "Geo Ltd";
  details.instrument = {"Maker", "TS-10", serial};
  return details;
}

IssueRequest Request(const std::string& serial, const std::string& client, double constantMm) {
  IssueRequest request;
  request.details.laboratory.name = "Survey Lab";
  request.details.client = {client, "1 Street"};
  request.details.instrument = {"Maker", "TS-10", serial};
  request.baseline = "Valley baseline";
  request.measuredText = "measured " + serial;
  request.publishedText = "published";
  request.results = {2.0, 1.5, constantMm / 1000.0, 0.0008, std::nullopt};
  request.programVersion = "Mensuro test";
  request.measurementDate = "2026-01-05";
  return request;
}

// Four certificates: SN-1 twice (its constant changing beyond U the second time), SN-2, SN-3.
class register_window : public ::testing::Test {
 protected:
  void SetUp() override {
    RememberRegisterLocation(location);
    CalibrationRegister reg = CalibrationRegister::Open(location.toStdString());
    reg.Issue(Request("SN-1", "Geo Ltd", 0.5), FakePdf, NoonOf("2026-01-10"));
    reg.Issue(Request("SN-2", "Hill Survey", 10.0), FakePdf, NoonOf("2026-02-10"));
    reg.Issue(Request("SN-1", "Geo Ltd", 2.9), FakePdf, NoonOf("2026-03-10"));
    reg.Issue(Request("SN-3", "Coast Mapping", -1.5), FakePdf, NoonOf("2026-04-10"));
    // A numbered certificate names the baseline's uncertainty.
    RememberBaselineUncertainty({.expanded = {1.0, 2.0}, .k = 2.0, .dof = std::nullopt});
  }
  void TearDown() override {
    for (const settings::Section section :
         {settings::Section::kRegister, settings::Section::kCalibrationConditions,
          settings::Section::kCertificateLaboratory, settings::Section::kCertificateInstruments}) {
      settings::Forget(section);
    }
  }

  CRegisterWindow& OpenRegisterWindow() {
    QTest::mouseClick(window.Button(kIdRegister), Qt::LeftButton);
    CRegisterWindow* opened = window.dialog->RegisterWindow();
    if (opened == nullptr) {
      throw std::logic_error("no register window");
    }
    return *opened;
  }

  // The message of Verify in the window once `sql` has changed the register behind its back.
  std::string VerifiedAfter(const char* sql) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(location.toStdString().c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    CRegisterWindow& registerWindow = OpenRegisterWindow();
    QSignalSpy verified(&registerWindow, &CRegisterWindow::Verified);
    QTest::mouseClick(&Part<QPushButton>(registerWindow, "verify"), Qt::LeftButton);
    EXPECT_TRUE(verified.wait(30000));
    EXPECT_EQ(window.dialogs.messages.size(), 1u);
    return window.dialogs.messages.empty() ? std::string()
                                           : window.dialogs.messages.front().toStdString();
  }

  // The certificates' numbers in the order the table shows them.
  static std::vector<std::string> Numbers(const CRegisterWindow& registerWindow) {
    const auto& table = Part<QTableView>(registerWindow, "certificates");
    std::vector<std::string> numbers;
    for (int row = 0; row < table.model()->rowCount(); ++row) {
      numbers.push_back(
          table.model()->index(row, CRegisterWindow::kNumber).data().toString().toStdString());
    }
    return numbers;
  }

  TempDir scratch;
  QString location = TextFromPath(scratch.path() / "register.sqlite");
  TestWindow window;
};

TEST_F(register_window, the_button_opens_one_window_on_the_register) {
  CRegisterWindow& first = OpenRegisterWindow();
  EXPECT_EQ(&OpenRegisterWindow(), &first);
  EXPECT_TRUE(first.isVisible());
  EXPECT_TRUE(window.dialog->Register().IsOpen());
  EXPECT_EQ(Part<QLineEdit>(first, "location").text(), location);
  EXPECT_EQ(Numbers(first), (std::vector<std::string>{"MEN-2026-0001", "MEN-2026-0002",
                                                      "MEN-2026-0003", "MEN-2026-0004"}));
  EXPECT_TRUE(window.dialogs.messages.empty());
}

TEST_F(register_window, another_register_is_opened_and_remembered) {
  CRegisterWindow& registerWindow = OpenRegisterWindow();
  const QString other = TextFromPath(scratch.path() / "other" / "register.sqlite");
  window.dialogs.answers.push_back(other);
  QTest::mouseClick(&Part<QPushButton>(registerWindow, "openRegister"), Qt::LeftButton);
  EXPECT_EQ(window.dialog->Register().Location(), other);
  EXPECT_EQ(Part<QLineEdit>(registerWindow, "location").text(), other);
  EXPECT_EQ(RegisterLocation(), other);
  EXPECT_TRUE(Numbers(registerWindow).empty());
  EXPECT_TRUE(window.dialogs.messages.empty());
}

TEST_F(register_window, the_filter_narrows_by_client_and_serial) {
  CRegisterWindow& registerWindow = OpenRegisterWindow();
  QTest::keyClicks(&Part<QLineEdit>(registerWindow, "filter"), QStringLiteral("geo"));
  EXPECT_EQ(Numbers(registerWindow), (std::vector<std::string>{"MEN-2026-0001", "MEN-2026-0003"}));
  Part<QLineEdit>(registerWindow, "filter").setText(QStringLiteral("sn-3"));
  EXPECT_EQ(Numbers(registerWindow), (std::vector<std::string>{"MEN-2026-0004"}));
}

TEST_F(register_window, the_constant_sorts_as_a_number) {
  CRegisterWindow& registerWindow = OpenRegisterWindow();
  Part<QTableView>(registerWindow, "certificates")
      .sortByColumn(CRegisterWindow::kConstant, Qt::AscendingOrder);
  // -1.5, 0.5, 2.9, 10.0 mm; as texts 10.0 would come before 2.9.
  EXPECT_EQ(Numbers(registerWindow), (std::vector<std::string>{"MEN-2026-0004", "MEN-2026-0001",
                                                               "MEN-2026-0003", "MEN-2026-0002"}));
}

TEST_F(register_window, the_selected_one_shows_its_record_and_its_instruments_history) {
  CRegisterWindow& registerWindow = OpenRegisterWindow();
  registerWindow.Select("MEN-2026-0003");
  const auto& details = Part<QTableWidget>(registerWindow, "details");
  std::vector<std::string> lines;
  for (int row = 0; row < details.rowCount(); ++row) {
    lines.push_back(
        (details.item(row, 0)->text() + QStringLiteral(": ") + details.item(row, 1)->text())
            .toStdString());
  }
  EXPECT_EQ(lines.at(0), "Certificate: MEN-2026-0003");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Constant (mm): +2.90 \u00b1 0.80 (U, 95 %)"),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Client: Geo Ltd"), lines.end());

  // SN-1's two calibrations, one marker each (a change marked apart); 0.5 mm to 2.9 mm is
  // beyond U.
  for (const char* view : {"constantView", "scaleView"}) {
    int points = 0;
    for (QAbstractSeries* series : Part<QChartView>(registerWindow, view).chart()->series()) {
      if (const auto* markers = qobject_cast<QScatterSeries*>(series)) {
        points += markers->count();
      }
    }
    EXPECT_EQ(points, 2) << view;
  }
  EXPECT_EQ(Part<QLabel>(registerWindow, "changes").text().toStdString(),
            "Changed beyond the uncertainty (E_n > 1): constant at MEN-2026-0003 (2026-03-10, "
            "E_n 2.12).");
}

// The cyclic error's amplitude is a third chart beside the constant's and the scale's, shown only
// for an instrument whose calibrations estimated it.
TEST_F(register_window, a_cyclic_amplitude_chart_only_for_an_instrument_with_cyclic_figures) {
  IssueRequest cyclic = Request("SN-5", "Geo Ltd", 0.3);
  cyclic.results.cyclic = RegisteredCyclic{.unitLengthM = 5.0,
                                           .amplitudeM = 0.00048,
                                           .amplitudeStdErrorM = 0.00005,
                                           .phaseDegrees = 38.2,
                                           .significant = true};
  CalibrationRegister::Open(location.toStdString()).Issue(cyclic, FakePdf, NoonOf("2026-05-10"));
  CRegisterWindow& registerWindow = OpenRegisterWindow();
  const auto& view = Part<QChartView>(registerWindow, "cyclicView");
  registerWindow.Select("MEN-2026-0005");
  ASSERT_TRUE(view.isVisibleTo(&registerWindow));
  EXPECT_EQ(view.chart()->title(), QStringLiteral("Cyclic error amplitude"));
  int points = 0;
  for (QAbstractSeries* series : view.chart()->series()) {
    if (const auto* markers = qobject_cast<QScatterSeries*>(series)) {
      points += markers->count();
    }
  }
  EXPECT_EQ(points, 1);
  registerWindow.Select("MEN-2026-0003");
  EXPECT_FALSE(view.isVisibleTo(&registerWindow));
}

// A baseline's certificate is listed by its baseline, shows its kind, and draws no instrument's
// history, though its reference instrument is SN-1.
TEST_F(register_window, a_baseline_certificate_is_listed_by_its_baseline) {
  {
    IssueRequest survey = Request("SN-1", "Shire Survey Office", 0.0);
    survey.kind = RecordKind::kBaseline;
    survey.baseline = "Northfield";
    CalibrationRegister::Open(location.toStdString()).Issue(survey, FakePdf, NoonOf("2026-05-10"));
  }
  CRegisterWindow& registerWindow = OpenRegisterWindow();
  QTest::keyClicks(&Part<QLineEdit>(registerWindow, "filter"), QStringLiteral("northfield"));
  ASSERT_EQ(Numbers(registerWindow), (std::vector<std::string>{"MEN-2026-0005"}));
  const QAbstractItemModel& rows = *Part<QTableView>(registerWindow, "certificates").model();
  EXPECT_EQ(rows.index(0, CRegisterWindow::kConstant).data().toString(), QStringLiteral("\u2013"));
  EXPECT_EQ(rows.index(0, CRegisterWindow::kInstrument).data().toString(),
            QStringLiteral("Baseline: Northfield"));
  registerWindow.Select("MEN-2026-0005");
  const auto& details = Part<QTableWidget>(registerWindow, "details");
  ASSERT_GT(details.rowCount(), 1);
  EXPECT_EQ(details.item(1, 1)->text(), QStringLiteral("baseline calibration"));
  for (const char* view : {"constantView", "scaleView"}) {
    for (QAbstractSeries* series : Part<QChartView>(registerWindow, view).chart()->series()) {
      const auto* markers = qobject_cast<QScatterSeries*>(series);
      EXPECT_TRUE(markers == nullptr || markers->count() == 0) << view;
    }
  }
  EXPECT_TRUE(Part<QLabel>(registerWindow, "changes").text().isEmpty());
}

TEST_F(register_window, reissue_and_open_write_the_stored_bytes) {
  CRegisterWindow& registerWindow = OpenRegisterWindow();
  registerWindow.Select("MEN-2026-0002");
  const std::string stored =
      *CalibrationRegister::Open(location.toStdString()).StoredCertificatePdf("MEN-2026-0002");
  const std::filesystem::path reissued = scratch.path() / "copy.pdf";
  window.dialogs.answers.push_back(TextFromPath(reissued));
  QTest::mouseClick(&Part<QPushButton>(registerWindow, "reissue"), Qt::LeftButton);
  EXPECT_EQ(ReadBytes(reissued), stored);

  QTest::mouseClick(&Part<QPushButton>(registerWindow, "openCertificate"), Qt::LeftButton);
  ASSERT_EQ(window.dialogs.opened.size(), 1u);
  EXPECT_EQ(ReadBytes(PathFromText(window.dialogs.opened.front())), stored);
  EXPECT_TRUE(window.dialogs.messages.empty());
}

TEST_F(register_window, verify_walks_off_the_window_thread_and_reports_the_records_checked) {
  CRegisterWindow& registerWindow = OpenRegisterWindow();
  QSignalSpy verified(&registerWindow, &CRegisterWindow::Verified);
  QTest::mouseClick(&Part<QPushButton>(registerWindow, "verify"), Qt::LeftButton);
  // The click returns at once, its progress shown; the outcome comes through the event loop.
  EXPECT_TRUE(window.dialogs.messages.empty());
  EXPECT_NE(registerWindow.findChild<QProgressDialog*>(QStringLiteral("verifyProgress")), nullptr);
  ASSERT_TRUE(verified.wait(30000));
  ASSERT_EQ(window.dialogs.messages.size(), 1u);
  EXPECT_EQ(window.dialogs.messages.front().toStdString(),
            "The register is intact: 4 records, each matching its hash and the record before it.");
}

TEST_F(register_window, verify_names_the_newest_record_taken_out) {
  EXPECT_EQ(VerifiedAfter("DELETE FROM calibrations WHERE id = 4"),
            "Certificate MEN-2026-0004 is in the head log " + location.toStdString() +
                ".heads but not in the register.");
}

TEST_F(register_window, verify_names_the_newest_equipment_record_taken_out) {
  {
    CalibrationRegister reg = CalibrationRegister::Open(location.toStdString());
    EquipmentCertificate certificate;
    certificate.number = "C-1";
    certificate.date = "2026-03-02";
    certificate.validUntil = "2027-03-01";
    EquipmentItem thermometer;
    thermometer.make = "Acme";
    thermometer.model = "T-1";
    thermometer.serial = "T-4711";
    reg.AddEquipmentCertificate(thermometer, certificate);
    certificate.number = "C-2";
    reg.AddEquipmentCertificate(thermometer, certificate);
  }
  EXPECT_EQ(VerifiedAfter("DELETE FROM equipment_records WHERE id = 2"),
            "Equipment-2 is in the head log " + location.toStdString() +
                ".heads.equipment but not in the register.");
}

TEST_F(register_window, a_register_of_a_newer_schema_is_told_and_nothing_opens) {
  const std::filesystem::path newer = scratch.path() / "newer.sqlite";
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(newer.string().c_str(), &db), SQLITE_OK);
  const int set = sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  ASSERT_EQ(set, SQLITE_OK);
  RememberRegisterLocation(TextFromPath(newer));

  QTest::mouseClick(window.Button(kIdRegister), Qt::LeftButton);
  EXPECT_EQ(window.dialog->RegisterWindow(), nullptr);
  EXPECT_FALSE(window.dialog->Register().IsOpen());
  ASSERT_EQ(window.dialogs.messages.size(), 1u);
  EXPECT_TRUE(window.dialogs.messages.front().startsWith(
      QStringLiteral("Could not open the register ") + TextFromPath(newer) + QStringLiteral(": ")));
}

TEST(register_location, the_choice_then_the_environment_then_the_data_folder) {
  const QByteArray environment = qgetenv(kRegisterEnvironment);
  settings::Forget(settings::Section::kRegister);
  qunsetenv(kRegisterEnvironment);
  EXPECT_TRUE(RegisterLocation().endsWith(QStringLiteral("/Mensuro/register.sqlite")));
  qputenv(kRegisterEnvironment, "postgresql://lab/register");
  EXPECT_EQ(RegisterLocation(), QStringLiteral("postgresql://lab/register"));
  RememberRegisterLocation(QStringLiteral("/data/chosen.sqlite"));
  EXPECT_EQ(RegisterLocation(), QStringLiteral("/data/chosen.sqlite"));
  settings::Forget(settings::Section::kRegister);
  if (environment.isNull()) {
    qunsetenv(kRegisterEnvironment);
  } else {
    qputenv(kRegisterEnvironment, environment);
  }
}

TEST_F(register_window, issuing_stores_the_certificate_and_writes_the_same_pdf) {
  EnterWorkedExample(window);
  QTest::mouseClick(window.Button(kIdProcess), Qt::LeftButton);
  const ProcessedCalibration* calibration = window.dialog->Calibration().Calibration();
  ASSERT_NE(calibration, nullptr);
  CalibrationRegister reg = CalibrationRegister::Open(location.toStdString());
  CertificateDetails details = Identified("SN-9");

  const std::filesystem::path file = scratch.path() / "issued.pdf";
  const IssuedCertificate issued =
      IssueFromWindow(reg, *calibration, details, "Mensuro test", FakePdf, file);
  EXPECT_EQ(issued.failure, "");
  ASSERT_FALSE(issued.number.empty());
  EXPECT_EQ(ReadBytes(file), reg.StoredCertificatePdf(issued.number).value_or(""));
  EXPECT_EQ(reg.History({"Maker", "TS-10", "SN-9"}).size(), 1u);

  // Nothing is issued when the PDF can't be made.
  const IssuedCertificate refused = IssueFromWindow(
      reg, *calibration, details, "Mensuro test",
      [](const CertificateIdentity&) -> std::string { throw std::runtime_error("no fonts"); },
      scratch.path() / "refused.pdf");
  EXPECT_EQ(refused.number, "");
  EXPECT_EQ(refused.failure, "The certificate was not issued: no fonts");
  EXPECT_EQ(reg.History({"Maker", "TS-10", "SN-9"}).size(), 1u);

  // A file that can't be written leaves the certificate issued, and says so.
  const IssuedCertificate unwritten = IssueFromWindow(reg, *calibration, details, "Mensuro test",
                                                      FakePdf, scratch.path() / "no" / "such.pdf");
  EXPECT_FALSE(unwritten.number.empty());
  EXPECT_NE(unwritten.failure.find(unwritten.number + " was issued"), std::string::npos);
  EXPECT_EQ(reg.History({"Maker", "TS-10", "SN-9"}).size(), 2u);

  // A certificate that names no instrument is not numbered; the window says what it lacks.
  details.instrument = {};
  const IssuedCertificate unnamed =
      IssueFromWindow(reg, *calibration, details, "Mensuro test", FakePdf, file);
  EXPECT_EQ(unnamed.number, "");
  EXPECT_EQ(unnamed.failure,
            "The certificate was not issued: a numbered certificate needs the instrument's make "
            "(Certificate Details, Instrument: Make), the instrument's model (Certificate "
            "Details, Instrument: Model), the instrument's serial number (Certificate Details, "
            "Instrument: Serial number).");
}

// The record a register keeps of `number`, all but what the moment of issue and the PDF decide:
// the number, the dates and the hashes that cover them.
void ExpectSameRecord(const std::string& location, const std::string& otherLocation) {
  const std::vector<RegisterEntry> listed = CalibrationRegister::Open(location).List();
  const std::vector<RegisterEntry> otherListed = CalibrationRegister::Open(otherLocation).List();
  ASSERT_EQ(listed.size(), 1u);
  ASSERT_EQ(otherListed.size(), 1u);
  const RegisterEntry one = *CalibrationRegister::Open(location).Find(listed[0].identity.number);
  const RegisterEntry other =
      *CalibrationRegister::Open(otherLocation).Find(otherListed[0].identity.number);
  const auto details = [](const CertificateDetails& d) {
    return std::vector<std::string>{
        d.laboratory.name,
        d.laboratory.address,
        d.laboratory.accreditation,
        d.laboratory.logoFile,
        d.client.name,
        d.client.address,
        d.instrument.make,
        d.instrument.model,
        d.instrument.serialNumber,
        d.reflector.make,
        d.reflector.model,
        d.reflector.prismConstantMm ? PrismConstantText(*d.reflector.prismConstantMm) : "none",
        d.measuredBy,
        d.checkedBy,
        d.baselineCertificate};
  };
  EXPECT_EQ(details(one.details), details(other.details));
  EXPECT_EQ(one.identity.replaces, other.identity.replaces);
  EXPECT_EQ(one.baseline, other.baseline);
  EXPECT_EQ(one.measuredText, other.measuredText);
  EXPECT_EQ(one.measuredSha256, other.measuredSha256);
  EXPECT_EQ(one.publishedText, other.publishedText);
  EXPECT_EQ(one.publishedSha256, other.publishedSha256);
  EXPECT_EQ(one.conditionsJson, other.conditionsJson);
  EXPECT_EQ(one.exclusionsJson, other.exclusionsJson);
  EXPECT_EQ(one.acceptedWarningsJson, other.acceptedWarningsJson);
  EXPECT_EQ(one.resultsJson, other.resultsJson);
  EXPECT_EQ(one.results.scalePpm, other.results.scalePpm);
  EXPECT_EQ(one.results.scaleUncertaintyPpm, other.results.scaleUncertaintyPpm);
  EXPECT_EQ(one.results.constantM, other.results.constantM);
  EXPECT_EQ(one.results.constantUncertaintyM, other.results.constantUncertaintyM);
  EXPECT_EQ(one.programVersion, other.programVersion);
  EXPECT_EQ(one.previousSha256, other.previousSha256);
  EXPECT_EQ(one.replacedBy, other.replacedBy);
}

// The window and the command line store the same record of the same calibration, what reading
// noticed included (here a published distance that no observation uses).
TEST_F(register_window, the_window_and_the_command_line_store_the_same_record) {
  const std::string published = "A,B,100\nA,C,300\nA,D,600\nB,C,200\n";
  const std::string measured =
      "$07-12-2026\n!09:05:03\n#Overcast, 8 C, 1012 hPa\n@Total station 2 mm + 2 ppm\n"
      "A,B,99.997\nA,C,299.995\nA,D,599.991\n";
  // The texts as the window keeps them, with its line ends.
  const auto withCrLf = [](std::string text) {
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) {
      text.insert(at, "\r");
    }
    return text;
  };
  scratch.Write("published.txt", withCrLf(published));
  scratch.Write("measured.txt", withCrLf(measured));
  const CliRun run =
      RunCli(scratch, {"measured.txt", "--published", "published.txt", "--register", "cli.sqlite",
                       "--certificate", "cli.pdf", "--laboratory", "Survey Lab", "--client",
                       "Geo Ltd", "--instrument-make", "Maker", "--instrument-model", "TS-10",
                       "--instrument-serial", "SN-9", "--baseline-uncertainty", "1,2"});
  ASSERT_EQ(run.exitCode, 0) << run.err;

  QTest::mouseClick(window.Get(kIdFromFile), Qt::LeftButton);
  QTest::keyClicks(window.Field(kIdPublishedFileName), QStringLiteral("published.txt"));
  QTest::keyClicks(window.Field(kIdMeasuredFileName), QStringLiteral("measured.txt"));
  window.Text(kIdPublishedText)->setPlainText(QString::fromStdString(published));
  window.Text(kIdMeasuredText)->setPlainText(QString::fromStdString(measured));
  QTest::mouseClick(window.Button(kIdProcess), Qt::LeftButton);
  const ProcessedCalibration* calibration = window.dialog->Calibration().Calibration();
  ASSERT_NE(calibration, nullptr);
  const std::filesystem::path windowRegister = scratch.path() / "window.sqlite";
  CalibrationRegister reg = CalibrationRegister::Open(Utf8FromPath(windowRegister));
  const IssuedCertificate issued =
      IssueFromWindow(reg, *calibration, Identified("SN-9"), ProgramVersion(), FakePdf,
                      scratch.path() / "window.pdf");
  ASSERT_EQ(issued.failure, "");

  ExpectSameRecord(Utf8FromPath(scratch.path() / "cli.sqlite"), Utf8FromPath(windowRegister));
  EXPECT_NE(CalibrationRegister::Open(Utf8FromPath(windowRegister))
                .Find(issued.number)
                ->resultsJson.find("\"notes\""),
            std::string::npos);
}

// With a register open, saving the certificate from the main window issues it: the next number,
// the real PDF stored, the same bytes in the file, the register window showing it.
TEST_F(register_window, the_main_windows_certificate_is_issued_into_the_open_register) {
  CRegisterWindow& registerWindow = OpenRegisterWindow();
  RememberCertificateDetails(Identified("SN-9"));
  EnterWorkedExample(window);
  QTest::mouseClick(window.Button(kIdProcess), Qt::LeftButton);
  const std::filesystem::path file = scratch.path() / "issued.pdf";
  window.dialogs.answers = {TextFromPath(file)};
  window.dialogs.whileShown = [](QDialog& shown) {
    QTest::mouseClick(shown.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
  };
  window.dialog->OnSaveReportAs();
  ASSERT_EQ(window.dialogs.messages.size(), 1u);
  EXPECT_TRUE(
      window.dialogs.messages[0].startsWith(QStringLiteral("Certificate MEN-2026-0005 is issued")))
      << window.dialogs.messages[0].toStdString();
  const std::optional<std::string> stored =
      CalibrationRegister::Open(location.toStdString()).StoredCertificatePdf("MEN-2026-0005");
  ASSERT_TRUE(stored.has_value());
  EXPECT_TRUE(stored->starts_with("%PDF-"));
  EXPECT_EQ(ReadBytes(file), *stored);
  EXPECT_EQ(Numbers(registerWindow).size(), 5u);
}

}  // namespace
}  // namespace mensuro::test
