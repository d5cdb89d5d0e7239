#include "core/data/measured_text.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include <fmt/printf.h>

#include "core/data/line_fields.h"
#include "core/data/number_text.h"
#include "core/data/text_lines.h"

namespace mensuro {

int ParseObservationLine(std::string& line, RecordTable& table) {
  NormalizeSeparators(line);
  ProjectRecord record;
  record.kind = kObservationKind;
  record.fromStation = GetField(line, 0);
  record.toStation = GetField(line, 1);
  record.observedDistance = ReadNumber(GetField(line, 2));
  AddRecord(table, std::move(record));
  return 0;
}

bool ApplyHeaderLine(std::string_view line, MeasurementHeader& header) {
  if (line.empty()) {
    return false;
  }
  const std::string_view value = line.substr(1);
  switch (line.front()) {
    case '%':
      header.ppmError = ReadNumber(value);
      return true;
    case '^':
      header.constantError = ReadNumber(value);
      return true;
    case '#':
      header.comment = value;
      return true;
    case '@':
      header.edmDescription = value;
      return true;
    case '$':
      header.date = value;
      return true;
    case '!':
      header.time = value;
      return true;
    default:
      return false;
  }
}

namespace {

// The last line of the text that set one part of the accuracy; 0 when none did and the
// caller's header gives it.
struct AccuracyLine {
  std::size_t number = 0;
  std::string content;
};

// An accuracy below 0 is no accuracy: the flags and the certificate's statement turn inside out.
// It is most likely a correction typed where the accuracy goes.
void WarnOfNegativeAccuracy(double value, char prefix, const AccuracyLine& line,
                            std::string_view guess, InputNotices& notices) {
  if (value >= 0.0) {
    return;
  }
  AddNotice(notices, {{InputText::kMeasured, line.number},
                      NoticeLevel::kWarning,
                      fmt::format("a negative accuracy: is this {}?", guess),
                      // Without a line, the header line it would be saved as.
                      line.number != 0 ? line.content : fmt::sprintf("%c%.4f", prefix, value),
                      true});
}

int ReadMeasuredLines(std::string_view text, MeasurementHeader& header, RecordTable& table,
                      InputNotices* notices) {
  ClearRecords(table);
  // At most one observation per line: room for all of them up front.
  table.entries.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  std::string work;
  AccuracyLine constantLine, ppmLine;
  ForEachNumberedTextLine(text, [&](std::string_view line, std::size_t number) {
    if (ApplyHeaderLine(line, header)) {
      if (notices != nullptr && (line.front() == '^' || line.front() == '%')) {
        (line.front() == '^' ? constantLine : ppmLine) = {number, std::string(line)};
      }
    } else {
      work.assign(line);
      ParseObservationLine(work, table);
      ProjectRecord& record = table.entries.back();
      record.line = number;
      if (notices != nullptr) {
        CheckLineFields(work, record.observedDistance, {InputText::kMeasured, number}, line,
                        *notices);
      }
    }
    return true;
  });
  if (notices != nullptr) {
    WarnOfNegativeAccuracy(header.constantError, '^', constantLine, "the prism constant", *notices);
    WarnOfNegativeAccuracy(header.ppmError, '%', ppmLine, "the atmospheric correction", *notices);
  }
  return 0;
}

}  // namespace

int ParseMeasuredText(std::string_view text, MeasurementHeader& header, RecordTable& table) {
  return ReadMeasuredLines(text, header, table, nullptr);
}

int ParseMeasuredText(std::string_view text, MeasurementHeader& header, RecordTable& table,
                      InputNotices& notices) {
  return ReadMeasuredLines(text, header, table, &notices);
}

}  // namespace mensuro
