#pragma once

// Moving the measured data and the published distances between a file's lines and the texts the
// window edits: header lines taken out of a loaded file, the header lines a measured save writes
// in front of the observations, and a fresh measured header dated now.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/data/measurement_header.h"

namespace mensuro {

// The header values a load starts from: both accuracy parts 2.0, the texts empty. The published
// source and the measured file name stay, since they name files rather than describe the
// measurement.
void ResetHeader(MeasurementHeader& header);

// Whether line feeds and carriage returns left inside a loaded line are deleted (measured data)
// or kept (published distances).
enum class InnerLineBreaks { kDelete, kKeep };

// Splits the lines of a loaded file into header and text: resets `header`, drops the empty lines,
// deletes the line breaks left in the lines when asked, lets every header line set its header
// field (ApplyHeaderLine) and leaves the other lines, in order and each followed by CR LF, as the
// returned text.
std::string SplitLoadedFile(std::vector<std::string> lines, InnerLineBreaks breaks,
                            MeasurementHeader& header);

// The six header lines in front of a saved measured text: date "$", time "!", comment "#", EDM
// description "@", constant part "^" and scale part "%" (both with four decimals), each ending in
// CR LF.
std::string MeasuredHeaderLines(const MeasurementHeader& header);

// The bytes of a measured data file: the header lines, then `text` (PublishedFileBytes).
std::string MeasuredFileBytes(const MeasurementHeader& header, std::string_view text);

// The bytes of a published distance file: `text` unchanged, except that a text ending in a lone
// carriage return gets the line feed that completes its last line.
std::string PublishedFileBytes(std::string_view text);

// Starts the header of a new measurement taken at `localTime`: comment and EDM description
// empty, date "DD-MM-YYYY" and time "hh:mm:ss"; the accuracy parts keep their values. Without a
// local time the date reads "00-00-0000" and the time "-1:-1:-1".
void StartMeasuredHeader(MeasurementHeader& header, const std::optional<std::tm>& localTime);

// The computer's current local date and time, or nothing when it can't be determined.
std::optional<std::tm> LocalTimeNow();

}  // namespace mensuro
