#pragma once

#include <string>
#include <string_view>

#include "core/data/input_notices.h"
#include "core/data/measurement_header.h"
#include "core/data/record_table.h"

namespace mensuro {

// Reads a measured data text: clears `table` and adds one observation per observation line, in
// text order; header lines ("%", "^", "#", "@", "$", "!" in the first position) set their
// header field, the last one of a kind winning. Fields that no line names keep the caller's
// values. Nothing in a measured text is an error; returns 0.
int ParseMeasuredText(std::string_view text, MeasurementHeader& header, RecordTable& table);

// The same, also noting each observation's line and warning about its fields (CheckLineFields),
// and about an accuracy part below 0 (at the header line that set it; at line 0 when the
// caller's header gives it).
int ParseMeasuredText(std::string_view text, MeasurementHeader& header, RecordTable& table,
                      InputNotices& notices);

// Sets the header field that `line` names by its first character ("%" scale part, "^" constant
// part, "#" comment, "@" EDM description, "$" date, "!" time) from the rest of the line. Returns
// false, changing nothing, for any other line.
bool ApplyHeaderLine(std::string_view line, MeasurementHeader& header);

// Normalises one observation line in place and adds its observation to `table`. Returns 0.
int ParseObservationLine(std::string& line, RecordTable& table);

}  // namespace mensuro
