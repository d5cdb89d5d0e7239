#include "ui/common/remembered_instruments.h"

#include <fmt/format.h>

#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

#include "ui/common/settings.h"

namespace mensuro {
namespace {

constexpr std::string_view kIndexPrefix = "index ";
constexpr std::string_view kConditionsPrefix = "conditions ";

std::string ReferenceText(const EdmCarrier& carrier) {
  if (const auto* index = std::get_if<double>(&carrier.reference)) {
    return fmt::format("{}{}", kIndexPrefix, *index);
  }
  const auto& atmosphere = std::get<ReferenceAtmosphere>(carrier.reference);
  return fmt::format("{}{},{},{}", kConditionsPrefix, atmosphere.temperature, atmosphere.pressure,
                     atmosphere.humidity);
}

std::optional<EdmCarrier> ReadCarrier(const settings::InstrumentCarrier& entry) {
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
  for (const settings::InstrumentCarrier& entry : settings::InstrumentCarriers()) {
    if (entry.description == edmDescription) {
      return ReadCarrier(entry);
    }
  }
  return std::nullopt;
}

void RememberInstrument(const QString& edmDescription, const EdmCarrier& carrier) {
  std::vector<settings::InstrumentCarrier> entries = settings::InstrumentCarriers();
  const settings::InstrumentCarrier remembered{
      edmDescription, QString::fromStdString(fmt::format("{}", carrier.wavelength)),
      QString::fromStdString(ReferenceText(carrier))};
  bool replaced = false;
  for (settings::InstrumentCarrier& entry : entries) {
    if (entry.description == edmDescription) {
      entry = remembered;
      replaced = true;
    }
  }
  if (!replaced) {
    entries.push_back(remembered);
  }
  settings::SetInstrumentCarriers(entries);
}

}  // namespace mensuro
