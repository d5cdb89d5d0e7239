#include "core/analysis/calibration_report.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "core/run_project.h"

namespace mensuro {
namespace {

using test::RunProject;

std::string TestData(const std::string& name) {
  std::ifstream file(std::string(MENSURO_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(file) << name;
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

MeasurementHeader ExampleHeader() {
  MeasurementHeader header;
  header.publishedSource = "Kellerby Calibration Baseline";
  header.measuredFileName = "edm/2026-12-07.txt";
  return header;
}

constexpr std::string_view kExampleHeaderLines =
    "$07-12-2026\r\n!09:05:03\r\n#Overcast, 8 C, 1012 hPa\r\n@Total station 2 mm + 2 ppm\r\n";

TEST(calibration_report, worked_example_matches_the_expected_report) {
  const test::Outcome outcome =
      RunProject(std::string(kExampleHeaderLines) + std::string(test::kExampleMeasured),
                 test::kExamplePublished, ExampleHeader());
  ASSERT_EQ(outcome.result, 0) << outcome.message;
  EXPECT_EQ(outcome.Text(), TestData("worked-example.rpt"));
}

TEST(calibration_report, table_columns) {
  const test::Outcome outcome = RunProject(test::kExampleMeasured, test::kExamplePublished);
  const std::vector<std::string>& lines = outcome.report.lines;
  ASSERT_EQ(lines.size(), 44u);  // 33 fixed lines, 3 observations, 3 pairs, 5 of scale advice
  EXPECT_EQ(lines[12], "  A                B                  99.9970      100.0000    0.0030\n");
  EXPECT_EQ(lines[19],
            "  A              C                299.9950     300.0000    0.0050  -0.0003     1.9\n");

  const std::string& rms = lines[21];
  EXPECT_EQ(rms.find("RMS:"), 54u);  // column 55 counted from 1
  EXPECT_EQ(rms.substr(0, 54), std::string(54, ' '));
  EXPECT_EQ(rms.substr(58), " 0.0062\n");         // the value in columns 59 to 65
  EXPECT_EQ(lines[19].substr(58, 7), " 0.0050");  // under the Diff. column
}

TEST(calibration_report, long_names_are_cut_to_their_columns_by_bytes) {
  const std::string from = "NorthernPillar19x";  // 17 bytes
  const std::string accented =
      "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9";  // 16 bytes
  const test::Outcome outcome = RunProject(
      from + ",B,99.997\n" + from + ",C,299.995\n" + from + "," + accented + ",599.991\n",
      from + ",B,100\n" + from + ",C,300\n" + from + "," + accented + ",600\n");
  ASSERT_EQ(outcome.result, 0) << outcome.message;
  const std::vector<std::string>& lines = outcome.report.lines;
  EXPECT_EQ(lines[12].substr(0, 21), "  NorthernPillar1  B ");
  EXPECT_EQ(lines[18].substr(0, 19), "  NorthernPilla  B ");
  // Columns count bytes, not characters of a multi-byte encoding: the UTF-8 name is cut
  // inside its eighth letter and the line keeps its width in bytes.
  EXPECT_EQ(lines[14].substr(19, 17), accented.substr(0, 15) + "  ");
  EXPECT_EQ(lines[20].substr(17, 16), accented.substr(0, 14) + "  ");
  EXPECT_EQ(lines[14].size(), lines[12].size());
  EXPECT_EQ(lines[20].size(), lines[18].size());
}

TEST(calibration_report, repeated_observations_show_once_each_in_the_data) {
  const test::Outcome outcome =
      RunProject("A,B,99.998\nB,A,99.996\n" + std::string(test::kExampleMeasured).substr(11),
                 test::kExamplePublished);
  ASSERT_EQ(outcome.result, 0) << outcome.message;
  const std::string text = outcome.Text();
  EXPECT_NE(text.find("  A                B                  99.9980      100.0000    0.0020\n"),
            std::string::npos);
  EXPECT_NE(text.find("  B                A                  99.9960      100.0000    0.0040\n"),
            std::string::npos);
  EXPECT_NE(text.find("  B              A                 99.9970     100.0000    0.0030"),
            std::string::npos);
}

TEST(calibration_report, flagged_pairs_carry_an_asterisk) {
  const test::Outcome outcome =
      RunProject("^1000\n%0\nA,B,100\nA,C,200\nA,D,300\n", "A,B,103\nA,C,202.5\nA,D,303.5\n");
  ASSERT_EQ(outcome.result, 0) << outcome.message;
  EXPECT_EQ(outcome.report.lines[18].substr(outcome.report.lines[18].size() - 9), "    *3.0\n");
  EXPECT_EQ(outcome.report.lines[19].substr(outcome.report.lines[19].size() - 9), "     2.5\n");
}

TEST(calibration_report, both_tests_failing_give_both_advice_paragraphs) {
  // 5 mm constant and 10 ppm scale error, with a little noise.
  const test::Outcome outcome =
      RunProject("A,B,99.9940\nA,C,299.9919\nA,D,599.9889\nA,E,999.9849\nA,F,1399.9812\n",
                 "A,B,100\nA,C,300\nA,D,600\nA,E,1000\nA,F,1400\n");
  ASSERT_EQ(outcome.result, 0) << outcome.message;
  ASSERT_FALSE(outcome.run.analysis.scaleTestPassed);
  ASSERT_FALSE(outcome.run.analysis.constantTestPassed);
  const std::string text = outcome.Text();
  EXPECT_NE(text.find("\n     ***Fails the t-test for the constant error. (The constant is not "
                      "0.0.)\n          "),
            std::string::npos);
  const std::string ending =
      "\n**  Failing the t-test for the scale error is indicative of not having the\n"
      "      atmospheric correction set correctly, or a vertical collimation error.\n"
      "      Check the atmospheric correction setting and/or the vertical collimation on\n"
      "      the EDM/data collector.\n\n"
      " "
      "\n*** Failing the t-test for the constant error is indicative of an incorrect\n"
      "      prism constant. Check the prism constant setting on EDM/data collector.\n\n"
      " ";
  EXPECT_EQ(text.substr(text.size() - ending.size()), ending);
}

TEST(calibration_report, both_tests_passing_end_with_the_empty_line) {
  const test::Outcome outcome = RunProject("A,B,100.0001\nA,C,199.9998\nA,D,400.0002\nA,E,600\n",
                                           "A,B,100\nA,C,200\nA,D,400\nA,E,600\n");
  ASSERT_EQ(outcome.result, 0) << outcome.message;
  const std::vector<std::string>& lines = outcome.report.lines;
  EXPECT_EQ(lines.back(), "");
  EXPECT_EQ(lines[lines.size() - 5],
            "\n        Passes the t-test for the scale error. (The scale factor is 0.0.)\n");
  EXPECT_EQ(lines[lines.size() - 2].substr(lines[lines.size() - 2].size() - 4), ". \n\n");
  EXPECT_NE(lines[lines.size() - 2].find(" is less than 4.3030. "), std::string::npos);
}

}  // namespace
}  // namespace mensuro
