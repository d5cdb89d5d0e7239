// The register's PostgreSQL backend against the tests' private server. Each test works in a
// schema of its own, so the tests may run side by side in the one database.

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <mutex>
#include <string>
#include <thread>

#include "register/database.h"

namespace mensuro {
namespace {

// The test database: MENSURO_TEST_POSTGRES, else the URI the fixture that started the server
// wrote.
std::string TestUri() {
  if (const char* uri = std::getenv("MENSURO_TEST_POSTGRES"); uri != nullptr && *uri != '\0') {
    return uri;
  }
  std::ifstream file(MENSURO_POSTGRES_URI_FILE);
  std::string uri;
  std::getline(file, uri);
  if (uri.empty()) {
    ADD_FAILURE() << "no test server: run through ctest, which starts one, or set "
                     "MENSURO_TEST_POSTGRES";
  }
  return uri;
}

// A connection working in `schema`, which `fresh` empties first.
std::unique_ptr<Database> Connect(const std::string& schema, bool fresh = false) {
  std::unique_ptr<Database> database = OpenPostgresDatabase(TestUri());
  if (fresh) {
    database->Query("DROP SCHEMA IF EXISTS " + schema + " CASCADE");
    database->Query("CREATE SCHEMA " + schema);
  }
  database->Query("SET search_path TO " + schema);
  return database;
}

std::int64_t Count(Database& database, const std::string& table) {
  return std::get<std::int64_t>(database.Query("SELECT count(*) FROM " + table).at(0).at(0));
}

TEST(postgres_database, values_come_back_as_they_were_stored) {
  const auto database = Connect("postgres_test_values", true);
  database->Query("CREATE TABLE t (k integer, i bigint, r double precision, s text, b bytea)");
  const std::string text =
      "it's \"quoted\"; DROP TABLE t; -- SELECT * FROM t WHERE 1=1 \u00b5m \u6e2c";
  const std::string bytes("\0\xff\x00\x01\\x\xfe", 7);
  const std::vector<SqlRow> stored = {
      {std::int64_t{1}, std::numeric_limits<std::int64_t>::min(), 0.1, text, SqlBlob{bytes}},
      {std::int64_t{2}, std::numeric_limits<std::int64_t>::max(), 1e-300, std::string(), SqlBlob{}},
      {std::int64_t{3}, std::monostate{}, -2.5e300, std::monostate{}, std::monostate{}},
  };
  for (const SqlRow& row : stored) {
    database->Query("INSERT INTO t VALUES (?, ?, ?, ?, ?)", row);
  }
  const std::vector<SqlRow> read = database->Query("SELECT k, i, r, s, b FROM t ORDER BY k");
  EXPECT_EQ(read, stored);
  // Equal as doubles is not enough: the very bits.
  for (std::size_t k = 0; k < stored.size(); ++k) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(std::get<double>(read.at(k).at(2))),
              std::bit_cast<std::uint64_t>(std::get<double>(stored[k][2])));
  }
  // A numeric column comes back as a real.
  EXPECT_EQ(database->Query("SELECT 12.50::numeric").at(0).at(0), SqlValue(12.5));
}

TEST(postgres_database, question_marks_in_text_are_no_parameters) {
  const auto database = Connect("postgres_test_placeholders", true);
  const std::vector<SqlRow> rows = database->Query(
      "SELECT 'why?', E'it\\'s?', $q$dollar?$q$, ? AS \"column?\" -- which?\n"
      "/* and? */",
      {std::int64_t{7}});
  const SqlRow expected = {std::string("why?"), std::string("it's?"), std::string("dollar?"),
                           std::int64_t{7}};
  EXPECT_EQ(rows, std::vector<SqlRow>{expected});
}

TEST(postgres_database, failures_are_database_errors) {
  const auto database = Connect("postgres_test_errors", true);
  try {
    database->Query("SELECT * FROM no_such_table");
    ADD_FAILURE() << "no error";
  } catch (const DatabaseError& error) {
    EXPECT_NE(std::string(error.what()).find("no_such_table"), std::string::npos) << error.what();
  }
  EXPECT_THROW(database->Query("SELECT ?, ?", {std::int64_t{1}}), DatabaseError);
}

TEST(postgres_database, a_failed_connection_names_the_location_but_no_password) {
  try {
    OpenPostgresDatabase(
        "postgresql://someone:secret1@/mensuro_test?host=/nonexistent-mensuro&password=secret2");
    ADD_FAILURE() << "connected";
  } catch (const DatabaseError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("postgresql://someone@/mensuro_test?host=/nonexistent-mensuro"),
              std::string::npos)
        << message;
    EXPECT_EQ(message.find("secret"), std::string::npos) << message;
  }
}

TEST(postgres_database, rolled_back_writes_leave_nothing) {
  const auto database = Connect("postgres_test_rollback", true);
  database->Query("CREATE TABLE t (n bigint)");

  database->BeginWrite();
  database->Query("INSERT INTO t VALUES (?)", {std::int64_t{1}});
  database->Rollback();
  EXPECT_EQ(Count(*database, "t"), 0);

  // A failed statement spoils the transaction: its commit stores nothing, and says so.
  database->BeginWrite();
  database->Query("INSERT INTO t VALUES (?)", {std::int64_t{1}});
  EXPECT_THROW(database->Query("INSERT INTO t VALUES ('not a number')"), DatabaseError);
  EXPECT_THROW(database->Commit(), DatabaseError);
  EXPECT_EQ(Count(*database, "t"), 0);
}

TEST(postgres_database, a_second_writer_waits_for_the_first_to_commit) {
  const auto first = Connect("postgres_test_writers", true);
  const auto second = Connect("postgres_test_writers");
  first->Query("CREATE TABLE t (n bigint)");
  const SqlValue second_pid = second->Query("SELECT pg_backend_pid()").at(0).at(0);

  first->BeginWrite();
  first->Query("INSERT INTO t VALUES (1)");

  std::mutex mutex;
  std::condition_variable changed;
  bool started = false;
  std::atomic<bool> second_began = false;
  std::int64_t seen_by_second = -1;
  std::string second_error;
  std::thread writer([&] {
    {
      const std::lock_guard lock(mutex);
      started = true;
    }
    changed.notify_one();
    try {
      second->BeginWrite();
      second_began = true;
      seen_by_second = Count(*second, "t");
      second->Query("INSERT INTO t VALUES (2)");
      second->Commit();
    } catch (const DatabaseError& error) {
      second_error = error.what();
    }
  });
  {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return started; });
  }
  // The second writer's lock request shows, ungranted, in the server's lock table.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  bool waiting = false;
  while (!waiting && !second_began && std::chrono::steady_clock::now() < deadline) {
    waiting =
        std::get<std::int64_t>(
            first
                ->Query("SELECT count(*) FROM pg_locks WHERE pid = ? AND locktype = 'advisory' "
                        "AND NOT granted",
                        {second_pid})
                .at(0)
                .at(0)) == 1;
    if (!waiting) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  EXPECT_TRUE(waiting);
  EXPECT_FALSE(second_began);
  first->Commit();
  writer.join();

  EXPECT_EQ(second_error, "");
  EXPECT_EQ(seen_by_second, 1);
  EXPECT_EQ(Count(*first, "t"), 2);
}

TEST(postgres_database, schema_version_is_stored) {
  const auto database = Connect("postgres_test_schema_version", true);
  EXPECT_EQ(database->SchemaVersion(), 0);
  database->BeginWrite();
  database->SetSchemaVersion(3);
  database->Commit();
  database->BeginWrite();
  database->SetSchemaVersion(4);
  database->Commit();

  const auto other = Connect("postgres_test_schema_version");
  other->BeginRead();
  EXPECT_EQ(other->SchemaVersion(), 4);
  EXPECT_EQ(Count(*other, "mensuro_schema_version"), 1);
  other->Commit();
}

}  // namespace
}  // namespace mensuro
