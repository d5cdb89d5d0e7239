// A calibrated baseline as a group of the library: read back as the calibration reads a
// library baseline, and put into a library in place of the group it replaces.

#include "core/baseline/baseline_library_entry.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/data/baseline_library.h"
#include "core/data/text_encoding.h"
#include "core/reduction/station_heights.h"
#include "support/temp_dir.h"

namespace mensuro {
namespace {

// The library with the entry, which every library of these tests takes.
std::string WithEntry(std::string_view library, std::string_view name, std::string_view entry) {
  std::string reason;
  const std::optional<std::string> result = LibraryWithEntry(library, name, entry, reason);
  EXPECT_TRUE(result) << reason;
  return result.value_or(std::string());
}

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
  const auto library = dir.Write("Baselines.dat", WithEntry(shipped, "Line 3", entry));
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
  const std::string replaced = WithEntry(library, "Line 3", entry);
  EXPECT_EQ(replaced,
            "; my baselines\n"
            "\r\n; moved in 2024\r\n"
            "1:Other \t\n2:X,Y,5.0000\n3:height=X,10\n\n"
            "1:Last\r\n2:Q,R,1.0000\r\n"
            "\r\n" +
                entry);
  // Done again, nothing grows.
  EXPECT_EQ(WithEntry(replaced, "Line 3", entry), replaced);
  // A name the library lacks is added at the end; an empty library becomes the entry.
  EXPECT_EQ(WithEntry("1:Other\r\n2:X,Y,5\r\n", "Line 3", entry),
            "1:Other\r\n2:X,Y,5\r\n\r\n" + entry);
  EXPECT_EQ(WithEntry("", "Line 3", entry), entry);
}

TEST(baseline_library_entry, a_wide_library_is_refused) {
  std::string reason;
  EXPECT_FALSE(LibraryWithEntry(std::string("\xFF\xFE"
                                            "1\0:\0",
                                            6),
                                "A", "1:A\r\n", reason));
  EXPECT_NE(reason.find("UTF-16"), std::string::npos);
}

// Libraries made up from every kind of line a library may hold: names that differ only in
// trailing blanks, lines ended either way or not at all, a byte-order mark, carriage returns
// alone, and lines longer than a piece whose later pieces begin like library lines. Replacing
// one baseline must leave every other baseline loading exactly as before.
class GeneratedLibrary {
 public:
  explicit GeneratedLibrary(std::uint64_t seed) : state_(seed) {}

  std::string Make() {
    static const std::array<std::string_view, 9> kNames = {
        "Line 3", "Line 3  ", "Line 3\t", "Other", "Other ", "line 3", "Far", "L", ""};
    static const std::array<std::string_view, 6> kBodies = {"2:A,B,12.3456",
                                                            "2:B,C,7.5",
                                                            "3:height=A,10",
                                                            "3:uncertainty=1,1",
                                                            "3:pair-uncertainty=A,B,0.2,2,inf",
                                                            "; a note"};
    std::string library = Next(4) == 0 ? "\xEF\xBB\xBF" : "";
    const std::size_t lines = 1 + Next(14);
    for (std::size_t i = 0; i < lines; ++i) {
      std::string line;
      switch (Next(4)) {
        case 0:
          line = "1:" + std::string(kNames[Next(kNames.size())]);
          break;
        case 1:
          line = LongLine(kNames, kBodies);
          break;
        default:
          line = Next(6) == 0 ? std::string() : std::string(kBodies[Next(kBodies.size())]);
      }
      library += line;
      if (i + 1 < lines || Next(2) == 0) {
        library += Next(2) == 0 ? "\n" : "\r\n";
      }
    }
    if (Next(5) == 0) {  // carriage returns alone
      std::string alone;
      for (std::size_t i = 0; i < library.size(); ++i) {
        if (library[i] == '\r' && i + 1 < library.size() && library[i + 1] == '\n') {
          continue;
        }
        alone += library[i] == '\n' ? '\r' : library[i];
      }
      library = alone;
    }
    return library;
  }

 private:
  // A line longer than a piece, each later piece beginning with a library line of its own.
  std::string LongLine(const std::array<std::string_view, 9>& names,
                       const std::array<std::string_view, 6>& bodies) {
    std::string line = Next(2) == 0 ? "2:A,B," : "; ";
    const std::size_t pieces = 1 + Next(3);
    for (std::size_t p = 0; p < pieces; ++p) {
      line.resize((p + 1) * kLibraryPieceLength, 'x');
      line += Next(2) == 0 ? "1:" + std::string(names[Next(names.size())])
                           : std::string(bodies[Next(bodies.size())]);
    }
    return line;
  }

  std::size_t Next(std::size_t bound) {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::size_t>((state_ >> 33) % bound);
  }

  std::uint64_t state_;
};

// What loading a baseline gives, without the line numbers, which an entry moves.
std::string Loaded(std::string_view library, std::string_view name) {
  std::string reason;
  const std::optional<std::string> text = TextFileText(std::string(library), reason);
  EXPECT_TRUE(text) << reason;
  const CollectedBaseline collected = CollectBaseline(text.value_or(""), name);
  std::string loaded = std::to_string(collected.nameLines) + "|" + collected.publishedText;
  for (const BaselineProperty& property : collected.properties) {
    loaded += "|" + property.key + "=" + property.value;
  }
  return loaded;
}

TEST(baseline_library_entry, every_other_baseline_of_a_generated_library_loads_as_before) {
  const std::string entry = BaselineLibraryEntry(
      {"Line 3", "C-1", {}}, {Pair("P1", "P2", 54.98195245, 0.00022631, 2.03, 35.0)});
  for (std::uint64_t seed = 1; seed <= 3000; ++seed) {
    const std::string library = GeneratedLibrary(seed).Make();
    const std::string replaced = WithEntry(library, "Line 3", entry);
    for (const std::string_view name : {"Other", "line 3", "Far", "L", ""}) {
      ASSERT_EQ(Loaded(replaced, name), Loaded(library, name)) << "seed " << seed;
    }
    ASSERT_EQ(Loaded(replaced, "Line 3"), Loaded(entry, "Line 3")) << "seed " << seed;
    ASSERT_EQ(WithEntry(replaced, "Line 3", entry), replaced) << "seed " << seed;
  }
}

}  // namespace
}  // namespace mensuro
