#include "core/processing/processed_calibration.h"

#include <utility>

namespace mensuro {

ProcessedCalibration ProcessCalibration(MeasurementHeader header, std::string measuredText,
                                        std::string publishedText, UncertaintyInputs conditions,
                                        std::vector<Exclusion> exclusions) {
  ProcessedCalibration calibration;
  calibration.header = std::move(header);
  calibration.measuredText = std::move(measuredText);
  calibration.publishedText = std::move(publishedText);
  calibration.conditions = std::move(conditions);
  calibration.exclusions = ApplyExclusions(calibration.measuredText, std::move(exclusions));

  // Without exclusions the run reads the text itself: no copy of a large file.
  const std::string kept =
      calibration.exclusions.empty()
          ? std::string()
          : TextWithoutExcluded(calibration.measuredText, calibration.exclusions);
  const std::string_view measured =
      calibration.exclusions.empty() ? std::string_view(calibration.measuredText) : kept;
  std::string message;
  calibration.processed = ProcessProject(calibration.report, calibration.header, measured,
                                         calibration.publishedText, message, calibration.run) == 0;
  if (!calibration.processed) {
    calibration.failure = std::move(message);
    return calibration;
  }
  const CalibrationAnalysis& analysis = calibration.run.analysis;
  calibration.uncertainty = AnalyseUncertainty(analysis, calibration.conditions);
  calibration.fullTest =
      RunFullTest(analysis.entries, calibration.header.constantError, calibration.header.ppmError);
  calibration.outlierTest = TestForOutliers(analysis.entries);
  return calibration;
}

bool HasMisreadWarnings(const ProcessedCalibration& calibration) {
  return calibration.run.notices.misread > 0;
}

std::vector<InputNotice> MisreadWarnings(const ProcessedCalibration& calibration) {
  std::vector<InputNotice> warnings;
  for (const InputNotice& notice : calibration.run.notices.listed) {
    if (notice.misread) {
      warnings.push_back(notice);
    }
  }
  return warnings;
}

CalibrationOrigin CalibrationOrigin::Of(std::optional<PublishedDistanceKind> baseline,
                                        std::optional<ReductionSummary> reduction) {
  if (reduction && reduction->kind == FieldDistanceKind::kSlope) {
    baseline = reduction->target;
  }
  return {baseline, std::move(reduction), {}};
}

ProcessedCalibration WithConditions(const ProcessedCalibration& calibration,
                                    UncertaintyInputs conditions) {
  ProcessedCalibration again =
      ProcessCalibration(calibration.header, calibration.measuredText, calibration.publishedText,
                         std::move(conditions), ExclusionsOf(calibration));
  again.origin = calibration.origin;
  return again;
}

ProcessedCalibration WithExclusions(const ProcessedCalibration& calibration,
                                    std::vector<Exclusion> exclusions) {
  ProcessedCalibration again =
      ProcessCalibration(calibration.header, calibration.measuredText, calibration.publishedText,
                         calibration.conditions, std::move(exclusions));
  again.origin = calibration.origin;
  return again;
}

std::size_t FileLineOf(const CalibrationOrigin& origin, std::size_t measuredLine) {
  if (origin.fileLines.empty()) {
    return measuredLine;
  }
  return measuredLine >= 1 && measuredLine <= origin.fileLines.size()
             ? origin.fileLines[measuredLine - 1]
             : 0;
}

std::vector<AppliedExclusion> ExclusionsInFileLines(const ProcessedCalibration& calibration) {
  std::vector<AppliedExclusion> exclusions = calibration.exclusions;
  const CalibrationOrigin& origin = calibration.origin;
  for (AppliedExclusion& applied : exclusions) {
    if (applied.exclusion.line != 0) {
      applied.exclusion.line = FileLineOf(origin, applied.exclusion.line);
    }
    for (std::size_t& line : applied.lines) {
      line = FileLineOf(origin, line);
    }
    for (ExcludedObservation& observation : applied.observations) {
      observation.line = FileLineOf(origin, observation.line);
    }
  }
  return exclusions;
}

std::vector<Exclusion> ExclusionsOf(const ProcessedCalibration& calibration) {
  std::vector<Exclusion> exclusions;
  exclusions.reserve(calibration.exclusions.size());
  for (const AppliedExclusion& applied : calibration.exclusions) {
    exclusions.push_back(applied.exclusion);
  }
  return exclusions;
}

std::vector<CorrectionRow> CorrectionsAt(const ProcessedCalibration& calibration,
                                         const std::vector<double>& distances) {
  return CorrectionsAt(calibration.run.analysis, calibration.conditions, distances);
}

}  // namespace mensuro
