#include "core/analysis/report_text.h"
#include "support/report_lines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace mensuro {
namespace {

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class report_file : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() /
        ("mensuro-report-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::filesystem::path folder_;
};

TEST(report_text, display_lines_split_at_line_feeds_and_drop_line_ends) {
  ReportText report;
  for (const char* line : {"EDM Calibration Report\n", "\n", "a\nb\n", "\nData:\n", "x\n\ny\t\r\n",
                           "\t\r", "tail", "end\r\n"}) {
    AppendReportLine(report, line);
  }
  const std::vector<std::string> expected = {
      "EDM Calibration Report", "a", "b", "", "Data:", "x", "", "y", "tail", "end"};
  EXPECT_EQ(ReportDisplayLines(report), expected);

  ReportText wide;
  AppendReportLine(wide, std::string(600, 'w') + "\n");
  ASSERT_EQ(ReportDisplayLines(wide).size(), 1u);
  EXPECT_EQ(ReportDisplayLines(wide)[0].size(), 600u);
}

TEST(report_text, keeps_every_line_in_order) {
  ReportText report;
  StartReport(report);
  for (int i = 0; i < 300; ++i) {
    AppendReportLine(report, std::to_string(i) + "\n");
  }
  AppendReportLine(report, "");
  AppendReportLine(report, " ");
  ASSERT_EQ(report.lines.size(), 302u);
  EXPECT_EQ(report.lines[299], "299\n");
  EXPECT_EQ(JoinReportLines(report).substr(0, 6), "0\n1\n2\n");
  EXPECT_EQ(JoinReportLines(report).substr(JoinReportLines(report).size() - 5), "299\n ");

  ClearReport(report);
  ClearReport(report);
  EXPECT_TRUE(report.lines.empty());
}

TEST_F(report_file, written_with_cr_lf_and_nothing_for_empty_lines) {
  ReportText report;
  AppendReportLine(report, "\n          EDM Calibration Report\n");
  AppendReportLine(report, "");
  AppendReportLine(report, "a\r\nb\n\n");
  AppendReportLine(report, " ");
  const auto path = folder_ / "report.rpt";
  ASSERT_EQ(WriteReportFile(path, report), 0);
  EXPECT_EQ(FileBytes(path), "\r\n          EDM Calibration Report\r\na\r\r\nb\r\n\r\n ");

  // An existing file is truncated, and an empty report makes an empty file.
  ASSERT_EQ(WriteReportFile(path, ReportText{}), 0);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(FileBytes(path), "");
}

TEST_F(report_file, a_folder_that_does_not_exist_fails_and_creates_nothing) {
  const auto path = folder_ / "missing" / "report.rpt";
  EXPECT_EQ(WriteReportFile(path, ReportText{{"x\n"}}), 1);
  EXPECT_FALSE(std::filesystem::exists(path.parent_path()));
  EXPECT_EQ(WriteReportFile(folder_, ReportText{{"x\n"}}), 1);  // a folder is no file
}

}  // namespace
}  // namespace mensuro
