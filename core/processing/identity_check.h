#pragma once

// What a numbered certificate must identify: who issued it, for whom, which instrument, when it
// was measured and against which baseline of known uncertainty. A certificate without a number
// may leave any of them out; the register numbers none that does.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/certificate/certificate_details.h"
#include "core/processing/processed_calibration.h"

namespace mensuro {

enum class IdentityPart {
  kLaboratoryName,
  kClientName,
  kInstrumentMake,
  kInstrumentModel,
  kInstrumentSerial,
  kMeasurementDate,
  kBaseline,
  kBaselineUncertainty,
};

// The parts of the identity that `details` and `calibration` leave out, in the order above.
std::vector<IdentityPart> MissingIdentity(const CertificateDetails& details,
                                          const ProcessedCalibration& calibration);

// The parts a baseline's numbered certificate leaves out: the laboratory's and the client's (the
// baseline's owner's) names, the reference instrument (the details' instrument), the survey's
// date of measurement (the measured text's header) and the baseline's name. Its uncertainty is
// what the certificate certifies.
std::vector<IdentityPart> MissingBaselineIdentity(const CertificateDetails& details,
                                                  const MeasurementHeader& header,
                                                  const std::string& baselineName);

// The part as a message names it: "the laboratory's name".
std::string IdentityPartText(IdentityPart part);

// The parts `missing` as one message names them, each followed by where the front end gives it
// in brackets: "the client's name (--client), the instrument's model (--instrument-model)".
std::string MissingIdentityText(const std::vector<IdentityPart>& missing,
                                const std::function<std::string(IdentityPart)>& whereGiven);

// The date of measurement, YYYY-MM-DD, as the measured text's header line states it (a field
// file's reduction writes its date there); nothing when it states no date of the calendar.
std::optional<std::string> MeasurementDateOf(const ProcessedCalibration& calibration);

}  // namespace mensuro
