// The text of a baseline calibration where the survey gives the tests nothing to go on: no a
// priori accuracy, an outlier test that can't be made, observations left out, a previous
// certificate with no pair in common; and its columns under their titles.

#include "core/baseline/baseline_text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace mensuro {
namespace {

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

// The line of `text` that starts with `start`, blanks before it aside.
std::string LineStarting(const std::string& text, std::string_view start) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.find_first_not_of(' ') != std::string::npos &&
        std::string_view(line).substr(line.find_first_not_of(' ')).starts_with(start)) {
      return line;
    }
  }
  return {};
}

TEST(baseline_text, says_what_the_survey_gave_no_test_for) {
  BaselineCalibration calibration;
  calibration.header.edmDescription = "Reference EDM 301122";
  calibration.header.date = "2026-11-18";
  BaselineAdjustment& a = calibration.adjustment;
  a.pillars = {{"P1", 0.0, 0.0}, {"Pillar\t22", 1234.56789, 0.00012}};
  a.distances.push_back(
      {"P1", "Pillar\t22", 1234.56789, 0.0001, 0.00002, 0.000102, std::nullopt, 1.96, 0.0002});
  a.constant = -0.00042;
  a.constantUncertainty = 0.00009;
  a.observationCount = 3;
  a.unknowns = 2;
  a.dof = 1;
  a.s0 = 0.00035;  // weights of 1: a length
  a.outlierTest.reason = "one degree of freedom";
  calibration.excluded = {{{"", "", 7, "wrong prism"}, {7}, {}},
                          {{"P1", "P3", 0, ""}, {9, 12}, {}}};
  calibration.comparison.emplace();
  calibration.previousSource = "Line 2024";
  const std::string text = BaselineCalibrationText(calibration, "Line 2026");

  EXPECT_TRUE(text.starts_with("Baseline Calibration: Line 2026\n")) << text;
  EXPECT_TRUE(Contains(text, "Reference instrument:  Reference EDM 301122\n")) << text;
  EXPECT_TRUE(Contains(text, "Scale correction:      none\n")) << text;
  EXPECT_TRUE(Contains(text, "none stated, every observation weighted alike")) << text;
  EXPECT_TRUE(Contains(text, "constant c: -0.42 mm, standard uncertainty 0.09 mm")) << text;
  EXPECT_TRUE(LineStarting(text, "s0").ends_with(" 0.35 mm")) << text;
  EXPECT_TRUE(Contains(text,
                       "Variance test: not made, the observations have no a priori "
                       "accuracy\n"))
      << text;
  EXPECT_TRUE(Contains(text, "Outlier test: not applicable, one degree of freedom\n")) << text;
  EXPECT_TRUE(Contains(text, "  line 7: wrong prism\n")) << text;
  EXPECT_TRUE(Contains(text, "  pair P1-P3 (lines 9, 12): no reason given\n")) << text;
  EXPECT_TRUE(Contains(text,
                       "Comparison with the previous certificate (Line 2024)\n"
                       "  No pair of pillars is in both.\n"))
      << text;

  // A tab in a name is shown, not laid out; numbers stand right-aligned under their titles.
  const std::string title = LineStarting(text, "Pillar  ");
  const std::string row = LineStarting(text, "Pillar\\t22");
  ASSERT_FALSE(row.empty()) << text;
  EXPECT_EQ(row.size(), title.size()) << title << "\n" << row;
  EXPECT_TRUE(row.ends_with("1234.5679  0.12")) << row;
  EXPECT_TRUE(LineStarting(text, "P1  ").ends_with("0.0000  0.00")) << text;
}

}  // namespace
}  // namespace mensuro
