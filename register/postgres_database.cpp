// The register's database on PostgreSQL, through libpq: statements sent with their parameters
// apart (never spliced into the text), results read as text and converted by column type.

#include <libpq-fe.h>

#include <boost/dll/shared_library.hpp>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>
#include <vector>

#include "register/database.h"

namespace mensuro {
namespace {

// libpq, loaded when a PostgreSQL register is opened rather than linked: the command line's
// other runs then never load it, nor the libraries it brings (TLS, Kerberos, LDAP), and a
// machine without it still works with SQLite registers.
struct LibPq {
  boost::dll::shared_library library;
  decltype(&::PQconnectdb) connectdb = nullptr;
  decltype(&::PQstatus) status = nullptr;
  decltype(&::PQerrorMessage) errorMessage = nullptr;
  decltype(&::PQfinish) finish = nullptr;
  decltype(&::PQsetNoticeProcessor) setNoticeProcessor = nullptr;
  decltype(&::PQsetClientEncoding) setClientEncoding = nullptr;
  decltype(&::PQexec) exec = nullptr;
  decltype(&::PQexecParams) execParams = nullptr;
  decltype(&::PQresultStatus) resultStatus = nullptr;
  decltype(&::PQresultErrorMessage) resultErrorMessage = nullptr;
  decltype(&::PQcmdStatus) cmdStatus = nullptr;
  decltype(&::PQntuples) ntuples = nullptr;
  decltype(&::PQnfields) nfields = nullptr;
  decltype(&::PQftype) ftype = nullptr;
  decltype(&::PQgetisnull) getisnull = nullptr;
  decltype(&::PQgetvalue) getvalue = nullptr;
  decltype(&::PQgetlength) getlength = nullptr;
  decltype(&::PQunescapeBytea) unescapeBytea = nullptr;
  decltype(&::PQfreemem) freemem = nullptr;
  decltype(&::PQclear) clear = nullptr;
};

#ifdef _WIN32
constexpr const char* kLibPqName = "libpq.dll";
// Where it comes from, for the message when it can't be loaded.
constexpr const char* kLibPqSource = "installed beside the programs, with libssl and libcrypto";
#else
constexpr const char* kLibPqName = "libpq.so.5";
constexpr const char* kLibPqSource = "Debian package libpq5";
#endif

std::shared_ptr<const LibPq> LoadLibPq() {
  auto pq = std::make_shared<LibPq>();
  std::error_code status;
  pq->library.load(kLibPqName, boost::dll::load_mode::search_system_folders, status);
  if (status) {
    throw DatabaseError(std::string("cannot load PostgreSQL's client library ") + kLibPqName +
                        " (" + kLibPqSource + "): " + status.message());
  }
  const auto bind = [&pq](auto& function, const char* name) {
    if (!pq->library.has(name)) {
      throw DatabaseError(std::string("PostgreSQL's client library lacks ") + name);
    }
    function =
        &pq->library.get<std::remove_pointer_t<std::remove_reference_t<decltype(function)>>>(name);
  };
  bind(pq->connectdb, "PQconnectdb");
  bind(pq->status, "PQstatus");
  bind(pq->errorMessage, "PQerrorMessage");
  bind(pq->finish, "PQfinish");
  bind(pq->setNoticeProcessor, "PQsetNoticeProcessor");
  bind(pq->setClientEncoding, "PQsetClientEncoding");
  bind(pq->exec, "PQexec");
  bind(pq->execParams, "PQexecParams");
  bind(pq->resultStatus, "PQresultStatus");
  bind(pq->resultErrorMessage, "PQresultErrorMessage");
  bind(pq->cmdStatus, "PQcmdStatus");
  bind(pq->ntuples, "PQntuples");
  bind(pq->nfields, "PQnfields");
  bind(pq->ftype, "PQftype");
  bind(pq->getisnull, "PQgetisnull");
  bind(pq->getvalue, "PQgetvalue");
  bind(pq->getlength, "PQgetlength");
  bind(pq->unescapeBytea, "PQunescapeBytea");
  bind(pq->freemem, "PQfreemem");
  bind(pq->clear, "PQclear");
  return pq;
}

struct ConnectionCloser {
  const LibPq* pq = nullptr;
  void operator()(PGconn* connection) const { pq->finish(connection); }
};
struct ResultClearer {
  const LibPq* pq = nullptr;
  void operator()(PGresult* result) const { pq->clear(result); }
};
struct MemoryFreer {
  const LibPq* pq = nullptr;
  void operator()(unsigned char* memory) const { pq->freemem(memory); }
};
using Connection = std::unique_ptr<PGconn, ConnectionCloser>;
using Result = std::unique_ptr<PGresult, ResultClearer>;

// Type OIDs of the built-in types (pg_type.dat); they never change.
constexpr Oid kUnknownOid = 0;
constexpr Oid kByteaOid = 17;
constexpr Oid kInt8Oid = 20;
constexpr Oid kInt2Oid = 21;
constexpr Oid kInt4Oid = 23;
constexpr Oid kFloat4Oid = 700;
constexpr Oid kFloat8Oid = 701;
constexpr Oid kNumericOid = 1700;

// The advisory lock every write transaction takes: "mensuro" in ASCII.
constexpr std::int64_t kWriteLockKey = 0x6d656e7375726f;

// libpq's messages end in a line feed.
std::string Trimmed(std::string_view message) {
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
    message.remove_suffix(1);
  }
  return std::string(message);
}

// The URI as a message may show it: a password in the user part or in a `password=` parameter
// is left out.
std::string WithoutPassword(std::string_view uri) {
  std::string shown(uri);
  const std::size_t scheme = shown.find("://");
  if (scheme != std::string::npos) {
    const std::size_t start = scheme + 3;
    const std::size_t end = std::min(shown.find_first_of("/?", start), shown.size());
    const std::size_t at = shown.rfind('@', end == 0 ? 0 : end - 1);
    if (at != std::string::npos && at >= start) {
      const std::size_t colon = shown.find(':', start);
      if (colon < at) {
        shown.erase(colon, at - colon);
      }
    }
  }
  const std::size_t query = shown.find('?');
  if (query == std::string::npos) {
    return shown;
  }
  std::string kept = shown.substr(0, query + 1);
  std::string_view rest = std::string_view(shown).substr(query + 1);
  bool first = true;
  while (!rest.empty()) {
    const std::size_t amp = rest.find('&');
    const std::string_view parameter = rest.substr(0, amp);
    rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
    if (parameter.starts_with("password=")) {
      continue;
    }
    if (!first) {
      kept += '&';
    }
    kept += parameter;
    first = false;
  }
  if (first) {
    kept.pop_back();  // no parameter left: no '?'
  }
  return kept;
}

bool IsIdentifierChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// The statement with its `?` placeholders numbered `$1, $2, ...` as PostgreSQL writes them;
// a `?` inside a string literal, a quoted identifier or a comment is text and stays.
std::string NumberedPlaceholders(std::string_view sql, std::size_t& count) {
  std::string out;
  out.reserve(sql.size() + 16);
  count = 0;
  std::size_t i = 0;
  // Copies up to and including the first `close` from `from`, or to the end.
  const auto copy_through = [&](std::size_t from, std::string_view close) {
    const std::size_t end = sql.find(close, from);
    const std::size_t stop = end == std::string_view::npos ? sql.size() : end + close.size();
    out.append(sql.substr(i, stop - i));
    i = stop;
  };
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == '?') {
      out += '$';
      out += std::to_string(++count);
      ++i;
    } else if (c == '\'') {
      // E'...' takes backslash escapes; elsewhere a doubled quote is two literals in a row.
      const bool escapes = i > 0 && (sql[i - 1] == 'E' || sql[i - 1] == 'e') &&
                           (i < 2 || !IsIdentifierChar(sql[i - 2]));
      std::size_t j = i + 1;
      while (j < sql.size() && sql[j] != '\'') {
        j += escapes && sql[j] == '\\' ? 2 : 1;
      }
      const std::size_t stop = std::min(j + 1, sql.size());
      out.append(sql.substr(i, stop - i));
      i = stop;
    } else if (c == '"') {
      copy_through(i + 1, "\"");
    } else if (sql.substr(i).starts_with("--")) {
      copy_through(i + 2, "\n");
    } else if (sql.substr(i).starts_with("/*")) {
      copy_through(i + 2, "*/");
    } else if (c == '$' && (i == 0 || !IsIdentifierChar(sql[i - 1]))) {
      // A dollar-quoted string $tag$...$tag$ (a tag never starts with a digit: $1 is a
      // parameter).
      std::size_t j = i + 1;
      while (j < sql.size() && IsIdentifierChar(sql[j]) &&
             !(j == i + 1 && sql[j] >= '0' && sql[j] <= '9')) {
        ++j;
      }
      if (j < sql.size() && sql[j] == '$') {
        const std::string_view tag = sql.substr(i, j + 1 - i);
        out.append(tag);
        i = j + 1;
        copy_through(i, tag);
      } else {
        out += c;
        ++i;
      }
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

// A column's text as the value its type gives.
SqlValue ColumnValue(const LibPq& pq, const PGresult* result, int row, int column) {
  if (pq.getisnull(result, row, column)) {
    return std::monostate{};
  }
  const char* text = pq.getvalue(result, row, column);
  const std::size_t length = static_cast<std::size_t>(pq.getlength(result, row, column));
  const char* const end = text + length;
  switch (pq.ftype(result, column)) {
    case kInt2Oid:
    case kInt4Oid:
    case kInt8Oid: {
      std::int64_t value = 0;
      const auto [stop, error] = std::from_chars(text, end, value);
      if (error != std::errc() || stop != end) {
        throw DatabaseError("PostgreSQL gave an integer that is none: " +
                            std::string(text, length));
      }
      return value;
    }
    case kFloat4Oid:
    case kFloat8Oid:
    case kNumericOid: {
      double value = 0.0;
      const auto [stop, error] = std::from_chars(text, end, value);
      if (error != std::errc() || stop != end) {
        throw DatabaseError("PostgreSQL gave a number that is none: " + std::string(text, length));
      }
      return value;
    }
    case kByteaOid: {
      std::size_t size = 0;
      const std::unique_ptr<unsigned char, MemoryFreer> bytes(
          pq.unescapeBytea(reinterpret_cast<const unsigned char*>(text), &size), MemoryFreer{&pq});
      if (!bytes) {
        throw DatabaseError("out of memory reading bytes from PostgreSQL");
      }
      return SqlBlob{std::string(reinterpret_cast<const char*>(bytes.get()), size)};
    }
    default:
      return std::string(text, length);
  }
}

class PostgresDatabase final : public Database {
 public:
  PostgresDatabase(std::shared_ptr<const LibPq> pq, Connection connection)
      : pq_(std::move(pq)), connection_(std::move(connection)) {}

  std::string_view Dialect() const override { return "postgresql"; }

  std::vector<SqlRow> Query(std::string_view sql,
                            const std::vector<SqlValue>& parameters = {}) override {
    std::size_t placeholders = 0;
    const std::string statement = NumberedPlaceholders(sql, placeholders);
    if (placeholders != parameters.size()) {
      throw DatabaseError("the statement has " + std::to_string(placeholders) +
                          " parameters and was given " + std::to_string(parameters.size()));
    }
    // Integers and reals go typed, so that an expression such as `? + 1` keeps 64 bits; a
    // text goes untyped and takes the type its place in the statement asks for.
    const std::size_t n = parameters.size();
    std::vector<std::string> texts(n);
    std::vector<Oid> types(n, kUnknownOid);
    std::vector<const char*> values(n, nullptr);
    std::vector<int> lengths(n, 0);
    std::vector<int> formats(n, 0);
    for (std::size_t k = 0; k < n; ++k) {
      const SqlValue& parameter = parameters[k];
      if (const auto* integer = std::get_if<std::int64_t>(&parameter)) {
        texts[k] = std::to_string(*integer);
        types[k] = kInt8Oid;
      } else if (const auto* real = std::get_if<double>(&parameter)) {
        char buffer[32];
        const auto written = std::to_chars(buffer, buffer + sizeof buffer, *real);
        texts[k].assign(buffer, written.ptr);
        types[k] = kFloat8Oid;
      } else if (const auto* text = std::get_if<std::string>(&parameter)) {
        texts[k] = *text;
      } else if (const auto* blob = std::get_if<SqlBlob>(&parameter)) {
        values[k] = blob->bytes.data();
        lengths[k] = static_cast<int>(blob->bytes.size());
        formats[k] = 1;
        types[k] = kByteaOid;
        continue;
      } else {
        continue;  // NULL
      }
      values[k] = texts[k].c_str();
    }
    const Result result(
        pq_->execParams(connection_.get(), statement.c_str(), static_cast<int>(n), types.data(),
                        values.data(), lengths.data(), formats.data(), 0),
        ResultClearer{pq_.get()});
    const ExecStatusType status = pq_->resultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_EMPTY_QUERY) {
      throw DatabaseError(Trimmed(result ? pq_->resultErrorMessage(result.get())
                                         : pq_->errorMessage(connection_.get())));
    }
    std::vector<SqlRow> rows;
    const int row_count = pq_->ntuples(result.get());
    const int column_count = pq_->nfields(result.get());
    rows.reserve(static_cast<std::size_t>(row_count));
    for (int row = 0; row < row_count; ++row) {
      SqlRow& values_of_row = rows.emplace_back();
      values_of_row.reserve(static_cast<std::size_t>(column_count));
      for (int column = 0; column < column_count; ++column) {
        values_of_row.push_back(ColumnValue(*pq_, result.get(), row, column));
      }
    }
    return rows;
  }

  // Read committed, so that each statement after the lock sees what the writer before us
  // committed, whatever the server's default isolation.
  void BeginWrite() override {
    Execute("BEGIN ISOLATION LEVEL READ COMMITTED");
    try {
      Query("SELECT pg_advisory_xact_lock(?)", {kWriteLockKey});
    } catch (const DatabaseError&) {
      Execute("ROLLBACK");
      throw;
    }
  }

  void BeginRead() override { Execute("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"); }

  // COMMIT of a transaction that a failed statement spoiled rolls it back without an error;
  // the caller must learn that nothing was stored.
  void Commit() override {
    if (Execute("COMMIT") == "ROLLBACK") {
      throw DatabaseError("the transaction failed and was rolled back");
    }
  }

  void Rollback() override { Execute("ROLLBACK"); }

  int SchemaVersion() override {
    // Read from pg_class as a table, in this statement's snapshot: to_regclass would look in
    // the session's catalog cache, which taking the advisory lock does not refresh, and so miss
    // a table that the writer before us created.
    const std::vector<SqlRow> exists = Query(
        "SELECT count(*) FROM pg_catalog.pg_class "
        "WHERE relname = 'mensuro_schema_version' AND relnamespace = "
        "current_schema()::regnamespace");
    if (exists.at(0).at(0) == SqlValue(std::int64_t{0})) {
      return 0;
    }
    const std::vector<SqlRow> rows = Query("SELECT version FROM mensuro_schema_version");
    return rows.empty() ? 0 : static_cast<int>(std::get<std::int64_t>(rows.front().front()));
  }

  // One row only: its key can take one value.
  void SetSchemaVersion(int version) override {
    Query(
        "CREATE TABLE IF NOT EXISTS mensuro_schema_version ("
        "only_row boolean PRIMARY KEY DEFAULT true CHECK (only_row), version integer NOT NULL)");
    Query(
        "INSERT INTO mensuro_schema_version (version) VALUES (?) "
        "ON CONFLICT (only_row) DO UPDATE SET version = excluded.version",
        {std::int64_t{version}});
  }

 private:
  // Runs a statement without parameters; returns its command tag ("COMMIT", "ROLLBACK", ...).
  std::string Execute(const char* sql) {
    const Result result(pq_->exec(connection_.get(), sql), ResultClearer{pq_.get()});
    if (pq_->resultStatus(result.get()) != PGRES_COMMAND_OK) {
      throw DatabaseError(Trimmed(result ? pq_->resultErrorMessage(result.get())
                                         : pq_->errorMessage(connection_.get())));
    }
    return pq_->cmdStatus(result.get());
  }

  std::shared_ptr<const LibPq> pq_;  // outlives the connection
  Connection connection_;
};

void DropNotice(void*, const char*) {}

}  // namespace

std::unique_ptr<Database> OpenPostgresDatabase(const std::string& uri, DatabaseAccess access) {
  std::shared_ptr<const LibPq> pq = LoadLibPq();
  Connection connection(pq->connectdb(WithConnectTimeout(uri).c_str()), ConnectionCloser{pq.get()});
  if (!connection || pq->status(connection.get()) != CONNECTION_OK) {
    throw DatabaseError(
        "cannot connect to the PostgreSQL database " + WithoutPassword(uri) + ": " +
        (connection ? Trimmed(pq->errorMessage(connection.get())) : "out of memory"));
  }
  pq->setNoticeProcessor(connection.get(), DropNotice, nullptr);
  if (pq->setClientEncoding(connection.get(), "UTF8") != 0) {
    throw DatabaseError("PostgreSQL refused the UTF-8 client encoding: " +
                        Trimmed(pq->errorMessage(connection.get())));
  }
  auto database = std::make_unique<PostgresDatabase>(std::move(pq), std::move(connection));
  // Servers before version 12 write a float8 shortest-exact only with the extra digits.
  database->Query("SET extra_float_digits = 3");
  if (access == DatabaseAccess::kReadOnly) {
    database->Query("SET default_transaction_read_only = on");
  }
  return database;
}

}  // namespace mensuro
