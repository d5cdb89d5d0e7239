#include "register/register_location.h"

#include "register/head_log.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>

namespace mensuro::test {
namespace {

std::string PostgresServer() {
  const char* uri = std::getenv("MENSURO_TEST_POSTGRES");
  return uri != nullptr && IsPostgresLocation(uri) ? uri : std::string();
}

// `uri` with its database name (the path after the host) set to `name`.
std::string WithDatabase(const std::string& uri, const std::string& name) {
  const std::size_t host = uri.find("://") + 3;
  const std::size_t path = uri.find('/', host);
  const std::size_t query = uri.find('?', host);
  const std::string rest = query == std::string::npos ? std::string() : uri.substr(query);
  const std::size_t hostEnd = std::min(path, query);
  return uri.substr(0, hostEnd == std::string::npos ? uri.size() : hostEnd) + "/" + name + rest;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

}  // namespace

void SetEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());  // an empty value removes it
#else
  if (value.empty()) {
    unsetenv(name);
  } else {
    setenv(name, value.c_str(), 1);
  }
#endif
}

std::vector<std::string> RegisterBackends() {
  std::vector<std::string> backends{"sqlite"};
  if (!PostgresServer().empty()) {
    backends.emplace_back("postgresql");
  }
  return backends;
}

void RegisterLocationTest::SetUp() {
  if (OnSqlite()) {
    location_ = (scratch_.path() / "register.sqlite").string();
    return;
  }
  static std::atomic<int> counter{0};
  const std::string server = PostgresServer();
  database_ = "mensuro_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
  server_ = OpenDatabase(server);
  server_->Query("DROP DATABASE IF EXISTS " + database_);
  server_->Query("CREATE DATABASE " + database_);
  location_ = WithDatabase(server, database_);
  // Issuing into PostgreSQL needs a head log: each test's own.
  SetEnvironment(kHeadLogEnvironment, (scratch_.path() / "register.heads").string());
}

void RegisterLocationTest::TearDown() {
  if (server_) {
    server_->Query("DROP DATABASE IF EXISTS " + database_ + " WITH (FORCE)");
  }
}

void RegisterLocationTest::EditBehindTheBack(const std::string& sql,
                                             const std::string& postgresSql) const {
  if (OnSqlite()) {
    ASSERT_EQ(std::system(("sqlite3 " + Quoted(location_) + " " + Quoted(sql)).c_str()), 0);
  } else {
    OpenDatabase(location_)->Query(postgresSql.empty() ? sql : postgresSql);
  }
}

}  // namespace mensuro::test
