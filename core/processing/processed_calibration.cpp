#include "core/processing/processed_calibration.h"

#include <fmt/format.h>
#include <algorithm>
#include <iterator>
#include <utility>

#include "core/data/file_names.h"
#include "core/data/sha256.h"
#include "core/data/text_lines.h"

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
  if (calibration.conditions.cyclic) {
    calibration.cyclic = EstimateCyclicError(analysis.entries, *calibration.conditions.cyclic);
  }
  return calibration;
}

namespace {

// The lines of the published text whose distances the pairs of the fit take, sorted.
std::vector<std::size_t> PublishedLinesInResult(const RecordTable& records) {
  std::vector<std::size_t> lines;
  for (const ProjectRecord& record : records.entries) {
    if (record.kind == kObservationKind && record.publishedLine != 0) {
      lines.push_back(record.publishedLine);
    }
  }
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  return lines;
}

// Each outlier as a warning at the first observation of its pair, that line as it stands.
std::vector<InputNotice> OutlierWarnings(const ProcessedCalibration& calibration) {
  const OutlierTest& test = calibration.outlierTest;
  const AdjustmentTable& entries = calibration.run.analysis.entries;
  std::vector<InputNotice> found;
  for (std::size_t j = 0; j < test.pairs.size() && j < entries.size(); ++j) {
    if (test.pairs[j].outlier) {
      const AdjustmentEntry& entry = entries[j];
      found.push_back(
          {{InputText::kMeasured, entry.firstLine},
           NoticeLevel::kWarning,
           fmt::format("an outlier: the station pair {}-{} has t = {:.2f}, beyond the "
                       "limit {:.2f} of the outlier test",
                       entry.from, entry.to, test.pairs[j].studentizedResidual, test.critical),
           {}});
    }
  }
  std::sort(found.begin(), found.end(),
            [](const InputNotice& a, const InputNotice& b) { return a.where.line < b.where.line; });
  auto next = found.begin();
  ForEachNumberedTextLine(calibration.measuredText, [&](std::string_view line, std::size_t number) {
    for (; next != found.end() && next->where.line == number; ++next) {
      next->content = line;
    }
    return next != found.end();
  });
  return found;
}

}  // namespace

CertificateObstacles FindCertificateObstacles(const ProcessedCalibration& calibration) {
  CertificateObstacles obstacles;
  const InputNotices& notices = calibration.run.notices;
  const std::vector<std::size_t> used = PublishedLinesInResult(calibration.run.records);
  std::size_t listedMisread = 0;
  for (const InputNotice& notice : notices.listed) {
    if (!notice.misread) {
      continue;
    }
    ++listedMisread;
    if (notice.where.text == InputText::kMeasured ||
        std::binary_search(used.begin(), used.end(), notice.where.line)) {
      obstacles.listed.push_back(notice);
    }
  }
  obstacles.unlisted = notices.misread - listedMisread;
  if (calibration.processed) {
    std::vector<InputNotice> outliers = OutlierWarnings(calibration);
    obstacles.outliers = outliers.size();
    obstacles.listed.insert(obstacles.listed.end(), std::make_move_iterator(outliers.begin()),
                            std::make_move_iterator(outliers.end()));
    std::stable_sort(obstacles.listed.begin(), obstacles.listed.end(),
                     [](const InputNotice& a, const InputNotice& b) {
                       return std::pair(a.where.text, a.where.line) <
                              std::pair(b.where.text, b.where.line);
                     });
  }
  return obstacles;
}

CalibrationOrigin CalibrationOrigin::Of(std::optional<PublishedDistanceKind> baseline,
                                        std::optional<ReductionSummary> reduction) {
  if (reduction && reduction->kind == FieldDistanceKind::kSlope) {
    baseline = reduction->target;
  }
  return {baseline, std::move(reduction), {}, {}};
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

InputFile InputFileOf(std::string role, const std::filesystem::path& path, std::string bytes) {
  std::string sha256 = Sha256Hex(bytes);
  return {std::move(role), Utf8FromPath(path.filename()), std::move(bytes), std::move(sha256)};
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
