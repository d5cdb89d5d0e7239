#pragma once

// Where a register test keeps its register: a fresh SQLite file, or, when the environment
// variable MENSURO_TEST_POSTGRES holds a postgresql:// URI, a fresh database on that server.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "register/database.h"
#include "support/temp_dir.h"

namespace mensuro::test {

// Sets the environment variable `name` to `value`; an empty value removes it.
void SetEnvironment(const char* name, const std::string& value);

// The backends to run the register's tests on: "sqlite", and "postgresql" when a server is
// given.
std::vector<std::string> RegisterBackends();

// A test run once per backend, each with a location of its own.
class RegisterLocationTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override;
  void TearDown() override;

  bool OnSqlite() const { return GetParam() == "sqlite"; }
  const std::string& Location() const { return location_; }
  const TempDir& Scratch() const { return scratch_; }

  // Runs `sql` on the register behind the program's back: with the sqlite3 command-line
  // program on an SQLite file, over a connection of its own on PostgreSQL (`postgresSql` when
  // the dialects differ).
  void EditBehindTheBack(const std::string& sql, const std::string& postgresSql = {}) const;

 private:
  TempDir scratch_;
  std::string location_;
  std::unique_ptr<Database> server_;  // PostgreSQL: the connection that makes the database
  std::string database_;
};

}  // namespace mensuro::test
