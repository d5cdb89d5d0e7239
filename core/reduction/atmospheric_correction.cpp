#include "core/reduction/atmospheric_correction.h"

#include <fmt/format.h>
#include <cmath>

#include "core/data/number_text.h"
#include "core/units.h"

namespace mensuro {
namespace {

constexpr double kZeroCelsius = 273.15;        // K
constexpr double kStandardPressure = 1013.25;  // hPa

}  // namespace

double SaturationVapourPressure(double temperature) {
  return 6.1078 * std::pow(10.0, 7.5 * temperature / (237.3 + temperature));
}

double VapourPressureFromHumidity(double temperature, double humidity) {
  return humidity / 100.0 * SaturationVapourPressure(temperature);
}

double VapourPressureFromWetBulb(double temperature, double wetBulb, double pressure) {
  return SaturationVapourPressure(wetBulb) - 0.000662 * pressure * (temperature - wetBulb);
}

double GroupRefractivity(double wavelength) {
  const double square = wavelength * wavelength;
  return 287.6155 + 4.88660 / square + 0.06800 / (square * square);
}

double AirRefractivity(double groupRefractivity, double temperature, double pressure,
                       double vapourPressure) {
  const double kelvin = kZeroCelsius + temperature;
  return kZeroCelsius / kStandardPressure * groupRefractivity * pressure / kelvin -
         11.27 * vapourPressure / kelvin;
}

double ReferenceRefractivity(const EdmCarrier& carrier) {
  if (const double* index = std::get_if<double>(&carrier.reference)) {
    return (*index - 1.0) * kPartsPerMillion;
  }
  const auto& atmosphere = std::get<ReferenceAtmosphere>(carrier.reference);
  return AirRefractivity(GroupRefractivity(carrier.wavelength), atmosphere.temperature,
                         atmosphere.pressure,
                         VapourPressureFromHumidity(atmosphere.temperature, atmosphere.humidity));
}

double DistanceWithoutSetting(double displayed, double ppmSet) {
  return displayed / (1.0 + ppmSet * kPpm);
}

double FirstVelocityCorrected(double distanceWithoutSetting, double referenceRefractivity,
                              double airRefractivity) {
  return distanceWithoutSetting * (1.0 + referenceRefractivity * kPpm) /
         (1.0 + airRefractivity * kPpm);
}

std::optional<double> ParseWavelength(std::string_view text, std::string& reason) {
  const std::optional<double> wavelength = ReadWholeNumber(text);
  if (!wavelength) {
    reason = fmt::format("\"{}\" is not a number (the carrier wavelength in µm)", TrimBlanks(text));
  } else if (*wavelength < 0.3 || *wavelength > 20.0) {
    reason = fmt::format(
        "{} µm is not the wavelength of a light or infrared carrier (0.3 to 20 µm; 0.658 for a "
        "red laser)",
        *wavelength);
  } else {
    return wavelength;
  }
  return std::nullopt;
}

std::optional<double> ParseReferenceIndex(std::string_view text, std::string& reason) {
  const std::optional<double> index = ReadWholeNumber(text);
  if (!index) {
    reason = fmt::format("\"{}\" is not a number (the reference refractive index, 1.000286 say)",
                         TrimBlanks(text));
  } else if (*index < 1.0 || *index > 1.001) {
    reason = fmt::format("{} is not a refractive index of air (1 to 1.001)", *index);
  } else {
    return index;
  }
  return std::nullopt;
}

std::optional<ReferenceAtmosphere> ParseReferenceAtmosphere(std::string_view text,
                                                            std::string& reason) {
  const auto numbers = ReadNumberFields(text, 3, 3, "T,P,RH", reason, {.negativeAllowed = true});
  if (!numbers) {
    return std::nullopt;
  }
  const ReferenceAtmosphere atmosphere{(*numbers)[0], (*numbers)[1], (*numbers)[2]};
  for (const std::string& problem :
       {TemperatureProblem(atmosphere.temperature), PressureProblem(atmosphere.pressure),
        HumidityProblem(atmosphere.humidity)}) {
    if (!problem.empty()) {
      reason = problem;
      return std::nullopt;
    }
  }
  return atmosphere;
}

std::string TemperatureProblem(double temperature) {
  return temperature >= -60.0 && temperature <= 60.0
             ? std::string()
             : fmt::format("{} °C is not an air temperature (-60 to +60 °C)", temperature);
}

std::string PressureProblem(double pressure) {
  return pressure >= 300.0 && pressure <= 1200.0
             ? std::string()
             : fmt::format("{} hPa is not an air pressure (300 to 1200 hPa)", pressure);
}

std::string HumidityProblem(double humidity) {
  return humidity >= 0.0 && humidity <= 100.0
             ? std::string()
             : fmt::format("{} % is not a relative humidity (0 to 100 %)", humidity);
}

}  // namespace mensuro
