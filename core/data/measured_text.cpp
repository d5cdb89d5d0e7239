#include "core/data/measured_text.h"

#include <algorithm>
#include <cstddef>
#include <utility>

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

int ReadMeasuredLines(std::string_view text, MeasurementHeader& header, RecordTable& table,
                      InputNotices* notices) {
  ClearRecords(table);
  // At most one observation per line: room for all of them up front.
  table.entries.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  std::string work;
  ForEachNumberedTextLine(text, [&](std::string_view line, std::size_t number) {
    if (!ApplyHeaderLine(line, header)) {
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
