#include "register/register_schema.h"

#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "register/calibration_register.h"
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

// The statements of the step to schema `version`: its own, then the columns it adds to the
// calibrations table.
std::vector<std::string> StepStatements(int version) {
  std::vector<std::string> statements;
  if (version == 1) {
    statements.assign(std::begin(kTables), std::end(kTables));
    statements.push_back(CalibrationsTableSql());
  } else if (version == 2) {
    statements.assign(std::begin(kIndexes), std::end(kIndexes));
  }
  for (std::string& added : AddedColumnsSql(version)) {
    statements.push_back(std::move(added));
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
    for (const std::string& sql : StepStatements(step)) {
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
