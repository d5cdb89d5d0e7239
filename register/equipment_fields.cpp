#include "register/equipment_fields.h"

#include <fmt/format.h>

#include <vector>

#include "register/record_fields.h"

namespace mensuro {
namespace {

struct EquipmentField {
  std::string_view column;
  std::string_view sqlType;  // as the table's statement gives it
  bool hashed;               // in the canonical content, in the table's order
  SqlValue (*value)(const EquipmentRecord& record);
  void (*read)(EquipmentRecord& record, const SqlValue& value);
};

constexpr std::string_view kText = "TEXT NOT NULL";

// The fields below take the member they hold from `At`, a lambda without captures from the
// record to a reference to that member.
template <typename At>
constexpr EquipmentField Text(std::string_view column, bool hashed, At /*at*/) {
  return {column, kText, hashed,
          [](const EquipmentRecord& record) { return SqlValue{At{}(record)}; },
          [](EquipmentRecord& record, const SqlValue& value) { At{}(record) = TextOf(value); }};
}
// A text that is NULL when empty, so that unique indexes pass over it.
template <typename At>
constexpr EquipmentField OptionalText(std::string_view column, At /*at*/) {
  return {column, "TEXT", true,
          [](const EquipmentRecord& record) {
            const std::string& text = At{}(record);
            return text.empty() ? SqlValue{} : SqlValue{text};
          },
          [](EquipmentRecord& record, const SqlValue& value) { At{}(record) = TextOf(value); }};
}
template <typename At>
constexpr EquipmentField Real(std::string_view column, At /*at*/) {
  return {column, "DOUBLE PRECISION NOT NULL", true,
          [](const EquipmentRecord& record) { return SqlValue{At{}(record)}; },
          [](EquipmentRecord& record, const SqlValue& value) {
            At{}(record) = OptionalRealOf(value).value_or(0.0);
          }};
}

constexpr EquipmentField kFields[] = {
    {"id", "BIGINT PRIMARY KEY", true,
     [](const EquipmentRecord& record) { return SqlValue{record.position}; },
     [](EquipmentRecord& record, const SqlValue& value) { record.position = IntegerOf(value); }},
    Text(
        "action", true, [](auto& r) -> auto& { return r.action; }),
    Text(
        "kind", true, [](auto& r) -> auto& { return r.kind; }),
    Text(
        "make", true, [](auto& r) -> auto& { return r.make; }),
    Text(
        "model", true, [](auto& r) -> auto& { return r.model; }),
    Text(
        "serial", true, [](auto& r) -> auto& { return r.serial; }),
    OptionalText(
        "number", [](auto& r) -> auto& { return r.certificate.number; }),
    Text(
        "issued_by", true, [](auto& r) -> auto& { return r.certificate.issuedBy; }),
    Text(
        "date", true, [](auto& r) -> auto& { return r.certificate.date; }),
    Text(
        "valid_until", true, [](auto& r) -> auto& { return r.certificate.validUntil; }),
    Real(
        "correction", [](auto& r) -> auto& { return r.certificate.correction; }),
    Real(
        "standard_uncertainty", [](auto& r) -> auto& { return r.certificate.standardUncertainty; }),
    Real(
        "scale_ppm", [](auto& r) -> auto& { return r.certificate.scalePpm; }),
    Real(
        "scale_uncertainty_ppm",
        [](auto& r) -> auto& { return r.certificate.scaleUncertaintyPpm; }),
    Real(
        "constant_mm", [](auto& r) -> auto& { return r.certificate.constantMm; }),
    Real(
        "constant_uncertainty_mm",
        [](auto& r) -> auto& { return r.certificate.constantUncertaintyMm; }),
    Text(
        "baseline_certificate", true,
        [](auto& r) -> auto& { return r.certificate.baselineCertificate; }),
    Text(
        "baseline_uncertainty", true,
        [](auto& r) -> auto& { return r.certificate.baselineUncertainty; }),
    OptionalText(
        "supersedes", [](auto& r) -> auto& { return r.certificate.supersedes; }),
    Text(
        "reason", true, [](auto& r) -> auto& { return r.certificate.reason; }),
    Text(
        "entered_at", true, [](auto& r) -> auto& { return r.certificate.enteredAt; }),
    Text(
        "previous_sha256", true, [](auto& r) -> auto& { return r.previousSha256; }),
    Text(
        "record_sha256", false, [](auto& r) -> auto& { return r.recordSha256; }),
};

}  // namespace

std::string EquipmentRecordsTableSql() {
  std::string sql = "CREATE TABLE equipment_records (\n";
  for (const EquipmentField& field : kFields) {
    sql += fmt::format("  {} {},\n", field.column, field.sqlType);
  }
  return sql + "  item_id BIGINT NOT NULL REFERENCES equipment_items (id))";
}

std::string EquipmentRecordColumnsSql() {
  std::string sql;
  for (const EquipmentField& field : kFields) {
    sql += fmt::format("{}e.{}", sql.empty() ? "" : ", ", field.column);
  }
  return sql;
}

EquipmentRecord EquipmentRecordOfRow(const SqlRow& row) {
  EquipmentRecord record;
  std::size_t i = 0;
  for (const EquipmentField& field : kFields) {
    field.read(record, row.at(i++));
  }
  return record;
}

std::string EquipmentCanonicalContent(const EquipmentRecord& record) {
  std::string content = "mensuro-equipment-record-1\n";
  for (const EquipmentField& field : kFields) {
    if (field.hashed) {
      const std::string bytes = HashedText(field.value(record));
      content += std::to_string(bytes.size());
      content += ':';
      content += bytes;
    }
  }
  return content;
}

void InsertEquipmentRecord(Database& database, const EquipmentRecord& record, std::int64_t itemId) {
  std::string columns;
  std::string marks;
  std::vector<SqlValue> values;
  for (const EquipmentField& field : kFields) {
    columns += fmt::format("{}, ", field.column);
    marks += "?, ";
    values.push_back(field.value(record));
  }
  values.emplace_back(itemId);
  database.Query("INSERT INTO equipment_records (" + columns + "item_id) VALUES (" + marks + "?)",
                 values);
}

}  // namespace mensuro
