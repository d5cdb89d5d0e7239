#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/analysis/calibration_adjustment.h"
#include "core/analysis/report_text.h"
#include "core/data/input_notices.h"
#include "core/data/measurement_header.h"
#include "core/data/record_table.h"

namespace mensuro {

// How the message of a failed run begins; the reason follows, and is empty when there were
// fewer than three station pairs to fit.
inline constexpr std::string_view kProcessingFailurePrefix = "Error processing project:\n";

// What one processing run leaves behind besides the report: the observations with their
// published distances and pair marks, and the analysis.
struct ProjectRun {
  RecordTable records;
  CalibrationAnalysis analysis;
  // What reading the texts noticed, on success and on failure alike; after a successful
  // analysis also the pairs whose observations spread more than the flags allow.
  InputNotices notices;
  // The line a failure names, when it names one.
  std::optional<InputLocation> failedAt;
};

// Runs one calibration from the measured text and the published text: reads the observations
// (header lines of the measured text update `header`), attaches the published distances,
// adjusts, and writes the report of a successful analysis into `report`. Returns 0 on success.
// Returns 1 on failure with kProcessingFailurePrefix and the reason in `message`, and `report`
// empty. Every run starts afresh; `run` receives what this run found.
int ProcessProject(ReportText& report, MeasurementHeader& header, std::string_view measuredText,
                   std::string_view publishedText, std::string& message, ProjectRun& run);

// The same, for a caller that needs the report alone.
int ProcessProject(ReportText& report, MeasurementHeader& header, std::string_view measuredText,
                   std::string_view publishedText, std::string& message);

}  // namespace mensuro
