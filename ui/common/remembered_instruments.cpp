#include "ui/common/remembered_instruments.h"

#include <fmt/format.h>

#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

#include "ui/common/user_settings.h"

namespace mensuro {
namespace {

const QString kGroup = QStringLiteral("Instruments");
const QString kDescriptionKey = QStringLiteral("description");
const QString kWavelengthKey = QStringLiteral("wavelength");
const QString kReferenceKey = QStringLiteral("reference");

constexpr std::string_view kIndexPrefix = "index ";
constexpr std::string_view kConditionsPrefix = "conditions ";

struct Entry {
  QString description;
  QString wavelength;
  QString reference;
};

// An entry typed by hand without quotes reads as a list of its comma-separated parts.
QString Text(const QSettings& settings, const QString& key) {
  return settings.value(key).toStringList().join(QLatin1Char(','));
}

std::vector<Entry> Entries(QSettings& settings) {
  std::vector<Entry> entries;
  const int count = settings.beginReadArray(kGroup);
  for (int index = 0; index < count; ++index) {
    settings.setArrayIndex(index);
    entries.push_back({settings.value(kDescriptionKey).toString(), Text(settings, kWavelengthKey),
                       Text(settings, kReferenceKey)});
  }
  settings.endArray();
  return entries;
}

std::string ReferenceText(const EdmCarrier& carrier) {
  if (const auto* index = std::get_if<double>(&carrier.reference)) {
    return fmt::format("{}{}", kIndexPrefix, *index);
  }
  const auto& atmosphere = std::get<ReferenceAtmosphere>(carrier.reference);
  return fmt::format("{}{},{},{}", kConditionsPrefix, atmosphere.temperature, atmosphere.pressure,
                     atmosphere.humidity);
}

std::optional<EdmCarrier> ReadCarrier(const Entry& entry) {
  std::string reason;
  const std::optional<double> wavelength = ParseWavelength(entry.wavelength.toStdString(), reason);
  if (!wavelength) {
    return std::nullopt;
  }
  const std::string reference = entry.reference.toStdString();
  const std::string_view text = reference;
  if (text.starts_with(kIndexPrefix)) {
    if (const auto index = ParseReferenceIndex(text.substr(kIndexPrefix.size()), reason)) {
      return EdmCarrier{*wavelength, *index};
    }
  } else if (text.starts_with(kConditionsPrefix)) {
    if (const auto atmosphere =
            ParseReferenceAtmosphere(text.substr(kConditionsPrefix.size()), reason)) {
      return EdmCarrier{*wavelength, *atmosphere};
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<EdmCarrier> RememberedInstrument(const QString& edmDescription) {
  UserSettings settings;
  for (const Entry& entry : Entries(settings)) {
    if (entry.description == edmDescription) {
      return ReadCarrier(entry);
    }
  }
  return std::nullopt;
}

void RememberInstrument(const QString& edmDescription, const EdmCarrier& carrier) {
  UserSettings settings;
  std::vector<Entry> entries = Entries(settings);
  const Entry remembered{edmDescription,
                         QString::fromStdString(fmt::format("{}", carrier.wavelength)),
                         QString::fromStdString(ReferenceText(carrier))};
  bool replaced = false;
  for (Entry& entry : entries) {
    if (entry.description == edmDescription) {
      entry = remembered;
      replaced = true;
    }
  }
  if (!replaced) {
    entries.push_back(remembered);
  }
  settings.beginWriteArray(kGroup, static_cast<int>(entries.size()));
  int index = 0;
  for (const Entry& entry : entries) {
    settings.setArrayIndex(index++);
    settings.setValue(kDescriptionKey, entry.description);
    settings.setValue(kWavelengthKey, entry.wavelength);
    settings.setValue(kReferenceKey, entry.reference);
  }
  settings.endArray();
}

}  // namespace mensuro
