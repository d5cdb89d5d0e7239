#include "core/certificate/certificate_details.h"

#include <fmt/format.h>

#include <initializer_list>

#include "core/data/number_text.h"

namespace mensuro {
namespace {

void Override(std::string& base, const std::string& given) {
  if (!given.empty()) {
    base = given;
  }
}

}  // namespace

CertificateDetails OverrideDetails(CertificateDetails base, const CertificateDetails& given) {
  Override(base.laboratory.name, given.laboratory.name);
  Override(base.laboratory.address, given.laboratory.address);
  Override(base.laboratory.accreditation, given.laboratory.accreditation);
  Override(base.laboratory.logoFile, given.laboratory.logoFile);
  Override(base.client.name, given.client.name);
  Override(base.client.address, given.client.address);
  Override(base.instrument.make, given.instrument.make);
  Override(base.instrument.model, given.instrument.model);
  Override(base.instrument.serialNumber, given.instrument.serialNumber);
  Override(base.reflector.make, given.reflector.make);
  Override(base.reflector.model, given.reflector.model);
  if (given.reflector.prismConstantMm) {
    base.reflector.prismConstantMm = given.reflector.prismConstantMm;
  }
  Override(base.measuredBy, given.measuredBy);
  Override(base.checkedBy, given.checkedBy);
  Override(base.baselineCertificate, given.baselineCertificate);
  Override(base.procedure, given.procedure);
  Override(base.baselineSite, given.baselineSite);
  Override(base.dueDate, given.dueDate);
  return base;
}

bool HasDetails(const CertificateDetails& details) {
  for (const std::string* text :
       {&details.laboratory.name, &details.laboratory.address, &details.laboratory.accreditation,
        &details.laboratory.logoFile, &details.client.name, &details.client.address,
        &details.instrument.make, &details.instrument.model, &details.instrument.serialNumber,
        &details.reflector.make, &details.reflector.model, &details.measuredBy, &details.checkedBy,
        &details.baselineCertificate, &details.procedure, &details.baselineSite}) {
    if (!text->empty()) {
      return true;
    }
  }
  return details.reflector.prismConstantMm.has_value();
}

std::string PrismConstantText(double millimetres) {
  // The shortest text that reads back as the same number; a negative zero is written "0".
  return fmt::format("{}", millimetres + 0.0);
}

std::optional<double> ReadPrismConstant(std::string_view text, std::string& reason) {
  const std::optional<double> value = ReadWholeNumber(text);
  if (!value) {
    reason = fmt::format("\"{}\" is not a prism constant in millimetres, such as -17.5", text);
  }
  return value;
}

}  // namespace mensuro
