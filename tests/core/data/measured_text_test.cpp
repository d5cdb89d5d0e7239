#include "core/data/measured_text.h"

#include <gtest/gtest.h>

#include <string>

namespace mensuro {
namespace {

struct Parsed {
  MeasurementHeader header;
  RecordTable table;
};

Parsed Parse(std::string_view text, MeasurementHeader header = {}) {
  Parsed parsed{std::move(header), {}};
  EXPECT_EQ(ParseMeasuredText(text, parsed.header, parsed.table), 0);
  return parsed;
}

void ExpectObservation(const ProjectRecord& record, std::string_view from, std::string_view to,
                       double distance) {
  EXPECT_EQ(record.kind, kObservationKind);
  EXPECT_EQ(record.fromStation, from);
  EXPECT_EQ(record.toStation, to);
  EXPECT_EQ(record.observedDistance, distance);
  EXPECT_EQ(record.publishedDistance, 0.0);
}

TEST(measured_text, reads_observations_in_text_order_with_either_separator) {
  const Parsed parsed = Parse("A,B,100.1234\r\nA, B, 100.1234\n\nA B 100.1234\n");
  ASSERT_EQ(CountRecords(parsed.table), 3u);
  for (const ProjectRecord& record : parsed.table.entries) {
    ExpectObservation(record, "A", "B", 100.1234);
  }
}

TEST(measured_text, odd_lines_still_yield_observations) {
  const Parsed parsed = Parse(
      "Sta 1,Sta 2,50\n"
      "A  B 100\n"
      "A,B\n"
      "100\n"
      "\tA,B,1\n"
      "A\tB\t1\n"
      " #note\n"
      "   \n"
      "\t\t\n");
  ASSERT_EQ(CountRecords(parsed.table), 8u);
  ExpectObservation(parsed.table.entries[0], "Sta1", "Sta2", 50.0);
  ExpectObservation(parsed.table.entries[1], "A", "", 0.0);
  ExpectObservation(parsed.table.entries[2], "A", "B", 0.0);
  ExpectObservation(parsed.table.entries[3], "100", "100", 100.0);
  ExpectObservation(parsed.table.entries[4], "A", "B", 1.0);
  ExpectObservation(parsed.table.entries[5], "A\tB\t1", "A\tB\t1", 0.0);
  ExpectObservation(parsed.table.entries[6], "", "#note", 0.0);
  ExpectObservation(parsed.table.entries[7], "", "", 0.0);  // blanks only; tabs only is empty
}

TEST(measured_text, header_lines_set_the_header_and_the_last_one_wins) {
  MeasurementHeader start;
  start.comment = "from the window";
  start.edmDescription = "kept";
  start.publishedSource = "P";
  const Parsed parsed = Parse(
      "$07-03-2015\r\n!09:05:03\n#first\n#second\n%abc\n^1.5mm\nA,B,1\n!10:00:00 \t\r\n", start);
  EXPECT_EQ(parsed.header.date, "07-03-2015");
  EXPECT_EQ(parsed.header.time, "10:00:00 ");  // trailing tab and CR go, the blank stays
  EXPECT_EQ(parsed.header.comment, "second");
  EXPECT_EQ(parsed.header.edmDescription, "kept");
  EXPECT_EQ(parsed.header.ppmError, 0.0);
  EXPECT_EQ(parsed.header.constantError, 1.5);
  EXPECT_EQ(parsed.header.publishedSource, "P");
  EXPECT_EQ(CountRecords(parsed.table), 1u);

  EXPECT_EQ(Parse("#\n").header.comment, "");
}

TEST(measured_text, the_last_line_counts_without_a_line_feed) {
  const Parsed parsed = Parse("A,B,1\nA,C,2");
  ASSERT_EQ(CountRecords(parsed.table), 2u);
  ExpectObservation(parsed.table.entries[1], "A", "C", 2.0);
  EXPECT_EQ(Parse("^3.25").header.constantError, 3.25);
}

TEST(measured_text, keeps_every_observation_and_starts_each_run_afresh) {
  std::string text;
  for (int i = 0; i < 1005; ++i) {
    text += "S" + std::to_string(i) + ",T,10\n";
  }
  Parsed parsed = Parse(text);
  ASSERT_EQ(CountRecords(parsed.table), 1005u);
  EXPECT_EQ(parsed.table.entries.back().fromStation, "S1004");

  ParseMeasuredText("A,B,1\n", parsed.header, parsed.table);
  ASSERT_EQ(CountRecords(parsed.table), 1u);
  EXPECT_EQ(CountRecords(Parse("$date only\n").table), 0u);
}

TEST(measured_text, long_names_and_lines_are_kept_whole) {
  const std::string name(10000, 'N');
  const Parsed parsed = Parse(name + "," + name + "x,123.5\n");
  ASSERT_EQ(CountRecords(parsed.table), 1u);
  ExpectObservation(parsed.table.entries[0], name, name + "x", 123.5);
}

}  // namespace
}  // namespace mensuro
