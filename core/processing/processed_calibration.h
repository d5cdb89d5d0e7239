#pragma once

// The processed calibration: one value holding everything the views of a calibration show (the
// fixed report, the analysis, what reading the texts noticed, the uncertainty budget and table
// under the conditions in force, the full test of ISO 17123-4), built by one function. The text
// report, the JSON, the plot and the certificate are writers of it; none computes a statistic
// of its own. When the conditions change, the calibration is processed again with them.

#include <optional>
#include <string>
#include <vector>

#include "core/analysis/calibration_uncertainty.h"
#include "core/analysis/full_test.h"
#include "core/analysis/report_text.h"
#include "core/data/measurement_header.h"
#include "core/processing/project_processing.h"

namespace mensuro {

struct ProcessedCalibration {
  // What it was computed from: the header as the run used it (header lines of the measured text
  // applied), the two texts and the conditions of the uncertainty budget.
  MeasurementHeader header;
  std::string measuredText;
  std::string publishedText;
  UncertaintyInputs conditions;

  // What it found. `run` holds the observations, the analysis and the notices on success and
  // on failure alike; the rest is filled in on success only.
  bool processed = false;
  std::string failure;  // kProcessingFailurePrefix and the reason, when not processed
  ProjectRun run;
  ReportText report;                       // the fixed report
  CorrectionUncertainty uncertainty;       // budget and table under `conditions`
  std::optional<FullTestResult> fullTest;  // when every pair of 4 or more stations was measured
};

// Processes the measured text against the published text under `header` and `conditions`.
// The texts move into the result, so a large file is not copied.
ProcessedCalibration ProcessCalibration(MeasurementHeader header, std::string measuredText,
                                        std::string publishedText, UncertaintyInputs conditions);

// The same calibration processed again under other conditions.
ProcessedCalibration WithConditions(const ProcessedCalibration& calibration,
                                    UncertaintyInputs conditions);

// The correction and its uncertainty at each of `distances` (metres), under the calibration's
// conditions: for drawing the band along the fitted line.
std::vector<CorrectionRow> CorrectionsAt(const ProcessedCalibration& calibration,
                                         const std::vector<double>& distances);

}  // namespace mensuro
