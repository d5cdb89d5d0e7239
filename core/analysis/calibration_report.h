#pragma once

#include "core/analysis/calibration_adjustment.h"
#include "core/analysis/report_text.h"
#include "core/data/measurement_header.h"
#include "core/data/record_table.h"

namespace mensuro {

// Writes the fixed-layout "EDM Calibration Report" of a successful analysis into `report`,
// replacing what it held: the header, every observation, the averaged pairs with residuals and
// flags, the fitted errors with their statistics, the two t-tests and advice for each failed
// test. The layout is meant for a fixed-pitch font.
void WriteCalibrationReport(ReportText& report, const MeasurementHeader& header,
                            const RecordTable& table, const CalibrationAnalysis& analysis);

}  // namespace mensuro
