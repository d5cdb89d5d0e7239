#include "register/register_schema.h"

#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "register/calibration_register.h"
#include "register/equipment_fields.h"
#include "register/record_fields.h"

namespace mensuro {
namespace {

// Step 1: the tables, the calibrations table last (its columns are those of the record's
// fields). Ids are given by the program (the largest plus one, inside the write transaction), so
// the same statements hold for both databases.
constexpr std::string_view kTables[] = {
    R"(CREATE TABLE laboratories (
  id BIGINT PRIMARY KEY,
  name TEXT NOT NULL UNIQUE,
  address TEXT NOT NULL,
  accreditation TEXT NOT NULL,
  logo_file TEXT NOT NULL))",
    R"(CREATE TABLE clients (
  id BIGINT PRIMARY KEY,
  name TEXT NOT NULL UNIQUE,
  address TEXT NOT NULL))",
    R"(CREATE TABLE instruments (
  id BIGINT PRIMARY KEY,
  serial TEXT NOT NULL UNIQUE,
  make TEXT NOT NULL,
  model TEXT NOT NULL))",
    R"(CREATE TABLE reflectors (
  id BIGINT PRIMARY KEY,
  make TEXT NOT NULL,
  model TEXT NOT NULL,
  prism_constant_mm DOUBLE PRECISION,
  UNIQUE (make, model)))",
};

// Step 2: the indexes that an instrument's history, the list's filters and the look-up of a
// replacement use; a certificate is replaced at most once.
constexpr std::string_view kIndexes[] = {
    "CREATE INDEX calibrations_by_instrument ON calibrations (instrument_serial, issue_date)",
    "CREATE INDEX calibrations_by_client ON calibrations (client_name)",
    "CREATE INDEX calibrations_by_issue_date ON calibrations (issue_date)",
    "CREATE UNIQUE INDEX calibrations_by_replaced ON calibrations (replaces)",
};

// Step 3: the register's own settings, the files each calibration was made from, and an
// instrument known by make, model and serial together (two makes may share a serial).
constexpr std::string_view kSettingsAndFiles[] = {
    R"(CREATE TABLE register_settings (
  name TEXT PRIMARY KEY,
  value TEXT NOT NULL))",
    R"(CREATE TABLE calibration_files (
  calibration_id BIGINT NOT NULL REFERENCES calibrations (id),
  position BIGINT NOT NULL,
  role TEXT NOT NULL,
  name TEXT NOT NULL,
  sha256 TEXT NOT NULL,
  bytes BLOB NOT NULL,
  PRIMARY KEY (calibration_id, position)))",
    "CREATE INDEX calibrations_by_instrument_identity ON calibrations "
    "(instrument_make, instrument_model, instrument_serial)",
};

// SQLite can't change a table's constraints: the instruments table is made again. Its rows go
// out and come back with their ids inside the transaction, the calibrations' references to them
// checked at its commit (defer_foreign_keys lasts until then).
constexpr std::string_view kInstrumentsRebuiltSqlite[] = {
    "PRAGMA defer_foreign_keys = ON",
    "CREATE TEMPORARY TABLE instruments_before AS SELECT id, serial, make, model FROM instruments",
    "DROP TABLE instruments",
    R"(CREATE TABLE instruments (
  id BIGINT PRIMARY KEY,
  serial TEXT NOT NULL,
  make TEXT NOT NULL,
  model TEXT NOT NULL,
  UNIQUE (make, model, serial)))",
    "INSERT INTO instruments (id, serial, make, model) "
    "SELECT id, serial, make, model FROM instruments_before",
    "DROP TABLE instruments_before",
};
constexpr std::string_view kInstrumentsRekeyedPostgres[] = {
    "ALTER TABLE instruments DROP CONSTRAINT instruments_serial_key",
    "ALTER TABLE instruments ADD CONSTRAINT instruments_make_model_serial_key "
    "UNIQUE (make, model, serial)",
};

// Step 4: the laboratory's equipment. An item is its kind and serial (one serial names at most
// one item of a kind); its records, certificates entered and its retirement, are a chain of
// their own, each number and each supersession once per item.
constexpr std::string_view kEquipmentItems =
    R"(CREATE TABLE equipment_items (
  id BIGINT PRIMARY KEY,
  kind TEXT NOT NULL,
  make TEXT NOT NULL,
  model TEXT NOT NULL,
  serial TEXT NOT NULL,
  UNIQUE (kind, serial)))";
constexpr std::string_view kEquipmentIndexes[] = {
    "CREATE UNIQUE INDEX equipment_records_by_number ON equipment_records (item_id, number)",
    "CREATE UNIQUE INDEX equipment_records_by_superseded ON equipment_records "
    "(item_id, supersedes)",
};

// Step 5: records of their own kind for a baseline's certificates (the kind column), and the
// look-up of a baseline's history.
constexpr std::string_view kBaselineIndex =
    "CREATE INDEX calibrations_by_baseline ON calibrations (kind, baseline)";

// The statements of the step to schema `version` in `dialect`: its own, then the columns it adds
// to the calibrations table, then what needs those columns.
std::vector<std::string> StepStatements(int version, std::string_view dialect) {
  std::vector<std::string> statements;
  if (version == 1) {
    statements.assign(std::begin(kTables), std::end(kTables));
    statements.push_back(CalibrationsTableSql());
  } else if (version == 2) {
    statements.assign(std::begin(kIndexes), std::end(kIndexes));
  } else if (version == 3) {
    statements.assign(std::begin(kSettingsAndFiles), std::end(kSettingsAndFiles));
    if (dialect == "postgresql") {
      statements.insert(statements.end(), std::begin(kInstrumentsRekeyedPostgres),
                        std::end(kInstrumentsRekeyedPostgres));
    } else {
      statements.insert(statements.end(), std::begin(kInstrumentsRebuiltSqlite),
                        std::end(kInstrumentsRebuiltSqlite));
    }
  } else if (version == 4) {
    statements.emplace_back(kEquipmentItems);
    statements.push_back(EquipmentRecordsTableSql());
    statements.insert(statements.end(), std::begin(kEquipmentIndexes), std::end(kEquipmentIndexes));
  }
  for (std::string& added : AddedColumnsSql(version)) {
    statements.push_back(std::move(added));
  }
  if (version == 5) {
    statements.emplace_back(kBaselineIndex);
  }
  return statements;
}

std::string InDialect(std::string_view sql, std::string_view dialect) {
  std::string text(sql);
  if (dialect == "postgresql") {
    for (std::size_t at = text.find(" BLOB "); at != std::string::npos;
         at = text.find(" BLOB ", at)) {
      text.replace(at, 6, " BYTEA ");
    }
  }
  return text;
}

std::string NewerSchemaMessage(const std::string& location, int version) {
  return "the register " + location + " was written by a newer version of Mensuro (schema " +
         std::to_string(version) + "; this version reads up to " +
         std::to_string(kRegisterSchemaVersion) + ")";
}

}  // namespace

void UpgradeRegisterSchema(Database& database, int version) {
  const int stored = database.SchemaVersion();
  if (stored >= version) {
    return;
  }
  for (int step = stored + 1; step <= version; ++step) {
    for (const std::string& sql : StepStatements(step, database.Dialect())) {
      database.Query(InDialect(sql, database.Dialect()));
    }
  }
  database.SetSchemaVersion(version);
}

void PrepareRegisterSchema(Database& database, const std::string& location) {
  int version = database.SchemaVersion();
  if (version < kRegisterSchemaVersion) {
    Transaction transaction(database, Transaction::Kind::kWrite);
    version = database.SchemaVersion();  // another program may have done it meanwhile
    if (version < kRegisterSchemaVersion) {
      UpgradeRegisterSchema(database, kRegisterSchemaVersion);
      transaction.Commit();
      return;
    }
  }
  if (version > kRegisterSchemaVersion) {
    throw RegisterError(NewerSchemaMessage(location, version));
  }
}

}  // namespace mensuro
