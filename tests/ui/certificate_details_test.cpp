// The Certificate Details dialog, asked for when a certificate is saved: OK writes the
// certificate with the details, Cancel writes nothing; what it remembers per serial number; and
// the library baseline's own certificate it is filled with.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <filesystem>
#include <string>

#include "cli/cli_run.h"
#include "test_window.h"
#include "ui/certificate/certificate_details_dialog.h"
#include "ui/certificate/remembered_certificate_details.h"
#include "ui/common/control_text.h"
#include "ui/common/remembered_conditions.h"
#include "ui/common/settings.h"
#include "ui/register/register_location.h"

namespace mensuro::test {
namespace {

namespace fs = std::filesystem;

void Type(const QDialog& dialog, const char* field, const QString& text) {
  QLineEdit& edit = Part<QLineEdit>(dialog, field);
  edit.clear();
  QTest::keyClicks(&edit, text);
}

void Click(const QDialog& dialog, QDialogButtonBox::StandardButton button) {
  QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(button), Qt::LeftButton);
}

// No details remembered from another test.
void ForgetDetails() {
  settings::Forget(settings::Section::kCertificateLaboratory);
  settings::Forget(settings::Section::kCertificateInstruments);
}

CertificateDetails Remembered(const char* laboratory, const char* serial, const char* client) {
  CertificateDetails details;
  details.laboratory.name = laboratory;
  details.instrument.serialNumber = serial;
  details.instrument.make = std::string("Make of ") + serial;
  details.reflector.prismConstantMm = -17.5;
  details.client.name = client;
  details.client.address = "1 Road\nTown";
  return details;
}

TEST(certificate_details, ok_writes_the_certificate_with_them_and_cancel_writes_nothing) {
  ForgetDetails();
  TestWindow window;
  EnterWorkedExample(window);
  window.dialog->OnProcess();
  const fs::path pdf = window.folder.path() / "certificate.pdf";

  window.dialogs.answers = {TextFromPath(pdf)};
  window.dialogs.whileShown = [](QDialog& shown) { Click(shown, QDialogButtonBox::Cancel); };
  window.dialog->OnSaveReportAs();
  EXPECT_FALSE(fs::exists(pdf));

  window.dialogs.answers = {TextFromPath(pdf)};
  window.dialogs.whileShown = [&window](QDialog& shown) {
    Type(shown, "laboratoryName", QStringLiteral("Kellerby Laboratory"));
    Part<QComboBox>(shown, "serialNumber").setEditText(QStringLiteral("SN 4411"));
    Type(shown, "clientName", QStringLiteral("Client A"));
    Type(shown, "prismConstant", QStringLiteral("-17,5"));
    Click(shown, QDialogButtonBox::Ok);
    // A constant that doesn't read is named, and the dialog stays open.
    ASSERT_EQ(window.dialogs.messages.size(), 1u);
    EXPECT_TRUE(window.dialogs.messages[0].startsWith(QStringLiteral("Prism constant: \"-17,5\"")))
        << window.dialogs.messages[0].toStdString();
    EXPECT_TRUE(shown.isVisible());
    Type(shown, "prismConstant", QStringLiteral("-17.5"));
    Click(shown, QDialogButtonBox::Ok);
    EXPECT_FALSE(shown.isVisible());
  };
  window.dialog->OnSaveReportAs();
  ASSERT_TRUE(ReadBytes(pdf).starts_with("%PDF-"));
  EXPECT_EQ(RememberedLaboratory().name, "Kellerby Laboratory");
#ifndef _WIN32  // poppler's pdftotext is the build machine's
  const CliRun text = RunShell(window.folder, "pdftotext certificate.pdf -");
  for (const char* part : {"Kellerby Laboratory", "SN 4411", "Client A", "-17.5 mm"}) {
    EXPECT_NE(text.out.find(part), std::string::npos) << "missing: " << part << "\n" << text.out;
  }
#endif
}

// The first word of `sha256sum FILE` in `dir`.
std::string Sha256Sum(const TempDir& dir, const std::string& file) {
  return RunShell(dir, "sha256sum " + file).out.substr(0, 64);
}

// With no register open the window asks whether to issue into the register or to save a draft;
// the certificate names the files opened while the texts processed are still theirs.
TEST(certificate_details, without_a_register_asks_to_issue_or_save_a_draft) {
  ForgetDetails();
  // What a numbered certificate must name, for the issue at the end.
  CertificateDetails identified = Remembered("Survey Lab", "S-9", "Geo Ltd");
  identified.instrument.model = "TS-10";
  RememberCertificateDetails(identified);
  TestWindow window;
  const TempDir& folder = window.folder;
  folder.Write("m.txt", "$07-12-2026\r\n!09:05:03\r\nA,B,99.997\r\nA,C,299.995\r\nA,D,599.991\r\n");
  folder.Write("p.txt", "A,B,100\r\nA,C,300\r\nA,D,600\r\n");
  window.dialogs.answers = {TextFromPath(folder.path() / "p.txt")};
  window.dialog->OnOpenPublished();
  window.dialogs.answers = {TextFromPath(folder.path() / "m.txt")};
  window.dialog->OnOpenMeasured();
  // The published file's uncertainty, as the Calibration Conditions would give it.
  RememberBaselineUncertainty({.expanded = {.mm = 0.3, .ppm = 1.0}, .k = 2.0, .dof = std::nullopt});
  window.dialog->OnProcess();
  const auto save = [&window](const char* name, IssueChoice choice) {
    window.dialogs.answers = {TextFromPath(window.folder.path() / name)};
    window.dialogs.issueChoices = {choice};
    window.dialogs.whileShown = [](QDialog& shown) { Click(shown, QDialogButtonBox::Ok); };
    window.dialog->OnSaveReportAs();
  };

  save("cancelled.pdf", IssueChoice::kCancel);
  EXPECT_FALSE(fs::exists(folder.path() / "cancelled.pdf"));
  ASSERT_FALSE(window.dialogs.questions.empty());
  EXPECT_TRUE(window.dialogs.questions.back().startsWith(QStringLiteral("No register is open.")))
      << window.dialogs.questions.back().toStdString();
  EXPECT_TRUE(window.dialogs.questions.back().contains(RegisterLocation()));

#ifndef _WIN32  // poppler's pdftotext and coreutils' sha256sum are the build machine's
  save("draft.pdf", IssueChoice::kDraft);
  const std::string draft = CertificateWords(folder, "draft.pdf");
  for (const std::string& part : {std::string("DRAFT: not registered"),
                                  "Measured file: m.txt SHA-256: " + Sha256Sum(folder, "m.txt"),
                                  "Published file: p.txt SHA-256: " + Sha256Sum(folder, "p.txt"),
                                  std::string("Published baseline: p.txt")}) {
    EXPECT_NE(draft.find(part), std::string::npos) << "missing: " << part << "\n" << draft;
  }
  EXPECT_EQ(draft.find(folder.path().string()), std::string::npos) << draft;

  // An edit makes the measured text one no file holds.
  QPlainTextEdit& measured = *window.Text(kIdMeasuredText);
  measured.moveCursor(QTextCursor::End);
  QTest::keyClick(&measured, Qt::Key_Backspace);  // the last line's end
  QTest::keyClicks(&measured, QStringLiteral("1"));
  window.dialog->OnProcess();
  save("edited.pdf", IssueChoice::kDraft);
  const std::string edited = CertificateWords(folder, "edited.pdf");
  EXPECT_EQ(edited.find("Measured file:"), std::string::npos) << edited;
  EXPECT_NE(edited.find("Published file: p.txt"), std::string::npos) << edited;

  RememberRegisterLocation(TextFromPath(folder.path() / "register.sqlite"));
  save("issued.pdf", IssueChoice::kIssue);
  settings::Forget(settings::Section::kRegister);
  ASSERT_TRUE(fs::exists(folder.path() / "register.sqlite"));
  ASSERT_TRUE(fs::exists(folder.path() / "issued.pdf"));
  const std::string issued = CertificateWords(folder, "issued.pdf");
  EXPECT_EQ(issued.find("DRAFT"), std::string::npos) << issued;
  EXPECT_EQ(issued.find("not registered"), std::string::npos) << issued;
  // Once open, the register takes the next certificate without asking.
  const std::size_t asked = window.dialogs.questions.size();
  save("next.pdf", IssueChoice::kCancel);
  EXPECT_EQ(window.dialogs.questions.size(), asked);
  EXPECT_TRUE(fs::exists(folder.path() / "next.pdf"))
      << (window.dialogs.messages.empty() ? std::string()
                                          : window.dialogs.messages.back().toStdString());
#endif
  settings::Forget(settings::Section::kCalibrationConditions);
}

TEST(certificate_details, remembered_per_serial_number_and_the_laboratory_once) {
  ForgetDetails();
  RememberCertificateDetails(Remembered("First Lab", "S-1", "Client One"));
  RememberCertificateDetails(Remembered("Second Lab", "S-2", "Client Two"));
  TestWindow window;
  EnterWorkedExample(window);
  window.dialog->OnProcess();

  // It opens with the latest certificate's serial number; choosing another from the list brings
  // back its instrument, reflector and client, and the laboratory stays.
  window.dialogs.answers = {TextFromPath(window.folder.path() / "c.pdf")};
  window.dialogs.whileShown = [](QDialog& shown) {
    auto& serial = Part<QComboBox>(shown, "serialNumber");
    ASSERT_EQ(serial.count(), 2);
    EXPECT_EQ(serial.currentText(), QStringLiteral("S-2"));
    EXPECT_EQ(Part<QLineEdit>(shown, "clientName").text(), QStringLiteral("Client Two"));
    EXPECT_EQ(Part<QLineEdit>(shown, "laboratoryName").text(), QStringLiteral("Second Lab"));
    Type(shown, "measuredBy", QStringLiteral("A. Surveyor"));
    QTest::keyClick(&serial, Qt::Key_Down);
    EXPECT_EQ(serial.currentText(), QStringLiteral("S-1"));
    EXPECT_EQ(Part<QLineEdit>(shown, "clientName").text(), QStringLiteral("Client One"));
    EXPECT_EQ(Part<QLineEdit>(shown, "instrumentMake").text(), QStringLiteral("Make of S-1"));
    EXPECT_EQ(Part<QPlainTextEdit>(shown, "clientAddress").toPlainText(),
              QStringLiteral("1 Road\nTown"));
    EXPECT_EQ(Part<QLineEdit>(shown, "prismConstant").text(), QStringLiteral("-17.5"));
    EXPECT_EQ(Part<QLineEdit>(shown, "laboratoryName").text(), QStringLiteral("Second Lab"));
    EXPECT_EQ(Part<QLineEdit>(shown, "measuredBy").text(), QStringLiteral("A. Surveyor"));
    Type(shown, "clientName", QStringLiteral("Client One Ltd"));
    Click(shown, QDialogButtonBox::Ok);
  };
  window.dialog->OnSaveReportAs();

  // The serial number certified last comes first, with what was given for it this time.
  ASSERT_EQ(RememberedSerialNumbers(),
            (std::vector<QString>{QStringLiteral("S-1"), QStringLiteral("S-2")}));
  EXPECT_EQ(RememberedForSerial(QStringLiteral("S-1"))->client.name, "Client One Ltd");
  EXPECT_EQ(RememberedForSerial(QStringLiteral("S-2"))->client.name, "Client Two");
}

TEST(certificate_details, the_library_baseline_brings_its_own_certificate) {
  ForgetDetails();
  TestWindow window;
  auto* list = window.Get<QComboBox>(kIdBaselineList);
  list->setCurrentIndex(list->findText(QStringLiteral("Example seven-pillar line 600 m")));
  QTest::mouseClick(window.Button(kIdLoadBaseline), Qt::LeftButton);
  window.Text(kIdMeasuredText)
      ->setPlainText(
          FieldFromBytes(ReadBytes(fs::path(MENSURO_EXAMPLES_DIR) / "seven-pillar-measured.txt")));
  window.dialog->OnProcess();
  ASSERT_NE(window.dialog->Calibration().Calibration(), nullptr);

  QString shownCertificate;
  window.dialogs.whileShown = [&shownCertificate](QDialog& shown) {
    shownCertificate = Part<QLineEdit>(shown, "baselineCertificate").text();
    Click(shown, QDialogButtonBox::Cancel);
  };
  window.dialogs.answers = {TextFromPath(window.folder.path() / "c.pdf")};
  window.dialog->OnSaveReportAs();
  EXPECT_EQ(shownCertificate,
            QStringLiteral("State Survey Office, certificate SSO-2026-118 of 2026-03-14"));
}

// The library baseline's line gives the site that the certificate names with its name as the
// place of calibration.
TEST(certificate_details, the_library_baseline_gives_the_place) {
#ifdef _WIN32
  GTEST_SKIP() << "poppler's pdftotext is the build machine's";
#endif
  ForgetDetails();
  TestWindow window(TestWindow::Library{
      "1:Quarry line\n2:A,B,100\n2:A,C,300\n2:A,D,600\n3:site=Kellerby Quarry\n"});
  auto* list = window.Get<QComboBox>(kIdBaselineList);
  list->setCurrentIndex(list->findText(QStringLiteral("Quarry line")));
  QTest::mouseClick(window.Button(kIdLoadBaseline), Qt::LeftButton);
  window.Text(kIdMeasuredText)
      ->setPlainText(QStringLiteral("A,B,99.997\nA,C,299.995\nA,D,599.991\n"));
  window.dialog->OnProcess();
  ASSERT_NE(window.dialog->Calibration().Calibration(), nullptr);
  window.dialogs.whileShown = [](QDialog& shown) { Click(shown, QDialogButtonBox::Ok); };
  window.dialogs.answers = {TextFromPath(window.folder.path() / "c.pdf")};
  window.dialog->OnSaveReportAs();
  const std::string text = CertificateWords(window.folder, "c.pdf");
  EXPECT_NE(text.find("Place of calibration: Quarry line, Kellerby Quarry"), std::string::npos)
      << text;
}

}  // namespace
}  // namespace mensuro::test
