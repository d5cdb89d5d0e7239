#include "core/data/project_processing.h"

#include "core/analysis/calibration_report.h"
#include "core/data/measured_text.h"
#include "core/data/published_text.h"
#include "core/data/station_pairs.h"

namespace mensuro {

int AnalyseProject(MeasurementHeader& header, std::string_view measuredText,
                   std::string_view publishedText, std::string& message, ProjectRun& run) {
  run = ProjectRun{};
  std::string errorText;

  // Fixed order: published distances attach to observations already read, and the analysis
  // needs both.
  ParseMeasuredText(measuredText, header, run.records);
  const StationPairs pairs = GroupStationPairs(run.records);
  if (ParsePublishedText(publishedText, run.records, pairs, errorText) == 0 &&
      AnalyseCalibration(header, run.records, pairs, run.analysis, errorText) == 0) {
    return 0;
  }
  message = std::string(kProcessingFailurePrefix) + errorText;
  return 1;
}

int ProcessProject(ReportText& report, MeasurementHeader& header, std::string_view measuredText,
                   std::string_view publishedText, std::string& message, ProjectRun& run) {
  ClearReport(report);
  if (AnalyseProject(header, measuredText, publishedText, message, run) != 0) {
    return 1;
  }
  WriteCalibrationReport(report, header, run.records, run.analysis);
  return 0;
}

int ProcessProject(ReportText& report, MeasurementHeader& header, std::string_view measuredText,
                   std::string_view publishedText, std::string& message) {
  ProjectRun run;
  return ProcessProject(report, header, measuredText, publishedText, message, run);
}

}  // namespace mensuro
