#include "core/equipment/applied_equipment.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/reduction/field_reduction.h"

namespace mensuro {
namespace {

FieldObservations Read(std::string_view csv) {
  FieldFileError error;
  std::optional<FieldObservations> read = ReadFieldObservations(csv, error);
  EXPECT_TRUE(read) << FieldFileErrorText("field.csv", error);
  return read.value_or(FieldObservations{});
}

StationHeights ThreeMarks() {
  StationHeights heights;
  heights.Set("P1", 101.234);
  heights.Set("P2", 98.765);
  heights.Set("P3", 99.5);
  return heights;
}

ReductionSettings Settings(SensorCorrections corrections = {}) {
  ReductionSettings settings;
  settings.carrier = EdmCarrier{0.658, ReferenceAtmosphere{12.0, 1013.25, 60.0}};
  settings.sensorCorrections = corrections;
  return settings;
}

// The measured text and the log of a field text reduced with `settings`, or the error.
std::string Reduced(std::string_view csv, const ReductionSettings& settings) {
  FieldFileError error;
  const std::optional<FieldReduction> reduced =
      ReduceFieldObservations(Read(csv), ThreeMarks(), settings, error);
  return reduced ? ReducedObservationLines(*reduced) + ReductionLogCsv(*reduced)
                 : FieldFileErrorText("field.csv", error);
}

constexpr std::string_view kHeader =
    "From,To,Slope_Distance,Instrument_Height,Reflector_Height,Temperature,Pressure,";

TEST(sensor_corrections, give_the_reduction_of_readings_corrected_by_hand) {
  const std::string humidity = std::string(kHeader) +
                               "Humidity\n"
                               "P1,P2,250.1234,1.55,1.62,12.5,985.4,72\n"
                               "P2,P3,410.5,1.5,1.6,14.25,990.0,65.5\n";
  const std::string humidityByHand = std::string(kHeader) +
                                     "Humidity\n"
                                     "P1,P2,250.1234,1.55,1.62,13.5,987.4,69\n"
                                     "P2,P3,410.5,1.5,1.6,15.25,992.0,62.5\n";
  const SensorCorrections corrections{1.0, 2.0, -3.0, 0.5};
  EXPECT_EQ(Reduced(humidity, Settings(corrections)), Reduced(humidityByHand, Settings()));
  // The correction changes the result, else the comparison above proves nothing.
  EXPECT_NE(Reduced(humidity, Settings(corrections)), Reduced(humidity, Settings()));

  const std::string wetBulb = std::string(kHeader) +
                              "Wet_Bulb\n"
                              "P1,P2,250.1234,1.55,1.62,12.5,985.4,9.5\n"
                              "P2,P3,410.5,1.5,1.6,14.25,990.0,10.75\n";
  const std::string wetBulbByHand = std::string(kHeader) +
                                    "Wet_Bulb\n"
                                    "P1,P2,250.1234,1.55,1.62,13.5,987.4,10\n"
                                    "P2,P3,410.5,1.5,1.6,15.25,992.0,11.25\n";
  EXPECT_EQ(Reduced(wetBulb, Settings(corrections)), Reduced(wetBulbByHand, Settings()));

  // The rows carry the corrected readings too.
  FieldFileError error;
  const auto reduced =
      ReduceFieldObservations(Read(humidity), ThreeMarks(), Settings(corrections), error);
  ASSERT_TRUE(reduced);
  EXPECT_DOUBLE_EQ(reduced->rows[1].observation.weather.pressure, 992.0);
  EXPECT_DOUBLE_EQ(*reduced->rows[1].observation.weather.humidity, 62.5);
}

TEST(sensor_corrections, that_leave_a_reading_s_range_are_an_error_at_its_line) {
  const std::string csv = std::string(kHeader) +
                          "Humidity\n"
                          "P1,P2,250.1234,1.55,1.62,12.5,985.4,72\n"
                          "P2,P3,410.5,1.5,1.6,14.25,990.0,98.5\n";
  EXPECT_EQ(Reduced(csv, Settings({0.0, 0.0, 2.0, 0.0})),
            "field.csv:3: 100.5 % is not a relative humidity (0 to 100 %) once the sensors' "
            "corrections are added");
  EXPECT_EQ(Reduced(csv, Settings({-73.0, 0.0, 0.0, 0.0})).substr(0, 12), "field.csv:2:");
}

EquipmentCertificate Certificate(std::string number, std::string date, std::string validUntil) {
  EquipmentCertificate certificate;
  certificate.number = std::move(number);
  certificate.issuedBy = "Calibration Service";
  certificate.date = std::move(date);
  certificate.validUntil = std::move(validUntil);
  return certificate;
}

EquipmentItem Thermometer(std::vector<EquipmentCertificate> certificates) {
  return {EquipmentKind::kThermometer, "Acme", "T-100", "4711", std::move(certificates), {}, {}};
}

// The certificate number chosen for each item, "-" for none, then the invalidity texts.
std::string Chosen(const std::vector<EquipmentItem>& items, std::string_view date,
                   std::string_view reason = {}) {
  const EquipmentChoice choice = ChooseEquipment(items, date, reason);
  if (!choice.error.empty()) {
    return "error: " + choice.error;
  }
  std::string text;
  for (const AppliedEquipment& applied : choice.applied) {
    text += applied.certificate.number + (applied.acceptedReason.empty() ? "" : "*") + " ";
  }
  for (const std::string& invalid : choice.invalid) {
    text += "| " + invalid;
  }
  return text;
}

TEST(equipment_choice, takes_the_certificate_valid_on_the_date_of_measurement) {
  const EquipmentItem item = Thermometer({Certificate("C-1", "2025-03-01", "2026-02-28"),
                                          Certificate("C-2", "2026-03-02", "2027-03-01")});
  EXPECT_EQ(Chosen({item}, "2026-02-28"), "C-1 ");
  EXPECT_EQ(Chosen({item}, "2026-03-02"), "C-2 ");
  // Expired the day before, and valid only from the day after: named, not applied.
  EXPECT_EQ(Chosen({item}, "2026-03-01"),
            "| the thermometer Acme T-100 serial 4711's certificate C-1 (calibrated 2025-03-01, "
            "valid until 2026-02-28) had expired on the date of measurement 2026-03-01");
  const EquipmentItem later = Thermometer({Certificate("C-3", "2026-03-02", "2027-03-01")});
  EXPECT_EQ(Chosen({later}, "2026-03-01"),
            "| the thermometer Acme T-100 serial 4711's certificate C-3 (calibrated 2026-03-02, "
            "valid until 2027-03-01) was not yet valid on the date of measurement 2026-03-01");
  // Applied with a reason, and still named.
  EXPECT_EQ(Chosen({item, later}, "2026-03-01", "checked against the reference").substr(0, 12),
            "C-1* C-3* | ");
}

TEST(equipment_choice, passes_over_a_superseded_certificate_and_refuses_none) {
  EquipmentCertificate wrong = Certificate("C-1", "2026-01-10", "2027-01-09");
  wrong.supersededBy = "C-1a";
  EquipmentCertificate mended = Certificate("C-1a", "2026-01-10", "2027-01-09");
  mended.supersedes = "C-1";
  EXPECT_EQ(Chosen({Thermometer({wrong, mended})}, "2026-06-01"), "C-1a ");
  // No certificate in force is an error whatever the reason.
  EXPECT_EQ(Chosen({Thermometer({wrong})}, "2026-06-01", "no time"),
            "error: the thermometer Acme T-100 serial 4711 has no certificate in force");
}

AppliedEquipment Sensor(EquipmentKind kind, double uncertainty) {
  AppliedEquipment applied;
  applied.kind = kind;
  applied.certificate.standardUncertainty = uncertainty;
  return applied;
}

TEST(equipment_uncertainty, replaces_the_named_sensors_components_only) {
  UncertaintyInputs given;
  given.sensors = SensorUncertainty{0.5, 0.3, 4.0};
  const UncertaintyInputs inputs =
      WithEquipment(given, {Sensor(EquipmentKind::kThermometer, 0.1)}, std::nullopt);
  ASSERT_TRUE(inputs.sensors);
  EXPECT_EQ(inputs.sensors->temperature, 0.1);
  EXPECT_EQ(inputs.sensors->pressure, 0.3);
  EXPECT_EQ(inputs.sensors->humidity, 4.0);
  ASSERT_EQ(inputs.equipment.size(), 1u);

  // Without --sensor-uncertainty the others are 0; without sensors nothing is added.
  const UncertaintyInputs alone =
      WithEquipment({}, {Sensor(EquipmentKind::kBarometer, 0.2)}, std::nullopt);
  ASSERT_TRUE(alone.sensors);
  EXPECT_EQ(alone.sensors->temperature, 0.0);
  EXPECT_EQ(alone.sensors->pressure, 0.2);
  EXPECT_FALSE(WithEquipment({}, {Sensor(EquipmentKind::kReflector, 0.5)}, std::nullopt).sensors);
}

TEST(equipment_uncertainty, a_psychrometer_s_wet_bulb_enters_as_relative_humidity) {
  // At 20 °C, 1013 hPa and a wet bulb of 15 °C the vapour pressure changes by
  // dE(15)/dt + 0.000662 p = 1.098 + 0.671 = 1.768 hPa per kelvin of wet bulb, over
  // E(20) = 23.38 hPa: 7.56 % RH per kelvin, so 0.2 K is 1.51 % RH.
  const FieldWeather mean{20.0, 1013.0, std::nullopt, 15.0};
  const UncertaintyInputs inputs =
      WithEquipment({}, {Sensor(EquipmentKind::kPsychrometer, 0.2)}, mean);
  ASSERT_TRUE(inputs.sensors);
  EXPECT_NEAR(inputs.sensors->humidity, 1.51, 0.01);
  EXPECT_EQ(inputs.sensors->temperature, 0.0);
}

}  // namespace
}  // namespace mensuro
