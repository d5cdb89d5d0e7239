#pragma once

// What the document module draws from, as the plain structs of its boundary and back. The
// command line passes what its calibration was processed from, and the module processes it
// again into the same calibration: the core gives the same result for the same inputs, and no
// C++ object crosses from one C++ runtime to the other.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/baseline/baseline_calibration.h"
#include "core/certificate/certificate_details.h"
#include "core/processing/processed_calibration.h"
#include "documents/module/document_module.h"
#include "register/register_records.h"

namespace mensuro {

// A view of `text`, valid as long as it is.
MensuroText PlainText(std::string_view text);
std::string TextOf(MensuroText text);

// What a calibration was processed from, in plain structs. `calibration` points into the
// vectors here and into the calibration it was made from, which must both outlive its use;
// moving it keeps it valid.
struct PlainCalibration {
  std::vector<Exclusion> asked;  // the exclusions as they were asked for
  std::vector<MensuroExclusion> exclusions;
  std::vector<MensuroInputFile> files;
  std::vector<MensuroEquipment> equipment;
  std::vector<MensuroPairUncertainty> baselinePairs;
  MensuroCalibration calibration{};
};

PlainCalibration PlainCalibrationOf(const ProcessedCalibration& calibration);

// The calibration `plain` describes, processed again.
ProcessedCalibration CalibrationOf(const MensuroCalibration& plain);

// The certificate's details and identity, pointing into them.
MensuroCertificate PlainCertificateOf(const CertificateDetails& details,
                                      const CertificateIdentity& identity);
CertificateDetails DetailsOf(const MensuroCertificate& plain);
CertificateIdentity IdentityOf(const MensuroCertificate& plain);

// A baseline's calibration in plain structs: `request` points into `json` and into the texts
// given, which must outlive its use; moving it keeps it valid.
struct PlainBaseline {
  std::unique_ptr<const std::string> json;
  MensuroBaselineRequest request{};
};

PlainBaseline PlainBaselineOf(const BaselineCalibration& calibration,
                              const std::string& baselineName, const std::string& measuredText,
                              const MensuroCertificate* certificate);

// The calibration `plain` describes; nothing, with the reason, when its JSON text is none.
std::optional<BaselineCalibration> BaselineCalibrationOf(const MensuroBaselineRequest& plain,
                                                         std::string& reason);

// What a history chart shows of each point, pointing into `history`.
std::vector<MensuroHistoryPoint> PlainHistoryOf(const std::vector<HistoryPoint>& history);
// The history with what its chart shows; the rest of each entry is left empty.
std::vector<HistoryPoint> HistoryOf(const MensuroHistoryPoint* points, std::size_t count);

}  // namespace mensuro
