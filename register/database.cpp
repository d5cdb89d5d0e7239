#include "register/database.h"

#include <string>

namespace mensuro {

bool IsPostgresLocation(std::string_view location) {
  return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

#ifndef MENSURO_REGISTER_POSTGRES
std::unique_ptr<Database> OpenPostgresDatabase(const std::string& /*uri*/,
                                               DatabaseAccess /*access*/) {
  throw DatabaseError("this build of Mensuro has no PostgreSQL client");
}
#endif

std::unique_ptr<Database> OpenDatabase(const std::string& location, DatabaseAccess access) {
  return IsPostgresLocation(location) ? OpenPostgresDatabase(location, access)
                                      : OpenSqliteDatabase(location, access);
}

std::string WithConnectTimeout(std::string_view uri) {
  const std::size_t query = uri.find('?');
  if (query != std::string_view::npos) {
    // A parameter of the query: after the '?' or an '&'.
    for (std::size_t at = uri.find("connect_timeout=", query); at != std::string_view::npos;
         at = uri.find("connect_timeout=", at + 1)) {
      if (uri[at - 1] == '?' || uri[at - 1] == '&') {
        return std::string(uri);
      }
    }
  }
  const char* separator =
      query == std::string_view::npos ? "?" : (uri.ends_with('?') || uri.ends_with('&') ? "" : "&");
  return std::string(uri) + separator + "connect_timeout=" + std::to_string(kConnectTimeoutSeconds);
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
    // Taken back before the lock is let go, so the next writer never sees it.
    for (auto takeBack = takeBacks_.rbegin(); takeBack != takeBacks_.rend(); ++takeBack) {
      (*takeBack)();
    }
    try {
      database_.Rollback();
    } catch (const DatabaseError&) {
      // A connection that failed has already lost its transaction.
    }
  }
}

void Transaction::Commit() {
  database_.Commit();
  open_ = false;  // only now: after a failed COMMIT the destructor rolls back, freeing the lock
  for (const std::function<void()>& then : thens_) {
    then();
  }
}

void Transaction::OnCommit(std::function<void()> then) {
  thens_.push_back(std::move(then));
}

void Transaction::OnRollback(std::function<void()> takeBack) {
  takeBacks_.push_back(std::move(takeBack));
}

}  // namespace mensuro
