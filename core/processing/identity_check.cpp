#include "core/processing/identity_check.h"

#include "core/data/local_time.h"

namespace mensuro {

namespace {

// The parts both kinds of certificate need: who issued it, for whom, with which instrument and
// when it was measured, from `date` as the measured text's header gives it.
std::vector<IdentityPart> MissingCommonIdentity(const CertificateDetails& details,
                                                const std::string& date) {
  std::vector<IdentityPart> missing;
  const auto need = [&missing](bool given, IdentityPart part) {
    if (!given) {
      missing.push_back(part);
    }
  };
  need(!details.laboratory.name.empty(), IdentityPart::kLaboratoryName);
  need(!details.client.name.empty(), IdentityPart::kClientName);
  need(!details.instrument.make.empty(), IdentityPart::kInstrumentMake);
  need(!details.instrument.model.empty(), IdentityPart::kInstrumentModel);
  need(!details.instrument.serialNumber.empty(), IdentityPart::kInstrumentSerial);
  need(IsoDateOf(date).has_value(), IdentityPart::kMeasurementDate);
  return missing;
}

}  // namespace

std::vector<IdentityPart> MissingBaselineIdentity(const CertificateDetails& details,
                                                  const MeasurementHeader& header,
                                                  const std::string& baselineName) {
  std::vector<IdentityPart> missing = MissingCommonIdentity(details, header.date);
  if (baselineName.empty()) {
    missing.push_back(IdentityPart::kBaseline);
  }
  return missing;
}

std::vector<IdentityPart> MissingIdentity(const CertificateDetails& details,
                                          const ProcessedCalibration& calibration) {
  std::vector<IdentityPart> missing = MissingCommonIdentity(details, calibration.header.date);
  const auto need = [&missing](bool given, IdentityPart part) {
    if (!given) {
      missing.push_back(part);
    }
  };
  need(!calibration.header.publishedSource.empty(), IdentityPart::kBaseline);
  need(calibration.conditions.baseline.has_value(), IdentityPart::kBaselineUncertainty);
  return missing;
}

std::string IdentityPartText(IdentityPart part) {
  switch (part) {
    case IdentityPart::kLaboratoryName:
      return "the laboratory's name";
    case IdentityPart::kClientName:
      return "the client's name";
    case IdentityPart::kInstrumentMake:
      return "the instrument's make";
    case IdentityPart::kInstrumentModel:
      return "the instrument's model";
    case IdentityPart::kInstrumentSerial:
      return "the instrument's serial number";
    case IdentityPart::kMeasurementDate:
      return "the date of measurement";
    case IdentityPart::kBaseline:
      return "the baseline";
    case IdentityPart::kBaselineUncertainty:
      return "the baseline's uncertainty";
  }
  return {};
}

std::string MissingIdentityText(const std::vector<IdentityPart>& missing,
                                const std::function<std::string(IdentityPart)>& whereGiven) {
  std::string text;
  for (const IdentityPart part : missing) {
    text += (text.empty() ? "" : ", ") + IdentityPartText(part);
    if (const std::string where = whereGiven ? whereGiven(part) : std::string(); !where.empty()) {
      text += " (" + where + ")";
    }
  }
  return text;
}

std::optional<std::string> MeasurementDateOf(const ProcessedCalibration& calibration) {
  return IsoDateOf(calibration.header.date);
}

}  // namespace mensuro
