// A calibrated baseline as a group of the library: read back as the calibration reads a
// library baseline, and put into a library in place of the group it replaces.

#include "core/baseline/baseline_library_entry.h"

#include <gtest/gtest.h>

#include <string>

#include "core/data/baseline_library.h"
#include "core/reduction/station_heights.h"
#include "support/temp_dir.h"

namespace mensuro {
namespace {

CertifiedDistance Pair(const char* from, const char* to, double distance, double expanded, double k,
                       std::optional<double> dof) {
  CertifiedDistance pair;
  pair.from = from;
  pair.to = to;
  pair.distance = distance;
  pair.expanded = expanded;
  pair.k = k;
  pair.dofEffective = dof;
  return pair;
}

TEST(baseline_library_entry, reads_back_as_the_library_baseline_it_describes) {
  const std::vector<CertifiedDistance> distances = {
      Pair("P1", "P2", 54.98195245, 0.00022631, 2.02998831, 35.0577),
      Pair("P1", "P3", 141.70442546, 0.00026929, 2.02207474, 39.3753),
      Pair("P2", "P3", 86.72246999, 0.00021844, 1.95996398, std::nullopt)};
  const LibraryEntryDetails details{
      "Line 3", "SSO-2026-201", {{"P1", 52.412}, {"P2", 52.187}, {"P3", 51.904}}};
  const std::string entry = BaselineLibraryEntry(details, distances);

  // Added to the shipped library and loaded from the file, as a calibration loads it.
  const test::TempDir dir;
  const std::string shipped = test::ReadBytes(MENSURO_SHIPPED_LIBRARY);
  ASSERT_FALSE(shipped.empty());
  const auto library = dir.Write("Baselines.dat", LibraryWithEntry(shipped, "Line 3", entry));
  CollectedBaseline loaded;
  ASSERT_EQ(LoadBaseline(library, "Line 3", loaded), 0);
  EXPECT_EQ(loaded.nameLines, 1u);
  EXPECT_EQ(loaded.publishedText, "P1,P2,54.9820\r\nP1,P3,141.7044\r\nP2,P3,86.7225\r\n");

  FieldFileError error;
  const std::optional<PublishedDistanceKind> kind = BaselineDistanceKind(loaded, error);
  ASSERT_TRUE(kind) << error.reason;
  EXPECT_EQ(*kind, PublishedDistanceKind::kHorizontal);
  const std::optional<StationHeights> heights = BaselineHeights(loaded, error);
  ASSERT_TRUE(heights) << error.reason;
  EXPECT_EQ(heights->Count(), 3u);
  EXPECT_EQ(heights->Find("P2"), 52.187);
  ASSERT_TRUE(FindBaselineProperty(loaded, "certificate"));
  EXPECT_EQ(FindBaselineProperty(loaded, "certificate")->value, "SSO-2026-201");

  std::string reason;
  const auto own = PairUncertainties(loaded, reason);
  ASSERT_TRUE(own) << reason;
  ASSERT_EQ(own->size(), 3u);
  EXPECT_EQ((*own)[0].from + "-" + (*own)[0].to, "P1-P2");
  EXPECT_DOUBLE_EQ((*own)[0].expandedMm, 0.23);
  EXPECT_DOUBLE_EQ((*own)[0].k, 2.030);
  EXPECT_EQ((*own)[0].dof, 35.1);
  EXPECT_DOUBLE_EQ((*own)[2].k, 1.960);
  EXPECT_FALSE((*own)[2].dof);  // infinite

  // Every line ends in CR LF; without heights or a certificate there are no such lines.
  EXPECT_EQ(entry.find('\n'), entry.find("\r\n") + 1);
  const std::string bare = BaselineLibraryEntry({"Line 3", {}, {}}, distances);
  EXPECT_EQ(bare.find("3:height="), std::string::npos);
  EXPECT_EQ(bare.find("3:certificate="), std::string::npos);
}

TEST(baseline_library_entry, replaces_every_group_of_its_name_and_keeps_every_other_byte) {
  const std::string entry = "1:Line 3\r\n2:A,B,10.0000\r\n";
  // The old group in two parts (a repeated name joins them when read), the second behind a
  // blank line and a comment; lines ended either way; another baseline in between; a last
  // line without its line end.
  const std::string library =
      "; my baselines\n"
      "1:Line 3\r\n2:A,B,9.9990\r\n\r\n; moved in 2024\r\n3:uncertainty=1,1\r\n"
      "1:Other \t\n2:X,Y,5.0000\n3:height=X,10\n\n"
      "1:Line 3  \r\n2:B,A,9.9991\r\n"
      "1:Last\r\n2:Q,R,1.0000";
  const std::string replaced = LibraryWithEntry(library, "Line 3", entry);
  EXPECT_EQ(replaced,
            "; my baselines\n"
            "\r\n; moved in 2024\r\n"
            "1:Other \t\n2:X,Y,5.0000\n3:height=X,10\n\n"
            "1:Last\r\n2:Q,R,1.0000\r\n"
            "\r\n" +
                entry);
  // Done again, nothing grows.
  EXPECT_EQ(LibraryWithEntry(replaced, "Line 3", entry), replaced);
  // A name the library lacks is added at the end; an empty library becomes the entry.
  EXPECT_EQ(LibraryWithEntry("1:Other\r\n2:X,Y,5\r\n", "Line 3", entry),
            "1:Other\r\n2:X,Y,5\r\n\r\n" + entry);
  EXPECT_EQ(LibraryWithEntry("", "Line 3", entry), entry);
}

}  // namespace
}  // namespace mensuro
