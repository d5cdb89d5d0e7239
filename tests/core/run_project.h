#pragma once

#include <string>
#include <string_view>

#include "core/analysis/report_text.h"
#include "core/data/measurement_header.h"
#include "core/processing/project_processing.h"
#include "support/report_lines.h"

namespace mensuro::test {

// One processing run with everything it produced, for assertions.
struct Outcome {
  int result = -1;
  std::string message;
  MeasurementHeader header;
  ReportText report;
  ProjectRun run;

  std::string Text() const { return JoinReportLines(report); }
};

inline Outcome RunProject(std::string_view measured, std::string_view published,
                          MeasurementHeader header = {}) {
  Outcome outcome;
  outcome.header = std::move(header);
  outcome.result = ProcessProject(outcome.report, outcome.header, measured, published,
                                  outcome.message, outcome.run);
  return outcome;
}

// The first worked example: three pairs from A, a = 2 mm, b = 2 ppm.
inline constexpr std::string_view kExampleMeasured = "A,B,99.997\nA,C,299.995\nA,D,599.991\n";
inline constexpr std::string_view kExamplePublished = "A,B,100\nA,C,300\nA,D,600\n";

}  // namespace mensuro::test
