#include "ui/common/remembered_conditions.h"

#include <fmt/format.h>

#include <QStringList>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/common/user_settings.h"

namespace mensuro {
namespace {

const QString kBaselineKey = QStringLiteral("CalibrationConditions/baselineUncertainty");
const QString kInstrumentGroup = QStringLiteral("InstrumentConditions");
const QString kDescriptionKey = QStringLiteral("description");
const QString kSensorsKey = QStringLiteral("sensorUncertainty");
const QString kResolutionKey = QStringLiteral("resolution");
const QString kCentringKey = QStringLiteral("centring");
const QString kAcceptanceKey = QStringLiteral("acceptance");

std::string BaselineText(const BaselineUncertainty& baseline) {
  return fmt::format("{},{},{},{}", baseline.expanded.mm, baseline.expanded.ppm, baseline.k,
                     baseline.dof ? fmt::format("{}", *baseline.dof) : std::string("inf"));
}

// An instrument's conditions in their text forms; empty: not given.
struct InstrumentEntry {
  QString description;
  QString sensors;
  QString resolution;
  QString centring;
  QString acceptance;
};

// An entry typed by hand without quotes reads as a list of its comma-separated parts.
QString Text(const QSettings& settings, const QString& key) {
  return settings.value(key).toStringList().join(QLatin1Char(','));
}

std::vector<InstrumentEntry> InstrumentEntries(QSettings& settings) {
  std::vector<InstrumentEntry> entries;
  const int count = settings.beginReadArray(kInstrumentGroup);
  for (int index = 0; index < count; ++index) {
    settings.setArrayIndex(index);
    entries.push_back({settings.value(kDescriptionKey).toString(), Text(settings, kSensorsKey),
                       Text(settings, kResolutionKey), Text(settings, kCentringKey),
                       Text(settings, kAcceptanceKey)});
  }
  settings.endArray();
  return entries;
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

// Writes `text`, or removes the entry when it is empty.
void Store(QSettings& settings, const QString& key, const QString& text) {
  if (text.isEmpty()) {
    settings.remove(key);
  } else {
    settings.setValue(key, text);
  }
}

}  // namespace

UncertaintyInputs RememberedConditions(const QString& edmDescription) {
  UserSettings settings;
  UncertaintyInputs conditions;
  conditions.baseline = Read(Text(settings, kBaselineKey), ParseBaselineUncertainty);
  for (const InstrumentEntry& entry : InstrumentEntries(settings)) {
    if (entry.description == edmDescription) {
      conditions.sensors = Read(entry.sensors, ParseSensorUncertainty);
      conditions.resolution = Read(entry.resolution, ParseMillimetres);
      conditions.centring = Read(entry.centring, ParseMillimetres);
      conditions.acceptance = Read(entry.acceptance, ParseMmPlusPpm);
    }
  }
  return conditions;
}

void RememberConditions(const QString& edmDescription, const UncertaintyInputs& conditions) {
  UserSettings settings;
  Store(settings, kBaselineKey, TextOf(conditions.baseline, BaselineText));
  const auto millimetres = [](double value) { return fmt::format("{}", value); };
  const InstrumentEntry remembered{
      edmDescription,
      TextOf(conditions.sensors,
             [](const SensorUncertainty& sensors) {
               return fmt::format("{},{},{}", sensors.temperature, sensors.pressure,
                                  sensors.humidity);
             }),
      TextOf(conditions.resolution, millimetres), TextOf(conditions.centring, millimetres),
      TextOf(conditions.acceptance,
             [](const MmPlusPpm& limit) { return fmt::format("{},{}", limit.mm, limit.ppm); })};
  std::vector<InstrumentEntry> entries = InstrumentEntries(settings);
  bool replaced = false;
  for (InstrumentEntry& entry : entries) {
    if (entry.description == edmDescription) {
      entry = remembered;
      replaced = true;
    }
  }
  if (!replaced) {
    entries.push_back(remembered);
  }
  settings.remove(kInstrumentGroup);  // no stale keys of a condition no longer given
  settings.beginWriteArray(kInstrumentGroup, static_cast<int>(entries.size()));
  int index = 0;
  for (const InstrumentEntry& entry : entries) {
    settings.setArrayIndex(index++);
    settings.setValue(kDescriptionKey, entry.description);
    Store(settings, kSensorsKey, entry.sensors);
    Store(settings, kResolutionKey, entry.resolution);
    Store(settings, kCentringKey, entry.centring);
    Store(settings, kAcceptanceKey, entry.acceptance);
  }
  settings.endArray();
}

void RememberBaselineUncertainty(const BaselineUncertainty& baseline) {
  UserSettings settings;
  settings.setValue(kBaselineKey, QString::fromStdString(BaselineText(baseline)));
}

}  // namespace mensuro
