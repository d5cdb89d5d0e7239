#include "core/data/project_processing.h"

#include "core/analysis/calibration_report.h"
#include "core/data/measured_text.h"
#include "core/data/published_text.h"
#include "core/data/station_pairs.h"

namespace mensuro {
namespace {

// The steps of one run, and the report's writing when `report` is given. The report is written
// while the station pairs still exist: letting go of their many small blocks first and then
// allocating the report's lines makes a run of 100,000 observations take twice as long.
int RunCalibration(MeasurementHeader& header, std::string_view measuredText,
                   std::string_view publishedText, std::string& message, ProjectRun& run,
                   ReportText* report) {
  run = ProjectRun{};
  std::string errorText;

  // Fixed order: published distances attach to observations already read, and the analysis
  // needs both.
  ParseMeasuredText(measuredText, header, run.records);
  const StationPairs pairs = GroupStationPairs(run.records);
  if (ParsePublishedText(publishedText, run.records, pairs, errorText) == 0 &&
      AnalyseCalibration(header, run.records, pairs, run.analysis, errorText) == 0) {
    if (report != nullptr) {
      WriteCalibrationReport(*report, header, run.records, run.analysis);
    }
    return 0;
  }
  message = std::string(kProcessingFailurePrefix) + errorText;
  return 1;
}

}  // namespace

int AnalyseProject(MeasurementHeader& header, std::string_view measuredText,
                   std::string_view publishedText, std::string& message, ProjectRun& run) {
  return RunCalibration(header, measuredText, publishedText, message, run, nullptr);
}

int ProcessProject(ReportText& report, MeasurementHeader& header, std::string_view measuredText,
                   std::string_view publishedText, std::string& message, ProjectRun& run) {
  ClearReport(report);
  return RunCalibration(header, measuredText, publishedText, message, run, &report);
}

int ProcessProject(ReportText& report, MeasurementHeader& header, std::string_view measuredText,
                   std::string_view publishedText, std::string& message) {
  ProjectRun run;
  return ProcessProject(report, header, measuredText, publishedText, message, run);
}

}  // namespace mensuro
