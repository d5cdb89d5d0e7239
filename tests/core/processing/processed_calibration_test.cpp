#include "core/processing/processed_calibration.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/analysis/flag_limit.h"
#include "core/run_project.h"
#include "support/report_lines.h"

namespace mensuro {
namespace {

// Every pair of four pillars at 0, 100, 300 and 600 m, so the full test applies; the instrument
// reads 1 mm long plus 10 ppm, with a little scatter.
constexpr std::string_view kPublished =
    "A,B,100.0000\nA,C,300.0000\nA,D,600.0000\nB,C,200.0000\nB,D,500.0000\nC,D,300.0000\n";
constexpr std::string_view kMeasured =
    "^1\n!2\nA,B,100.0022\nA,C,300.0039\nA,D,600.0072\nB,C,200.0028\nB,D,500.0062\n"
    "C,D,300.0043\n";

UncertaintyInputs Centring(double mm) {
  UncertaintyInputs conditions;
  conditions.centring = mm;
  return conditions;
}

TEST(processed_calibration, holds_every_view_of_one_run) {
  const ProcessedCalibration calibration = ProcessCalibration(
      MeasurementHeader{}, std::string(kMeasured), std::string(kPublished), Centring(0.3));
  ASSERT_TRUE(calibration.processed) << calibration.failure;
  EXPECT_EQ(calibration.header.constantError, 1.0);  // header lines applied
  EXPECT_EQ(JoinReportLines(calibration.report), test::RunProject(kMeasured, kPublished).Text());

  const CorrectionUncertainty direct = AnalyseUncertainty(calibration.run.analysis, Centring(0.3));
  ASSERT_EQ(calibration.uncertainty.table.size(), direct.table.size());
  EXPECT_EQ(calibration.uncertainty.table.back().expandedUncertainty,
            direct.table.back().expandedUncertainty);
  ASSERT_TRUE(calibration.fullTest);
  EXPECT_EQ(calibration.fullTest->stations, 4);
}

TEST(processed_calibration, new_conditions_change_the_budget_alone) {
  const ProcessedCalibration first = ProcessCalibration(MeasurementHeader{}, std::string(kMeasured),
                                                        std::string(kPublished), Centring(0.3));
  const ProcessedCalibration again = WithConditions(first, Centring(1.0));
  ASSERT_TRUE(again.processed);
  EXPECT_EQ(again.report.lines, first.report.lines);
  EXPECT_EQ(again.measuredText, kMeasured);
  EXPECT_GT(again.uncertainty.table.front().expandedUncertainty,
            first.uncertainty.table.front().expandedUncertainty);
  EXPECT_EQ(
      again.uncertainty.table.front().expandedUncertainty,
      AnalyseUncertainty(again.run.analysis, Centring(1.0)).table.front().expandedUncertainty);
  // The band is drawn from the same budget.
  EXPECT_EQ(CorrectionsAt(again, {0.0}).front().expandedUncertainty,
            again.uncertainty.table.front().expandedUncertainty);
}

TEST(processed_calibration, a_failure_keeps_its_reason_and_notices) {
  const ProcessedCalibration failed =
      ProcessCalibration(MeasurementHeader{}, "A,B,1\nA,B,x\nC,D,1\n", "A,B,1\n", {});
  EXPECT_FALSE(failed.processed);
  EXPECT_EQ(failed.failure, "Error processing project:\nNo published distance between C and D.");
  EXPECT_TRUE(failed.report.lines.empty());
  EXPECT_TRUE(failed.uncertainty.table.empty());
  EXPECT_FALSE(failed.fullTest);
  EXPECT_EQ(failed.run.notices.warnings, 1u);  // the distance "x"
  ASSERT_TRUE(failed.run.failedAt);
  EXPECT_EQ(failed.run.failedAt->line, 3u);
}

// The flags and the spread warnings judge a pair against the same limit, 3 (a + b D).
TEST(processed_calibration, flags_and_spread_warnings_share_the_flag_limit) {
  MeasurementHeader header;
  header.constantError = 2.0;
  header.ppmError = 2.0;
  EXPECT_NEAR(FlagLimit(header, 500.0), 0.009, 1e-15);
  // B-D read 9.5 mm short twice over, 9.2 mm apart.
  const ProcessedCalibration calibration =
      ProcessCalibration(header,
                         "A,B,100.0\nA,C,300.0\nA,D,600.0\nB,C,200.0\nB,D,499.9859\nB,D,499.9951\n"
                         "C,D,300.0\n",
                         std::string(kPublished), {});
  ASSERT_TRUE(calibration.processed) << calibration.failure;
  const AdjustmentEntry& bd = calibration.run.analysis.entries[4];
  ASSERT_EQ(bd.from + bd.to, "BD");
  EXPECT_TRUE(bd.flagged);
  EXPECT_GE(bd.d, FlagLimit(header, bd.C));
  ASSERT_EQ(calibration.run.notices.listed.size(), 1u);
  EXPECT_EQ(calibration.run.notices.listed.front().reason,
            "observations of B-D spread 9.2 mm (limit 9.0 mm)");
}

// What the surveyor leaves out: the run is that of the text without those lines, the text
// itself stays, and each exclusion knows the lines it took.
TEST(processed_calibration, leaves_out_pairs_and_lines_and_keeps_the_text) {
  const std::string measured =
      "^1\n!2\nA,B,100.0022\nA,C,300.0039\nA,D,600.0072\nB,C,200.0028\nB,D,500.0062\n"
      "C,D,300.0043\nC,B,200.0090\nA,B,100.0030";  // no line feed after the last line
  const ProcessedCalibration calibration = ProcessCalibration(
      {}, measured, std::string(kPublished), {},
      {{"B", "C", 0, "blunder"}, {"", "", 10, "bumped"}, {"X", "Y", 0, ""}, {"", "", 1, ""}});
  ASSERT_TRUE(calibration.processed) << calibration.failure;
  EXPECT_EQ(calibration.measuredText, measured);
  ASSERT_EQ(calibration.exclusions.size(), 4u);
  EXPECT_EQ(calibration.exclusions[0].lines, (std::vector<std::size_t>{6, 9}));  // either order
  EXPECT_EQ(calibration.exclusions[0].exclusion.reason, "blunder");
  EXPECT_EQ(calibration.exclusions[1].lines, (std::vector<std::size_t>{10}));
  EXPECT_TRUE(calibration.exclusions[2].lines.empty());  // no such pair
  EXPECT_TRUE(calibration.exclusions[3].lines.empty());  // a header line
  EXPECT_EQ(ExcludedObservationCount(calibration.exclusions), 3u);
  EXPECT_EQ(DescribeExclusion(calibration.exclusions[0].exclusion), "pair B-C");
  EXPECT_EQ(DescribeExclusion(calibration.exclusions[1].exclusion), "line 10");

  const std::string without =
      "^1\n!2\nA,B,100.0022\nA,C,300.0039\nA,D,600.0072\nB,D,500.0062\nC,D,300.0043\n";
  EXPECT_EQ(calibration.report.lines,
            ProcessCalibration({}, without, std::string(kPublished), {}).report.lines);
  EXPECT_EQ(calibration.run.analysis.entries.size(), 5u);

  // Processed again with other conditions, the exclusions stay; without them, all is back.
  EXPECT_EQ(WithConditions(calibration, Centring(1.0)).report.lines, calibration.report.lines);
  const ProcessedCalibration back = WithExclusions(calibration, {});
  EXPECT_EQ(back.run.analysis.entries.size(), 6u);
  EXPECT_TRUE(back.exclusions.empty());
}

// What holds back the certificate: a misread line that enters the result, until it is left
// out; a line that enters nothing is reported and holds nothing back.
TEST(certificate_obstacles, only_misread_lines_that_enter_the_result) {
  const std::string measured = std::string(kMeasured) + "A,B,100,0031\n";
  const ProcessedCalibration calibration =
      ProcessCalibration({}, measured, std::string(kPublished), {});
  ASSERT_TRUE(calibration.processed);
  const CertificateObstacles obstacles = FindCertificateObstacles(calibration);
  ASSERT_EQ(obstacles.listed.size(), 1u);
  EXPECT_EQ(obstacles.listed.front().where.line, 9u);
  EXPECT_TRUE(obstacles.misread());
  EXPECT_TRUE(FindCertificateObstacles(WithExclusions(calibration, {{"", "", 9, "decimal comma"}}))
                  .empty());

  // A title line, and a decimal comma in the distance of a pair nobody observed: warned of, but
  // neither distance is used. The decimal comma of a pair observed is.
  const std::string published = "Certified Baseline Distances\n" +
                                std::string(kPublished).replace(0, 12, "A,B,100,0000") +
                                "A,E,700,0000\n";
  const ProcessedCalibration titled = ProcessCalibration({}, std::string(kMeasured), published, {});
  ASSERT_TRUE(titled.processed) << titled.failure;
  EXPECT_EQ(titled.run.notices.misread, 3u);
  const CertificateObstacles held = FindCertificateObstacles(titled);
  ASSERT_EQ(held.listed.size(), 1u);
  EXPECT_EQ(held.listed.front().where.text, InputText::kPublished);
  EXPECT_EQ(held.listed.front().where.line, 2u);
}

// Nine pairs from pillar A; the observation of A-F on line 7 is 1.9 mm off the line of the others.
constexpr std::string_view kNinePublished =
    "A,B,47.6828\nA,C,104.7281\nA,D,152.4117\nA,E,234.2515\nA,F,281.9343\nA,G,347.5361\n"
    "A,H,395.2191\nA,I,455.9623\nA,J,503.6455\n";
constexpr std::string_view kNineMeasured =
    "^1\n%1.5\nA,B,47.6819\nA,C,104.7276\nA,D,152.4108\nA,E,234.2508\nA,F,281.9311\n"
    "A,G,347.5349\nA,H,395.2179\nA,I,455.9606\nA,J,503.6442\nF,A,281.9330\n";

TEST(certificate_obstacles, an_outlier_until_it_is_left_out) {
  const ProcessedCalibration calibration =
      ProcessCalibration({}, std::string(kNineMeasured), std::string(kNinePublished), {});
  ASSERT_TRUE(calibration.processed);
  ASSERT_EQ(calibration.outlierTest.outliers, 1);
  const CertificateObstacles obstacles = FindCertificateObstacles(calibration);
  ASSERT_EQ(obstacles.listed.size(), 1u);
  EXPECT_EQ(obstacles.outliers, 1u);
  EXPECT_FALSE(obstacles.misread());
  const InputNotice& outlier = obstacles.listed.front();
  EXPECT_EQ(outlier.where.line, 7u);  // the pair's first observation
  EXPECT_EQ(outlier.content, "A,F,281.9311");
  EXPECT_EQ(outlier.reason,
            "an outlier: the station pair F-A has t = 4.72, beyond the limit 4.20 of the outlier "
            "test");
  EXPECT_TRUE(
      FindCertificateObstacles(WithExclusions(calibration, {{"A", "F", 0, "blunder"}})).empty());
}

// A negative accuracy is reported as given, warned of at the line that gives it, and holds the
// certificate back; the header as the window gives it has no line.
TEST(certificate_obstacles, a_negative_accuracy) {
  const std::string measured = "^-17.5\n%-3\n" + std::string(kMeasured).substr(3);
  const ProcessedCalibration calibration =
      ProcessCalibration({}, measured, std::string(kPublished), {});
  ASSERT_TRUE(calibration.processed) << calibration.failure;
  EXPECT_EQ(calibration.header.constantError, -17.5);
  const CertificateObstacles obstacles = FindCertificateObstacles(calibration);
  ASSERT_EQ(obstacles.listed.size(), 2u);
  EXPECT_EQ(obstacles.listed[0].where.line, 1u);
  EXPECT_EQ(obstacles.listed[0].content, "^-17.5");
  EXPECT_EQ(obstacles.listed[0].reason, "a negative accuracy: is this the prism constant?");
  EXPECT_EQ(obstacles.listed[1].reason, "a negative accuracy: is this the atmospheric correction?");

  MeasurementHeader fields;
  fields.constantError = -17.5;
  const ProcessedCalibration typed =
      ProcessCalibration(fields, std::string(kMeasured).substr(3), std::string(kPublished), {});
  ASSERT_EQ(FindCertificateObstacles(typed).listed.size(), 1u);
  EXPECT_EQ(FindCertificateObstacles(typed).listed[0].where.line, 0u);
  EXPECT_EQ(FindCertificateObstacles(typed).listed[0].content, "^-17.5000");
  // A later line that gives the accuracy leaves nothing to warn of.
  EXPECT_TRUE(FindCertificateObstacles(ProcessCalibration({}, "^-17.5\n" + std::string(kMeasured),
                                                          std::string(kPublished), {}))
                  .empty());
}

// A file is named without its folders and hashed as given: "abc" as FIPS 180-2 gives it.
TEST(input_file, named_without_folders_with_the_sha256_of_its_bytes) {
  const InputFile file = InputFileOf("measured", std::filesystem::path("in") / "m.txt", "abc");
  EXPECT_EQ(file.role, "measured");
  EXPECT_EQ(file.name, "m.txt");
  EXPECT_EQ(file.bytes, "abc");
  EXPECT_EQ(file.sha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
}  // namespace mensuro
