#include "core/data/published_text.h"

#include <gtest/gtest.h>

#include "core/data/measured_text.h"
#include "core/data/station_pairs.h"

namespace mensuro {
namespace {

struct Attached {
  int result = -1;
  std::string errorText;
  RecordTable table;
};

Attached Attach(std::string_view measured, std::string_view published) {
  Attached attached;
  MeasurementHeader header;
  ParseMeasuredText(measured, header, attached.table);
  const StationPairs pairs = GroupStationPairs(attached.table);
  attached.result = ParsePublishedText(published, attached.table, pairs, attached.errorText);
  return attached;
}

TEST(published_text, one_line_serves_every_observation_of_its_pair) {
  const Attached attached = Attach("A,B,100.01\nB,A,100.03\nA,B,100.02\n", "A,B,100.02\n");
  EXPECT_EQ(attached.result, 0);
  EXPECT_EQ(attached.errorText, "");
  for (const ProjectRecord& record : attached.table.entries) {
    EXPECT_EQ(record.publishedDistance, 100.02);
  }
}

TEST(published_text, ignores_lines_of_pairs_not_measured) {
  const Attached attached =
      Attach("A,B,1\n", "Baseline of 2015\r\nC,D,5\r\n\r\n\t\r\nB A 100.5\r\n");
  EXPECT_EQ(attached.result, 0);
  EXPECT_EQ(attached.table.entries[0].publishedDistance, 100.5);
}

TEST(published_text, a_second_distance_for_a_pair_is_rejected) {
  Attached attached = Attach("B,A,1\nA,B,1\n", "A,B,100.02\nB,A,100.02\nC,D,\n");
  EXPECT_EQ(attached.result, 1);
  // Named as the first matching observation was measured.
  EXPECT_EQ(attached.errorText, "Multiple published distances found between:\tB - A");
}

TEST(published_text, distances_of_zero_or_less_do_not_count_as_published) {
  EXPECT_EQ(Attach("A,B,1\n", "A,B,xyz\nA,B,100.02\n").table.entries[0].publishedDistance, 100.02);
  EXPECT_EQ(Attach("A,B,1\n", "A,B,-5\nA,B,7\n").table.entries[0].publishedDistance, 7.0);

  const Attached negative = Attach("A,B,1\n", "A,B,-5\n");
  EXPECT_EQ(negative.result, 0);
  EXPECT_EQ(negative.table.entries[0].publishedDistance, -5.0);

  const Attached zero = Attach("A,B,1\n", "A,B,xyz\n");
  EXPECT_EQ(zero.result, 1);
  EXPECT_EQ(zero.errorText, "No published distance between A and B.");
}

TEST(published_text, names_the_first_observation_without_a_distance) {
  EXPECT_EQ(Attach("A,B,1\nC,D,1\nE,F,1\n", "C,D,2\n").errorText,
            "No published distance between A and B.");
  EXPECT_EQ(Attach("A,B,1\n", "a,b,100.02\n").errorText,  // names are case-sensitive
            "No published distance between A and B.");
  EXPECT_EQ(Attach("   \n", "").errorText, "No published distance between  and .");
}

TEST(published_text, the_last_line_counts_without_a_line_feed) {
  EXPECT_EQ(Attach("A,B,1\nA,C,1\n", "A,B,5\nC,A,6").result, 0);
}

TEST(published_text, nothing_to_attach_to_is_no_error) {
  EXPECT_EQ(Attach("#header only\n", "A,B,1\nA,B,2\n").result, 0);
}

}  // namespace
}  // namespace mensuro
