#include "core/equipment/applied_equipment.h"

#include <cmath>
#include <utility>

#include "core/reduction/atmospheric_correction.h"

namespace mensuro {
namespace {

// The relative humidity (%) a wet bulb of `wetBulb` °C gives at the mean dry bulb and pressure,
// by the reduction's own formulas: its vapour pressure over the saturation vapour pressure at
// the dry bulb (that is, the vapour pressure of 100 % RH).
double HumidityOfWetBulb(const FieldWeather& mean, double wetBulb) {
  return 100.0 * VapourPressureFromWetBulb(mean.temperature, wetBulb, mean.pressure) /
         VapourPressureFromHumidity(mean.temperature, 100.0);
}

// A wet-bulb standard uncertainty (°C) in % RH: the change of the humidity over the wet bulb's
// interval ±u at the mean readings, halved. The humidity is nearly linear in the wet bulb over
// a few tenths of a degree, so this is the sensitivity coefficient times u of the GUM.
double WetBulbAsHumidity(const FieldWeather& mean, double uncertainty) {
  const double wetBulb = mean.wetBulb.value_or(mean.temperature);
  return std::abs(HumidityOfWetBulb(mean, wetBulb + uncertainty) -
                  HumidityOfWetBulb(mean, wetBulb - uncertainty)) /
         2.0;
}

}  // namespace

AppliedEquipment ApplyEquipment(const EquipmentItem& item, const EquipmentCertificate& certificate,
                                std::string acceptedReason) {
  return {item.kind, item.make, item.model, item.serial, certificate, std::move(acceptedReason)};
}

EquipmentChoice ChooseEquipment(const std::vector<EquipmentItem>& items, std::string_view date,
                                std::string_view acceptedReason) {
  EquipmentChoice choice;
  for (const EquipmentItem& item : items) {
    const CertificateOnDate on = CertificateOn(item, date);
    if (!on.certificate) {
      choice.error = InvalidityText(item, on, date);
      return choice;
    }
    if (on.validity == EquipmentValidity::kValid) {
      choice.applied.push_back(ApplyEquipment(item, *on.certificate, {}));
      continue;
    }
    choice.invalid.push_back(InvalidityText(item, on, date));
    if (!acceptedReason.empty()) {
      choice.applied.push_back(ApplyEquipment(item, *on.certificate, std::string(acceptedReason)));
    }
  }
  return choice;
}

std::optional<FieldWeather> MeanReadings(const FieldReduction& reduction) {
  if (reduction.kind != FieldDistanceKind::kSlope || reduction.rows.empty()) {
    return std::nullopt;
  }
  double temperature = 0.0, pressure = 0.0, humidity = 0.0, wetBulb = 0.0;
  bool humidities = false, wetBulbs = false;
  for (const ReducedObservation& row : reduction.rows) {
    const FieldWeather& weather = row.observation.weather;
    temperature += weather.temperature;
    pressure += weather.pressure;
    humidities = humidities || weather.humidity.has_value();
    wetBulbs = wetBulbs || weather.wetBulb.has_value();
    humidity += weather.humidity.value_or(0.0);
    wetBulb += weather.wetBulb.value_or(0.0);
  }
  const double count = static_cast<double>(reduction.rows.size());
  FieldWeather mean{temperature / count, pressure / count, std::nullopt, std::nullopt};
  if (humidities) {
    mean.humidity = humidity / count;
  }
  if (wetBulbs) {
    mean.wetBulb = wetBulb / count;
  }
  return mean;
}

UncertaintyInputs WithEquipment(UncertaintyInputs inputs, std::vector<AppliedEquipment> equipment,
                                const std::optional<FieldWeather>& meanReadings) {
  // A component --sensor-uncertainty didn't give is 0 beside a sensor's.
  const auto sensors = [&inputs]() -> SensorUncertainty& {
    if (!inputs.sensors) {
      inputs.sensors.emplace();
    }
    return *inputs.sensors;
  };
  for (const AppliedEquipment& item : equipment) {
    const double u = item.certificate.standardUncertainty;
    switch (item.kind) {
      case EquipmentKind::kThermometer:
        sensors().temperature = u;
        break;
      case EquipmentKind::kBarometer:
        sensors().pressure = u;
        break;
      case EquipmentKind::kHygrometer:
        sensors().humidity = u;
        break;
      case EquipmentKind::kPsychrometer:
        if (meanReadings) {
          sensors().humidity = WetBulbAsHumidity(*meanReadings, u);
        }
        break;
      default:
        break;
    }
  }
  inputs.equipment = std::move(equipment);
  return inputs;
}

}  // namespace mensuro
