#include "register/register_schema.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "register/calibration_register.h"

namespace mensuro {
namespace {

// Step 1: the tables. Ids are given by the program (the largest plus one, inside the write
// transaction), so the same statements hold for both databases.
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
    R"(CREATE TABLE calibrations (
  id BIGINT PRIMARY KEY,
  number TEXT NOT NULL UNIQUE,
  prefix TEXT NOT NULL,
  year BIGINT NOT NULL,
  sequence BIGINT NOT NULL,
  issue_date TEXT NOT NULL,
  issued_at TEXT NOT NULL,
  laboratory_id BIGINT REFERENCES laboratories (id),
  client_id BIGINT REFERENCES clients (id),
  instrument_id BIGINT REFERENCES instruments (id),
  reflector_id BIGINT REFERENCES reflectors (id),
  laboratory_name TEXT NOT NULL,
  laboratory_address TEXT NOT NULL,
  laboratory_accreditation TEXT NOT NULL,
  laboratory_logo_file TEXT NOT NULL,
  client_name TEXT NOT NULL,
  client_address TEXT NOT NULL,
  instrument_make TEXT NOT NULL,
  instrument_model TEXT NOT NULL,
  instrument_serial TEXT NOT NULL,
  reflector_make TEXT NOT NULL,
  reflector_model TEXT NOT NULL,
  prism_constant_mm DOUBLE PRECISION,
  measured_by TEXT NOT NULL,
  checked_by TEXT NOT NULL,
  baseline_certificate TEXT NOT NULL,
  baseline TEXT NOT NULL,
  measured_text TEXT NOT NULL,
  measured_sha256 TEXT NOT NULL,
  published_text TEXT NOT NULL,
  published_sha256 TEXT NOT NULL,
  conditions_json TEXT NOT NULL,
  exclusions_json TEXT NOT NULL,
  accepted_warnings_json TEXT NOT NULL,
  results_json TEXT NOT NULL,
  scale_ppm DOUBLE PRECISION NOT NULL,
  scale_uncertainty_ppm DOUBLE PRECISION NOT NULL,
  constant_m DOUBLE PRECISION NOT NULL,
  constant_uncertainty_m DOUBLE PRECISION NOT NULL,
  program_version TEXT NOT NULL,
  pdf BLOB NOT NULL,
  pdf_sha256 TEXT NOT NULL,
  replaces TEXT REFERENCES calibrations (number),
  previous_sha256 TEXT NOT NULL,
  record_sha256 TEXT NOT NULL,
  UNIQUE (prefix, year, sequence)))",
};

// Step 2: the indexes that an instrument's history, the list's filters and the look-up of a
// replacement use; a certificate is replaced at most once.
constexpr std::string_view kIndexes[] = {
    "CREATE INDEX calibrations_by_instrument ON calibrations (instrument_serial, issue_date)",
    "CREATE INDEX calibrations_by_client ON calibrations (client_name)",
    "CREATE INDEX calibrations_by_issue_date ON calibrations (issue_date)",
    "CREATE UNIQUE INDEX calibrations_by_replaced ON calibrations (replaces)",
};

struct Step {
  const std::string_view* begin;
  const std::string_view* end;
};
const std::array<Step, kRegisterSchemaVersion> kSteps = {
    Step{std::begin(kTables), std::end(kTables)},
    Step{std::begin(kIndexes), std::end(kIndexes)},
};

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
  for (int step = stored; step < version; ++step) {
    for (const std::string_view* sql = kSteps[step].begin; sql != kSteps[step].end; ++sql) {
      database.Query(InDialect(*sql, database.Dialect()));
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
