// What reading the two texts warns of and notes, with the lines it names.

#include "core/data/input_notices.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "core/run_project.h"

namespace mensuro {
namespace {

using ::testing::ElementsAre;

std::vector<std::pair<std::size_t, std::string>> LinesAndReasons(const InputNotices& notices) {
  std::vector<std::pair<std::size_t, std::string>> found;
  for (const InputNotice& notice : notices.listed) {
    found.emplace_back(notice.where.line, notice.reason);
  }
  return found;
}

TEST(input_notices, each_misread_field_is_warned_of_at_its_line) {
  // Lines are counted as an editor counts them: header lines and empty lines too.
  const test::Outcome outcome = test::RunProject(
      "^2\nA,B,99.997\n\nA,C,299,995\nA,D,x\nA,D,-5\nA  B  100\nA\tX,B,1\nA\tB\t100\nA,4\nA\n",
      test::kExamplePublished);
  EXPECT_THAT(LinesAndReasons(outcome.run.notices),
              ElementsAre(std::pair(4u, "a decimal comma? the distance is read as 299"),
                          std::pair(5u, "the distance \"x\" is read as 0"),
                          std::pair(6u, "the distance -5 is less than 0"),
                          std::pair(7u, "an empty station name"),
                          std::pair(7u, "the distance \"B\" is read as 0"),
                          std::pair(8u, "tabs don't separate fields here (commas or blanks do)"),
                          std::pair(9u, "tabs don't separate fields here (commas or blanks do)"),
                          std::pair(10u,
                                    "only two fields: the distance is read from the station "
                                    "name \"4\""),
                          std::pair(11u,
                                    "only one field: the station names and the distance "
                                    "are all read from \"A\"")));
  // Each of them means the line was probably misread.
  EXPECT_EQ(outcome.run.notices.misread, 9u);
  EXPECT_EQ(outcome.run.notices.listed[0].content, "A,C,299,995");
  EXPECT_EQ(outcome.run.notices.listed[0].where.text, InputText::kMeasured);
  // The warnings stay when the run fails, and the failure names the first observation of the
  // pair it could not find.
  EXPECT_EQ(outcome.result, 1);
  ASSERT_TRUE(outcome.run.failedAt);
  EXPECT_EQ(outcome.run.failedAt->line, 7u);
}

TEST(input_notices, repeated_observations_are_described_and_a_wide_spread_warned_of) {
  const test::Outcome outcome =
      test::RunProject("A,B,99.997\nA,C,299.995\nA,B,99.999\nA,D,599.991\nA,B,99.992\n",
                       std::string(test::kExamplePublished) + "B,C,200\n");
  ASSERT_EQ(outcome.result, 0) << outcome.message;
  const AdjustmentTable& pairs = outcome.run.analysis.entries;
  ASSERT_EQ(pairs.size(), 3u);
  // In the report's order, A-B closes last.
  const AdjustmentEntry& ab = pairs[2];
  EXPECT_EQ(ab.observations, 3);
  EXPECT_NEAR(ab.observationStdDev, std::sqrt(13e-6), 1e-12);
  EXPECT_NEAR(ab.observationSpread, 0.007, 1e-12);
  EXPECT_EQ(pairs[0].observations, 1);
  EXPECT_EQ(pairs[0].observationSpread, 0.0);

  // 7.0 mm against 3 (2 mm + 2 ppm of 100 m) = 6.6 mm, at the pair's first observation; the
  // published pair nobody measured is a note.
  const InputNotices& notices = outcome.run.notices;
  EXPECT_EQ(notices.warnings, 1u);
  EXPECT_EQ(notices.notes, 1u);
  EXPECT_EQ(notices.misread, 0u);  // a spread is measured, not misread
  ASSERT_EQ(notices.listed.size(), 2u);
  EXPECT_EQ(notices.listed[0].reason, "observations of A-B spread 7.0 mm (limit 6.6 mm)");
  EXPECT_EQ(notices.listed[0].where.line, 1u);
  EXPECT_EQ(notices.listed[0].content, "A,B,99.997");
  EXPECT_EQ(notices.listed[1].level, NoticeLevel::kNote);
  EXPECT_EQ(notices.listed[1].where.text, InputText::kPublished);
  EXPECT_EQ(notices.listed[1].where.line, 4u);
  EXPECT_EQ(notices.listed[1].reason, "no observation of B-C; the distance is not used");
}

TEST(input_notices, a_text_of_nonsense_lists_only_the_first_ones) {
  std::string measured;
  for (std::size_t i = 0; i <= kListedNoticeLimit; ++i) {
    measured += "A,B,x\n";
  }
  const test::Outcome outcome = test::RunProject(measured, test::kExamplePublished);
  EXPECT_EQ(outcome.run.notices.warnings, kListedNoticeLimit + 1);
  EXPECT_EQ(outcome.run.notices.listed.size(), kListedNoticeLimit);
}

}  // namespace
}  // namespace mensuro
