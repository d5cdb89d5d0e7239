#include "ui/certificate/remembered_certificate_details.h"

#include <algorithm>
#include <string>

#include "ui/common/user_settings.h"

namespace mensuro {
namespace {

const QString kLaboratoryGroup = QStringLiteral("CertificateLaboratory");
const QString kSerialsGroup = QStringLiteral("CertificateInstruments");

// The remembered texts of one serial number, in the settings' keys.
struct SerialEntry {
  const char* key;
  std::string& (*text)(CertificateDetails&);
};

constexpr SerialEntry kSerialEntries[] = {
    {"serialNumber",
     [](CertificateDetails& d) -> std::string& { return d.instrument.serialNumber; }},
    {"make", [](CertificateDetails& d) -> std::string& { return d.instrument.make; }},
    {"model", [](CertificateDetails& d) -> std::string& { return d.instrument.model; }},
    {"reflectorMake", [](CertificateDetails& d) -> std::string& { return d.reflector.make; }},
    {"reflectorModel", [](CertificateDetails& d) -> std::string& { return d.reflector.model; }},
    {"clientName", [](CertificateDetails& d) -> std::string& { return d.client.name; }},
    {"clientAddress", [](CertificateDetails& d) -> std::string& { return d.client.address; }},
};
const QString kPrismConstantKey = QStringLiteral("prismConstant");

std::string Value(const QSettings& settings, const QString& key) {
  return settings.value(key).toString().toStdString();
}

std::vector<CertificateDetails> SerialEntries(QSettings& settings) {
  std::vector<CertificateDetails> entries;
  const int count = settings.beginReadArray(kSerialsGroup);
  for (int index = 0; index < count; ++index) {
    settings.setArrayIndex(index);
    CertificateDetails& entry = entries.emplace_back();
    for (const SerialEntry& remembered : kSerialEntries) {
      remembered.text(entry) = Value(settings, QString::fromLatin1(remembered.key));
    }
    std::string ignored;
    // A constant that no longer reads (a settings file edited by hand) is not remembered.
    entry.reflector.prismConstantMm =
        ReadPrismConstant(Value(settings, kPrismConstantKey), ignored);
  }
  settings.endArray();
  return entries;
}

}  // namespace

LaboratoryDetails RememberedLaboratory() {
  UserSettings settings;
  settings.beginGroup(kLaboratoryGroup);
  return {Value(settings, QStringLiteral("name")), Value(settings, QStringLiteral("address")),
          Value(settings, QStringLiteral("accreditation")),
          Value(settings, QStringLiteral("logo"))};
}

std::vector<QString> RememberedSerialNumbers() {
  UserSettings settings;
  std::vector<QString> serials;
  for (const CertificateDetails& entry : SerialEntries(settings)) {
    serials.push_back(QString::fromStdString(entry.instrument.serialNumber));
  }
  return serials;
}

std::optional<CertificateDetails> RememberedForSerial(const QString& serialNumber) {
  UserSettings settings;
  for (CertificateDetails& entry : SerialEntries(settings)) {
    if (QString::fromStdString(entry.instrument.serialNumber) == serialNumber) {
      return std::move(entry);
    }
  }
  return std::nullopt;
}

void RememberCertificateDetails(const CertificateDetails& details) {
  UserSettings settings;
  settings.beginGroup(kLaboratoryGroup);
  const LaboratoryDetails& laboratory = details.laboratory;
  settings.setValue(QStringLiteral("name"), QString::fromStdString(laboratory.name));
  settings.setValue(QStringLiteral("address"), QString::fromStdString(laboratory.address));
  settings.setValue(QStringLiteral("accreditation"),
                    QString::fromStdString(laboratory.accreditation));
  settings.setValue(QStringLiteral("logo"), QString::fromStdString(laboratory.logoFile));
  settings.endGroup();
  if (details.instrument.serialNumber.empty()) {
    return;
  }
  std::vector<CertificateDetails> entries = SerialEntries(settings);
  std::erase_if(entries, [&details](const CertificateDetails& entry) {
    return entry.instrument.serialNumber == details.instrument.serialNumber;
  });
  entries.insert(entries.begin(), details);
  settings.beginWriteArray(kSerialsGroup, static_cast<int>(entries.size()));
  int index = 0;
  for (CertificateDetails& entry : entries) {
    settings.setArrayIndex(index++);
    for (const SerialEntry& remembered : kSerialEntries) {
      settings.setValue(QString::fromLatin1(remembered.key),
                        QString::fromStdString(remembered.text(entry)));
    }
    const std::optional<double> prism = entry.reflector.prismConstantMm;
    settings.setValue(kPrismConstantKey,
                      prism ? QString::fromStdString(PrismConstantText(*prism)) : QString());
  }
  settings.endArray();
}

}  // namespace mensuro
