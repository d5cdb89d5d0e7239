#pragma once

// The register's tables, written once for SQLite and PostgreSQL alike (the one difference:
// bytes are BLOB in SQLite, BYTEA in PostgreSQL), and the steps that bring a register of an
// older schema up to date.

#include "register/database.h"

namespace mensuro {

// Opens the register's schema in `database`: creates it in a new database and upgrades an
// older one step by step, each inside a write transaction, so that two programs opening a new
// register at once both find it made once. Throws RegisterError for a schema newer than
// kRegisterSchemaVersion.
void PrepareRegisterSchema(Database& database, const std::string& location);

// Applies the steps after the stored version up to `version`, in the open write transaction.
// PrepareRegisterSchema's own step; the tests use it to make a register of an older schema.
void UpgradeRegisterSchema(Database& database, int version);

}  // namespace mensuro
