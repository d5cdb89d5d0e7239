#include "core/processing/project_processing.h"

#include <fmt/format.h>
#include <algorithm>
#include <vector>

#include "core/analysis/calibration_report.h"
#include "core/analysis/flag_limit.h"
#include "core/data/measured_text.h"
#include "core/data/published_text.h"
#include "core/data/station_pairs.h"
#include "core/data/text_lines.h"
#include "core/units.h"

namespace mensuro {
namespace {

// A pair measured more than once whose observations spread more than the flag limit at its
// distance was probably misread or mistyped.
void WarnOfSpreadObservations(const MeasurementHeader& header, std::string_view measuredText,
                              const AdjustmentTable& entries, InputNotices& notices) {
  std::vector<InputNotice> found;
  for (const AdjustmentEntry& entry : entries) {
    const double limit = FlagLimit(header, entry.C);
    if (entry.observations > 1 && entry.observationSpread > limit) {
      found.push_back(
          {{InputText::kMeasured, entry.firstLine},
           NoticeLevel::kWarning,
           fmt::format("observations of {}-{} spread {:.1f} mm (limit {:.1f} mm)", entry.from,
                       entry.to, entry.observationSpread * kMillimetresPerMetre,
                       limit * kMillimetresPerMetre),
           {}});
    }
  }
  if (found.empty()) {
    return;
  }
  // The lines themselves, in one pass over the text.
  std::sort(found.begin(), found.end(),
            [](const InputNotice& a, const InputNotice& b) { return a.where.line < b.where.line; });
  auto next = found.begin();
  ForEachNumberedTextLine(measuredText, [&](std::string_view line, std::size_t number) {
    for (; next != found.end() && next->where.line == number; ++next) {
      next->content = line;
    }
    return next != found.end();
  });
  for (InputNotice& notice : found) {
    AddNotice(notices, std::move(notice));
  }
}

}  // namespace

// The report is written while the station pairs still exist: letting go of their many small
// blocks first and then allocating the report's lines makes a run of 100,000 observations take
// twice as long.
int ProcessProject(ReportText& report, MeasurementHeader& header, std::string_view measuredText,
                   std::string_view publishedText, std::string& message, ProjectRun& run) {
  ClearReport(report);
  run = ProjectRun{};
  std::string errorText;

  // Fixed order: published distances attach to observations already read, and the analysis
  // needs both.
  ParseMeasuredText(measuredText, header, run.records, run.notices);
  const StationPairs pairs = GroupStationPairs(run.records);
  InputLocation failedAt;
  const bool published =
      ParsePublishedText(publishedText, run.records, pairs, errorText, run.notices, failedAt) == 0;
  if (!published) {
    run.failedAt = failedAt;
  }
  const bool analysed =
      published && AnalyseCalibration(header, run.records, pairs, run.analysis, errorText) == 0;
  if (analysed) {
    WarnOfSpreadObservations(header, measuredText, run.analysis.entries, run.notices);
  }
  SortNotices(run.notices);
  if (analysed) {
    WriteCalibrationReport(report, header, run.records, run.analysis);
    return 0;
  }
  message = std::string(kProcessingFailurePrefix) + errorText;
  return 1;
}

int ProcessProject(ReportText& report, MeasurementHeader& header, std::string_view measuredText,
                   std::string_view publishedText, std::string& message) {
  ProjectRun run;
  return ProcessProject(report, header, measuredText, publishedText, message, run);
}

}  // namespace mensuro
