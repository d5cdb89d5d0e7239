#pragma once

// The laboratory's equipment behind a calibration: the weather sensors, the reflector, the
// reference instrument of a baseline survey and the baseline itself, each with the certificates
// of its own calibration over time. A calibration uses, for each item it names, the certificate
// valid on its date of measurement: a sensor's correction is added to its readings, its
// uncertainty enters the budget, and the certificate states each one for traceability.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mensuro {

enum class EquipmentKind {
  kThermometer,
  kBarometer,
  kHygrometer,    // relative humidity, %
  kPsychrometer,  // wet-bulb temperature, °C
  kReflector,
  kReferenceInstrument,
  kBaseline,
};

// Every kind, in the order above.
inline constexpr EquipmentKind kEquipmentKinds[] = {
    EquipmentKind::kThermometer,  EquipmentKind::kBarometer, EquipmentKind::kHygrometer,
    EquipmentKind::kPsychrometer, EquipmentKind::kReflector, EquipmentKind::kReferenceInstrument,
    EquipmentKind::kBaseline,
};

// The kind's name as files and the command line spell it: "thermometer", "barometer",
// "hygrometer", "psychrometer", "reflector", "reference-instrument", "baseline".
std::string_view EquipmentKindName(EquipmentKind kind);
// The kind of a name as EquipmentKindName spells it; nothing for another.
std::optional<EquipmentKind> EquipmentKindOf(std::string_view name);
// A weather sensor: a thermometer, barometer, hygrometer or psychrometer.
bool IsSensor(EquipmentKind kind);
// The unit of a sensor's correction and uncertainty, or of a reflector's prism constant:
// "°C", "hPa", "%", "°C", "mm"; empty for the other kinds.
std::string_view CorrectionUnit(EquipmentKind kind);

// One certificate of an item's own calibration. Entered once, never changed: a mistake is
// mended by a new certificate that supersedes it, with the reason.
struct EquipmentCertificate {
  std::string number;
  std::string issuedBy;
  std::string date;        // of calibration, YYYY-MM-DD
  std::string validUntil;  // YYYY-MM-DD, the last day it is valid
  // A sensor: the additive correction to a reading and its standard uncertainty, in the kind's
  // unit. A reflector: the prism constant and its standard uncertainty, mm.
  double correction = 0.0;
  double standardUncertainty = 0.0;
  // A reference instrument: its scale correction and constant with their expanded (95 percent)
  // uncertainties.
  double scalePpm = 0.0;
  double scaleUncertaintyPpm = 0.0;
  double constantMm = 0.0;
  double constantUncertaintyMm = 0.0;
  // A baseline: its certificate and its uncertainty as a library baseline's lines give them
  // ("A,B[,K[,DOF]]", as --baseline-uncertainty reads it).
  std::string baselineCertificate;
  std::string baselineUncertainty;
  // The certificate of the same item this one supersedes, and why; empty: none.
  std::string supersedes;
  std::string reason;
  // Filled by the register: when it was entered (ISO 8601 with offset), and the certificate
  // that supersedes it (empty: none).
  std::string enteredAt;
  std::string supersededBy;
};

// An item of equipment: make, model and serial identify it; one serial names at most one item
// of a kind.
struct EquipmentItem {
  EquipmentKind kind = EquipmentKind::kThermometer;
  std::string make;
  std::string model;
  std::string serial;
  std::vector<EquipmentCertificate> certificates;  // in the order they were entered
  // Taken out of use on that date (YYYY-MM-DD), with the reason; empty: in use.
  std::string retiredOn;
  std::string retireReason;
};

// Whether a certificate is valid on a date, and why not.
enum class EquipmentValidity {
  kValid,
  kExpired,       // the date is after its last valid day
  kNotYetValid,   // the date is before its calibration
  kRetired,       // the item was retired before the date
  kNoCertificate  // the item has no certificate in force at all
};

// The certificate an item has for a date of measurement (YYYY-MM-DD): among those not
// superseded, the newest valid on the date; when none is, the one nearest the date (the last
// expired before it, else the first issued after it) with the reason it isn't valid.
struct CertificateOnDate {
  std::optional<EquipmentCertificate> certificate;  // nothing: none in force
  EquipmentValidity validity = EquipmentValidity::kNoCertificate;
};
CertificateOnDate CertificateOn(const EquipmentItem& item, std::string_view date);

// The item as messages name it: "thermometer ACME T-100 serial 4711".
std::string EquipmentName(const EquipmentItem& item);

// Why `on` is not valid on `date` as a sentence naming the item, the certificate and its dates;
// empty when it is valid.
std::string InvalidityText(const EquipmentItem& item, const CertificateOnDate& on,
                           std::string_view date);

// An item as a calibration used it: the certificate chosen for its date of measurement and, when
// that certificate was not valid then, the reason the laboratory gave for using it anyway.
struct AppliedEquipment {
  EquipmentKind kind = EquipmentKind::kThermometer;
  std::string make;
  std::string model;
  std::string serial;
  EquipmentCertificate certificate;
  std::string acceptedReason;  // empty: valid on the date of measurement
};

// What the sensors' certificates add to a field file's readings before the atmospheric
// reduction: every reading of a quantity plus its sensor's correction, as if corrected by hand.
struct SensorCorrections {
  double temperature = 0.0;  // °C, to the dry-bulb temperature
  double pressure = 0.0;     // hPa
  double humidity = 0.0;     // %, to the relative humidity
  double wetBulb = 0.0;      // °C, to the wet-bulb temperature
};

// The corrections of the thermometer, barometer, hygrometer and psychrometer among `equipment`.
SensorCorrections SensorCorrectionsOf(const std::vector<AppliedEquipment>& equipment);

}  // namespace mensuro
