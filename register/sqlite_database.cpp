// The register's database in an SQLite file, through SQLite's C interface.

#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <system_error>
#include <thread>

#include "core/data/file_names.h"
#include "register/database.h"

namespace mensuro {
namespace {

// How long a statement waits for another program's write lock before it fails.
constexpr int kBusyTimeoutMs = 30000;
// BEGIN IMMEDIATE, and the switch to WAL, are tried this many times when they find the
// database busy.
constexpr int kBusyAttempts = 10;

struct ConnectionClose {
  void operator()(sqlite3* connection) const { sqlite3_close_v2(connection); }
};
struct StatementFinalize {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Connection = std::unique_ptr<sqlite3, ConnectionClose>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalize>;

// Whether the file at `path`, or its folder, has no write permission for anyone: a copy kept
// read-only, or on read-only media.
bool WriteProtected(const std::string& path) {
  using std::filesystem::perms;
  const perms writable = perms::owner_write | perms::group_write | perms::others_write;
  const std::filesystem::path file = std::filesystem::absolute(PathFromUtf8(path));
  std::error_code status;
  const perms own = std::filesystem::status(file, status).permissions();
  const perms folder = std::filesystem::status(file.parent_path(), status).permissions();
  return (own & writable) == perms::none || (folder & writable) == perms::none;
}

// `path` as an SQLite URI that reads the file as it stands: no locks, no -wal or -shm file.
std::string ImmutableUri(const std::string& path) {
  const std::u8string generic = std::filesystem::absolute(PathFromUtf8(path)).generic_u8string();
  std::string name(generic.begin(), generic.end());
  if (!name.starts_with('/')) {
    name.insert(0, "/");  // C:/x is file:/C:/x
  }
  std::string uri = "file:";
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= '0' && byte <= '9') || std::string_view("/-._~:").find(c) != std::string::npos) {
      uri += c;
    } else {
      constexpr char kHex[] = "0123456789ABCDEF";
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 0xf];
    }
  }
  return uri + "?immutable=1";
}

// Runs `work` again, a little later each time, while it fails with `connection` busy.
template <typename Work>
auto WithBusyRetries(sqlite3* connection, Work&& work) {
  for (int attempt = 1;; ++attempt) {
    try {
      return work();
    } catch (const DatabaseError&) {
      if ((sqlite3_errcode(connection) & 0xff) != SQLITE_BUSY || attempt == kBusyAttempts) {
        throw;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50 * attempt));
  }
}

class SqliteDatabase final : public Database {
 public:
  SqliteDatabase(std::string path, DatabaseAccess access) : path_(std::move(path)) {
    if (access == DatabaseAccess::kReadWrite) {
      Connect(path_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
      const std::vector<SqlRow> mode = WithBusyRetries(connection_.get(), [this] {
        // Switching a new file to WAL takes its lock without the busy handler: two programs
        // opening a new register at once may find it busy.
        return Query("PRAGMA journal_mode = WAL", {});
      });
      if (mode.empty() || mode[0].empty() || mode[0][0] != SqlValue{std::string("wal")}) {
        throw DatabaseError(path_ + ": the database can't be put in WAL mode");
      }
      Query("PRAGMA foreign_keys = ON", {});
      return;
    }
    // Reading a register that may be written meanwhile takes SQLite's shared memory beside it
    // (a WAL database needs it). A write-protected copy has no writer: it is read as it stands,
    // which needs nothing beside it and so works on read-only media too.
    if (!WriteProtected(path_)) {
      Connect(path_, SQLITE_OPEN_READONLY);
      try {
        Query("PRAGMA user_version", {});  // the first read opens the WAL, or fails to
        return;
      } catch (const DatabaseError&) {
        // No shared memory can be made beside it (read-only media): read it as it stands.
        const int status = sqlite3_errcode(connection_.get()) & 0xff;
        if (status != SQLITE_CANTOPEN && status != SQLITE_READONLY) {
          throw;
        }
      }
    }
    Connect(ImmutableUri(path_), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
  }

  std::string_view Dialect() const override { return "sqlite"; }

  std::vector<SqlRow> Query(std::string_view sql,
                            const std::vector<SqlValue>& parameters) override {
    sqlite3_stmt* prepared = nullptr;
    Check(sqlite3_prepare_v2(connection_.get(), sql.data(), static_cast<int>(sql.size()), &prepared,
                             nullptr));
    const Statement statement(prepared);
    if (statement == nullptr) {
      return {};  // nothing but white space and comments
    }
    for (std::size_t i = 0; i < parameters.size(); ++i) {
      Check(Bind(statement.get(), static_cast<int>(i) + 1, parameters[i]));
    }
    std::vector<SqlRow> rows;
    for (;;) {
      const int status = sqlite3_step(statement.get());
      if (status == SQLITE_DONE) {
        return rows;
      }
      if (status != SQLITE_ROW) {
        Check(status);
      }
      rows.push_back(ReadRow(statement.get()));
    }
  }

  void BeginWrite() override {
    // The busy handler waits for the lock; in the rare cases SQLite skips it, try again.
    WithBusyRetries(connection_.get(), [this] {
      Check(sqlite3_exec(connection_.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
      return 0;
    });
  }
  void BeginRead() override { Query("BEGIN DEFERRED", {}); }
  void Commit() override { Query("COMMIT", {}); }
  void Rollback() override {
    if (sqlite3_get_autocommit(connection_.get()) == 0) {
      Query("ROLLBACK", {});
    }
  }

  int SchemaVersion() override {
    const std::vector<SqlRow> rows = Query("PRAGMA user_version", {});
    return static_cast<int>(std::get<std::int64_t>(rows.at(0).at(0)));
  }
  void SetSchemaVersion(int version) override {
    // A pragma takes no parameters; the version is a number of ours.
    Query("PRAGMA user_version = " + std::to_string(version), {});
  }

 private:
  void Connect(const std::string& name, int flags) {
    sqlite3* opened = nullptr;
    const int status = sqlite3_open_v2(name.c_str(), &opened, flags, nullptr);
    connection_.reset(opened);
    if (status != SQLITE_OK) {
      throw DatabaseError(path_ + ": " +
                          (opened != nullptr ? sqlite3_errmsg(opened) : sqlite3_errstr(status)));
    }
    sqlite3_extended_result_codes(connection_.get(), 1);
    sqlite3_busy_timeout(connection_.get(), kBusyTimeoutMs);
  }

  void Check(int status) const {
    if (status != SQLITE_OK) {
      throw DatabaseError(path_ + ": " + sqlite3_errmsg(connection_.get()));
    }
  }

  static int Bind(sqlite3_stmt* statement, int index, const SqlValue& value) {
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
      return sqlite3_bind_int64(statement, index, *integer);
    }
    if (const auto* real = std::get_if<double>(&value)) {
      return sqlite3_bind_double(statement, index, *real);
    }
    // A std::string's data() is never null, so an empty text or blob is not bound as NULL.
    if (const auto* text = std::get_if<std::string>(&value)) {
      return sqlite3_bind_text64(statement, index, text->data(), text->size(), SQLITE_TRANSIENT,
                                 SQLITE_UTF8);
    }
    if (const auto* blob = std::get_if<SqlBlob>(&value)) {
      return sqlite3_bind_blob64(statement, index, blob->bytes.data(), blob->bytes.size(),
                                 SQLITE_TRANSIENT);
    }
    return sqlite3_bind_null(statement, index);
  }

  static SqlRow ReadRow(sqlite3_stmt* statement) {
    const int columns = sqlite3_column_count(statement);
    SqlRow row;
    row.reserve(static_cast<std::size_t>(columns));
    for (int i = 0; i < columns; ++i) {
      switch (sqlite3_column_type(statement, i)) {
        case SQLITE_INTEGER:
          row.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(statement, i)));
          break;
        case SQLITE_FLOAT:
          row.emplace_back(sqlite3_column_double(statement, i));
          break;
        case SQLITE_TEXT: {
          const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
          row.emplace_back(
              std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, i))));
          break;
        }
        case SQLITE_BLOB: {
          const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, i));
          const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement, i));
          row.emplace_back(SqlBlob{size == 0 ? std::string() : std::string(bytes, size)});
          break;
        }
        default:
          row.emplace_back(std::monostate{});
      }
    }
    return row;
  }

  std::string path_;
  Connection connection_;
};

}  // namespace

std::unique_ptr<Database> OpenSqliteDatabase(const std::string& path, DatabaseAccess access) {
  return std::make_unique<SqliteDatabase>(path, access);
}

}  // namespace mensuro
