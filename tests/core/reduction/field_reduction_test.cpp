#include "core/reduction/field_reduction.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/data/baseline_library.h"

namespace mensuro {
namespace {

// The instrument of the worked observation: a red laser set for 12 °C, 1013.25 hPa and 60 %.
EdmCarrier RedLaser() {
  return {0.658, ReferenceAtmosphere{12.0, 1013.25, 60.0}};
}

StationHeights Heights(std::vector<std::pair<std::string, double>> marks) {
  StationHeights heights;
  for (const auto& [station, height] : marks) {
    heights.Set(station, height);
  }
  return heights;
}

FieldObservations Read(std::string_view csv) {
  FieldFileError error;
  std::optional<FieldObservations> read = ReadFieldObservations(csv, error);
  EXPECT_TRUE(read) << FieldFileErrorText("field.csv", error);
  return read.value_or(FieldObservations{});
}

FieldReduction Reduce(std::string_view csv, const StationHeights& heights,
                      const ReductionSettings& settings) {
  FieldFileError error;
  std::optional<FieldReduction> reduced =
      ReduceFieldObservations(Read(csv), heights, settings, error);
  EXPECT_TRUE(reduced) << FieldFileErrorText("field.csv", error);
  return reduced.value_or(FieldReduction{});
}

// The error a field text gives, as a message names it.
std::string ErrorOf(std::string_view csv, const StationHeights& heights = {}) {
  FieldFileError error;
  const std::optional<FieldObservations> read = ReadFieldObservations(csv, error);
  if (read) {
    ReductionSettings settings;
    settings.carrier = RedLaser();
    if (ReduceFieldObservations(*read, heights, settings, error)) {
      return "no error";
    }
  }
  return FieldFileErrorText("field.csv", error);
}

TEST(atmospheric_correction, check_figures_of_the_closed_formula) {
  EXPECT_NEAR(SaturationVapourPressure(20.0), 23.381, 0.0005);
  const double e = VapourPressureFromHumidity(20.0, 60.0);
  EXPECT_NEAR(e, 14.029, 0.0005);
  const double groupRefractivity = GroupRefractivity(0.658);
  EXPECT_NEAR(groupRefractivity, 299.2646, 0.00005);
  EXPECT_NEAR(AirRefractivity(groupRefractivity, 20.0, 1013.25, e), 278.308, 0.0005);
  // A reference index gives its refractivity as it stands.
  EXPECT_NEAR(ReferenceRefractivity({0.85, 1.000286}), 286.0, 1e-6);
}

// One observation worked by hand through every step: a slope distance of 250.1234 m with 5 ppm
// set in the instrument, 12.5 °C, 985.4 hPa, 72 %, from a mark at 101.234 m (instrument 1.55 m
// above it) to one at 98.765 m (reflector 1.62 m above it).
TEST(field_reduction, one_observation_through_every_step) {
  const std::string csv =
      "From,To,Slope_Distance,Instrument_Height,Reflector_Height,Temperature,Pressure,"
      "Humidity,PPM_Set\n"
      "P1,P2,250.1234,1.55,1.62,12.5,985.4,72,5\n";
  const StationHeights heights = Heights({{"P1", 101.234}, {"P2", 98.765}});
  ReductionSettings settings;
  settings.carrier = RedLaser();
  const FieldReduction horizontal = Reduce(csv, heights, settings);
  ASSERT_EQ(horizontal.rows.size(), 1U);
  const ReducedObservation& row = horizontal.rows[0];
  EXPECT_NEAR(row.withoutSetting, 250.12214938925305, 1e-9);
  EXPECT_NEAR(row.vapourPressure, 10.43560288743849, 1e-9);
  EXPECT_NEAR(row.airRefractivity, 277.8915537201861, 1e-9);
  EXPECT_NEAR(row.referenceRefractivity, 286.33806809313234, 1e-9);
  EXPECT_NEAR(row.corrected, 250.12426146265548, 1e-9);
  EXPECT_NEAR(row.instrumentPoint, 102.784, 1e-9);
  EXPECT_NEAR(row.reflectorPoint, 100.385, 1e-9);
  EXPECT_NEAR(row.chord, 250.108768573091, 1e-9);
  EXPECT_NEAR(row.referenceHeight, 99.9995, 1e-9);
  EXPECT_NEAR(row.reduced, 250.11269430753245, 1e-9);
  EXPECT_EQ(ReducedObservationLines(horizontal), "P1,P2,250.11269\r\n");

  settings.horizontalAt = 0.0;
  EXPECT_NEAR(Reduce(csv, heights, settings).rows[0].reduced, 250.10876858915157, 1e-9);
  settings.target = PublishedDistanceKind::kMarkToMark;
  EXPECT_NEAR(Reduce(csv, heights, settings).rows[0].reduced, 250.12488042323338, 1e-9);

  const std::string log = ReductionLogCsv(horizontal);
  EXPECT_EQ(log,
            "line,from,to,raw_distance,ppm_set,D0,e,N_L,N_REF,D1,H_from,H_to,h_a,h_b,c0,H_ref,"
            "reduced_distance\r\n"
            "2,P1,P2,250.123400,5.000,250.122149,10.4356,277.8916,286.3381,250.124261,101.2340,"
            "98.7650,102.7840,100.3850,250.108769,99.9995,250.112694\r\n");
}

TEST(field_reduction, wet_bulb_gives_the_vapour_pressure_of_the_psychrometer) {
  // A wet bulb of 10 °C at 12.5 °C and 985.4 hPa: e = E(10) − 0.000662·985.4·2.5.
  const double e = 10.648083334540937;
  EXPECT_NEAR(VapourPressureFromWetBulb(12.5, 10.0, 985.4), e, 1e-9);
  const double humidity = e / SaturationVapourPressure(12.5) * 100.0;
  const StationHeights heights = Heights({{"P1", 0.0}, {"P2", 0.0}});
  ReductionSettings settings;
  settings.carrier = RedLaser();
  const FieldReduction wet = Reduce(
      "from,to,slope_distance,instrument_height,reflector_height,temperature,pressure,wet_bulb\n"
      "P1,P2,500,1.5,1.5,12.5,985.4,10\n",
      heights, settings);
  const FieldReduction relative = Reduce(
      "from,to,slope_distance,instrument_height,reflector_height,temperature,pressure,humidity\n"
      "P1,P2,500,1.5,1.5,12.5,985.4," +
          fmt::format("{:.17g}", humidity) + "\n",
      heights, settings);
  EXPECT_NEAR(wet.rows.at(0).vapourPressure, e, 1e-9);
  EXPECT_NEAR(wet.rows.at(0).corrected, relative.rows.at(0).corrected, 1e-9);
}

TEST(field_table, semicolons_decimal_commas_quotes_and_a_byte_order_mark) {
  const FieldObservations comma = Read(
      "from,to,slope_distance,instrument_height,reflector_height,temperature,pressure,humidity\n"
      "P1,P2,120.5,+1.5,1.6,-2.5,1001.5,80\n");
  const FieldObservations semicolon = Read(
      "\xEF\xBB\xBFHUMIDITY; Pressure ;temperature;reflector_height;instrument_height;"
      "slope_distance;to;from;remark\r\n"
      "80;1001,5;-2,5;1,6;1.5;120,5;\"P2\";P1;\"a \"\"quoted\"\"\r\nnote; on two lines\"\r\n"
      ";;;;;;;;\r\n");
  ASSERT_EQ(semicolon.observations.size(), 1U);
  const FieldObservation& a = comma.observations.at(0);
  const FieldObservation& b = semicolon.observations[0];
  EXPECT_EQ(b.fromStation, "P1");
  EXPECT_EQ(b.toStation, "P2");
  EXPECT_EQ(b.distance, a.distance);
  EXPECT_EQ(b.instrumentHeight, a.instrumentHeight);
  EXPECT_EQ(b.reflectorHeight, a.reflectorHeight);
  EXPECT_EQ(b.weather.temperature, a.weather.temperature);
  EXPECT_EQ(b.weather.pressure, a.weather.pressure);
  EXPECT_EQ(b.weather.humidity, a.weather.humidity);

  // A UTF-8 name of Latin-1 letters becomes single-byte text; a horizontal file needs nothing
  // else and is taken as it is.
  const FieldObservations horizontal =
      Read("from,to,horizontal_distance\n\"Pfeiler Süd\",Nord,54.98165\n");
  EXPECT_EQ(horizontal.kind, FieldDistanceKind::kHorizontal);
  EXPECT_EQ(horizontal.observations.at(0).fromStation,
            "Pfeiler S\xFC"
            "d");
  const FieldReduction reduced = Reduce("from,to,horizontal_distance\nA,B,54.98165\n", {}, {});
  EXPECT_EQ(ReducedObservationLines(reduced), "A,B,54.98165\r\n");
}

TEST(field_table, every_error_names_its_line_and_column) {
  const std::string header =
      "from,to,slope_distance,instrument_height,reflector_height,temperature,pressure,humidity\n";
  const StationHeights heights = Heights({{"A", 10.0}, {"B", 12.0}});
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "field.csv:1: the file is empty; its first line must name the columns"},
      {"from,to,slope_distance,instrument_height,reflector_height,temperature,humidity\n",
       "field.csv:1: the column \"pressure\" (or \"press\", \"p\", \"baro\") is missing (letter "
       "case, blanks, hyphens and underscores in the names don't matter)"},
      {"from,to,horizontal_distance,From\n",
       "field.csv:1: column 4 (From): the column is named "
       "twice (also column 1)"},
      {header, "field.csv:1: the file names its columns but holds no observations"},
      {header + "A,B,100,1.5,1.5,20,,50\n",
       "field.csv:2: column 7 (pressure): the cell is empty; a number is needed"},
      {header + "\nA,B,100,1.5,1.5,20,1013,\n",
       "field.csv:3: column 8 (humidity): the cell is empty; a number is needed"},
      {header + "A,B,100.0.1,1.5,1.5,20,1013,50\n",
       "field.csv:2: column 3 (slope_distance): \"100.0.1\" is not a number"},
      {header + "A,B,100,1.5,1.5,20,1013,150\n",
       "field.csv:2: column 8 (humidity): 150 % is not a relative humidity (0 to 100 %)"},
      {header + "A,B,-5,1.5,1.5,20,1013,50\n",
       "field.csv:2: column 3 (slope_distance): -5 m is not a measured distance (1 mm to 100 km)"},
      {header + "A,#B,100,1.5,1.5,20,1013,50\n",
       "field.csv:2: column 2 (to): the station name \"#B\" begins with '#', which would make its "
       "measured line a header line"},
      {header + "\"A,1\",B,100,1.5,1.5,20,1013,50\n",
       "field.csv:2: column 1 (from): the station name \"A,1\" holds a comma, which separates the "
       "fields of a measured line"},
      {header + "A,\xE2\x82\xAC,100,1.5,1.5,20,1013,50\n",
       "field.csv:2: column 2 (to): the station name has the character U+20AC, which measured and "
       "published texts can't hold (they are single-byte text; only Latin-1 letters can be used)"},
      {header + "A,\xFC,100,1.5,1.5,20,1013,50\n",
       "field.csv:2: column 2 (to): the station name is not UTF-8 text (save the spreadsheet as "
       "CSV UTF-8)"},
      {header + "A,B,100,1.5,1.5,20,1013,50\n\"A,B,100\n",
       "field.csv:3: column 1 (from): a quoted cell is not closed"},
      {header + "A,\"B\"x,100,1.5,1.5,20,1013,50\n",
       "field.csv:2: column 2 (to): text follows the closing quote of a quoted cell"},
      {header + "A,B,100,1.5,1.5,20,1013,50\nA,C,100,1.5,1.5,20,1013,50\n",
       "field.csv:3: no height is known for the station \"C\""},
      {header + "A,B,1.5,1.5,1.5,20,1013,50\n",
       "field.csv:2: the height difference between instrument and reflector, 2.0000 m, is not "
       "less than the distance, 1.5000 m"},
  };
  for (const auto& [csv, message] : cases) {
    EXPECT_EQ(ErrorOf(csv, heights), message) << csv;
  }
}

// A decimal comma in a comma-separated file splits a number and moves every later cell a column
// on: the row is refused at its cell count before any cell is read as another column's.
TEST(field_table, rows_of_another_cell_count_and_decimal_commas_are_named) {
  const std::string header =
      "from,to,slope_distance,instrument_height,reflector_height,temperature,pressure,humidity\n";
  const StationHeights heights = Heights({{"A", 10.0}, {"B", 12.0}});
  const std::vector<std::pair<std::string, std::string>> cases = {
      {header + "A,B,100,1.5,1.5,14.3,1015,7,45.4\n",
       "field.csv:2: column 9: 9 cells where the header has 8: a decimal comma in a number?"},
      {header + "A,B,825,019,1.5,1.5,14.3,1015,45.4\n",
       "field.csv:2: column 9: 9 cells where the header has 8: a decimal comma in a number?"},
      {header + "A,B,100,1.5,1.5,14.3,1015\n",
       "field.csv:2: column 8 (humidity): 7 cells where the header has 8"},
      {"from;to;hd\nA;B;100,5;x\n", "field.csv:2: column 4: 4 cells where the header has 3"},
      {"from,to,hd\nA,B\n", "field.csv:2: column 3 (hd): 2 cells where the header has 3"},
      {header + "A,B,\"825,019\",1.5,1.5,14.3,1015,45\n",
       "field.csv:2: column 3 (slope_distance): \"825,019\" is not a number: a decimal comma? "
       "(this file separates its cells with commas, so its numbers need a decimal point)"},
      {header + "A,B,100,1.5,1.5,14.3,\"1015,7\",45\n",
       "field.csv:2: column 7 (pressure): \"1015,7\" is not a number: a decimal comma? (this "
       "file separates its cells with commas, so its numbers need a decimal point)"},
      {header + "A,B,100,1.5,1.5,\"1,2,3\",1015,45\n",
       "field.csv:2: column 6 (temperature): \"1,2,3\" is not a number"},
      // A trailing separator, and a row without the cell of a column that has no name.
      {"from,to,hd\nA,B,100,\n", "no error"},
      {"from,to,hd,\nA,B,100\n", "no error"},
  };
  for (const auto& [csv, message] : cases) {
    EXPECT_EQ(ErrorOf(csv, heights), message) << csv;
  }
  FieldFileError error;
  EXPECT_FALSE(ReadHeightsFile("station,height\nP1,52,4\n", error));
  EXPECT_EQ(FieldFileErrorText("h.csv", error),
            "h.csv:2: column 3: 3 cells where the header has 2: a decimal comma in a number?");
}

TEST(station_heights, from_the_library_and_from_a_heights_file) {
  const CollectedBaseline baseline = CollectBaseline(
      "1:Line\n3:height=P 1, 101.5\n3:height=P2,98\n3:distances=mark-to-mark\n3:height=P2,99\n"
      "1:Other\n3:height=P3,5\n",
      "Line");
  FieldFileError error;
  const std::optional<StationHeights> heights = BaselineHeights(baseline, error);
  ASSERT_TRUE(heights) << error.reason;
  EXPECT_EQ(heights->Find("P1"), 101.5);  // blanks in names count as the texts' readers see them
  EXPECT_EQ(heights->Find("P2"), 99.0);   // a later line wins
  EXPECT_FALSE(heights->Find("P3"));
  EXPECT_EQ(BaselineDistanceKind(baseline, error), PublishedDistanceKind::kMarkToMark);

  EXPECT_FALSE(BaselineHeights(CollectBaseline("1:L\n3:height=P1;101\n", "L"), error));
  EXPECT_EQ(FieldFileErrorText("Baselines.dat", error),
            "Baselines.dat:2: the mark's height: \"P1;101\" is not of the form STATION,H");
  EXPECT_FALSE(BaselineDistanceKind(CollectBaseline("1:L\n3:distances=slope\n", "L"), error));
  EXPECT_EQ(error.reason,
            "the published distances' kind: \"slope\" is neither horizontal nor mark-to-mark");

  const auto withHeader = ReadHeightsFile("Height;Station\n12,5;P1\n", error);
  ASSERT_TRUE(withHeader);
  EXPECT_EQ(withHeader->Find("P1"), 12.5);
  const auto withoutHeader = ReadHeightsFile("P1,12.5\nP2,13\n", error);
  ASSERT_TRUE(withoutHeader);
  EXPECT_EQ(withoutHeader->Count(), 2U);
  EXPECT_FALSE(ReadHeightsFile("station,height\nP1,high\n", error));
  EXPECT_EQ(FieldFileErrorText("h.csv", error),
            "h.csv:2: column 2 (height): \"high\" is not a number");
}

}  // namespace
}  // namespace mensuro
