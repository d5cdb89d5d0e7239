#pragma once

// The heights of a baseline's marks, from its library lines "3:height=STATION,H" or from a
// heights file (CSV "station,height"), and which distances its published text gives.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/data/baseline_library.h"
#include "core/reduction/field_table.h"

namespace mensuro {

// Heights of marks in metres by station name. Names are compared as the measured and published
// texts read them from a comma-separated line, with every blank removed.
class StationHeights {
 public:
  void Set(std::string_view station, double height);
  std::optional<double> Find(std::string_view station) const;
  std::size_t Count() const { return heights_.size(); }

 private:
  std::unordered_map<std::string, double> heights_;
};

// Why a mark's height can't be meant (outside −500 to 9000 m), or the empty text.
std::string MarkHeightProblem(double height);

// A height in metres given as text (a fixed height for horizontal distances, say); nothing, with
// the reason, when it isn't a number or can't be a mark's height.
std::optional<double> ParseMarkHeight(std::string_view text, std::string& reason);

// The heights of the baseline's "3:height=STATION,H" lines; a later line for a station replaces
// an earlier one. Nothing, with the error at the library line, for a malformed line.
std::optional<StationHeights> BaselineHeights(const CollectedBaseline& baseline,
                                              FieldFileError& error);

// The heights of a heights file: CSV with the columns station and height, the header row
// optional (a file without one gives the station in the first column and the height in the
// second). Nothing, with the error, for a malformed file.
std::optional<StationHeights> ReadHeightsFile(std::string_view text, FieldFileError& error);

// What the published distances of a baseline are, and so what the field observations are
// reduced to.
enum class PublishedDistanceKind { kHorizontal, kMarkToMark };

// "horizontal" or "mark-to-mark"; nothing, with the reason, for anything else.
std::optional<PublishedDistanceKind> ParsePublishedDistanceKind(std::string_view text,
                                                                std::string& reason);
std::string_view PublishedDistanceKindName(PublishedDistanceKind kind);

// The kind a baseline's "3:distances=" line gives, horizontal without one. Nothing, with the
// error at the library line, for a malformed line.
std::optional<PublishedDistanceKind> BaselineDistanceKind(const CollectedBaseline& baseline,
                                                          FieldFileError& error);

}  // namespace mensuro
