#include "cli/run_equipment.h"

#include <fmt/format.h>

#include <cstdlib>
#include <exception>
#include <utility>

#include "cli/command_line.h"
#include "cli/terminal_output.h"
#include "core/data/local_time.h"
#include "core/data/measured_text.h"
#include "core/data/text_lines.h"
#include "core/equipment/applied_equipment.h"
#include "register/calibration_register.h"
#include "register/database.h"

namespace mensuro::cli {
namespace {

constexpr const char* kNoDate =
    "the equipment's certificates are chosen for the date of measurement, and the measured file "
    "states none: give it a date line ($DD-MM-YYYY), or --date DATE for a field file";

// An item named by serial, of `kind`; nothing after saying the register holds none.
std::optional<EquipmentItem> Named(CalibrationRegister& reg, EquipmentKind kind,
                                   const std::string& serial, std::string_view option) {
  std::optional<EquipmentItem> item = reg.FindEquipment(kind, serial);
  if (!item) {
    Fail(kExitUsage, fmt::format("the register holds no {} of serial '{}' ({})",
                                 EquipmentKindName(kind), serial, option));
  }
  return item;
}

// The hygrometer or psychrometer of the serial, whichever reads what the field file gives.
std::optional<EquipmentItem> NamedHygrometer(CalibrationRegister& reg, const std::string& serial,
                                             bool wetBulb) {
  std::optional<EquipmentItem> hygrometer = reg.FindEquipment(EquipmentKind::kHygrometer, serial);
  std::optional<EquipmentItem> psychrometer =
      reg.FindEquipment(EquipmentKind::kPsychrometer, serial);
  std::optional<EquipmentItem>& wanted = wetBulb ? psychrometer : hygrometer;
  if (wanted) {
    return wanted;
  }
  if (wetBulb && hygrometer) {
    Fail(kExitUsage, fmt::format("--hygrometer {} is a hygrometer (relative humidity), and the "
                                 "field file gives wet-bulb readings: name its psychrometer",
                                 serial));
  } else if (!wetBulb && psychrometer) {
    Fail(kExitUsage, fmt::format("--hygrometer {} is a psychrometer (wet bulb), and the field "
                                 "file gives relative humidity: name its hygrometer",
                                 serial));
  } else {
    Fail(kExitUsage, fmt::format("the register holds no hygrometer or psychrometer of serial "
                                 "'{}' (--hygrometer)",
                                 serial));
  }
  return std::nullopt;
}

// The items the options name and the library baseline's, read from `reg`; nothing after saying
// which the register lacks.
std::optional<std::vector<EquipmentItem>> NamedItems(CalibrationRegister& reg,
                                                     const EquipmentOptions& options,
                                                     const EquipmentQuery& query) {
  std::vector<EquipmentItem> items;
  const auto add = [&](EquipmentKind kind, const std::string& serial, std::string_view option) {
    if (serial.empty()) {
      return true;
    }
    std::optional<EquipmentItem> item = Named(reg, kind, serial, option);
    if (item) {
      items.push_back(std::move(*item));
    }
    return item.has_value();
  };
  if (!add(EquipmentKind::kThermometer, options.thermometer, "--thermometer") ||
      !add(EquipmentKind::kBarometer, options.barometer, "--barometer")) {
    return std::nullopt;
  }
  if (!options.hygrometer.empty()) {
    std::optional<EquipmentItem> item =
        NamedHygrometer(reg, options.hygrometer, query.wetBulb.value_or(false));
    if (!item) {
      return std::nullopt;
    }
    items.push_back(std::move(*item));
  }
  if (!add(EquipmentKind::kReflector, options.reflector, "--reflector")) {
    return std::nullopt;
  }
  if (query.baselineName) {
    if (std::optional<EquipmentItem> baseline =
            reg.FindEquipment(EquipmentKind::kBaseline, *query.baselineName)) {
      items.push_back(std::move(*baseline));
    }
  }
  return items;
}

int LookUp(CalibrationRegister& reg, const EquipmentOptions& options, const EquipmentQuery& query,
           RunEquipment& found) {
  const std::optional<std::vector<EquipmentItem>> items = NamedItems(reg, options, query);
  if (!items) {
    return kExitUsage;
  }
  if (items->empty() && !options.stateDueDate) {
    return kExitSuccess;
  }
  if (query.date.empty()) {
    return Fail(kExitUsage, kNoDate);
  }
  EquipmentChoice choice = ChooseEquipment(*items, query.date, options.acceptExpired);
  if (!choice.error.empty()) {
    return Fail(kExitUsage, choice.error);
  }
  found.applied = std::move(choice.applied);
  found.invalid = std::move(choice.invalid);
  if (options.stateDueDate) {
    const std::optional<RegisterSettings> settings = reg.Settings();
    found.dueDate = DateMonthsAfter(query.date, settings ? settings->intervalMonths : 12);
  }
  return kExitSuccess;
}

}  // namespace

std::vector<CLI::Option*> AddEquipmentOptions(CLI::App& app, EquipmentOptions& options) {
  const auto serial = [&app](const char* name, std::string& into, const char* description) {
    return app.add_option(name, into, description)->type_name("SERIAL");
  };
  std::vector<CLI::Option*> added = {
      serial("--thermometer", options.thermometer,
             "The register's thermometer that read the field file's temperatures: its "
             "certificate valid on the date of measurement corrects every reading and gives the "
             "budget its uncertainty"),
      serial("--barometer", options.barometer,
             "The register's barometer that read the field file's pressures, likewise"),
      serial("--hygrometer", options.hygrometer,
             "The register's hygrometer (relative humidity) or psychrometer (wet bulb) that read "
             "the field file's humidities, likewise"),
      serial("--reflector", options.reflector,
             "The register's reflector: the certificate names it and its prism constant"),
      app.add_option("--accept-expired", options.acceptExpired,
                     "Use equipment whose certificate is not valid on the date of measurement, "
                     "for this reason, which the certificate states")
          ->type_name("REASON"),
      app.add_flag("--state-due-date", options.stateDueDate,
                   "State on the certificate when the instrument's next calibration falls due "
                   "(the date of measurement plus the register's interval), where the client "
                   "agreed to it"),
  };
  for (CLI::Option* option : added) {
    option->group("Equipment (from the register: --register or MENSURO_REGISTER)");
  }
  return added;
}

bool SensorsNamed(const EquipmentOptions& options) {
  return !options.thermometer.empty() || !options.barometer.empty() || !options.hygrometer.empty();
}

bool RegisterNeeded(const EquipmentOptions& options) {
  return SensorsNamed(options) || !options.reflector.empty() || options.stateDueDate;
}

bool EquipmentOptionsGiven(const EquipmentOptions& options) {
  return RegisterNeeded(options) || !options.acceptExpired.empty();
}

std::string EquipmentRegister(const EquipmentOptions& options, const std::string& registerOption) {
  if (!registerOption.empty() || !RegisterNeeded(options)) {
    return registerOption;
  }
  const char* const fromEnvironment = std::getenv(kRegisterEnvironment);
  return fromEnvironment != nullptr ? fromEnvironment : "";
}

int LookUpEquipment(const EquipmentOptions& options, const EquipmentQuery& query,
                    RunEquipment& found) {
  const bool needed = RegisterNeeded(options);
  if (query.location.empty()) {
    return needed ? Fail(kExitUsage,
                         "--thermometer, --barometer, --hygrometer, --reflector and "
                         "--state-due-date read the laboratory's register: give --register "
                         "REGISTER or set " +
                             std::string(kRegisterEnvironment))
                  : kExitSuccess;
  }
  std::optional<CalibrationRegister> reg;
  try {
    reg.emplace(CalibrationRegister::OpenForReading(query.location, query.headLog));
  } catch (const std::exception& error) {
    // Looking only for the baseline's certificate in a register the run issues into: issuing
    // opens it itself, and says what keeps it from doing so.
    return needed ? Fail(kExitRegister, error.what()) : kExitSuccess;
  }
  try {
    return LookUp(*reg, options, query, found);
  } catch (const std::exception& error) {
    return Fail(kExitRegister, error.what());
  }
}

const AppliedEquipment* AppliedOfKind(const RunEquipment& equipment, EquipmentKind kind) {
  for (const AppliedEquipment& item : equipment.applied) {
    if (item.kind == kind) {
      return &item;
    }
  }
  return nullptr;
}

std::optional<CertificateDetails> WithReflector(CertificateDetails details,
                                                const RunEquipment& equipment,
                                                std::string& problem) {
  const AppliedEquipment* reflector = AppliedOfKind(equipment, EquipmentKind::kReflector);
  if (!reflector) {
    return details;
  }
  ReflectorDetails& given = details.reflector;
  const double constant = reflector->certificate.correction;
  if (given.prismConstantMm && *given.prismConstantMm != constant) {
    problem = fmt::format(
        "the certificate's details give the prism constant {} mm, and the reflector {} {} "
        "serial {} has {} mm by its certificate {}",
        *given.prismConstantMm, reflector->make, reflector->model, reflector->serial, constant,
        reflector->certificate.number);
    return std::nullopt;
  }
  given.prismConstantMm = constant;
  if (given.make.empty()) {
    given.make = reflector->make;
  }
  if (given.model.empty()) {
    given.model = reflector->model;
  }
  return details;
}

std::string StatedMeasurementDate(std::string_view measuredText) {
  MeasurementHeader header;
  ForEachTextLine(measuredText, [&header](std::string_view line) {
    ApplyHeaderLine(line, header);
    return true;
  });
  return IsoDateOf(header.date).value_or(std::string());
}

}  // namespace mensuro::cli
