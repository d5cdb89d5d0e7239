#pragma once

// The register's database, SQLite or PostgreSQL, behind one small interface: statements with
// bound parameters only, rows of plain values, and a write transaction that holds the
// database's write lock from its start, so that two programs issuing at once take turns.

#include <cstdint>
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

// Opens the SQLite file `path`, creating it when missing, in WAL mode with a busy timeout.
std::unique_ptr<Database> OpenSqliteDatabase(const std::string& path);

// Connects to the PostgreSQL database `uri`. Credentials come from libpq's own password file
// and environment, never from the program's arguments.
std::unique_ptr<Database> OpenPostgresDatabase(const std::string& uri);

// Opens `location` with the backend it names.
std::unique_ptr<Database> OpenDatabase(const std::string& location);

// A transaction rolled back unless committed: a failure or an exception on the way leaves the
// database as it was.
class Transaction {
 public:
  enum class Kind { kRead, kWrite };
  Transaction(Database& database, Kind kind);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();

 private:
  Database& database_;
  bool open_ = true;
};

}  // namespace mensuro
