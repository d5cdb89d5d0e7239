#pragma once

#include <string>
#include <string_view>

#include "core/data/input_notices.h"
#include "core/data/record_table.h"
#include "core/data/station_pairs.h"

namespace mensuro {

// Gives every observation of `table` the published distance of its station pair from the
// published text (`pairs` groups the table's observations). Returns 0 when every observation
// has exactly one published distance; otherwise 1 with the reason in `errorText`: a pair with a
// second published distance (the remaining lines are not read), or, after all lines, the first
// observation in table order that has none.
int ParsePublishedText(std::string_view text, RecordTable& table, const StationPairs& pairs,
                       std::string& errorText);

// The same, also warning about the fields of every line read (CheckLineFields) and noting the
// lines whose station pair no observation has. On failure `failedAt` is the line the failure
// names: the pair's second published distance, or the first observation without one.
int ParsePublishedText(std::string_view text, RecordTable& table, const StationPairs& pairs,
                       std::string& errorText, InputNotices& notices, InputLocation& failedAt);

// Attaches the distance of one published line to every observation of its station pair.
// Returns 0, or 1 with the reason in `errorText` when an observation of the pair already has a
// published distance greater than 0.0.
int AttachPublishedDistance(std::string_view line, RecordTable& table, const StationPairs& pairs,
                            std::string& errorText);

}  // namespace mensuro
