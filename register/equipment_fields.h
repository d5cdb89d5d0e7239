#pragma once

// The equipment records' columns, written once: the equipment_records table of the schema, the
// columns read back, a record's canonical content (what its recordSha256 covers) and the insert
// all follow one table of fields, as record_fields.h does for the certificates.
//
// Every change to the equipment is one record, never updated nor deleted: a certificate entered
// or an item retired. Its canonical content is the line "mensuro-equipment-record-1", then each
// field as its length in bytes (decimal), a colon and its bytes, in this order: the record's id,
// what it records ("certificate" or "retirement"), the item's kind, make, model and serial; the
// certificate's number, issuer, date, last valid day, correction, standard uncertainty, scale
// and its uncertainty, constant and its uncertainty, the baseline's certificate line and
// uncertainty, the certificate it supersedes and the reason; when it was entered; previousSha256.
// Numbers in the shortest form that reads back to the same double. A record's previousSha256 is
// the recordSha256 of the equipment record before it, 64 zeros for the first: a chain of its own
// beside the certificates'.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/equipment/equipment.h"
#include "register/database.h"

namespace mensuro {

// What an equipment record records.
inline constexpr std::string_view kEquipmentCertificateAction = "certificate";
inline constexpr std::string_view kEquipmentRetirementAction = "retirement";

// One equipment record as stored. A retirement holds the day in `certificate.date`, the reason
// in `certificate.reason` and the moment in `certificate.enteredAt`; its other fields are empty.
struct EquipmentRecord {
  std::int64_t position = 0;  // in the order entered, from 1: the row's id
  std::string action;
  std::string kind;  // as EquipmentKindName spells it
  std::string make;
  std::string model;
  std::string serial;
  EquipmentCertificate certificate;  // supersededBy is not part of the record
  std::string previousSha256;
  std::string recordSha256;
};

// The statement that makes the equipment_records table, each row tied to its item's row.
std::string EquipmentRecordsTableSql();

// The columns a record is read from, each named `e.column`, in the order EquipmentRecordOfRow
// reads them.
std::string EquipmentRecordColumnsSql();

// The record of a row of EquipmentRecordColumnsSql's columns; further columns are left.
EquipmentRecord EquipmentRecordOfRow(const SqlRow& row);

// The record's canonical content, as above.
std::string EquipmentCanonicalContent(const EquipmentRecord& record);

// Inserts `record` as a row of the item `itemId`.
void InsertEquipmentRecord(Database& database, const EquipmentRecord& record, std::int64_t itemId);

}  // namespace mensuro
