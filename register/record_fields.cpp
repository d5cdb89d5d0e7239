#include "register/record_fields.h"

#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <type_traits>
#include <variant>

namespace mensuro {
namespace {

// When a column is read back into an entry.
enum class ReadBack {
  kNever,   // kept in the row only
  kListed,  // in every entry
  kText,    // with the texts Find adds
};

struct RecordField {
  std::string_view column;
  std::string_view sqlType;  // as the table's statement gives it
  int hashPlace;             // its place in the canonical content, from 1; 0: not hashed
  ReadBack readBack;
  SqlValue (*value)(const RegisterEntry& entry, const RecordRow& row);
  void (*read)(RegisterEntry& entry, const SqlValue& value);  // none for ReadBack::kNever
  int schema = 1;                                             // the schema that added it
  int format = 1;  // the first record format that hashes it
};

// `field` as added by schema `schema` and hashed from record format `format` on.
constexpr RecordField Since(RecordField field, int schema, int format) {
  field.schema = schema;
  field.format = format;
  return field;
}

constexpr std::string_view kText = "TEXT NOT NULL";
constexpr std::string_view kReal = "DOUBLE PRECISION NOT NULL";

// The fields below take the member of the entry they hold from `At`, a lambda without captures
// from the entry to a reference to that member.
template <typename At>
constexpr RecordField TextField(std::string_view column, std::string_view sqlType, int hashPlace,
                                ReadBack readBack, At /*at*/) {
  return {column,
          sqlType,
          hashPlace,
          readBack,
          [](const RegisterEntry& entry, const RecordRow&) { return SqlValue{At{}(entry)}; },
          [](RegisterEntry& entry, const SqlValue& value) { At{}(entry) = TextOf(value); }};
}
// A text that is NULL when empty.
template <typename At>
constexpr RecordField OptionalTextField(std::string_view column, std::string_view sqlType,
                                        int hashPlace, At /*at*/) {
  return {column,
          sqlType,
          hashPlace,
          ReadBack::kListed,
          [](const RegisterEntry& entry, const RecordRow&) {
            const std::string& text = At{}(entry);
            return text.empty() ? SqlValue{} : SqlValue{text};
          },
          [](RegisterEntry& entry, const SqlValue& value) { At{}(entry) = TextOf(value); }};
}
template <typename At>
constexpr RecordField RealField(std::string_view column, int hashPlace, At /*at*/) {
  return {column,
          kReal,
          hashPlace,
          ReadBack::kListed,
          [](const RegisterEntry& entry, const RecordRow&) { return SqlValue{At{}(entry)}; },
          [](RegisterEntry& entry, const SqlValue& value) {
            At{}(entry) = OptionalRealOf(value).value_or(0.0);
          }};
}
// A number that is NULL when not given.
template <typename At>
constexpr RecordField OptionalRealField(std::string_view column, int hashPlace, At /*at*/) {
  return {column,
          "DOUBLE PRECISION",
          hashPlace,
          ReadBack::kListed,
          [](const RegisterEntry& entry, const RecordRow&) {
            const std::optional<double>& real = At{}(entry);
            return real ? SqlValue{*real} : SqlValue{};
          },
          [](RegisterEntry& entry, const SqlValue& value) { At{}(entry) = OptionalRealOf(value); }};
}
// An integer (or a flag, stored as 0 or 1).
template <typename At>
constexpr RecordField IntegerField(std::string_view column, std::string_view sqlType, int hashPlace,
                                   At /*at*/) {
  return {column,
          sqlType,
          hashPlace,
          ReadBack::kListed,
          [](const RegisterEntry& entry, const RecordRow&) {
            return SqlValue{static_cast<std::int64_t>(At{}(entry))};
          },
          [](RegisterEntry& entry, const SqlValue& value) {
            using Member = std::remove_reference_t<decltype(At{}(entry))>;
            At{}(entry) = static_cast<Member>(IntegerOf(value));
          }};
}
// A column of the row alone, `Of` giving its value from the row.
template <typename Of>
constexpr RecordField RowField(std::string_view column, std::string_view sqlType, Of /*of*/) {
  return {column,
          sqlType,
          0,
          ReadBack::kNever,
          [](const RegisterEntry&, const RecordRow& row) { return SqlValue{Of{}(row)}; },
          nullptr};
}

// The first cyclic harmonic's figures, NULL for a calibration without them. Read back, any
// figure makes the terms, so that figures put on a record that has none are seen.
SqlValue CyclicSql(double figure) {
  return SqlValue{figure};
}
SqlValue CyclicSql(const std::optional<double>& figure) {
  return figure ? SqlValue{*figure} : SqlValue{};
}
SqlValue CyclicSql(bool flag) {
  return SqlValue{std::int64_t{flag ? 1 : 0}};
}
void ReadCyclic(double& figure, const SqlValue& value) {
  figure = OptionalRealOf(value).value_or(0.0);
}
void ReadCyclic(std::optional<double>& figure, const SqlValue& value) {
  figure = OptionalRealOf(value);
}
void ReadCyclic(bool& flag, const SqlValue& value) {
  flag = IntegerOf(value) != 0;
}

template <typename At>
constexpr RecordField CyclicField(std::string_view column, std::string_view sqlType, int hashPlace,
                                  At /*at*/) {
  return {column,
          sqlType,
          hashPlace,
          ReadBack::kListed,
          [](const RegisterEntry& entry, const RecordRow&) {
            const std::optional<RegisteredCyclic>& cyclic = entry.results.cyclic;
            return cyclic ? CyclicSql(At{}(*cyclic)) : SqlValue{};
          },
          [](RegisterEntry& entry, const SqlValue& value) {
            if (std::holds_alternative<std::monostate>(value)) {
              return;
            }
            std::optional<RegisteredCyclic>& cyclic = entry.results.cyclic;
            if (!cyclic) {
              cyclic.emplace();
            }
            ReadCyclic(At{}(*cyclic), value);
          }};
}

// The calibrations table's columns in their order. The hashed places of format 1 are those of
// the first records ever issued and never change: a register's records keep verifying. Format 2
// hashes those and the places after them.
constexpr RecordField kFields[] = {
    Since(IntegerField(
              "id", "BIGINT PRIMARY KEY", 33, [](auto& e) -> auto& { return e.position; }),
          1, 2),
    TextField(
        "number", "TEXT NOT NULL UNIQUE", 1, ReadBack::kListed,
        [](auto& e) -> auto& { return e.identity.number; }),
    Since(TextField(
              "prefix", kText, 34, ReadBack::kListed, [](auto& e) -> auto& { return e.prefix; }),
          1, 2),
    Since(IntegerField(
              "year", "BIGINT NOT NULL", 35, [](auto& e) -> auto& { return e.year; }),
          1, 2),
    Since(IntegerField(
              "sequence", "BIGINT NOT NULL", 36, [](auto& e) -> auto& { return e.sequence; }),
          1, 2),
    TextField(
        "issue_date", kText, 2, ReadBack::kListed,
        [](auto& e) -> auto& { return e.identity.issueDate; }),
    TextField(
        "issued_at", kText, 3, ReadBack::kListed, [](auto& e) -> auto& { return e.issuedAt; }),
    RowField("laboratory_id", "BIGINT REFERENCES laboratories (id)",
             [](const RecordRow& row) { return row.laboratoryId; }),
    RowField("client_id", "BIGINT REFERENCES clients (id)",
             [](const RecordRow& row) { return row.clientId; }),
    RowField("instrument_id", "BIGINT REFERENCES instruments (id)",
             [](const RecordRow& row) { return row.instrumentId; }),
    RowField("reflector_id", "BIGINT REFERENCES reflectors (id)",
             [](const RecordRow& row) { return row.reflectorId; }),
    TextField(
        "laboratory_name", kText, 5, ReadBack::kListed,
        [](auto& e) -> auto& { return e.details.laboratory.name; }),
    TextField(
        "laboratory_address", kText, 6, ReadBack::kListed,
        [](auto& e) -> auto& { return e.details.laboratory.address; }),
    TextField(
        "laboratory_accreditation", kText, 7, ReadBack::kListed,
        [](auto& e) -> auto& { return e.details.laboratory.accreditation; }),
    TextField(
        "laboratory_logo_file", kText, 8, ReadBack::kListed,
        [](auto& e) -> auto& { return e.details.laboratory.logoFile; }),
    TextField(
        "client_name", kText, 9, ReadBack::kListed,
        [](auto& e) -> auto& { return e.details.client.name; }),
    TextField(
        "client_address", kText, 10, ReadBack::kListed,
        [](auto& e) -> auto& { return e.details.client.address; }),
    TextField(
        "instrument_make", kText, 11, ReadBack::kListed,
        [](auto& e) -> auto& { return e.details.instrument.make; }),
    TextField(
        "instrument_model", kText, 12, ReadBack::kListed,
        [](auto& e) -> auto& { return e.details.instrument.model; }),
    TextField(
        "instrument_serial", kText, 13, ReadBack::kListed,
        [](auto& e) -> auto& { return e.details.instrument.serialNumber; }),
    TextField(
        "reflector_make", kText, 14, ReadBack::kListed,
        [](auto& e) -> auto& { return e.details.reflector.make; }),
    TextField(
        "reflector_model", kText, 15, ReadBack::kListed,
        [](auto& e) -> auto& { return e.details.reflector.model; }),
    OptionalRealField(
        "prism_constant_mm", 16,
        [](auto& e) -> auto& { return e.details.reflector.prismConstantMm; }),
    TextField(
        "measured_by", kText, 17, ReadBack::kListed,
        [](auto& e) -> auto& { return e.details.measuredBy; }),
    TextField(
        "checked_by", kText, 18, ReadBack::kListed,
        [](auto& e) -> auto& { return e.details.checkedBy; }),
    TextField(
        "baseline_certificate", kText, 19, ReadBack::kListed,
        [](auto& e) -> auto& { return e.details.baselineCertificate; }),
    TextField(
        "baseline", kText, 20, ReadBack::kListed, [](auto& e) -> auto& { return e.baseline; }),
    TextField(
        "measured_text", kText, 0, ReadBack::kText,
        [](auto& e) -> auto& { return e.measuredText; }),
    TextField(
        "measured_sha256", kText, 21, ReadBack::kListed,
        [](auto& e) -> auto& { return e.measuredSha256; }),
    TextField(
        "published_text", kText, 0, ReadBack::kText,
        [](auto& e) -> auto& { return e.publishedText; }),
    TextField(
        "published_sha256", kText, 22, ReadBack::kListed,
        [](auto& e) -> auto& { return e.publishedSha256; }),
    TextField(
        "conditions_json", kText, 23, ReadBack::kText,
        [](auto& e) -> auto& { return e.conditionsJson; }),
    TextField(
        "exclusions_json", kText, 24, ReadBack::kText,
        [](auto& e) -> auto& { return e.exclusionsJson; }),
    TextField(
        "accepted_warnings_json", kText, 25, ReadBack::kText,
        [](auto& e) -> auto& { return e.acceptedWarningsJson; }),
    TextField(
        "results_json", kText, 26, ReadBack::kText, [](auto& e) -> auto& { return e.resultsJson; }),
    RealField(
        "scale_ppm", 27, [](auto& e) -> auto& { return e.results.scalePpm; }),
    RealField(
        "scale_uncertainty_ppm", 28,
        [](auto& e) -> auto& { return e.results.scaleUncertaintyPpm; }),
    RealField(
        "constant_m", 29, [](auto& e) -> auto& { return e.results.constantM; }),
    RealField(
        "constant_uncertainty_m", 30,
        [](auto& e) -> auto& { return e.results.constantUncertaintyM; }),
    TextField(
        "program_version", kText, 31, ReadBack::kListed,
        [](auto& e) -> auto& { return e.programVersion; }),
    RowField("pdf", "BLOB NOT NULL",
             [](const RecordRow& row) { return SqlBlob{std::string(row.pdf)}; }),
    TextField(
        "pdf_sha256", kText, 0, ReadBack::kListed, [](auto& e) -> auto& { return e.pdfSha256; }),
    OptionalTextField(
        "replaces", "TEXT REFERENCES calibrations (number)", 4,
        [](auto& e) -> auto& { return e.identity.replaces; }),
    TextField(
        "previous_sha256", kText, 32, ReadBack::kListed,
        [](auto& e) -> auto& { return e.previousSha256; }),
    TextField(
        "record_sha256", kText, 0, ReadBack::kListed,
        [](auto& e) -> auto& { return e.identity.recordSha256; }),
    // Schema 3: the record's format (those before it are of format 1), the replacement's
    // reason, whether the replaced certificate named another instrument, the date of
    // measurement.
    Since(IntegerField(
              "record_format", "BIGINT NOT NULL DEFAULT 1", 0,
              [](auto& e) -> auto& { return e.recordFormat; }),
          3, 2),
    Since(OptionalTextField(
              "replace_reason", "TEXT", 37,
              [](auto& e) -> auto& { return e.identity.replaceReason; }),
          3, 2),
    Since(IntegerField(
              "other_instrument", "BIGINT NOT NULL DEFAULT 0", 38,
              [](auto& e) -> auto& { return e.otherInstrument; }),
          3, 2),
    Since(TextField(
              "measurement_date", "TEXT NOT NULL DEFAULT ''", 39, ReadBack::kListed,
              [](auto& e) -> auto& { return e.measurementDate; }),
          3, 2),
    // Schema 5: what the record certifies. Hashed from format 3, the baseline records' own:
    // instrument records keep format 2, and a kind other than an instrument's on a record of
    // an earlier format is a change that Verify finds.
    Since(RecordField{"kind", "TEXT NOT NULL DEFAULT 'instrument'", 40, ReadBack::kListed,
                      [](const RegisterEntry& entry, const RecordRow&) {
                        return SqlValue{std::string(RecordKindName(entry.kind))};
                      },
                      [](RegisterEntry& entry, const SqlValue& value) {
                        entry.kind = TextOf(value) == RecordKindName(RecordKind::kBaseline)
                                         ? RecordKind::kBaseline
                                         : RecordKind::kInstrument;
                      }},
          5, 3),
    // Schema 6: the first harmonic of the cyclic error, when it was estimated. Hashed from
    // format 4, that of the instrument records that have it: records without it keep their
    // format, and figures on a record of an earlier format are a change that Verify finds.
    Since(CyclicField(
              "cyclic_unit_length_m", "DOUBLE PRECISION", 41,
              [](auto& c) -> auto& { return c.unitLengthM; }),
          6, 4),
    Since(CyclicField(
              "cyclic_amplitude_m", "DOUBLE PRECISION", 42,
              [](auto& c) -> auto& { return c.amplitudeM; }),
          6, 4),
    Since(CyclicField(
              "cyclic_amplitude_std_error_m", "DOUBLE PRECISION", 43,
              [](auto& c) -> auto& { return c.amplitudeStdErrorM; }),
          6, 4),
    Since(CyclicField(
              "cyclic_phase_degrees", "DOUBLE PRECISION", 44,
              [](auto& c) -> auto& { return c.phaseDegrees; }),
          6, 4),
    Since(CyclicField(
              "cyclic_significant", "BIGINT", 45, [](auto& c) -> auto& { return c.significant; }),
          6, 4),
};

// Whether the hashed fields take the places 1, 2, 3 and so on, each its own.
constexpr bool HashPlacesFollowOn() {
  int places = 0;
  for (const RecordField& field : kFields) {
    places += field.hashPlace > 0 ? 1 : 0;
  }
  for (int place = 1; place <= places; ++place) {
    if (std::ranges::count(kFields, place, &RecordField::hashPlace) != 1) {
      return false;
    }
  }
  return true;
}
static_assert(HashPlacesFollowOn(), "each hashed field needs a place of its own after the last");

// The fields read back at `readBack`, in the table's order.
std::vector<const RecordField*> FieldsRead(ReadBack readBack) {
  std::vector<const RecordField*> fields;
  for (const RecordField& field : kFields) {
    if (field.readBack == readBack) {
      fields.push_back(&field);
    }
  }
  return fields;
}

}  // namespace

std::optional<double> OptionalRealOf(const SqlValue& value) {
  if (const auto* real = std::get_if<double>(&value)) {
    return *real;
  }
  if (const auto* integer = std::get_if<std::int64_t>(&value)) {
    return static_cast<double>(*integer);
  }
  return std::nullopt;
}

std::string HashedText(const SqlValue& value) {
  if (const auto* real = std::get_if<double>(&value)) {
    return fmt::format("{}", *real);
  }
  if (const auto* integer = std::get_if<std::int64_t>(&value)) {
    return std::to_string(*integer);
  }
  return TextOf(value);
}

std::string TextOf(const SqlValue& value) {
  const auto* text = std::get_if<std::string>(&value);
  return text != nullptr ? *text : std::string();
}

std::int64_t IntegerOf(const SqlValue& value) {
  const auto* integer = std::get_if<std::int64_t>(&value);
  return integer != nullptr ? *integer : 0;
}

std::string CalibrationsTableSql() {
  std::string sql = "CREATE TABLE calibrations (\n";
  for (const RecordField& field : kFields) {
    if (field.schema == 1) {
      sql += fmt::format("  {} {},\n", field.column, field.sqlType);
    }
  }
  return sql + "  UNIQUE (prefix, year, sequence))";
}

std::vector<std::string> AddedColumnsSql(int version) {
  std::vector<std::string> statements;
  for (const RecordField& field : kFields) {
    if (version > 1 && field.schema == version) {
      statements.push_back(
          fmt::format("ALTER TABLE calibrations ADD COLUMN {} {}", field.column, field.sqlType));
    }
  }
  return statements;
}

std::string EntryColumnsSql(bool withTexts) {
  std::string sql;
  const auto add = [&sql](std::string_view column) {
    sql += sql.empty() ? "" : ", ";
    sql += column;
  };
  for (const RecordField* field : FieldsRead(ReadBack::kListed)) {
    add(fmt::format("c.{}", field->column));
  }
  add("r.number");
  if (withTexts) {
    for (const RecordField* field : FieldsRead(ReadBack::kText)) {
      add(fmt::format("c.{}", field->column));
    }
  }
  return sql;
}

RegisterEntry EntryOfRow(const SqlRow& row, bool withTexts) {
  RegisterEntry entry;
  std::size_t i = 0;
  for (const RecordField* field : FieldsRead(ReadBack::kListed)) {
    field->read(entry, row.at(i++));
  }
  entry.replacedBy = TextOf(row.at(i++));
  if (withTexts) {
    for (const RecordField* field : FieldsRead(ReadBack::kText)) {
      field->read(entry, row.at(i++));
    }
  }
  return entry;
}

std::string CanonicalContent(const RegisterEntry& entry) {
  std::vector<const RecordField*> hashed;
  for (const RecordField& field : kFields) {
    if (field.hashPlace > 0 && field.format <= entry.recordFormat) {
      hashed.push_back(&field);
    }
  }
  std::ranges::sort(hashed, {}, &RecordField::hashPlace);
  std::string content = fmt::format("mensuro-register-record-{}\n", entry.recordFormat);
  const auto add = [&content](const std::string& bytes) {
    content += std::to_string(bytes.size());
    content += ':';
    content += bytes;
  };
  for (const RecordField* field : hashed) {
    add(HashedText(field->value(entry, RecordRow{})));
  }
  if (entry.recordFormat >= 2) {
    add(std::to_string(entry.files.size()));
    for (const RecordFile& file : entry.files) {
      add(file.role);
      add(file.name);
      add(file.sha256);
    }
  }
  return content;
}

void InsertRecord(Database& database, const RegisterEntry& entry, const RecordRow& row) {
  std::string columns;
  std::string marks;
  std::vector<SqlValue> values;
  for (const RecordField& field : kFields) {
    columns += fmt::format("{}{}", values.empty() ? "" : ", ", field.column);
    marks += values.empty() ? "?" : ", ?";
    values.push_back(field.value(entry, row));
  }
  database.Query("INSERT INTO calibrations (" + columns + ") VALUES (" + marks + ")", values);
}

}  // namespace mensuro
