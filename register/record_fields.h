#pragma once

// The columns of a certificate's record, written once: the calibrations table of the schema,
// the columns List and Find read back, the record's canonical content (what its recordSha256
// covers) and the insert all follow one table of fields. A new field is one line of that table
// and a schema step.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "register/database.h"
#include "register/register_records.h"

namespace mensuro {

// What a record's row holds besides its entry: the ids of the laboratory, client, instrument
// and reflector it names, and the certificate's PDF.
struct RecordRow {
  SqlValue laboratoryId;
  SqlValue clientId;
  SqlValue instrumentId;
  SqlValue reflectorId;
  std::string_view pdf;
};

// A column's text; the empty text for NULL or a value of another type.
std::string TextOf(const SqlValue& value);
// A column's integer; 0 for NULL or a value of another type.
std::int64_t IntegerOf(const SqlValue& value);

// A column's number; nothing for NULL or a value of another type.
std::optional<double> OptionalRealOf(const SqlValue& value);
// The bytes a value adds to a record's canonical content: a number in its shortest form that
// reads back to the same double, an integer in decimal, a text as it is, NULL as nothing.
std::string HashedText(const SqlValue& value);

// The statement that makes the calibrations table with the columns of the first schema.
std::string CalibrationsTableSql();

// The statements that add the columns schema `version` brings to the calibrations table.
std::vector<std::string> AddedColumnsSql(int version);

// The columns an entry is read from, each named `c.column`: those of every entry, `replacedBy`
// (the number of the record `r` that replaces it), then the texts when `withTexts`.
std::string EntryColumnsSql(bool withTexts);

// The entry of a row of EntryColumnsSql's columns, in their order; further columns are left.
RegisterEntry EntryOfRow(const SqlRow& row, bool withTexts);

// The record's canonical content in its format: a version tag, then each field that format
// hashes as its length in bytes, a colon and the bytes, in a fixed order; format 2 then the
// number of files and each file's role, name and SHA-256 likewise. Numbers are written in their
// shortest form that reads back to the same double, integers in decimal, a flag as 0 or 1; a
// prism constant or a reason not given is the empty field.
std::string CanonicalContent(const RegisterEntry& entry);

// Inserts the record of `entry` and `row` into the calibrations table.
void InsertRecord(Database& database, const RegisterEntry& entry, const RecordRow& row);

}  // namespace mensuro
