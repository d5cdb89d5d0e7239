#pragma once

// The register's database, SQLite or PostgreSQL, behind one small interface: statements with
// bound parameters only, rows of plain values, and a write transaction that holds the
// database's write lock from its start, so that two programs issuing at once take turns.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace mensuro {

// Bytes stored as such (BLOB in SQLite, bytea in PostgreSQL), not as text.
struct SqlBlob {
  std::string bytes;
  bool operator==(const SqlBlob&) const = default;
};

// A parameter or a column value: NULL, an integer, a real, a text (UTF-8) or bytes.
using SqlValue = std::variant<std::monostate, std::int64_t, double, std::string, SqlBlob>;
using SqlRow = std::vector<SqlValue>;

// Any failure of the database, with its own message.
class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Database {
 public:
  virtual ~Database() = default;

  // "sqlite" or "postgresql": the dialect the schema is written in.
  virtual std::string_view Dialect() const = 0;

  // Runs one statement whose parameters are written `?` and bound, in order, to `parameters`;
  // returns its rows. Column values come back as the types they were stored as (integer
  // columns as std::int64_t, real as double, text as std::string, bytes as SqlBlob).
  virtual std::vector<SqlRow> Query(std::string_view sql,
                                    const std::vector<SqlValue>& parameters = {}) = 0;

  // Starts a transaction that holds the write lock until Commit or Rollback.
  virtual void BeginWrite() = 0;
  // Starts a transaction that reads one consistent state.
  virtual void BeginRead() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;

  // The schema version stored in the database (SQLite's user_version, a one-row table on
  // PostgreSQL); 0 for a new database. Set inside a write transaction.
  virtual int SchemaVersion() = 0;
  virtual void SetSchemaVersion(int version) = 0;
};

// The environment variable naming the register when the command line or the window names none.
inline constexpr const char* kRegisterEnvironment = "MENSURO_REGISTER";

// Whether `location` names a PostgreSQL database (a postgresql:// or postgres:// URI) rather
// than an SQLite file.
bool IsPostgresLocation(std::string_view location);

// How a database is opened: to write (issuing: created when missing, put in WAL mode), or only
// to read (the audit commands: nothing created, converted or written, so that a backup on
// read-only media can be checked and checking a copy leaves its bytes as they were).
enum class DatabaseAccess { kReadWrite, kReadOnly };

// Opens the SQLite file `path`. To write: created when missing, in WAL mode with a busy timeout.
// Only to read: never created nor changed; a file or folder without write permission is read
// as it stands, with no -wal or -shm file beside it.
std::unique_ptr<Database> OpenSqliteDatabase(const std::string& path,
                                             DatabaseAccess access = DatabaseAccess::kReadWrite);

// Connects to the PostgreSQL database `uri`, giving up after kConnectTimeoutSeconds unless the
// URI sets its own connect_timeout. Credentials come from libpq's own password file and
// environment, never from the program's arguments. Only to read: every transaction is read-only.
std::unique_ptr<Database> OpenPostgresDatabase(const std::string& uri,
                                               DatabaseAccess access = DatabaseAccess::kReadWrite);

// Opens `location` with the backend it names.
std::unique_ptr<Database> OpenDatabase(const std::string& location,
                                       DatabaseAccess access = DatabaseAccess::kReadWrite);

// How long connecting to a PostgreSQL server may take before it fails.
inline constexpr int kConnectTimeoutSeconds = 10;

// The URI libpq is given for `uri`: with connect_timeout=kConnectTimeoutSeconds added unless it
// sets one, so that a server that never answers can't hang the program.
std::string WithConnectTimeout(std::string_view uri);

// A transaction rolled back unless committed: a failure or an exception on the way leaves the
// database as it was. A COMMIT that fails leaves it open, to be rolled back: a database may keep
// the transaction, and its write lock, after a failed COMMIT.
class Transaction {
 public:
  enum class Kind { kRead, kWrite };
  Transaction(Database& database, Kind kind);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();
  // Work outside the database done for this transaction, to be taken back (newest first, and
  // never throwing) when it is rolled back instead of committed.
  void OnRollback(std::function<void()> takeBack);
  // Work to do once the transaction has committed (never throwing).
  void OnCommit(std::function<void()> then);

 private:
  Database& database_;
  bool open_ = true;
  std::vector<std::function<void()>> takeBacks_;
  std::vector<std::function<void()>> thens_;
};

}  // namespace mensuro
