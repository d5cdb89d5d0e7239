// The user's settings as earlier versions of the program wrote them still read, key for key, and
// are written back under the same keys: a settings file outlives the program that wrote it.

#include <gtest/gtest.h>

#include <QSettings>
#include <QStringList>
#include <string>
#include <vector>

#include "core/reduction/field_columns.h"
#include "ui/certificate/remembered_certificate_details.h"
#include "ui/common/remembered_conditions.h"
#include "ui/common/remembered_instruments.h"
#include "ui/common/settings.h"
#include "ui/import/remembered_field_columns.h"
#include "ui/register/register_location.h"

namespace mensuro {
namespace {

// The settings file itself, as a user or an earlier version left it.
QSettings File() {
  return QSettings(QSettings::defaultFormat(), QSettings::UserScope, QStringLiteral("Mensuro"),
                   QStringLiteral("Mensuro"));
}

class settings_file : public ::testing::Test {
 protected:
  void SetUp() override { ForgetAll(); }
  void TearDown() override { ForgetAll(); }
  static void ForgetAll() {
    for (const settings::Section section :
         {settings::Section::kCalibrationConditions, settings::Section::kInstrumentConditions,
          settings::Section::kInstruments, settings::Section::kFieldColumns,
          settings::Section::kCertificateLaboratory, settings::Section::kCertificateInstruments,
          settings::Section::kRegister}) {
      settings::Forget(section);
    }
  }
};

TEST_F(settings_file, an_earlier_versions_keys_are_read) {
  {
    QSettings file = File();
    file.setValue(QStringLiteral("CalibrationConditions/baselineUncertainty"),
                  QStringList{QStringLiteral("0.5"), QStringLiteral("1"), QStringLiteral("2"),
                              QStringLiteral("inf")});
    file.beginWriteArray(QStringLiteral("InstrumentConditions"));
    file.setArrayIndex(0);
    file.setValue(QStringLiteral("description"), QStringLiteral("EDM 1"));
    file.setValue(QStringLiteral("sensorUncertainty"), QStringLiteral("0.5,1,5"));
    file.setValue(QStringLiteral("centring"), QStringLiteral("0.3"));
    file.endArray();
    file.beginWriteArray(QStringLiteral("Instruments"));
    file.setArrayIndex(0);
    file.setValue(QStringLiteral("description"), QStringLiteral("EDM 1"));
    file.setValue(QStringLiteral("wavelength"), QStringLiteral("0.658"));
    file.setValue(QStringLiteral("reference"), QStringLiteral("index 1.00028634"));
    file.endArray();
    file.beginWriteArray(QStringLiteral("FieldColumns"));
    file.setArrayIndex(0);
    file.setValue(QStringLiteral("header"),
                  QStringList{QStringLiteral("Stn"), QStringLiteral("Tgt"), QStringLiteral("HD")});
    file.setValue(QStringLiteral("columns"), QStringLiteral("from,to,horizontal_distance"));
    file.endArray();
    file.setValue(QStringLiteral("CertificateLaboratory/name"), QStringLiteral("Lab"));
    file.beginWriteArray(QStringLiteral("CertificateInstruments"));
    file.setArrayIndex(0);
    file.setValue(QStringLiteral("serialNumber"), QStringLiteral("SN-1"));
    file.setValue(QStringLiteral("clientName"), QStringLiteral("Client"));
    file.setValue(QStringLiteral("prismConstant"), QStringLiteral("-30"));
    file.endArray();
    file.setValue(QStringLiteral("Register/location"), QStringLiteral("/tmp/chosen.sqlite"));
  }

  const UncertaintyInputs conditions = RememberedConditions(QStringLiteral("EDM 1"));
  ASSERT_TRUE(conditions.baseline && conditions.sensors && conditions.centring);
  EXPECT_EQ(conditions.baseline->expanded.ppm, 1.0);
  EXPECT_FALSE(conditions.baseline->dof);
  EXPECT_EQ(conditions.sensors->humidity, 5.0);
  EXPECT_EQ(*conditions.centring, 0.3);
  EXPECT_FALSE(conditions.resolution);

  const std::optional<EdmCarrier> carrier = RememberedInstrument(QStringLiteral("EDM 1"));
  ASSERT_TRUE(carrier);
  EXPECT_EQ(carrier->wavelength, 0.658);
  EXPECT_EQ(std::get<double>(carrier->reference), 1.00028634);

  const std::optional<FieldColumnMap> columns = RememberedFieldColumns({"Stn", "Tgt", "HD"});
  ASSERT_TRUE(columns);
  EXPECT_EQ((*columns)[FieldQuantity::kHorizontalDistance], 2u);

  EXPECT_EQ(RememberedLaboratory().name, "Lab");
  const std::optional<CertificateDetails> details = RememberedForSerial(QStringLiteral("SN-1"));
  ASSERT_TRUE(details);
  EXPECT_EQ(details->client.name, "Client");
  EXPECT_EQ(details->reflector.prismConstantMm, -30.0);
  EXPECT_EQ(RegisterLocation(), QStringLiteral("/tmp/chosen.sqlite"));
}

TEST_F(settings_file, what_is_remembered_goes_under_the_same_keys) {
  // The instrument's conditions first: they are remembered with the baseline's, none here.
  UncertaintyInputs conditions;
  conditions.cyclic = CyclicSettings{1.5, 2};
  RememberConditions(QStringLiteral("EDM 2"), conditions);
  RememberBaselineUncertainty({{0.5, 1.0}, 2.0, std::nullopt});
  RememberInstrument(QStringLiteral("EDM 2"), EdmCarrier{0.85, 1.0002818});
  FieldColumnMap map;
  map[FieldQuantity::kFrom] = 0;
  map[FieldQuantity::kTo] = 1;
  RememberFieldColumns({"A", "B"}, map);
  CertificateDetails details;
  details.laboratory.name = "Lab 2";
  details.instrument.serialNumber = "SN-2";
  RememberCertificateDetails(details);
  RememberRegisterLocation(QStringLiteral("postgresql:///register"));

  QSettings file = File();
  EXPECT_EQ(file.value(QStringLiteral("CalibrationConditions/baselineUncertainty")).toString(),
            QStringLiteral("0.5,1,2,inf"));
  EXPECT_EQ(file.value(QStringLiteral("Instruments/1/description")).toString(),
            QStringLiteral("EDM 2"));
  EXPECT_EQ(file.value(QStringLiteral("Instruments/1/reference")).toString(),
            QStringLiteral("index 1.0002818"));
  EXPECT_EQ(file.value(QStringLiteral("InstrumentConditions/1/cyclicError")).toString(),
            QStringLiteral("1.5,2"));
  EXPECT_EQ(file.value(QStringLiteral("FieldColumns/1/columns")).toString(),
            QStringLiteral("from,to"));
  EXPECT_EQ(file.value(QStringLiteral("CertificateLaboratory/name")).toString(),
            QStringLiteral("Lab 2"));
  EXPECT_EQ(file.value(QStringLiteral("CertificateInstruments/1/serialNumber")).toString(),
            QStringLiteral("SN-2"));
  EXPECT_EQ(file.value(QStringLiteral("Register/location")).toString(),
            QStringLiteral("postgresql:///register"));
}

}  // namespace
}  // namespace mensuro
