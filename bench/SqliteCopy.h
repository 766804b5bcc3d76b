// The SQLite side of the comparisons: the same rows as a table of the engine,
// copied into an SQLite table of text columns.
#pragma once

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/table.h"

namespace bench {

inline void exec(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s\n", message);
    std::abort();
  }
}

// Creates table `name` with the given columns and copies every record of t
// (record order) into it in one transaction.
inline void loadTable(sqlite3* db, const std::string& name, xbase::Table& t, const std::vector<const char*>& columns) {
  std::string create = "CREATE TABLE " + name + "(", insert = "INSERT INTO " + name + " VALUES(";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    create += std::string(i ? "," : "") + columns[i] + " TEXT";
    insert += i ? ",?" : "?";
  }
  exec(db, create + ")");
  exec(db, "BEGIN");
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &st, nullptr);
  std::vector<int> pos;
  for (const char* c : columns) pos.push_back(t.fieldPos(c));
  t.selectOrder(0);
  for (t.first(); !t.eof(); t.skip()) {
    for (std::size_t i = 0; i < pos.size(); ++i) {
      const std::string_view v = t.rawField(pos[i]);
      sqlite3_bind_text(st, static_cast<int>(i + 1), v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  exec(db, "COMMIT");
}

}  // namespace bench
