#include "ui/certificate/remembered_certificate_details.h"

#include <algorithm>
#include <string>

#include "ui/common/settings.h"

namespace mensuro {
namespace {

std::string Std(const QString& text) {
  return text.toStdString();
}
QString Utf8(const std::string& text) {
  return QString::fromStdString(text);
}

CertificateDetails DetailsOf(const settings::CertificateInstrument& entry) {
  CertificateDetails details;
  details.instrument.serialNumber = Std(entry.serialNumber);
  details.instrument.make = Std(entry.make);
  details.instrument.model = Std(entry.model);
  details.reflector.make = Std(entry.reflectorMake);
  details.reflector.model = Std(entry.reflectorModel);
  details.client.name = Std(entry.clientName);
  details.client.address = Std(entry.clientAddress);
  std::string ignored;
  // A constant that no longer reads (a settings file edited by hand) is not remembered.
  details.reflector.prismConstantMm = ReadPrismConstant(Std(entry.prismConstant), ignored);
  return details;
}

settings::CertificateInstrument EntryOf(const CertificateDetails& details) {
  const std::optional<double> prism = details.reflector.prismConstantMm;
  return {
      Utf8(details.instrument.serialNumber), Utf8(details.instrument.make),
      Utf8(details.instrument.model),        Utf8(details.reflector.make),
      Utf8(details.reflector.model),         Utf8(details.client.name),
      Utf8(details.client.address),          prism ? Utf8(PrismConstantText(*prism)) : QString()};
}

std::vector<CertificateDetails> SerialEntries() {
  std::vector<CertificateDetails> entries;
  for (const settings::CertificateInstrument& entry : settings::CertificateInstruments()) {
    entries.push_back(DetailsOf(entry));
  }
  return entries;
}

}  // namespace

LaboratoryDetails RememberedLaboratory() {
  const settings::Laboratory laboratory = settings::CertificateLaboratory();
  return {Std(laboratory.name), Std(laboratory.address), Std(laboratory.accreditation),
          Std(laboratory.logo)};
}

std::vector<QString> RememberedSerialNumbers() {
  std::vector<QString> serials;
  for (const settings::CertificateInstrument& entry : settings::CertificateInstruments()) {
    serials.push_back(entry.serialNumber);
  }
  return serials;
}

std::optional<CertificateDetails> RememberedForSerial(const QString& serialNumber) {
  for (const settings::CertificateInstrument& entry : settings::CertificateInstruments()) {
    if (entry.serialNumber == serialNumber) {
      return DetailsOf(entry);
    }
  }
  return std::nullopt;
}

void RememberCertificateDetails(const CertificateDetails& details) {
  const LaboratoryDetails& laboratory = details.laboratory;
  settings::SetCertificateLaboratory({Utf8(laboratory.name), Utf8(laboratory.address),
                                      Utf8(laboratory.accreditation), Utf8(laboratory.logoFile)});
  if (details.instrument.serialNumber.empty()) {
    return;
  }
  std::vector<CertificateDetails> entries = SerialEntries();
  std::erase_if(entries, [&details](const CertificateDetails& entry) {
    return entry.instrument.serialNumber == details.instrument.serialNumber;
  });
  entries.insert(entries.begin(), details);
  std::vector<settings::CertificateInstrument> kept;
  for (const CertificateDetails& entry : entries) {
    kept.push_back(EntryOf(entry));
  }
  settings::SetCertificateInstruments(kept);
}

}  // namespace mensuro
