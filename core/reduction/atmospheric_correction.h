#pragma once

// The first velocity correction of an EDM distance: the refractivity of the air along the line
// by the IAG (1999) closed formula for the group refractivity of a light or infrared carrier,
// against the reference refractivity for which the instrument's frequency was set.

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace mensuro {

// Saturation vapour pressure over water (Magnus), hPa, at t °C.
double SaturationVapourPressure(double temperature);

// The partial pressure of water vapour, hPa, from the relative humidity (%) at t °C ...
double VapourPressureFromHumidity(double temperature, double humidity);
// ... or from the wet bulb (psychrometer) temperature t_w °C at pressure p hPa.
double VapourPressureFromWetBulb(double temperature, double wetBulb, double pressure);

// The group refractivity of standard air, N_gr, for a carrier of wavelength λ µm.
double GroupRefractivity(double wavelength);

// The refractivity N_L of air at t °C, p hPa and vapour pressure e hPa, for N_gr.
double AirRefractivity(double groupRefractivity, double temperature, double pressure,
                       double vapourPressure);

// The atmosphere an instrument's frequency is set for: t °C, p hPa, RH %.
struct ReferenceAtmosphere {
  double temperature = 0.0;
  double pressure = 0.0;
  double humidity = 0.0;
};

// The instrument's carrier and its reference, from its manual: a reference refractive index
// n_REF, or the reference atmosphere.
struct EdmCarrier {
  double wavelength = 0.0;  // µm
  std::variant<double, ReferenceAtmosphere> reference;
};

// N_REF: (n_REF − 1)·10⁶, or the refractivity of the reference atmosphere.
double ReferenceRefractivity(const EdmCarrier& carrier);

// D1 = D0·(1 + N_REF·10⁻⁶)/(1 + N_L·10⁻⁶), with D0 the displayed distance less the ppm
// correction that was set in the instrument while measuring.
double DistanceWithoutSetting(double displayed, double ppmSet);
double FirstVelocityCorrected(double distanceWithoutSetting, double referenceRefractivity,
                              double airRefractivity);

// The carrier's text forms, as the command line and remembered settings give them; nothing,
// with the reason, for a value that can't be meant. "UM": the wavelength in µm (0.3 to 20).
std::optional<double> ParseWavelength(std::string_view text, std::string& reason);
// "N": the reference refractive index (1 to 1.001).
std::optional<double> ParseReferenceIndex(std::string_view text, std::string& reason);
// "T,P,RH": the reference atmosphere.
std::optional<ReferenceAtmosphere> ParseReferenceAtmosphere(std::string_view text,
                                                            std::string& reason);

// Why a weather reading can't be used in the formulas above (a temperature outside -60 to
// +60 °C, a pressure outside 300 to 1200 hPa, a humidity outside 0 to 100 %), or the empty text.
std::string TemperatureProblem(double temperature);
std::string PressureProblem(double pressure);
std::string HumidityProblem(double humidity);

}  // namespace mensuro
