#pragma once

// A spreadsheet's CSV file as a table of text cells: the header row's column names and the rows
// below it, each with the line it starts on, so that a message can point at the cell.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mensuro {

// Where a field or heights file is wrong, and why. Line and column count from 1; column 0 when
// the fault is not in one cell (a column that is missing, say).
struct FieldFileError {
  std::size_t line = 0;
  std::size_t column = 0;
  std::string columnName;
  std::string reason;
};

// "FILE:LINE: column N (NAME): REASON", or "FILE:LINE: REASON" without a column.
std::string FieldFileErrorText(std::string_view fileName, const FieldFileError& error);

struct FieldTableRow {
  std::size_t line = 0;  // the line the row starts on
  std::vector<std::string> cells;
};

struct FieldTable {
  // ',' with decimal points, or ';' or a tab with decimal points or decimal commas.
  char separator = ',';
  std::vector<std::string> columns;  // the header row's cells, blanks around them dropped
  std::size_t headerLine = 1;
  std::vector<FieldTableRow> rows;  // rows of blank cells only are left out
};

// The table of a CSV text (UTF-8, a byte-order mark allowed): cells separated by the header
// row's separator, a semicolon when the header row holds one outside quotes, a tab when it holds
// a tab and no comma, and a comma otherwise; quoted cells as RFC 4180 has them (doubled quotes
// inside, separators and line ends allowed). Cells are kept as the file's bytes. Nothing, with the
// error, for a quote left open or a file without a header row.
std::optional<FieldTable> ReadFieldTable(std::string_view text, FieldFileError& error);

// Where a table's column is: its index in every row, counted from 0.
struct FieldColumn {
  std::size_t index = 0;
  std::string name;  // as the file spells it
};

// The column whose name is `name` once letter case is ignored; nothing when there is none.
// A name given to two columns is an error of the second.
std::optional<FieldColumn> FindFieldColumn(const FieldTable& table, std::string_view name);

// Names that appear twice in the header row, as an error at the second; nothing when all differ.
std::optional<FieldFileError> RepeatedFieldColumn(const FieldTable& table);

// A row with more or fewer cells than the header row, as an error at its first cell beyond the
// header's or at the first column it lacks; nothing when they agree. Every later cell of such a
// row would be read in the wrong column. Empty cells beyond the header's (a trailing separator)
// and missing cells of columns without a name are allowed.
std::optional<FieldFileError> RowCellsProblem(const FieldTable& table, const FieldTableRow& row);

// The number in a cell: the whole cell, blanks around it allowed, as a finite decimal number.
// With the semicolon or tab separator a decimal comma is read too; with the comma separator a
// number with one is named as such. Nothing for an empty or unreadable cell, with the error at
// the cell.
std::optional<double> ReadFieldNumber(const FieldTable& table, const FieldTableRow& row,
                                      const FieldColumn& column, FieldFileError& error);

// A station name of a cell: blanks around it dropped and UTF-8 turned into the single-byte
// (Latin-1) text that measured and published texts hold. Nothing, with the error at the cell,
// for an empty name, one with a character beyond Latin-1 or not UTF-8, a control character or
// a comma, or one that begins with a header line's prefix ("%^#@$!"): each would be misread in
// the measured text.
std::optional<std::string> ReadStationName(const FieldTableRow& row, const FieldColumn& column,
                                           FieldFileError& error);

// Latin-1 text as UTF-8, for files written for spreadsheets.
std::string Latin1ToUtf8(std::string_view text);

}  // namespace mensuro
