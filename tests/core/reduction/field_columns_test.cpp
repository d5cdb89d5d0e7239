#include "core/reduction/field_columns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/data/measured_text.h"
#include "core/data/visible_text.h"
#include "core/reduction/field_observations.h"
#include "core/reduction/reduction_summary.h"
#include "support/measured_layouts.h"

namespace mensuro {
namespace {

std::string ErrorOf(std::string_view csv) {
  FieldFileError error;
  if (ReadFieldObservations(csv, error)) {
    return "no error";
  }
  return FieldFileErrorText("field.csv", error);
}

FieldObservations Read(std::string_view csv) {
  FieldFileError error;
  std::optional<FieldObservations> read = ReadFieldObservations(csv, error);
  EXPECT_TRUE(read) << FieldFileErrorText("field.csv", error);
  return read.value_or(FieldObservations{});
}

// A data collector's export as it comes, once with commas and once with tabs: the same
// observations as the file with Mensuro's own names.
TEST(field_columns, names_data_collectors_write_and_tab_separated_files) {
  const FieldObservations own = Read(
      "from,to,instrument_height,reflector_height,slope_distance,temperature,pressure,humidity\n"
      "P1,P2,1.55,1.62,250.1234,12.5,985.4,72\n");
  const std::vector<std::string> exports = {
      "from_pillar,to_pillar,height_of_instrument,height_of_target,slope_distance,temperature,"
      "pressure,humidity\nP1,P2,1.55,1.62,250.1234,12.5,985.4,72\n",
      "Station From\tStation-To\tHI\tPrism Height\tSD\tDry_Bulb\tBARO\tRH\r\n"
      "P1\tP2\t1,55\t1.62\t250.1234\t12,5\t985.4\t72\r\n",
      "at,sighted,inst_height,reflector_ht,slope_dist,t,p,relative_humidity,remark\n"
      "P1,P2,1.55,1.62,250.1234,12.5,985.4,72,\"windy, gusts\"\n",
  };
  for (const std::string& csv : exports) {
    const FieldObservations read = Read(csv);
    ASSERT_EQ(read.observations.size(), 1U) << csv;
    const FieldObservation& a = own.observations.at(0);
    const FieldObservation& b = read.observations[0];
    EXPECT_EQ(std::tie(b.fromStation, b.toStation, b.distance, b.instrumentHeight,
                       b.reflectorHeight, b.weather.temperature, b.weather.pressure),
              std::tie(a.fromStation, a.toStation, a.distance, a.instrumentHeight,
                       a.reflectorHeight, a.weather.temperature, a.weather.pressure))
        << csv;
    EXPECT_EQ(b.weather.humidity, a.weather.humidity) << csv;
  }
  // A tab inside quotes, or beside a comma, doesn't make a tab file.
  EXPECT_EQ(Read("\"from\tx\",from,to,hd\nA,A,B,10\n").observations.at(0).distance, 10.0);
}

TEST(field_columns, every_missing_column_is_named_at_once_with_its_other_names) {
  EXPECT_EQ(ErrorOf("station,remark,temp\n"),
            "field.csv:1: the columns \"from\" (or \"from_pillar\", \"from_station\", "
            "\"station_from\", \"at\", \"occupied\"); \"to\" (or \"to_pillar\", \"to_station\", "
            "\"station_to\", \"target\", \"sighted\"); \"slope_distance\" (or \"slope\", \"sd\", "
            "\"slope_dist\", \"measured_distance\"), or \"horizontal_distance\" (or \"hd\", "
            "\"horizontal_dist\") for distances already reduced; \"instrument_height\" (or "
            "\"height_of_instrument\", \"hi\", \"inst_height\", \"instrument_ht\"); "
            "\"reflector_height\" (or \"height_of_target\", \"ht\", \"target_height\", "
            "\"prism_height\", \"reflector_ht\"); \"pressure\" (or \"press\", \"p\", \"baro\"); "
            "\"humidity\" (or \"rh\", \"relative_humidity\") or \"wet_bulb\" (or \"wet\", "
            "\"wet_temp\") are missing (letter case, blanks, hyphens and underscores in the "
            "names don't matter)");
  // Without a slope column or weather, a file may be one of horizontal distances.
  EXPECT_EQ(ErrorOf("from,to\nA,B\n"),
            "field.csv:1: the column \"slope_distance\" (or \"slope\", \"sd\", \"slope_dist\", "
            "\"measured_distance\"), or \"horizontal_distance\" (or \"hd\", \"horizontal_dist\") "
            "for distances already reduced is missing (letter case, blanks, hyphens and "
            "underscores in the names don't matter)");
}

TEST(field_columns, two_columns_meaning_the_same_are_an_error_naming_both) {
  EXPECT_EQ(ErrorOf("from,to,slope,hd,SD\n"),
            "field.csv:1: column 5 (SD): the column gives the slope distance (m), as column 3 "
            "(slope) does; keep one");
  EXPECT_EQ(ErrorOf("from,to,hd,slope,hi,ht,t,p,rh\n"),
            "field.csv:1: the columns \"slope\" and \"hd\" are both given; keep one");
  EXPECT_EQ(ErrorOf("from,to,sd,hi,ht,t,p,rh,wet\n"),
            "field.csv:1: the columns \"rh\" and \"wet\" are both given; keep one");
  EXPECT_EQ(ErrorOf("from,to,hd,From\n"),
            "field.csv:1: column 4 (From): the column is named twice (also column 1)");
}

TEST(field_columns, a_chosen_map_reads_columns_of_any_name) {
  FieldFileError error;
  const std::optional<FieldTable> table = ReadFieldTable("a;b;c\nP1;P2;54,3\n", error);
  ASSERT_TRUE(table);
  FieldColumnMap map;
  map[FieldQuantity::kFrom] = 0;
  map[FieldQuantity::kTo] = 1;
  EXPECT_TRUE(FieldColumnsProblem(*table, map));
  map[FieldQuantity::kHorizontalDistance] = 2;
  const std::optional<FieldObservations> read = ReadFieldObservations(*table, map, error);
  ASSERT_TRUE(read) << error.reason;
  EXPECT_EQ(read->kind, FieldDistanceKind::kHorizontal);
  EXPECT_EQ(read->observations.at(0).distance, 54.3);
}

// As the surveyor says: "T" holds the time, not the temperature its name means, and of two
// slope distance columns the one chosen is read, the other left alone.
TEST(field_columns, chosen_columns_stand_over_what_the_names_mean) {
  FieldFileError error;
  const std::optional<FieldTable> table = ReadFieldTable("T,from,to,SD,slope\n", error);
  ASSERT_TRUE(table);
  EXPECT_FALSE(MatchFieldColumns(*table, error));
  FieldColumnMap chosen;
  chosen[FieldQuantity::kTime] = 0;
  chosen[FieldQuantity::kSlopeDistance] = 4;
  const std::optional<FieldColumnMap> map = MatchFieldColumns(*table, chosen, error);
  ASSERT_TRUE(map) << error.reason;
  FieldColumnMap expected = chosen;
  expected[FieldQuantity::kFrom] = 1;
  expected[FieldQuantity::kTo] = 2;
  EXPECT_EQ(*map, expected);
}

TEST(field_columns, a_field_file_is_known_by_its_header_row) {
  EXPECT_TRUE(IsFieldFileText("\r\n  \r\nFrom Pillar;To Pillar;SD;HI\r\n"));
  EXPECT_TRUE(
      IsFieldFileText("\xEF\xBB\xBF"
                      "from,to,hd\n"));
  // A data collector's tab export under names no table knows is no field file by itself; the
  // window asks about it.
  EXPECT_FALSE(IsFieldFileText("Pt Occ\tPt Sighted\tSlope Dist\n"));
  EXPECT_TRUE(HasUnnamedFieldColumns("\r\nPt Occ\tPt Sighted\tSlope Dist\n"));
  EXPECT_FALSE(HasUnnamedFieldColumns("\tSTN02\t STN04 825.019\n"));
  EXPECT_FALSE(HasUnnamedFieldColumns("Station From\tTarget\tHD\n"));  // a field file
  EXPECT_FALSE(HasUnnamedFieldColumns("P1\tP2\t100.0\n"));             // a misread observation
  // Names of field columns that the measured reader still reads as an observation.
  EXPECT_FALSE(IsFieldFileText("at,target,5e,sd\n"));
  EXPECT_FALSE(IsFieldFileText("$07-12-2026\r\nP1,P2,100.0\r\n"));
  EXPECT_FALSE(IsFieldFileText("#from\tto\thd\r\nP1,P2,100.0\r\n"));  // a comment with tabs
  EXPECT_FALSE(IsFieldFileText("P1\t P2\t 100.0\r\n"));  // an observation set out with tabs
  EXPECT_FALSE(IsFieldFileText("from,to,100.0\r\n"));    // an observation between such stations
  EXPECT_FALSE(IsFieldFileText("from,to,remark\n"));
  EXPECT_FALSE(IsFieldFileText(""));
}

TEST(field_columns, dates_and_times_of_the_observations) {
  const FieldObservations read =
      Read("Date,Time,from,to,hd\n2026-12-07,09:42,A,B,10\n07/12/2026,09:42:10,A,B,10\n,,A,B,10\n");
  ASSERT_EQ(read.observations.size(), 3U);
  EXPECT_EQ(read.observations[0].date, "07-12-2026");
  EXPECT_EQ(read.observations[0].time, "09:42:00");
  EXPECT_EQ(read.observations[1].date, "07-12-2026");
  EXPECT_EQ(read.observations[1].time, "09:42:10");
  EXPECT_EQ(read.observations[2].date, "");

  EXPECT_EQ(ErrorOf("date,from,to,hd\n12/31/2026,A,B,10\n"),
            "field.csv:2: column 1 (date): \"12/31/2026\" is not a day of the calendar");
  EXPECT_EQ(ErrorOf("date,from,to,hd\n2026-02-29,A,B,10\n"),
            "field.csv:2: column 1 (date): \"2026-02-29\" is not a day of the calendar");
  EXPECT_EQ(ErrorOf("date,from,to,hd\n2028-02-29,A,B,10\n"), "no error");
  EXPECT_EQ(ErrorOf("date,from,to,hd\n7.12.26,A,B,10\n"),
            "field.csv:2: column 1 (date): \"7.12.26\" is not a date (2026-12-07 or "
            "07/12/2026, day first)");
  // As data collectors write them too: one-digit days, months and hours, points, fractions.
  const FieldObservations other =
      Read("date,time,from,to,hd\n7.1.2026,8:05:09.25,A,B,10\n2026/1/7,8:05,A,B,10\n");
  EXPECT_EQ(other.observations.at(0).date, "07-01-2026");
  EXPECT_EQ(other.observations.at(0).time, "08:05:09");
  EXPECT_EQ(other.observations.at(1).date, "07-01-2026");
  EXPECT_EQ(ErrorOf("time,from,to,hd\n9:4,A,B,10\n"),
            "field.csv:2: column 1 (time): \"9:4\" is not a time of day (09:42 or 09:42:10)");
  EXPECT_EQ(ErrorOf("time,from,to,hd\n24:00,A,B,10\n"),
            "field.csv:2: column 1 (time): \"24:00\" is not a time of day (09:42 or 09:42:10)");
}

TEST(reduction_summary, states_the_instrument_the_target_and_the_weather_ranges) {
  const FieldObservations read = Read(
      "from,to,sd,hi,ht,temp,press,wet\n"
      "P1,P2,250.1,1.5,1.5,9.7,1008.2,8\n"
      "P2,P1,250.1,1.5,1.5,16.2,1011.4,12\n");
  StationHeights heights;
  heights.Set("P1", 10.0);
  heights.Set("P2", 11.0);
  ReductionSettings settings;
  settings.carrier = EdmCarrier{0.658, ReferenceAtmosphere{12.0, 1013.25, 60.0}};
  FieldFileError error;
  const std::optional<FieldReduction> reduction =
      ReduceFieldObservations(read, heights, settings, error);
  ASSERT_TRUE(reduction) << error.reason;
  const ReductionSummary summary =
      SummariseReduction(*reduction, settings, "heights file marks.csv");
  ASSERT_TRUE(summary.humidity);
  EXPECT_NEAR(summary.humidity->smallest,
              100.0 * reduction->rows[1].vapourPressure / SaturationVapourPressure(16.2), 1e-9);
  std::vector<std::pair<std::string, std::string>> lines;
  for (const SummaryLine& line : ReductionSummaryLines(summary)) {
    lines.emplace_back(line.label, line.value);
  }
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Field observations",
       "2 slope distances, corrected for the atmosphere (IAG 1999) and reduced to the marks"},
      {"Carrier wavelength", "0.658 µm"},
      {"Reference", "12 °C, 1013.25 hPa, 60 % relative humidity"},
      {"Reduced to", "horizontal, at the mean height of the two marks"},
      {"Heights of the marks", "heights file marks.csv"},
      {"Temperature", "9.7 to 16.2 °C"},
      {"Pressure", "1008.2 to 1011.4 hPa"},
      {"Relative humidity", "61 to 80 % (from the wet bulb)"},
  };
  EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace mensuro

namespace mensuro::test {
namespace {

// However an observation is set out with blanks, tabs and commas, with header lines or blank
// lines before it, a text the measured reader takes without a warning is a measured text; among
// the layouts is the tab-led line that was once taken for a data collector's column names.
TEST(field_columns, no_measured_text_is_taken_for_a_field_file) {
  const std::vector<PlainObservation> firsts = {
      {"STN02", "STN04", "825.019"}, {"at", "target", "100.5"}, {"from", "to", "54.98"}};
  for (const PlainObservation& first : firsts) {
    const std::vector<LaidOutText> texts =
        MeasuredTextsWithLayouts({first, {"P1", "P3", "141.7"}, {"P2", "P3", "86.72"}});
    EXPECT_GT(texts.size(), 500U);
    for (const auto& [text, plain] : texts) {
      MeasurementHeader header;
      RecordTable table;
      InputNotices notices;
      ParseMeasuredText(text, header, table, notices);
      ASSERT_EQ(notices.warnings, 0U) << VisibleText(text);
      EXPECT_FALSE(IsFieldFileText(text)) << VisibleText(text);
      EXPECT_FALSE(HasUnnamedFieldColumns(text)) << VisibleText(text);
    }
  }
  const std::vector<std::string> layouts = ObservationLayouts(firsts.front());
  EXPECT_NE(std::find(layouts.begin(), layouts.end(), "\tSTN02\t STN04 825.019"), layouts.end());
}

}  // namespace
}  // namespace mensuro::test
