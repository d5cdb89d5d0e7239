#include "register/database.h"

namespace mensuro {

bool IsPostgresLocation(std::string_view location) {
  return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

#ifndef MENSURO_REGISTER_POSTGRES
std::unique_ptr<Database> OpenPostgresDatabase(const std::string& /*uri*/) {
  throw DatabaseError("this build of Mensuro has no PostgreSQL client");
}
#endif

std::unique_ptr<Database> OpenDatabase(const std::string& location) {
  return IsPostgresLocation(location) ? OpenPostgresDatabase(location)
                                      : OpenSqliteDatabase(location);
}

Transaction::Transaction(Database& database, Kind kind) : database_(database) {
  if (kind == Kind::kWrite) {
    database_.BeginWrite();
  } else {
    database_.BeginRead();
  }
}

Transaction::~Transaction() {
  if (open_) {
    try {
      database_.Rollback();
    } catch (const DatabaseError&) {
      // A connection that failed has already lost its transaction.
    }
  }
}

void Transaction::Commit() {
  open_ = false;  // a failed commit is not rolled back a second time
  database_.Commit();
}

}  // namespace mensuro
