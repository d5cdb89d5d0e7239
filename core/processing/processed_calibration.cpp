#include "core/processing/processed_calibration.h"

#include <utility>

namespace mensuro {

ProcessedCalibration ProcessCalibration(MeasurementHeader header, std::string measuredText,
                                        std::string publishedText, UncertaintyInputs conditions) {
  ProcessedCalibration calibration;
  calibration.header = std::move(header);
  calibration.measuredText = std::move(measuredText);
  calibration.publishedText = std::move(publishedText);
  calibration.conditions = std::move(conditions);

  std::string message;
  calibration.processed =
      ProcessProject(calibration.report, calibration.header, calibration.measuredText,
                     calibration.publishedText, message, calibration.run) == 0;
  if (!calibration.processed) {
    calibration.failure = std::move(message);
    return calibration;
  }
  const CalibrationAnalysis& analysis = calibration.run.analysis;
  calibration.uncertainty = AnalyseUncertainty(analysis, calibration.conditions);
  calibration.fullTest =
      RunFullTest(analysis.entries, calibration.header.constantError, calibration.header.ppmError);
  return calibration;
}

ProcessedCalibration WithConditions(const ProcessedCalibration& calibration,
                                    UncertaintyInputs conditions) {
  return ProcessCalibration(calibration.header, calibration.measuredText, calibration.publishedText,
                            std::move(conditions));
}

std::vector<CorrectionRow> CorrectionsAt(const ProcessedCalibration& calibration,
                                         const std::vector<double>& distances) {
  return CorrectionsAt(calibration.run.analysis, calibration.conditions, distances);
}

}  // namespace mensuro
