#include "ui/common/settings.h"

#include <QSettings>
#include <cstddef>
#include <functional>

namespace mensuro::settings {
namespace {

// In the default format, which is the native one unless the program chose another: the tests
// choose files in a folder of their own, so that test programs running side by side on Windows
// don't share the registry.
class UserSettings : public QSettings {
 public:
  UserSettings()
      : QSettings(QSettings::defaultFormat(), QSettings::UserScope, QStringLiteral("Mensuro"),
                  QStringLiteral("Mensuro")) {}
};

QString SectionKey(Section section) {
  switch (section) {
    case Section::kCalibrationConditions:
      return QStringLiteral("CalibrationConditions");
    case Section::kInstrumentConditions:
      return QStringLiteral("InstrumentConditions");
    case Section::kInstruments:
      return QStringLiteral("Instruments");
    case Section::kInstrumentEquipment:
      return QStringLiteral("InstrumentEquipment");
    case Section::kFieldColumns:
      return QStringLiteral("FieldColumns");
    case Section::kCertificateLaboratory:
      return QStringLiteral("CertificateLaboratory");
    case Section::kCertificateInstruments:
      return QStringLiteral("CertificateInstruments");
    case Section::kRegister:
      return QStringLiteral("Register");
  }
  return {};
}

const QString kBaselineUncertaintyKey = QStringLiteral("CalibrationConditions/baselineUncertainty");
const QString kRegisterLocationKey = QStringLiteral("Register/location");
const QString kRegisterHeadLogKey = QStringLiteral("Register/headLog");

// A text entry that may have been typed by hand without quotes.
QString Text(const QSettings& settings, const QString& key) {
  return settings.value(key).toStringList().join(QLatin1Char(','));
}

QString String(const QSettings& settings, const QString& key) {
  return settings.value(key).toString();
}

// Writes `text`, or removes the entry when it is empty.
void Store(QSettings& settings, const QString& key, const QString& text) {
  if (text.isEmpty()) {
    settings.remove(key);
  } else {
    settings.setValue(key, text);
  }
}

// The entries of the list `section`, each read by `read`.
template <typename Entry>
std::vector<Entry> ReadList(Section section, const std::function<Entry(const QSettings&)>& read) {
  UserSettings settings;
  std::vector<Entry> entries;
  const int count = settings.beginReadArray(SectionKey(section));
  for (int index = 0; index < count; ++index) {
    settings.setArrayIndex(index);
    entries.push_back(read(settings));
  }
  settings.endArray();
  return entries;
}

// Writes `entries` as the list `section`, each by `write`.
template <typename Entry>
void WriteList(QSettings& settings, Section section, const std::vector<Entry>& entries,
               const std::function<void(QSettings&, const Entry&)>& write) {
  settings.beginWriteArray(SectionKey(section), static_cast<int>(entries.size()));
  for (std::size_t index = 0; index < entries.size(); ++index) {
    settings.setArrayIndex(static_cast<int>(index));
    write(settings, entries[index]);
  }
  settings.endArray();
}

}  // namespace

void Forget(Section section) {
  UserSettings().remove(SectionKey(section));
}

QString BaselineUncertainty() {
  return Text(UserSettings(), kBaselineUncertaintyKey);
}

void SetBaselineUncertainty(const QString& text) {
  UserSettings settings;
  Store(settings, kBaselineUncertaintyKey, text);
}

std::vector<InstrumentConditions> InstrumentConditionsList() {
  return ReadList<InstrumentConditions>(
      Section::kInstrumentConditions, [](const QSettings& settings) {
        return InstrumentConditions{String(settings, QStringLiteral("description")),
                                    Text(settings, QStringLiteral("sensorUncertainty")),
                                    Text(settings, QStringLiteral("resolution")),
                                    Text(settings, QStringLiteral("centring")),
                                    Text(settings, QStringLiteral("acceptance")),
                                    Text(settings, QStringLiteral("cyclicError"))};
      });
}

void SetInstrumentConditionsList(const std::vector<InstrumentConditions>& entries) {
  UserSettings settings;
  settings.remove(SectionKey(Section::kInstrumentConditions));
  WriteList<InstrumentConditions>(settings, Section::kInstrumentConditions, entries,
                                  [](QSettings& list, const InstrumentConditions& entry) {
                                    list.setValue(QStringLiteral("description"), entry.description);
                                    Store(list, QStringLiteral("sensorUncertainty"), entry.sensors);
                                    Store(list, QStringLiteral("resolution"), entry.resolution);
                                    Store(list, QStringLiteral("centring"), entry.centring);
                                    Store(list, QStringLiteral("acceptance"), entry.acceptance);
                                    Store(list, QStringLiteral("cyclicError"), entry.cyclic);
                                  });
}

std::vector<InstrumentCarrier> InstrumentCarriers() {
  return ReadList<InstrumentCarrier>(Section::kInstruments, [](const QSettings& settings) {
    return InstrumentCarrier{String(settings, QStringLiteral("description")),
                             Text(settings, QStringLiteral("wavelength")),
                             Text(settings, QStringLiteral("reference"))};
  });
}

void SetInstrumentCarriers(const std::vector<InstrumentCarrier>& entries) {
  UserSettings settings;
  WriteList<InstrumentCarrier>(settings, Section::kInstruments, entries,
                               [](QSettings& list, const InstrumentCarrier& entry) {
                                 list.setValue(QStringLiteral("description"), entry.description);
                                 list.setValue(QStringLiteral("wavelength"), entry.wavelength);
                                 list.setValue(QStringLiteral("reference"), entry.reference);
                               });
}

std::vector<InstrumentEquipment> InstrumentEquipmentList() {
  return ReadList<InstrumentEquipment>(
      Section::kInstrumentEquipment, [](const QSettings& settings) {
        return InstrumentEquipment{String(settings, QStringLiteral("description")),
                                   String(settings, QStringLiteral("thermometer")),
                                   String(settings, QStringLiteral("barometer")),
                                   String(settings, QStringLiteral("humidity")),
                                   String(settings, QStringLiteral("reflector"))};
      });
}

void SetInstrumentEquipmentList(const std::vector<InstrumentEquipment>& entries) {
  UserSettings settings;
  settings.remove(SectionKey(Section::kInstrumentEquipment));
  WriteList<InstrumentEquipment>(settings, Section::kInstrumentEquipment, entries,
                                 [](QSettings& list, const InstrumentEquipment& entry) {
                                   list.setValue(QStringLiteral("description"), entry.description);
                                   Store(list, QStringLiteral("thermometer"), entry.thermometer);
                                   Store(list, QStringLiteral("barometer"), entry.barometer);
                                   Store(list, QStringLiteral("humidity"), entry.humidity);
                                   Store(list, QStringLiteral("reflector"), entry.reflector);
                                 });
}

std::vector<FieldColumnChoice> FieldColumnChoices() {
  return ReadList<FieldColumnChoice>(Section::kFieldColumns, [](const QSettings& settings) {
    return FieldColumnChoice{settings.value(QStringLiteral("header")).toStringList(),
                             Text(settings, QStringLiteral("columns"))};
  });
}

void SetFieldColumnChoices(const std::vector<FieldColumnChoice>& entries) {
  UserSettings settings;
  WriteList<FieldColumnChoice>(settings, Section::kFieldColumns, entries,
                               [](QSettings& list, const FieldColumnChoice& entry) {
                                 list.setValue(QStringLiteral("header"), entry.header);
                                 list.setValue(QStringLiteral("columns"), entry.columns);
                               });
}

Laboratory CertificateLaboratory() {
  UserSettings settings;
  settings.beginGroup(SectionKey(Section::kCertificateLaboratory));
  return {String(settings, QStringLiteral("name")), String(settings, QStringLiteral("address")),
          String(settings, QStringLiteral("accreditation")),
          String(settings, QStringLiteral("logo"))};
}

void SetCertificateLaboratory(const Laboratory& laboratory) {
  UserSettings settings;
  settings.beginGroup(SectionKey(Section::kCertificateLaboratory));
  settings.setValue(QStringLiteral("name"), laboratory.name);
  settings.setValue(QStringLiteral("address"), laboratory.address);
  settings.setValue(QStringLiteral("accreditation"), laboratory.accreditation);
  settings.setValue(QStringLiteral("logo"), laboratory.logo);
  settings.endGroup();
}

std::vector<CertificateInstrument> CertificateInstruments() {
  return ReadList<CertificateInstrument>(
      Section::kCertificateInstruments, [](const QSettings& settings) {
        return CertificateInstrument{String(settings, QStringLiteral("serialNumber")),
                                     String(settings, QStringLiteral("make")),
                                     String(settings, QStringLiteral("model")),
                                     String(settings, QStringLiteral("reflectorMake")),
                                     String(settings, QStringLiteral("reflectorModel")),
                                     String(settings, QStringLiteral("clientName")),
                                     String(settings, QStringLiteral("clientAddress")),
                                     String(settings, QStringLiteral("prismConstant"))};
      });
}

void SetCertificateInstruments(const std::vector<CertificateInstrument>& entries) {
  UserSettings settings;
  WriteList<CertificateInstrument>(
      settings, Section::kCertificateInstruments, entries,
      [](QSettings& list, const CertificateInstrument& entry) {
        list.setValue(QStringLiteral("serialNumber"), entry.serialNumber);
        list.setValue(QStringLiteral("make"), entry.make);
        list.setValue(QStringLiteral("model"), entry.model);
        list.setValue(QStringLiteral("reflectorMake"), entry.reflectorMake);
        list.setValue(QStringLiteral("reflectorModel"), entry.reflectorModel);
        list.setValue(QStringLiteral("clientName"), entry.clientName);
        list.setValue(QStringLiteral("clientAddress"), entry.clientAddress);
        list.setValue(QStringLiteral("prismConstant"), entry.prismConstant);
      });
}

QString RegisterLocation() {
  return String(UserSettings(), kRegisterLocationKey);
}

void SetRegisterLocation(const QString& location) {
  UserSettings().setValue(kRegisterLocationKey, location);
}

QString RegisterHeadLog() {
  return String(UserSettings(), kRegisterHeadLogKey);
}

void SetRegisterHeadLog(const QString& file) {
  UserSettings().setValue(kRegisterHeadLogKey, file);
}

}  // namespace mensuro::settings
