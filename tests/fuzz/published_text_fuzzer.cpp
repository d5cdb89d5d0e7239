// Published distances attached to the observations of a measured text. The input is the
// published text, read against a fixed small measured text; an input with a NUL byte brings its
// own measured text before it and the published text after it. When every observation gets its
// distance, each has one other than 0.0, the same as the rest of its pair; otherwise the reason
// names what is wrong. CR LF line ends must read as LF ones.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/data/measured_text.h"
#include "core/data/published_text.h"
#include "core/data/record_table.h"
#include "core/data/station_pairs.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/temp_dir.h"

namespace mensuro {
namespace {

using fuzz::Printf;
using fuzz::SameBits;
using fuzz::Shown;

// Four station pairs, one measured twice and in both directions, one with blank separators.
constexpr std::string_view kMeasuredText = "1,2,10.0\n2,1,10.1\n1,3,25.0\n2,3,15.0\nA B 7.5\n";

constexpr std::string_view kMultiple = "Multiple published distances found between:\t";
constexpr std::string_view kNone = "No published distance between ";

struct Attached {
  int result = -1;
  RecordTable table;
  std::string errorText;
};

Attached Attach(std::string_view measured, std::string_view published) {
  Attached attached;
  MeasurementHeader header;
  ParseMeasuredText(measured, header, attached.table);
  const StationPairs pairs = GroupStationPairs(attached.table);
  attached.result = ParsePublishedText(published, attached.table, pairs, attached.errorText);

  if (attached.result == 0) {
    MENSURO_FUZZ_CHECK(attached.errorText.empty(), Shown(attached.errorText));
    for (const ProjectRecord& record : attached.table.entries) {
      MENSURO_FUZZ_CHECK(record.publishedDistance != 0.0 && std::isfinite(record.publishedDistance),
                         Shown(record.fromStation) + " - " + Shown(record.toStation) +
                             Printf(": %a", record.publishedDistance));
    }
    for (const auto& members : pairs.members) {
      for (const std::size_t i : members) {
        MENSURO_FUZZ_CHECK(SameBits(attached.table.entries[i].publishedDistance,
                                    attached.table.entries[members.front()].publishedDistance),
                           "a pair's observations with different published distances");
      }
    }
    return attached;
  }

  MENSURO_FUZZ_CHECK(attached.result == 1, Printf("%d", attached.result));
  const std::string_view reason = attached.errorText;
  MENSURO_FUZZ_CHECK(reason.starts_with(kMultiple) || reason.starts_with(kNone), Shown(reason));
  bool anyAttached = false;
  bool anyMissing = false;
  for (const ProjectRecord& record : attached.table.entries) {
    anyAttached = anyAttached || record.publishedDistance > 0.0;
    anyMissing = anyMissing || record.publishedDistance == 0.0;
  }
  // A second distance counts only against one already greater than 0.0.
  MENSURO_FUZZ_CHECK(!reason.starts_with(kMultiple) || anyAttached, Shown(reason));
  MENSURO_FUZZ_CHECK(!reason.starts_with(kNone) || anyMissing, Shown(reason));
  return attached;
}

}  // namespace
}  // namespace mensuro

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mensuro;
  const fuzz::TwoTexts texts = fuzz::SplitAtNul(fuzz::InputText(data, size));
  const std::string_view measured = texts.split ? texts.first : kMeasuredText;
  const std::string_view published = texts.split ? texts.second : texts.first;

  const Attached lf = Attach(measured, published);
  const Attached crlf = Attach(measured, test::WithCrLf(published));
  MENSURO_FUZZ_CHECK(crlf.result == lf.result && crlf.errorText == lf.errorText,
                     "with CR LF line ends: " + Shown(crlf.errorText));
  for (std::size_t i = 0; i < lf.table.entries.size(); ++i) {
    MENSURO_FUZZ_CHECK(
        SameBits(crlf.table.entries[i].publishedDistance, lf.table.entries[i].publishedDistance),
        Printf("observation %zu, with CR LF line ends", i));
  }
  return 0;
}
