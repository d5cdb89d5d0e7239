// A transaction whose COMMIT fails is rolled back, so that a long-lived connection doesn't keep
// the write lock, and what was done for it outside the database is taken back.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "register/database.h"
#include "support/temp_dir.h"

namespace mensuro {
namespace {

// A database that only counts, and whose COMMIT fails as on a full disk.
class FullDisk final : public Database {
 public:
  std::string_view Dialect() const override { return "sqlite"; }
  std::vector<SqlRow> Query(std::string_view, const std::vector<SqlValue>&) override { return {}; }
  void BeginWrite() override { ++begun; }
  void BeginRead() override { ++begun; }
  void Commit() override { throw DatabaseError("database or disk is full"); }
  void Rollback() override { ++rolledBack; }
  int SchemaVersion() override { return 0; }
  void SetSchemaVersion(int) override {}

  int begun = 0;
  int rolledBack = 0;
};

TEST(transaction, a_failed_commit_is_rolled_back_and_its_outside_work_taken_back) {
  FullDisk database;
  std::vector<std::string> takenBack;
  {
    Transaction transaction(database, Transaction::Kind::kWrite);
    transaction.OnRollback([&] { takenBack.push_back("first"); });
    transaction.OnRollback([&] { takenBack.push_back("second"); });
    try {
      transaction.Commit();
      ADD_FAILURE() << "committed";
    } catch (const DatabaseError& error) {
      EXPECT_STREQ(error.what(), "database or disk is full");
    }
  }
  EXPECT_EQ(database.begun, 1);
  EXPECT_EQ(database.rolledBack, 1);
  EXPECT_EQ(takenBack, (std::vector<std::string>{"second", "first"}));
}

TEST(transaction, a_commit_refused_by_sqlite_leaves_the_connection_free_to_write) {
  const test::TempDir dir;
  const std::unique_ptr<Database> database = OpenSqliteDatabase((dir.path() / "t.sqlite").string());
  database->Query("CREATE TABLE parent (id INTEGER PRIMARY KEY)");
  database->Query(
      "CREATE TABLE child (parent INTEGER REFERENCES parent (id) DEFERRABLE INITIALLY DEFERRED)");
  bool takenBack = false;
  {
    Transaction transaction(*database, Transaction::Kind::kWrite);
    transaction.OnRollback([&] { takenBack = true; });
    // Checked only at COMMIT, which then fails and leaves SQLite's transaction open.
    database->Query("INSERT INTO child (parent) VALUES (7)");
    EXPECT_THROW(transaction.Commit(), DatabaseError);
  }
  EXPECT_TRUE(takenBack);
  // No transaction is left open holding the write lock: a new one starts.
  EXPECT_NO_THROW(Transaction(*database, Transaction::Kind::kWrite).Commit());
  EXPECT_TRUE(database->Query("SELECT * FROM child").empty());
}

TEST(transaction, a_committed_one_is_not_taken_back) {
  const test::TempDir dir;
  const std::unique_ptr<Database> sqlite = OpenSqliteDatabase((dir.path() / "t.sqlite").string());
  bool takenBack = false;
  {
    Transaction transaction(*sqlite, Transaction::Kind::kWrite);
    transaction.OnRollback([&] { takenBack = true; });
    transaction.Commit();
  }
  EXPECT_FALSE(takenBack);
}

}  // namespace
}  // namespace mensuro
