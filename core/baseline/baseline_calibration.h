#pragma once

// A baseline calibration from its texts: the survey's measured text read, the observations the
// surveyor leaves out taken out, the survey adjusted and compared with the previous certificate.
// The command line and the window both start here, and every view (text, JSON, certificate,
// library entry, window) writes what this gives.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/baseline/baseline_adjustment.h"
#include "core/baseline/baseline_comparison.h"
#include "core/data/measurement_header.h"
#include "core/processing/exclusions.h"

namespace mensuro {

struct BaselineSurveyRequest {
  std::string measuredText;  // horizontal distances at one height (reduced already if field)
  std::string measuredFileName;
  BaselineSurveyOptions options;
  std::vector<Exclusion> exclusions;
  // The previous certificate's pairs; none: no comparison.
  std::optional<std::vector<PreviousDistance>> previous;
  std::string previousSource;  // the library baseline's or the file's name
};

struct BaselineCalibration {
  MeasurementHeader header;  // as the measured text sets it
  BaselineAdjustment adjustment;
  std::vector<AppliedExclusion> excluded;
  std::optional<std::vector<DistanceComparison>> comparison;
  std::string previousSource;
};

// Reads, leaves out, adjusts and compares; nothing with `error` set when the survey can't be
// adjusted.
std::optional<BaselineCalibration> CalibrateBaseline(const BaselineSurveyRequest& request,
                                                     BaselineSurveyError& error);

}  // namespace mensuro
