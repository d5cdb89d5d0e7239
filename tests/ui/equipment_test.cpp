// The register's equipment in the window: the Equipment page of the register window, and the
// sensors chosen by serial in the import and the calibration conditions.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/equipment/applied_equipment.h"
#include "support/temp_dir.h"
#include "test_window.h"
#include "ui/common/calibration_conditions_dialog.h"
#include "ui/common/control_text.h"
#include "ui/common/equipment_choice.h"
#include "ui/common/remembered_equipment.h"
#include "ui/common/settings.h"
#include "ui/import/field_import_dialog.h"
#include "ui/register/equipment_page.h"
#include "ui/register/register_window.h"

namespace mensuro::test {
namespace {

namespace fs = std::filesystem;

void Click(QWidget& control) {
  QTest::mouseClick(&control, Qt::LeftButton);
}

void Type(QLineEdit& field, const QString& text) {
  field.clear();
  QTest::keyClicks(&field, text);
}

EquipmentItem Thermometer(const std::string& serial) {
  return {.kind = EquipmentKind::kThermometer,
          .make = "Therm",
          .model = "T-100",
          .serial = serial,
          .certificates = {},
          .retiredOn = {},
          .retireReason = {}};
}

EquipmentCertificate Certificate(const std::string& number, double correction) {
  EquipmentCertificate certificate;
  certificate.number = number;
  certificate.issuedBy = "State Lab";
  certificate.date = "2026-01-15";
  certificate.validUntil = "2026-12-31";
  certificate.correction = correction;
  certificate.standardUncertainty = 0.1;
  return certificate;
}

// Slope distances of 1000 m, the air at `temperature`; the reference conditions 20 °C,
// 1013.25 hPa, 60 %.
std::string FieldFile(const char* temperature) {
  return std::string(
             "from,to,slope_distance,instrument_height,reflector_height,temperature,"
             "pressure,humidity,ppm_set\r\nA,B,1000.0,1.5,1.5,") +
         temperature + ",1013.25,60,0\r\n";
}

// Three pairs, enough to process against kPublished.
constexpr std::string_view kThreePairs =
    "from,to,slope_distance,instrument_height,reflector_height,temperature,pressure,humidity,"
    "ppm_set\r\nA,B,99.998,1.5,1.5,20,1013.25,60,0\r\nA,C,300.003,1.5,1.5,20,1013.25,60,0\r\n"
    "A,D,599.999,1.5,1.5,20,1013.25,60,0\r\n";
constexpr std::string_view kPublished = "A,B,100\nA,C,300\nA,D,600\n";

class equipment : public ::testing::Test {
 protected:
  void SetUp() override {
    settings::Forget(settings::Section::kInstrumentEquipment);
    if (!window.dialog->Register().Open(location).isEmpty()) {
      throw std::logic_error("register not opened");
    }
  }
  void TearDown() override {
    settings::Forget(settings::Section::kInstrumentEquipment);
    settings::Forget(settings::Section::kInstruments);
  }

  CalibrationRegister& Register() { return *window.dialog->Register().Register(); }

  CEquipmentPage& OpenPage() {
    Click(*window.Button(kIdRegister));
    if (window.dialog->RegisterWindow() == nullptr) {
      throw std::logic_error("no register window");
    }
    return Part<CEquipmentPage>(*window.dialog->RegisterWindow(), "equipmentPage");
  }

  // Fills the form with a thermometer's certificate.
  static void FillThermometer(CEquipmentPage& page, const QString& number,
                              const QString& validUntil) {
    Part<QComboBox>(page, "equipmentKind").setCurrentIndex(0);
    Type(Part<QLineEdit>(page, "equipmentMake"), QStringLiteral("Therm"));
    Type(Part<QLineEdit>(page, "equipmentModel"), QStringLiteral("T-100"));
    Type(Part<QLineEdit>(page, "equipmentSerial"), QStringLiteral("T-1"));
    Type(Part<QLineEdit>(page, "certificateNumber"), number);
    Type(Part<QLineEdit>(page, "certificateIssuedBy"), QStringLiteral("State Lab"));
    Type(Part<QLineEdit>(page, "certificateDate"), QStringLiteral("2026-01-15"));
    Type(Part<QLineEdit>(page, "certificateValidUntil"), validUntil);
    Type(page.Figure(EquipmentFigure::kCorrection), QStringLiteral("0.3"));
    Type(page.Figure(EquipmentFigure::kUncertainty), QStringLiteral("0.1"));
  }

  // Imports `file` under `description`, choosing the thermometer `serial` unless empty; the
  // serial the dialog offered first.
  QString Import(const fs::path& file, const QString& description, const QString& serial) {
    const QString heights =
        TextFromPath(window.folder.Write("heights.csv", "A,0\nB,0\nC,0\nD,0\n"));
    window.Field(kIdEdmDescription)->setText(description);
    QString offered;
    window.dialogs.answers.push_back(TextFromPath(file));
    window.dialogs.whileShown = [&](QDialog& shown) {
      auto& dialog = dynamic_cast<CFieldImportDlg&>(shown);
      ASSERT_NE(dialog.Equipment(), nullptr);
      QComboBox& box = dialog.Equipment()->Box(EquipmentSlot::kThermometer);
      offered = dialog.Equipment()->Serials().thermometer;
      Type(dialog.Field(ImportField::kWavelength), QStringLiteral("0.658"));
      Click(dialog.Choice(ImportChoice::kReferenceIndex));
      Type(dialog.Field(ImportField::kReferenceIndex), QStringLiteral("1.000286"));
      Type(dialog.Field(ImportField::kHeightsFile), heights);
      Type(dialog.HeaderField(ImportHeaderField::kDate), QStringLiteral("2026-06-01"));
      box.setCurrentIndex(serial.isEmpty() ? 0 : box.findText(serial, Qt::MatchStartsWith));
      Click(dialog.OkButton());
    };
    Click(*window.Button(kIdOpenMeasured));
    return offered;
  }

  TempDir scratch;
  QString location = TextFromPath(scratch.path() / "register.sqlite");
  TestWindow window{false};
};

TEST_F(equipment, the_page_adds_supersedes_and_retires_an_item) {
  CEquipmentPage& page = OpenPage();
  // A reflector's form asks for its prism constant, a sensor's for its correction.
  Part<QComboBox>(page, "equipmentKind").setCurrentIndex(4);
  EXPECT_FALSE(Part<QLineEdit>(page, "scale").isVisibleTo(&page));
  EXPECT_TRUE(page.Figure(EquipmentFigure::kCorrection).isVisibleTo(&page));

  FillThermometer(page, QStringLiteral("C-1"), QStringLiteral("2026-12-31"));
  Click(Part<QPushButton>(page, "addEquipment"));
  ASSERT_TRUE(window.dialogs.messages.empty()) << window.dialogs.messages[0].toStdString();
  std::optional<EquipmentItem> stored =
      Register().FindEquipment(EquipmentKind::kThermometer, "T-1");
  ASSERT_TRUE(stored);
  ASSERT_EQ(stored->certificates.size(), 1u);
  EXPECT_EQ(stored->certificates[0].number, "C-1");
  EXPECT_DOUBLE_EQ(stored->certificates[0].correction, 0.3);
  EXPECT_DOUBLE_EQ(stored->certificates[0].standardUncertainty, 0.1);
  auto& list = Part<QTableWidget>(page, "equipmentList");
  ASSERT_EQ(list.rowCount(), 1);
  EXPECT_EQ(list.item(0, 3)->text(), QStringLiteral("T-1"));
  EXPECT_EQ(Part<QLineEdit>(page, "certificateNumber").text(), QString());

  // Superseding asks why; the new certificate takes the old one's place.
  list.selectRow(0);
  Type(Part<QLineEdit>(page, "certificateNumber"), QStringLiteral("C-2"));
  Type(Part<QLineEdit>(page, "certificateIssuedBy"), QStringLiteral("State Lab"));
  Type(Part<QLineEdit>(page, "certificateDate"), QStringLiteral("2026-01-15"));
  Type(Part<QLineEdit>(page, "certificateValidUntil"), QStringLiteral("2026-12-31"));
  Type(page.Figure(EquipmentFigure::kCorrection), QStringLiteral("-0.3"));
  Type(page.Figure(EquipmentFigure::kUncertainty), QStringLiteral("0.1"));
  window.dialogs.texts = {QStringLiteral("sign misread")};
  Click(Part<QPushButton>(page, "supersede"));
  ASSERT_TRUE(window.dialogs.messages.empty()) << window.dialogs.messages[0].toStdString();
  stored = Register().FindEquipment(EquipmentKind::kThermometer, "T-1");
  ASSERT_EQ(stored->certificates.size(), 2u);
  EXPECT_EQ(stored->certificates[0].supersededBy, "C-2");
  EXPECT_EQ(stored->certificates[1].supersedes, "C-1");
  EXPECT_EQ(stored->certificates[1].reason, "sign misread");

  // Retiring asks why; cancelled, it retires nothing.
  list.selectRow(0);
  Click(Part<QPushButton>(page, "retire"));
  EXPECT_TRUE(Register().FindEquipment(EquipmentKind::kThermometer, "T-1")->retiredOn.empty());
  window.dialogs.texts = {QStringLiteral("dropped")};
  Click(Part<QPushButton>(page, "retire"));
  stored = Register().FindEquipment(EquipmentKind::kThermometer, "T-1");
  EXPECT_FALSE(stored->retiredOn.empty());
  EXPECT_EQ(stored->retireReason, "dropped");
  EXPECT_TRUE(list.item(0, 6)->text().contains(QStringLiteral("dropped")));
  EXPECT_TRUE(window.dialogs.messages.empty());
}

TEST_F(equipment, a_refused_add_is_told_and_keeps_the_form) {
  CEquipmentPage& page = OpenPage();
  // The register refuses a validity that ends before the calibration.
  FillThermometer(page, QStringLiteral("C-1"), QStringLiteral("2025-12-31"));
  Click(Part<QPushButton>(page, "addEquipment"));
  ASSERT_EQ(window.dialogs.messages.size(), 1u);
  EXPECT_TRUE(window.dialogs.messages[0].startsWith(
      QStringLiteral("Could not enter the certificate into the register ") + location))
      << window.dialogs.messages[0].toStdString();
  // A figure that doesn't read never reaches it.
  Type(page.Figure(EquipmentFigure::kUncertainty), QStringLiteral("0,1"));
  Click(Part<QPushButton>(page, "addEquipment"));
  ASSERT_EQ(window.dialogs.messages.size(), 2u);
  EXPECT_TRUE(window.dialogs.messages[1].startsWith(QStringLiteral("Standard uncertainty (°C)")))
      << window.dialogs.messages[1].toStdString();

  EXPECT_TRUE(Register().ListEquipment().empty());
  EXPECT_EQ(Part<QLineEdit>(page, "certificateNumber").text(), QStringLiteral("C-1"));
  EXPECT_EQ(Part<QLineEdit>(page, "certificateValidUntil").text(), QStringLiteral("2025-12-31"));
  EXPECT_EQ(page.Figure(EquipmentFigure::kCorrection).text(), QStringLiteral("0.3"));
  EXPECT_EQ(page.Figure(EquipmentFigure::kUncertainty).text(), QStringLiteral("0,1"));
}

TEST_F(equipment, the_import_corrects_the_chosen_thermometers_readings_and_remembers_it) {
  Register().AddEquipmentCertificate(Thermometer("T-1"), Certificate("C-1", 1.0));
  const fs::path field = window.folder.Write("field.csv", FieldFile("20"));
  Import(window.folder.Write("by-hand.csv", FieldFile("21")), QStringLiteral("EDM B"), {});
  const QString byHand = window.Text(kIdMeasuredText)->toPlainText();
  Import(field, QStringLiteral("EDM B"), {});
  ASSERT_NE(window.Text(kIdMeasuredText)->toPlainText(), byHand);

  EXPECT_EQ(Import(field, QStringLiteral("EDM A"), QStringLiteral("T-1")), QString());
  EXPECT_EQ(window.Text(kIdMeasuredText)->toPlainText(), byHand);
  // Offered again for the same description only.
  EXPECT_EQ(Import(field, QStringLiteral("EDM A"), QStringLiteral("T-1")), QStringLiteral("T-1"));
  EXPECT_EQ(Import(field, QStringLiteral("EDM B"), {}), QString());
  EXPECT_TRUE(window.dialogs.messages.empty());
}

// Sensors correct a field file's readings: a measured text as such was corrected by none, though
// its instrument's import would offer a thermometer.
TEST_F(equipment, a_measured_text_opened_from_a_file_states_no_sensor) {
  Register().AddEquipmentCertificate(Thermometer("T-1"), Certificate("C-1", 1.0));
  EquipmentItem reflector = Thermometer("R-1");
  reflector.kind = EquipmentKind::kReflector;
  Register().AddEquipmentCertificate(reflector, Certificate("P-1", 0.0));
  RememberEquipment(QStringLiteral("EDM A"), {.thermometer = QStringLiteral("T-1"),
                                              .barometer = {},
                                              .humidity = {},
                                              .reflector = QStringLiteral("R-1")});
  Click(*window.Get(kIdFromFile));
  window.Text(kIdPublishedText)->setPlainText(QString::fromLatin1(kPublished));
  window.dialogs.answers.push_back(TextFromPath(window.folder.Write(
      "measured.txt", "$01-06-2026\r\n@EDM A\r\nA,B,99.998\r\nA,C,300.003\r\nA,D,599.999\r\n")));
  Click(*window.Button(kIdOpenMeasured));
  window.dialog->OnProcess();

  const ProcessedCalibration* calibration = window.dialog->Calibration().Calibration();
  ASSERT_TRUE(calibration != nullptr && calibration->processed);
  ASSERT_EQ(calibration->conditions.equipment.size(), 1u);
  EXPECT_EQ(calibration->conditions.equipment[0].serial, "R-1");
  EXPECT_FALSE(calibration->conditions.sensors);
}

// The conditions show the sensors the import applied, and OK keeps them whatever is tried.
TEST_F(equipment, the_conditions_keep_the_thermometer_of_the_import) {
  Register().AddEquipmentCertificate(Thermometer("T-1"), Certificate("C-1", 1.0));
  Register().AddEquipmentCertificate(Thermometer("T-2"), Certificate("C-2", -1.0));
  Click(*window.Get(kIdFromFile));
  window.Text(kIdPublishedText)->setPlainText(QString::fromLatin1(kPublished));
  Import(window.folder.Write("field.csv", kThreePairs), QStringLiteral("EDM A"),
         QStringLiteral("T-1"));
  window.dialog->OnProcess();
  ASSERT_TRUE(window.dialog->Calibration().Calibration() != nullptr);
  CPlotWindow& plot = window.OpenPlot();

  window.dialogs.whileShown = [](QDialog& shown) {
    auto& dialog = dynamic_cast<CCalibrationConditionsDlg&>(shown);
    ASSERT_NE(dialog.Equipment(), nullptr);
    QComboBox& thermometer = dialog.Equipment()->Box(EquipmentSlot::kThermometer);
    EXPECT_EQ(thermometer.currentText().left(3), QStringLiteral("T-1"));
    EXPECT_FALSE(thermometer.isEnabled());
    EXPECT_TRUE(dialog.Equipment()->Box(EquipmentSlot::kReflector).isEnabled());
    QTest::keyClick(&thermometer, Qt::Key_Down);
    dialog.accept();
  };
  Click(Part<QPushButton>(plot, "calibrationConditions"));
  const std::vector<AppliedEquipment>& stated =
      window.dialog->Calibration().Calibration()->conditions.equipment;
  ASSERT_EQ(stated.size(), 1u);
  EXPECT_EQ(stated[0].serial, "T-1");
  EXPECT_TRUE(window.dialogs.messages.empty());
}

TEST(equipment_choice, a_certificate_not_valid_on_the_date_of_measurement_shows_red) {
  ScriptedDialogs dialogs;
  EquipmentItem thermometer = Thermometer("T-1");
  thermometer.certificates = {Certificate("C-1", 0.5)};
  EquipmentItem other = Thermometer("T-2");
  other.kind = EquipmentKind::kBarometer;
  other.certificates = {Certificate("B-1", 2.0)};
  const auto shown = [&](const std::string& date) {
    return std::make_unique<CCalibrationConditionsDlg>(
        dialogs, UncertaintyInputs{}, nullptr,
        EquipmentOffer{.items = {thermometer, other}, .chosen = {}, .date = date},
        CalibrationSensors{.applied = {ApplyEquipment(thermometer, thermometer.certificates[0], {}),
                                       ApplyEquipment(other, other.certificates[0], {})},
                           .meanReadings = std::nullopt});
  };
  const auto red = [](const QLabel& label) {
    return label.palette().color(QPalette::WindowText) == QColor(Qt::red);
  };
  const auto valid = shown("2026-06-01");
  const QLabel& label = valid->Equipment()->Certificate(EquipmentSlot::kThermometer);
  EXPECT_TRUE(
      label.text().startsWith(QStringLiteral("Certificate C-1, issued by State Lab, calibrated "
                                             "2026-01-15, valid until 2026-12-31: valid")));
  EXPECT_FALSE(red(label));

  // The day after its last, it has expired; the same serial of another kind is not offered.
  const auto expired = shown("2027-01-01");
  const QLabel& late = expired->Equipment()->Certificate(EquipmentSlot::kThermometer);
  EXPECT_TRUE(late.text().contains(QStringLiteral("expired"))) << late.text().toStdString();
  EXPECT_TRUE(red(late));
  EXPECT_EQ(expired->Equipment()->Serials().barometer, QStringLiteral("T-2"));
  EXPECT_EQ(expired->Equipment()->Box(EquipmentSlot::kThermometer).count(), 2);

  // OK names the calibration's sensors with the certificates they were applied with.
  expired->Group(ConditionGroup::kBaseline).setChecked(false);
  expired->accept();
  const std::vector<AppliedEquipment>& applied = expired->Conditions().equipment;
  ASSERT_EQ(applied.size(), 2u);
  EXPECT_EQ(applied[0].certificate.number, "C-1");
  EXPECT_EQ(applied[1].certificate.number, "B-1");
  // Their certificates' uncertainties are the sensors' in the budget.
  ASSERT_TRUE(expired->Conditions().sensors);
  EXPECT_DOUBLE_EQ(expired->Conditions().sensors->temperature, 0.1);
}

}  // namespace
}  // namespace mensuro::test
