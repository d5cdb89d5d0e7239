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
#include <filesystem>
#include <string>

#include "cli/cli_run.h"
#include "test_window.h"
#include "ui/certificate/certificate_details_dialog.h"
#include "ui/certificate/remembered_certificate_details.h"
#include "ui/common/control_text.h"
#include "ui/common/settings.h"

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

}  // namespace
}  // namespace mensuro::test
