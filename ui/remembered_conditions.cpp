#include "ui/remembered_conditions.h"

#include <fmt/format.h>

#include <QStringList>
#include <optional>
#include <string>
#include <string_view>

#include "ui/user_settings.h"

namespace mensuro {
namespace {

const QString kBaselineKey = QStringLiteral("CalibrationConditions/baselineUncertainty");
const QString kSensorsKey = QStringLiteral("CalibrationConditions/sensorUncertainty");
const QString kResolutionKey = QStringLiteral("CalibrationConditions/resolution");
const QString kCentringKey = QStringLiteral("CalibrationConditions/centring");
const QString kAcceptanceKey = QStringLiteral("CalibrationConditions/acceptance");

std::string BaselineText(const BaselineUncertainty& baseline) {
  return fmt::format("{},{},{},{}", baseline.expanded.mm, baseline.expanded.ppm, baseline.k,
                     baseline.dof ? fmt::format("{}", *baseline.dof) : std::string("inf"));
}

// Writes `value` in the form `text` gives it, or removes the entry when there is none.
template <typename Value, typename Text>
void Store(QSettings& settings, const QString& key, const std::optional<Value>& value, Text text) {
  if (value) {
    settings.setValue(key, QString::fromStdString(text(*value)));
  } else {
    settings.remove(key);
  }
}

// The entry read back by the core's reader of its text form.
template <typename Value>
std::optional<Value> Load(const QSettings& settings, const QString& key,
                          std::optional<Value> (*read)(std::string_view, std::string&)) {
  if (!settings.contains(key)) {
    return std::nullopt;
  }
  // An entry typed by hand without quotes reads as a list of its comma-separated parts.
  const std::string text = settings.value(key).toStringList().join(QLatin1Char(',')).toStdString();
  std::string reason;
  return read(text, reason);
}

}  // namespace

UncertaintyInputs RememberedConditions() {
  const UserSettings settings;
  UncertaintyInputs conditions;
  conditions.baseline = Load(settings, kBaselineKey, ParseBaselineUncertainty);
  conditions.sensors = Load(settings, kSensorsKey, ParseSensorUncertainty);
  conditions.resolution = Load(settings, kResolutionKey, ParseMillimetres);
  conditions.centring = Load(settings, kCentringKey, ParseMillimetres);
  conditions.acceptance = Load(settings, kAcceptanceKey, ParseMmPlusPpm);
  return conditions;
}

void RememberConditions(const UncertaintyInputs& conditions) {
  UserSettings settings;
  Store(settings, kBaselineKey, conditions.baseline, BaselineText);
  Store(settings, kSensorsKey, conditions.sensors, [](const SensorUncertainty& sensors) {
    return fmt::format("{},{},{}", sensors.temperature, sensors.pressure, sensors.humidity);
  });
  const auto millimetres = [](double value) { return fmt::format("{}", value); };
  Store(settings, kResolutionKey, conditions.resolution, millimetres);
  Store(settings, kCentringKey, conditions.centring, millimetres);
  Store(settings, kAcceptanceKey, conditions.acceptance,
        [](const MmPlusPpm& limit) { return fmt::format("{},{}", limit.mm, limit.ppm); });
}

void RememberBaselineUncertainty(const BaselineUncertainty& baseline) {
  UserSettings settings;
  settings.setValue(kBaselineKey, QString::fromStdString(BaselineText(baseline)));
}

}  // namespace mensuro
