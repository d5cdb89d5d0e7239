#include "core/processing/project_processing.h"

#include <gtest/gtest.h>

#include "core/analysis/calibration_report.h"
#include "core/run_project.h"
#include "support/report_lines.h"

namespace mensuro {
namespace {

using test::RunProject;

TEST(project_processing, failures_carry_the_prefix_and_leave_no_report) {
  struct Case {
    std::string_view measured, published, message;
  };
  const Case cases[] = {
      {"$01-02-2015\n#only header lines\n", "A,B,100\n", "Error processing project:\n"},
      {"A,B,1\nA,C,2\nB,A,1\n", "A,B,1\nA,C,2\n", "Error processing project:\n"},
      {"A,B,100\n", "A,B,100\nB,A,100\n",
       "Error processing project:\nMultiple published distances found between:\tA - B"},
      {"A,B,1\nC,D,1\n", "A,B,1\n",
       "Error processing project:\nNo published distance between C and D."},
      {"A,B,99\nA,C,99\nA,D,99\n", "A,B,100\nA,C,100\nA,D,100\n",
       "Error processing project:\nThe published distances of all station pairs are equal, so "
       "the scale error and the constant error can't be separated."},
  };
  for (const Case& c : cases) {
    const test::Outcome outcome = RunProject(c.measured, c.published);
    EXPECT_EQ(outcome.result, 1) << c.measured;
    EXPECT_EQ(outcome.message, c.message);
    EXPECT_TRUE(outcome.report.lines.empty());
  }
}

TEST(project_processing, a_run_after_a_run_sees_nothing_of_the_first) {
  MeasurementHeader header;
  ReportText report;
  std::string message;
  ProjectRun run;
  ASSERT_EQ(ProcessProject(report, header, "A,B,1\nA,C,2\nA,D,3\nA,E,4\nA,F,5\n",
                           "A,B,1.001\nA,C,2.001\nA,D,3.002\nA,E,4.001\nA,F,5.003\n", message, run),
            0);
  ASSERT_EQ(
      ProcessProject(report, header, test::kExampleMeasured, test::kExamplePublished, message, run),
      0);
  EXPECT_EQ(CountRecords(run.records), 3u);
  EXPECT_EQ(run.analysis.entries.size(), 3u);
  EXPECT_EQ(JoinReportLines(report),
            test::RunProject(test::kExampleMeasured, test::kExamplePublished).Text());

  // A failing run empties the report of the one before.
  ASSERT_EQ(ProcessProject(report, header, "A,B,1\n", "", message, run), 1);
  EXPECT_TRUE(report.lines.empty());
  EXPECT_EQ(CountRecords(run.records), 1u);
  EXPECT_TRUE(run.analysis.entries.empty());
}

TEST(project_processing, header_lines_of_the_text_change_the_callers_header) {
  MeasurementHeader header;
  header.publishedSource = "Kellerby";
  const test::Outcome outcome =
      RunProject("^1.5\n" + std::string(test::kExampleMeasured), test::kExamplePublished, header);
  ASSERT_EQ(outcome.result, 0);
  EXPECT_EQ(outcome.header.constantError, 1.5);
  EXPECT_EQ(outcome.header.ppmError, 2.0);
  EXPECT_EQ(outcome.header.publishedSource, "Kellerby");
  EXPECT_NE(outcome.Text().find("EDM Specifications: +/- 1.5 mm + 2.0 PPM\n"), std::string::npos);
}

TEST(project_processing, the_same_input_gives_the_same_report) {
  const test::Outcome first = RunProject(test::kExampleMeasured, test::kExamplePublished);
  const test::Outcome second = RunProject(test::kExampleMeasured, test::kExamplePublished);
  EXPECT_EQ(first.report.lines, second.report.lines);
}

}  // namespace
}  // namespace mensuro
