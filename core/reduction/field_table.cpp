#include "core/reduction/field_table.h"

#include <fmt/format.h>
#include <algorithm>

#include "core/data/number_text.h"
#include "core/data/visible_text.h"

namespace mensuro {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kHeaderPrefixes = "%^#@$!";

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// The header row's separator: a semicolon outside quotes before the first line end makes it a
// semicolon file; a tab without a comma or a semicolon, a tab-separated file as data collectors
// export them.
char DetectSeparator(std::string_view text) {
  bool quoted = false;
  bool comma = false;
  bool tab = false;
  for (const char c : text) {
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && (c == '\n' || c == '\r')) {
      break;
    } else if (!quoted && c == ';') {
      return ';';
    } else if (!quoted) {
      comma = comma || c == ',';
      tab = tab || c == '\t';
    }
  }
  return tab && !comma ? '\t' : ',';
}

bool IsBlankRow(const std::vector<std::string>& cells) {
  return std::all_of(cells.begin(), cells.end(),
                     [](const std::string& cell) { return TrimBlanks(cell).empty(); });
}

// Reads the records of a CSV text one by one, counting lines as an editor does.
class CsvReader {
 public:
  CsvReader(std::string_view text, char separator) : text_(text), separator_(separator) {}

  bool AtEnd() const { return position_ >= text_.size(); }

  // The next record into `row`; false with `error` for a quote left open.
  bool Next(FieldTableRow& row, FieldFileError& error) {
    row.line = line_;
    row.cells.assign(1, std::string());
    while (position_ < text_.size()) {
      const char c = text_[position_];
      if (c == '"' && TrimBlanks(row.cells.back()).empty()) {
        row.cells.back().clear();
        if (!ReadQuoted(row, error)) {
          return false;
        }
      } else if (c == separator_) {
        ++position_;
        row.cells.emplace_back();
      } else if (c == '\n' || c == '\r') {
        EndLine();
        return true;
      } else {
        row.cells.back() += c;
        ++position_;
      }
    }
    return true;
  }

 private:
  // A line end: LF, CR LF or a lone CR.
  void EndLine() {
    if (text_[position_] == '\r' && position_ + 1 < text_.size() && text_[position_ + 1] == '\n') {
      ++position_;
    }
    ++position_;
    ++line_;
  }

  // A quoted cell from its opening quote; blanks after the closing quote are allowed.
  bool ReadQuoted(FieldTableRow& row, FieldFileError& error) {
    const std::size_t openedOn = line_;
    ++position_;
    std::string& cell = row.cells.back();
    while (true) {
      if (position_ >= text_.size()) {
        error = {openedOn, row.cells.size(), {}, "a quoted cell is not closed"};
        return false;
      }
      const char c = text_[position_];
      if (c == '"') {
        if (position_ + 1 < text_.size() && text_[position_ + 1] == '"') {
          cell += '"';
          position_ += 2;
          continue;
        }
        ++position_;
        break;
      }
      if (c == '\n' ||
          (c == '\r' && (position_ + 1 >= text_.size() || text_[position_ + 1] != '\n'))) {
        ++line_;
      }
      cell += c;
      ++position_;
    }
    while (position_ < text_.size() && text_[position_] != separator_ &&
           (text_[position_] == ' ' || text_[position_] == '\t')) {
      ++position_;
    }
    if (position_ < text_.size() && text_[position_] != separator_ && text_[position_] != '\n' &&
        text_[position_] != '\r') {
      error = {line_, row.cells.size(), {}, "text follows the closing quote of a quoted cell"};
      return false;
    }
    return true;
  }

  std::string_view text_;
  char separator_;
  std::size_t position_ = 0;
  std::size_t line_ = 1;
};

// The code points of UTF-8 text as Latin-1 bytes; false at the first that isn't one.
bool Utf8ToLatin1(std::string_view text, std::string& latin1, std::string& reason) {
  latin1.clear();
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      latin1 += static_cast<char>(lead);
      ++i;
      continue;
    }
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || i + length > text.size()) {
      reason = "is not UTF-8 text (save the spreadsheet as CSV UTF-8)";
      return false;
    }
    unsigned codePoint = lead & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) {
        reason = "is not UTF-8 text (save the spreadsheet as CSV UTF-8)";
        return false;
      }
      codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    if (codePoint > 0xFF) {
      reason = fmt::format(
          "has the character U+{:04X}, which measured and published texts can't hold (they are "
          "single-byte text; only Latin-1 letters can be used)",
          codePoint);
      return false;
    }
    latin1 += static_cast<char>(codePoint);
    i += length;
  }
  return true;
}

std::string ColumnName(const FieldTable& table, std::size_t index) {
  return index < table.columns.size() ? table.columns[index] : std::string();
}

}  // namespace

std::string FieldFileErrorText(std::string_view fileName, const FieldFileError& error) {
  if (error.column == 0) {
    return fmt::format("{}:{}: {}", fileName, error.line, error.reason);
  }
  const std::string name = error.columnName.empty() ? "" : " (" + error.columnName + ")";
  return fmt::format("{}:{}: column {}{}: {}", fileName, error.line, error.column, name,
                     error.reason);
}

std::optional<FieldTable> ReadFieldTable(std::string_view text, FieldFileError& error) {
  if (text.starts_with(kByteOrderMark)) {
    text.remove_prefix(kByteOrderMark.size());
  }
  FieldTable table;
  table.separator = DetectSeparator(text);
  CsvReader reader(text, table.separator);
  bool header = true;
  while (!reader.AtEnd()) {
    FieldTableRow row;
    if (!reader.Next(row, error)) {
      if (!header && error.column > 0) {
        error.columnName = ColumnName(table, error.column - 1);
      }
      return std::nullopt;
    }
    if (IsBlankRow(row.cells)) {
      continue;
    }
    if (header) {
      for (const std::string& cell : row.cells) {
        table.columns.emplace_back(TrimBlanks(cell));
      }
      table.headerLine = row.line;
      header = false;
    } else {
      table.rows.push_back(std::move(row));
    }
  }
  if (header) {
    error = {1, 0, {}, "the file is empty; its first line must name the columns"};
    return std::nullopt;
  }
  return table;
}

std::optional<FieldColumn> FindFieldColumn(const FieldTable& table, std::string_view name) {
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    if (SameNameIgnoringCase(table.columns[i], name)) {
      return FieldColumn{i, table.columns[i]};
    }
  }
  return std::nullopt;
}

std::optional<FieldFileError> RepeatedFieldColumn(const FieldTable& table) {
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    for (std::size_t k = 0; k < i; ++k) {
      if (!table.columns[i].empty() && SameNameIgnoringCase(table.columns[i], table.columns[k])) {
        return FieldFileError{1, i + 1, table.columns[i],
                              fmt::format("the column is named twice (also column {})", k + 1)};
      }
    }
  }
  return std::nullopt;
}

std::optional<FieldFileError> RowCellsProblem(const FieldTable& table, const FieldTableRow& row) {
  const std::size_t header = table.columns.size();
  const std::size_t cells = row.cells.size();
  const std::string counted =
      fmt::format("{} {} where the header has {}", cells, cells == 1 ? "cell" : "cells", header);
  const auto blank = [](const std::string& text) { return TrimBlanks(text).empty(); };
  if (cells > header && !std::all_of(row.cells.begin() + static_cast<std::ptrdiff_t>(header),
                                     row.cells.end(), blank)) {
    // A decimal comma splits a number in two and moves every later cell a column on.
    return FieldFileError{
        row.line,
        header + 1,
        {},
        table.separator == ',' ? counted + ": a decimal comma in a number?" : counted};
  }
  if (cells < header && !std::all_of(table.columns.begin() + static_cast<std::ptrdiff_t>(cells),
                                     table.columns.end(), blank)) {
    return FieldFileError{row.line, cells + 1, table.columns[cells], counted};
  }
  return std::nullopt;
}

std::optional<double> ReadFieldNumber(const FieldTable& table, const FieldTableRow& row,
                                      const FieldColumn& column, FieldFileError& error) {
  const std::string_view cell =
      column.index < row.cells.size() ? TrimBlanks(row.cells[column.index]) : std::string_view();
  error = {row.line, column.index + 1, column.name, {}};
  if (cell.empty()) {
    error.reason = "the cell is empty; a number is needed";
    return std::nullopt;
  }
  // A spreadsheet may keep the sign of a positive figure typed as "+0.5".
  const bool plus = cell.size() > 1 && cell[0] == '+' && (IsDigit(cell[1]) || cell[1] == '.');
  std::string number(plus ? cell.substr(1) : cell);
  if (table.separator != ',') {
    std::replace(number.begin(), number.end(), ',', '.');
  }
  const std::optional<double> value = ReadWholeNumber(number);
  if (!value) {
    error.reason = fmt::format("\"{}\" is not a number", cell);
    // Quoted, a number with a decimal comma stays one cell of a comma-separated file.
    std::replace(number.begin(), number.end(), ',', '.');
    if (table.separator == ',' && ReadWholeNumber(number)) {
      error.reason +=
          ": a decimal comma? (this file separates its cells with commas, so its numbers need a "
          "decimal point)";
    }
  }
  return value;
}

std::optional<std::string> ReadStationName(const FieldTableRow& row, const FieldColumn& column,
                                           FieldFileError& error) {
  const std::string_view cell =
      column.index < row.cells.size() ? TrimBlanks(row.cells[column.index]) : std::string_view();
  error = {row.line, column.index + 1, column.name, {}};
  std::string name;
  std::string reason;
  if (cell.empty()) {
    error.reason = "the station name is empty";
  } else if (!Utf8ToLatin1(cell, name, reason)) {
    error.reason = "the station name " + reason;
  } else if (std::any_of(name.begin(), name.end(), IsControlByte)) {
    error.reason = "the station name holds a control character (a tab or a line end, say)";
  } else if (name.find(',') != std::string::npos) {
    error.reason = fmt::format(
        "the station name \"{}\" holds a comma, which separates the fields of a measured line",
        cell);
  } else if (kHeaderPrefixes.find(name.front()) != std::string_view::npos) {
    error.reason = fmt::format(
        "the station name \"{}\" begins with '{}', which would make its measured line a header "
        "line",
        cell, name.front());
  } else {
    return name;
  }
  return std::nullopt;
}

std::string Latin1ToUtf8(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

}  // namespace mensuro
