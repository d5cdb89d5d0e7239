#include "core/baseline/baseline_calibration.h"

#include <utility>

#include "core/data/measured_text.h"
#include "core/data/record_table.h"

namespace mensuro {

std::optional<BaselineCalibration> CalibrateBaseline(const BaselineSurveyRequest& request,
                                                     BaselineSurveyError& error) {
  BaselineCalibration calibration;
  calibration.header.measuredFileName = request.measuredFileName;
  calibration.excluded = ApplyExclusions(request.measuredText, request.exclusions);
  calibration.previousSource = request.previousSource;

  // Without exclusions the survey is read from the text itself: no copy of a large file.
  const std::string kept = calibration.excluded.empty()
                               ? std::string()
                               : TextWithoutExcluded(request.measuredText, calibration.excluded);
  const std::string_view measured =
      calibration.excluded.empty() ? std::string_view(request.measuredText) : kept;
  RecordTable table;
  ParseMeasuredText(measured, calibration.header, table);

  std::optional<BaselineAdjustment> adjustment =
      AdjustBaselineSurvey(table, calibration.header, request.options, error);
  if (!adjustment) {
    return std::nullopt;
  }
  calibration.adjustment = std::move(*adjustment);
  if (request.previous) {
    calibration.comparison =
        CompareWithPrevious(calibration.adjustment.distances, *request.previous);
  }
  return calibration;
}

}  // namespace mensuro
