// The window's calibration state: each change told once, new conditions processed again, and
// nothing kept of a failed or refused Process.

#include "ui/common/calibration_state.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace mensuro {
namespace {

constexpr const char* kMeasured = "A,B,99.997\nA,C,299.995\nA,D,599.991\nB,C,199.998\n";
constexpr const char* kPublished = "A,B,100\nA,C,300\nA,D,600\nB,C,200\n";

UncertaintyInputs Centring(double mm) {
  UncertaintyInputs conditions;
  conditions.centring = mm;
  return conditions;
}

TEST(calibration_state, new_conditions_process_the_calibration_again) {
  CalibrationState state;
  QSignalSpy changed(&state, &CalibrationState::Changed);
  state.Process({}, kMeasured, kPublished, Centring(0.1));
  ASSERT_NE(state.Calibration(), nullptr);
  EXPECT_EQ(changed.count(), 1);
  const double before = state.Calibration()->uncertainty.table.front().standardUncertainty;
  const std::size_t reportLines = state.Report().lines.size();

  state.SetConditions(Centring(2.0));
  EXPECT_EQ(changed.count(), 2);
  EXPECT_TRUE(state.Calibration()->conditions.centring == 2.0);
  EXPECT_GT(state.Calibration()->uncertainty.table.front().standardUncertainty, before);
  EXPECT_EQ(state.Report().lines.size(), reportLines);
}

TEST(calibration_state, a_failure_or_a_refusal_leaves_no_calibration) {
  CalibrationState state;
  QSignalSpy changed(&state, &CalibrationState::Changed);
  state.Process({}, kMeasured, "A,B,100\n", {});
  EXPECT_EQ(state.Calibration(), nullptr);
  EXPECT_EQ(state.Failure(),
            QStringLiteral("Error processing project:\nNo published distance between A and C."));
  EXPECT_TRUE(state.Report().lines.empty());
  // No calibration to take new conditions: nothing changes, and nothing is told.
  state.SetConditions(Centring(1.0));
  EXPECT_EQ(changed.count(), 1);

  state.Process({}, kMeasured, kPublished, {});
  state.Refuse(QStringLiteral("No measured baseline data found."));
  EXPECT_EQ(state.Calibration(), nullptr);
  EXPECT_EQ(state.Failure(), QStringLiteral("No measured baseline data found."));
  EXPECT_EQ(state.Notices().listed.size(), 0u);
  EXPECT_EQ(changed.count(), 3);
}

TEST(calibration_state, leaves_out_and_brings_back) {
  CalibrationState state;
  QSignalSpy changed(&state, &CalibrationState::Changed);
  state.Process({}, kMeasured, kPublished, {});
  EXPECT_EQ(state.Exclude({"C", "B", 0, "bumped"}), QString());
  ASSERT_NE(state.Calibration(), nullptr);
  EXPECT_EQ(state.Calibration()->run.analysis.entries.size(), 3u);
  EXPECT_EQ(changed.count(), 2);
  // Two pairs would be left: refused, and nothing changes.
  EXPECT_TRUE(state.Exclude({"A", "B", 0, ""}).startsWith(QStringLiteral("Error processing")));
  EXPECT_EQ(state.Calibration()->exclusions.size(), 1u);
  EXPECT_EQ(changed.count(), 2);

  // The same text processed again keeps what was left out; another starts with all in.
  state.Process({}, kMeasured, kPublished, {});
  EXPECT_EQ(state.Calibration()->exclusions.size(), 1u);
  state.BringBack(0);
  EXPECT_TRUE(state.Calibration()->exclusions.empty());
  EXPECT_EQ(state.Calibration()->run.analysis.entries.size(), 4u);
  state.Exclude({"C", "B", 0, ""});
  state.Process({}, std::string(kMeasured) + "A,B,99.998\n", kPublished, {});
  EXPECT_TRUE(state.Calibration()->exclusions.empty());
}

}  // namespace
}  // namespace mensuro
