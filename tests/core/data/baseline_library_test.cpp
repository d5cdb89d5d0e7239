#include "core/data/baseline_library.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/data/line_fields.h"
#include "core/data/text_file.h"
#include "support/temp_dir.h"

namespace mensuro {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> Names(std::string_view library) {
  return BaselineNames(SplitFileLines(library));
}

std::string Load(std::string_view library, std::string_view name) {
  return CollectBaseline(library, name).publishedText;
}

constexpr std::string_view kTwoBaselines =
    "Kellerby calibration baselines\n"
    "2:X,Y,1.0000\n"  // above every name line: belongs to no baseline
    "1:North\n"
    "2:1,2,47.6831\n"
    "2:1,3,152.4127\n"
    "\n"
    "1:South\n"
    "2:A,B,99.9987\n";

TEST(baseline_library, lists_names_and_loads_each_baseline_alike_with_lf_or_cr_lf) {
  for (const std::string& library : {std::string(kTwoBaselines), test::WithCrLf(kTwoBaselines)}) {
    EXPECT_THAT(Names(library), ElementsAre("North", "South"));
    EXPECT_EQ(Load(library, "North"), "1,2,47.6831\r\n1,3,152.4127\r\n");
    EXPECT_EQ(Load(library, "South"), "A,B,99.9987\r\n");
    EXPECT_EQ(CollectBaseline(library, "South").nameLines, 1u);
  }
}

TEST(baseline_library, lines_outside_a_named_baseline_are_never_loaded) {
  EXPECT_EQ(Load(kTwoBaselines, ""), "");
  EXPECT_EQ(Load(kTwoBaselines, "Kellerby calibration baselines"), "");
  const CollectedBaseline absent = CollectBaseline(kTwoBaselines, "north");  // case counts
  EXPECT_EQ(absent.publishedText, "");
  EXPECT_EQ(absent.nameLines, 0u);

  // Only "1:" and "2:" at the very start of a line count.
  constexpr std::string_view kLookalikes = "1:A\n 2:x\n12:y\n2 :z\n2;w\n1 :B\n";
  EXPECT_THAT(Names(kLookalikes), ElementsAre("A"));
  EXPECT_EQ(Load(kLookalikes, "A"), "");
}

TEST(baseline_library, a_repeated_name_is_listed_twice_and_loads_both_groups) {
  constexpr std::string_view kRepeated = "1:A\n2:a1\n1:B\n2:b1\n1:A\n2:a2\n";
  EXPECT_THAT(Names(kRepeated), ElementsAre("A", "B", "A"));
  const CollectedBaseline a = CollectBaseline(kRepeated, "A");
  EXPECT_EQ(a.publishedText, "a1\r\na2\r\n");
  EXPECT_EQ(a.nameLines, 2u);
}

TEST(baseline_library, empty_names_and_empty_distance_lines) {
  constexpr std::string_view kBare = "1:\n2:\n2:A,B,1\n";
  EXPECT_THAT(Names(kBare), ElementsAre(""));
  EXPECT_EQ(Load(kBare, ""), "\r\nA,B,1\r\n");
  EXPECT_EQ(CollectBaseline(kBare, "").nameLines, 1u);
}

TEST(baseline_library, names_load_as_listed_and_as_they_look) {
  // Listing keeps a trailing tab; loading drops trailing blanks and tabs on both sides.
  constexpr std::string_view kTrailing = "1:Blank  \r\n2:a\r\n1:Tab\t\r\n2:b\r\n";
  EXPECT_THAT(Names(kTrailing), ElementsAre("Blank", "Tab\t"));
  for (const std::string_view name : {"Blank", "Blank  ", "Blank\t"}) {
    EXPECT_EQ(Load(kTrailing, name), "a\r\n") << name;
  }
  for (const std::string_view name : {"Tab\t", "Tab", "Tab \t "}) {
    EXPECT_EQ(Load(kTrailing, name), "b\r\n") << name;
  }
  EXPECT_EQ(Load(kTrailing, "\tTab"), "");
  // A name given once with a trailing tab and once without joins its two groups.
  const CollectedBaseline joined = CollectBaseline("1:P 0-6\t\n2:a\n1:P 0-6 \t \n2:b\n", "P 0-6");
  EXPECT_EQ(joined.publishedText, "a\r\nb\r\n");
  EXPECT_EQ(joined.nameLines, 2u);
  // Distance texts keep their blanks and lose trailing tabs.
  EXPECT_EQ(Load("1:A\n2: A,B,1 \t\n", "A"), " A,B,1 \r\n");
}

TEST(baseline_library, a_byte_order_mark_hides_the_first_line) {
  constexpr std::string_view kMarked =
      "\xEF\xBB\xBF"
      "1:A\n2:a\n1:B\n2:b\n";
  EXPECT_THAT(Names(kMarked), ElementsAre("B"));
  EXPECT_EQ(CollectBaseline(kMarked, "A").nameLines, 0u);
  EXPECT_EQ(Load(kMarked, "B"), "b\r\n");
}

TEST(baseline_library, a_baseline_longer_than_the_first_allocation_loads_whole) {
  std::string library = "1:Long\n";
  std::string expected;
  for (int pair = 0; pair < 40; ++pair) {
    const std::string distance = "P" + std::to_string(pair) + ",P" + std::to_string(pair + 1) +
                                 "," + std::to_string(100 + pair) + ".1234";
    library += "2:" + distance + "\r\n";
    expected += distance + "\r\n";
  }
  EXPECT_GT(expected.size(), 256u);
  EXPECT_EQ(Load(library, "Long"), expected);
}

TEST(baseline_library, lines_longer_than_a_piece_are_read_in_pieces) {
  // "2:" and 250 characters with CR LF fill one piece exactly.
  const std::string fits(250, 'f');
  EXPECT_EQ(Load("1:A\n2:" + fits + "\r\n", "A"), fits + "\r\n");

  // Beyond a piece the rest is a line of its own: ignored here, a distance line there.
  const std::string head(kLibraryPieceLength - 2, 'h');
  EXPECT_EQ(Load("1:A\n2:" + head + "tail\n", "A"), head + "\r\n");
  EXPECT_EQ(Load("1:A\n2:" + head + "2:tail\n", "A"), head + "\r\ntail\r\n");

  // A name too long for one piece is listed whole but can't be loaded.
  const std::string longName(300, 'n');
  const std::string library = "1:" + longName + "\n2:a\n";
  EXPECT_THAT(Names(library), ElementsAre(longName));
  EXPECT_EQ(CollectBaseline(library, longName).nameLines, 0u);
  EXPECT_EQ(Load(library, longName), "");
}

TEST(baseline_library, property_lines_belong_to_their_baseline_and_leave_its_distances) {
  const std::string library =
      "3:uncertainty=9,9\n1:A\n2:P1,P2,100\n3:uncertainty=1,2,2,50\r\n3:no equals sign\n"
      "3:uncertainty=0.5,1\n1:B\n3:uncertainty=7,7\n";
  const CollectedBaseline a = CollectBaseline(library, "A");
  EXPECT_EQ(a.publishedText, "P1,P2,100\r\n");
  ASSERT_EQ(a.properties.size(), 2u);
  EXPECT_EQ(a.properties[0].value, "1,2,2,50");
  EXPECT_EQ(a.properties[0].line, 4u);
  // A later line overrides an earlier one.
  const auto uncertainty = FindBaselineProperty(a, "uncertainty");
  ASSERT_TRUE(uncertainty);
  EXPECT_EQ(uncertainty->value, "0.5,1");
  EXPECT_EQ(uncertainty->line, 6u);
  EXPECT_FALSE(FindBaselineProperty(a, "height"));
  EXPECT_THAT(Names(library), ElementsAre("A", "B"));
}

TEST(baseline_library, a_library_without_name_lines_lists_and_loads_nothing) {
  EXPECT_THAT(Names("2:A,B,1\nsome text\n"), ElementsAre());
  EXPECT_EQ(Load("2:A,B,1\nsome text\n", ""), "");
  EXPECT_THAT(Names(""), ElementsAre());
}

TEST(baseline_library, reads_the_library_file_and_changes_nothing_when_it_cannot) {
  const test::TempDir dir;
  const auto library = dir.Write("Baselines.dat", test::WithCrLf(kTwoBaselines));
  EXPECT_THAT(ListBaselines(library), ElementsAre("North", "South"));
  CollectedBaseline collected;
  EXPECT_EQ(LoadBaseline(library, "South", collected), 0);
  EXPECT_EQ(collected.publishedText, "A,B,99.9987\r\n");

  EXPECT_THAT(ListBaselines(dir.path() / "missing.dat"), ElementsAre());
  EXPECT_EQ(LoadBaseline(dir.path() / "missing.dat", "South", collected), 1);
  EXPECT_EQ(LoadBaseline(dir.path(), "South", collected), 1);  // a folder
  EXPECT_EQ(collected.publishedText, "A,B,99.9987\r\n");
  EXPECT_EQ(collected.nameLines, 1u);
}

// The library shipped with the program: every baseline gives a distance, to four decimals, for
// every pair of its stations, and no pair twice.
TEST(baseline_library, the_shipped_library_has_every_pair_of_every_baseline) {
  const auto names = ListBaselines(MENSURO_SHIPPED_LIBRARY);
  ASSERT_EQ(names.size(), 3u);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_NE(name.find("Example"), std::string::npos);
    CollectedBaseline baseline;
    ASSERT_EQ(LoadBaseline(MENSURO_SHIPPED_LIBRARY, name, baseline), 0);
    EXPECT_EQ(baseline.nameLines, 1u);
    std::set<std::string> stations;
    std::set<std::pair<std::string, std::string>> pairs;
    for (const std::string& line : SplitFileLines(baseline.publishedText)) {
      std::string fields = line;
      NormalizeSeparators(fields);
      const std::string from(GetField(fields, 0));
      const std::string to(GetField(fields, 1));
      const std::string_view distance = GetField(fields, 2);
      EXPECT_EQ(distance.size() - distance.find('.'), 5u) << line;
      stations.insert({from, to});
      EXPECT_TRUE(pairs.insert(std::minmax(from, to)).second) << line;
    }
    EXPECT_GE(stations.size(), 4u);
    EXPECT_EQ(pairs.size(), stations.size() * (stations.size() - 1) / 2);
  }
}

}  // namespace
}  // namespace mensuro
