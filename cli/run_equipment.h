#pragma once

// The laboratory's equipment behind a calibration run, from the register: the sensors whose
// certificates correct a field file's readings, the reflector, the library baseline's own
// certificate, and the instrument's next due date.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "core/certificate/certificate_details.h"
#include "core/equipment/equipment.h"

namespace mensuro::cli {

struct EquipmentOptions {
  // Serials of the register's items; empty: not named. The hygrometer may be a psychrometer.
  std::string thermometer;
  std::string barometer;
  std::string hygrometer;
  std::string reflector;
  // Why equipment whose certificate is not valid on the date of measurement is used anyway.
  std::string acceptExpired;
  bool stateDueDate = false;
};

// Declares the options on `app`, in a group of their own, bound to `options`; returns them.
std::vector<CLI::Option*> AddEquipmentOptions(CLI::App& app, EquipmentOptions& options);

// Whether a thermometer, barometer or hygrometer is named.
bool SensorsNamed(const EquipmentOptions& options);
// Whether any option needs the register: an item named, or the due date.
bool RegisterNeeded(const EquipmentOptions& options);
// Whether any of the options is given.
bool EquipmentOptionsGiven(const EquipmentOptions& options);

// The register equipment is read from: `registerOption` (--register), else the environment's
// MENSURO_REGISTER when the options need one; empty: none.
std::string EquipmentRegister(const EquipmentOptions& options, const std::string& registerOption);

// What the run looks up: the register, the date of measurement (YYYY-MM-DD; empty: none
// stated), the library baseline's name, and for a field file whether its humidity is a wet bulb
// (nothing: a file without weather readings or a measured text).
struct EquipmentQuery {
  std::string location;
  std::string headLog;
  std::string date;
  std::optional<std::string> baselineName;
  std::optional<bool> wetBulb;
};

// The equipment the run uses, each with its certificate for the date of measurement.
struct RunEquipment {
  std::vector<AppliedEquipment> applied;  // in the order named, the baseline last
  std::vector<std::string> invalid;       // why each item is not valid on the date
  std::string dueDate;                    // with --state-due-date
  bool used() const { return !applied.empty() || !invalid.empty(); }
};

// Reads the items named from the register (opened only for reading) and chooses their
// certificates; a library baseline whose name is a baseline item's serial is taken too. Returns
// 0, or the exit code having said why: an unknown serial, a hygrometer of the other kind than
// the file's, no date of measurement or an item without any certificate (2), a register that
// can't be read (3).
int LookUpEquipment(const EquipmentOptions& options, const EquipmentQuery& query,
                    RunEquipment& found);

// The applied item of `kind`, if any.
const AppliedEquipment* AppliedOfKind(const RunEquipment& equipment, EquipmentKind kind);

// `details` with the reflector's make, model and prism constant where they give none. Nothing,
// with the problem, when they give another prism constant than the reflector's certificate.
std::optional<CertificateDetails> WithReflector(CertificateDetails details,
                                                const RunEquipment& equipment,
                                                std::string& problem);

// The date of measurement a measured text states in its date line, YYYY-MM-DD; empty when it
// states none of the calendar.
std::string StatedMeasurementDate(std::string_view measuredText);

}  // namespace mensuro::cli
