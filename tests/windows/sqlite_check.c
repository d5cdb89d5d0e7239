/* The cross-built SQLite at work as a Windows program: a database file in WAL mode, as the
   register keeps it, a table, a row of each kind of value bound as a parameter, read back.
   Usage: sqlite_check DATABASE-FILE; prints the SQLite version and exits 0 when all held. */

#include <stdio.h>
#include <string.h>

#include "sqlite3.h"

static int fail(sqlite3* db, const char* what) {
  fprintf(stderr, "sqlite_check: %s: %s\n", what, db ? sqlite3_errmsg(db) : "no database");
  sqlite3_close(db);
  return 1;
}

int main(int argc, char** argv) {
  static const char text[] = "it's \xc2\xb5m; \xe6\xb8\xac";
  static const unsigned char bytes[] = {0x00, 0xff, 0x00, 0x7f};
  const sqlite3_int64 integer = -9223372036854775807LL - 1;
  const double real = 0.1;
  sqlite3* db = NULL;
  sqlite3_stmt* statement = NULL;
  int ok = 0;

  if (argc != 2) {
    fprintf(stderr, "usage: sqlite_check DATABASE-FILE\n");
    return 2;
  }
  if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, NULL) !=
      SQLITE_OK) {
    return fail(db, "open");
  }
  if (sqlite3_prepare_v2(db, "PRAGMA journal_mode=WAL", -1, &statement, NULL) != SQLITE_OK ||
      sqlite3_step(statement) != SQLITE_ROW ||
      strcmp((const char*)sqlite3_column_text(statement, 0), "wal") != 0) {
    return fail(db, "WAL mode");
  }
  sqlite3_finalize(statement);
  if (sqlite3_exec(db, "CREATE TABLE t (i INTEGER, r REAL, s TEXT, b BLOB)", NULL, NULL, NULL) !=
      SQLITE_OK) {
    return fail(db, "create table");
  }
  if (sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?, ?, ?, ?)", -1, &statement, NULL) !=
          SQLITE_OK ||
      sqlite3_bind_int64(statement, 1, integer) != SQLITE_OK ||
      sqlite3_bind_double(statement, 2, real) != SQLITE_OK ||
      sqlite3_bind_text(statement, 3, text, -1, SQLITE_STATIC) != SQLITE_OK ||
      sqlite3_bind_blob(statement, 4, bytes, sizeof bytes, SQLITE_STATIC) != SQLITE_OK ||
      sqlite3_step(statement) != SQLITE_DONE) {
    return fail(db, "insert");
  }
  sqlite3_finalize(statement);
  if (sqlite3_prepare_v2(db, "SELECT i, r, s, b FROM t", -1, &statement, NULL) != SQLITE_OK ||
      sqlite3_step(statement) != SQLITE_ROW) {
    return fail(db, "select");
  }
  ok = sqlite3_column_int64(statement, 0) == integer && sqlite3_column_double(statement, 1) == real &&
       strcmp((const char*)sqlite3_column_text(statement, 2), text) == 0 &&
       sqlite3_column_bytes(statement, 3) == (int)sizeof bytes &&
       memcmp(sqlite3_column_blob(statement, 3), bytes, sizeof bytes) == 0;
  sqlite3_finalize(statement);
  if (!ok) {
    return fail(db, "the row read back differs from the row written");
  }
  if (sqlite3_close(db) != SQLITE_OK) {
    return fail(db, "close");
  }
  printf("SQLite %s works\n", sqlite3_libversion());
  return 0;
}
