#include "ui/common/remembered_conditions.h"

#include <fmt/format.h>

#include <QStringList>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/data/number_text.h"
#include "ui/common/settings.h"

namespace mensuro {
namespace {

std::string BaselineText(const BaselineUncertainty& baseline) {
  return fmt::format("{},{},{},{}", baseline.expanded.mm, baseline.expanded.ppm, baseline.k,
                     baseline.dof ? fmt::format("{}", *baseline.dof) : std::string("inf"));
}

// "U,H": the unit length in metres, above 0, and the harmonics, 1 or 2.
std::optional<CyclicSettings> ReadCyclicSettings(std::string_view text, std::string& reason) {
  const std::optional<std::vector<double>> n = ReadNumberFields(text, 2, 2, "U,H", reason);
  if (!n) {
    return std::nullopt;
  }
  const double harmonics = (*n)[1];
  if (!((*n)[0] > 0.0) || (harmonics != 1.0 && harmonics != 2.0)) {
    reason = "U must be greater than 0 and H 1 or 2 (expected U,H)";
    return std::nullopt;
  }
  return CyclicSettings{.unitLength = (*n)[0], .harmonics = static_cast<int>(harmonics)};
}

// `text` read back by the core's reader of its form.
template <typename Value>
std::optional<Value> Read(const QString& text,
                          std::optional<Value> (*read)(std::string_view, std::string&)) {
  if (text.isEmpty()) {
    return std::nullopt;
  }
  std::string reason;
  return read(text.toStdString(), reason);
}

// The text form of `value`, empty when it is not given.
template <typename Value, typename Form>
QString TextOf(const std::optional<Value>& value, Form form) {
  return value ? QString::fromStdString(form(*value)) : QString();
}

}  // namespace

UncertaintyInputs RememberedConditions(const QString& edmDescription) {
  UncertaintyInputs conditions;
  conditions.baseline = Read(settings::BaselineUncertainty(), ParseBaselineUncertainty);
  for (const settings::InstrumentConditions& entry : settings::InstrumentConditionsList()) {
    if (entry.description == edmDescription) {
      conditions.sensors = Read(entry.sensors, ParseSensorUncertainty);
      conditions.resolution = Read(entry.resolution, ParseMillimetres);
      conditions.centring = Read(entry.centring, ParseMillimetres);
      conditions.acceptance = Read(entry.acceptance, ParseMmPlusPpm);
      conditions.cyclic = Read(entry.cyclic, ReadCyclicSettings);
    }
  }
  return conditions;
}

void RememberConditions(const QString& edmDescription, const UncertaintyInputs& conditions) {
  settings::SetBaselineUncertainty(TextOf(conditions.baseline, BaselineText));
  const auto millimetres = [](double value) { return fmt::format("{}", value); };
  const settings::InstrumentConditions remembered{
      edmDescription,
      TextOf(conditions.sensors,
             [](const SensorUncertainty& sensors) {
               return fmt::format("{},{},{}", sensors.temperature, sensors.pressure,
                                  sensors.humidity);
             }),
      TextOf(conditions.resolution, millimetres),
      TextOf(conditions.centring, millimetres),
      TextOf(conditions.acceptance,
             [](const MmPlusPpm& limit) { return fmt::format("{},{}", limit.mm, limit.ppm); }),
      TextOf(conditions.cyclic, [](const CyclicSettings& cyclic) {
        return fmt::format("{},{}", cyclic.unitLength, cyclic.harmonics);
      })};
  std::vector<settings::InstrumentConditions> entries = settings::InstrumentConditionsList();
  bool replaced = false;
  for (settings::InstrumentConditions& entry : entries) {
    if (entry.description == edmDescription) {
      entry = remembered;
      replaced = true;
    }
  }
  if (!replaced) {
    entries.push_back(remembered);
  }
  settings::SetInstrumentConditionsList(entries);
}

void RememberBaselineUncertainty(const BaselineUncertainty& baseline) {
  settings::SetBaselineUncertainty(QString::fromStdString(BaselineText(baseline)));
}

}  // namespace mensuro
