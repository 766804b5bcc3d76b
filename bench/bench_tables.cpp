// Table engine benchmarks on the synthetic full-scale database, each measured
// against SQLite doing the same work on the same rows.
//
//   build/bench/bench_tables                       (makes the database once in /tmp)
//   ORVALE_BENCH_DB=START_DIR build/bench/bench_tables   (a start folder made by orvale makedb --synthetic)
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "SqliteCopy.h"
#include "SyntheticDatabase.h"
#include "talvex/db/IndexFiles.h"
#include "xbase/fts.h"
#include "xbase/table.h"

namespace fs = std::filesystem;
using namespace talvex::db;

namespace {

const fs::path databaseFolder() { return bench::syntheticStartFolder() / "OrvaleQuery"; }

std::string experimentTable() { return (databaseFolder() / "Expt32f.dbf").string(); }

fs::path scratch() {
  const fs::path p = fs::temp_directory_path() / "orvale-bench-indexes";
  fs::create_directories(p);
  return p;
}

// Every index and text index of the experiment table, as "Use Database" builds them.
void buildExperimentIndexes(const fs::path& into) {
  xbase::Table t;
  if (!t.open(experimentTable(), xbase::Share::Exclusive)) std::abort();
  for (const auto& f : indexFiles(Edition::Full, true)) {
    if (f.table != IndexedTable::Experiment) continue;
    const std::string path = (into / f.file).string();
    if (f.kind == IndexKind::Text) {
      const int h = xbase::FtsCreate(path.c_str(), 20, 2, f.caseFold, 1);
      std::string text;
      for (t.first(); !t.eof(); t.skip()) {
        text.clear();
        for (const auto& field : f.textFields) text += t.rawField(t.fieldPos(field));
        xbase::FtsAdd(h, text.c_str());
      }
      xbase::FtsClose(h);
    } else if (!f.tag.empty()) {
      fs::remove(path);
      if (!t.createTag(path, f.tag, f.key)) std::abort();
    } else if (!t.createIndex(path, f.key, 0, f.descending)) {
      std::abort();
    }
  }
}

void BM_BuildExperimentIndexes(benchmark::State& state) {
  const fs::path into = scratch();
  for (auto _ : state) buildExperimentIndexes(into);
  state.counters["records"] = 0;
  xbase::Table t;
  t.open(experimentTable());
  state.counters["records"] = t.recordCount();
}
BENCHMARK(BM_BuildExperimentIndexes)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same rows in SQLite, with the equivalent indexes.
const char* const kColumns[] = {"LIGANDID", "METALNUM", "REFYR", "REFIN", "METHOD", "MEDIUM", "TEMP", "CONC",
                                "CALIB",    "K1VAL",    "K2VAL", "B2VAL", "IFLAG1", "IFLAG2", "IFLAG3", "IFLAG4",
                                "IUPAC",    "COMM1",    "COMM2"};
const char* const kSqliteIndexes[] = {
    "CREATE INDEX lm ON expt(LIGANDID, METALNUM)",
    "CREATE INDEX lmr ON expt(LIGANDID, METALNUM, REFYR DESC, REFIN)",
    "CREATE INDEX mlr ON expt(METALNUM, LIGANDID, REFYR DESC, REFIN)",
    "CREATE INDEX rlm ON expt(REFYR DESC, REFIN, LIGANDID, METALNUM)",
    "CREATE INDEX rml ON expt(REFYR DESC, REFIN, METALNUM, LIGANDID)",
    "CREATE INDEX mt ON expt(METALNUM)",
    "CREATE INDEX rf ON expt(REFYR)",
    "CREATE INDEX ri ON expt(REFYR DESC, REFIN)",
    "CREATE INDEX me ON expt(METHOD)",
    "CREATE INDEX md ON expt(MEDIUM)",
    "CREATE INDEX ca ON expt(CALIB)",
    "CREATE INDEX re ON expt(IUPAC DESC)",
    "CREATE INDEX tm ON expt(TEMP)",
    "CREATE INDEX f1 ON expt(IFLAG1 DESC)",
    "CREATE INDEX f2 ON expt(IFLAG2 DESC)",
    "CREATE INDEX f3 ON expt(IFLAG3 DESC)",
    "CREATE INDEX f4 ON expt(IFLAG4 DESC)",
    "CREATE INDEX k1 ON expt(K1VAL)",
    "CREATE INDEX k2 ON expt(K2VAL)",
    "CREATE INDEX b2 ON expt(B2VAL)",
    // The two text indexes: SQLite's nearest equivalent is an index on the text.
    "CREATE INDEX cn ON expt(CONC)",
    "CREATE INDEX cm ON expt(COMM1, COMM2)",
};

using bench::exec;

sqlite3* loadSqlite() {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  xbase::Table t;
  t.open(experimentTable());
  bench::loadTable(db, "expt", t, std::vector<const char*>(std::begin(kColumns), std::end(kColumns)));
  return db;
}

void BM_SqliteLoadRows(benchmark::State& state) {
  for (auto _ : state) sqlite3_close(loadSqlite());
}
BENCHMARK(BM_SqliteLoadRows)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SqliteCreateIndexes(benchmark::State& state) {
  sqlite3* db = loadSqlite();
  for (auto _ : state) {
    for (const char* sql : kSqliteIndexes) exec(db, sql);
    state.PauseTiming();
    for (const char* sql : kSqliteIndexes) {
      const std::string name = std::string(sql).substr(13, std::string(sql).find(' ', 13) - 13);
      exec(db, ("DROP INDEX " + name).c_str());
    }
    state.ResumeTiming();
  }
  sqlite3_close(db);
}
BENCHMARK(BM_SqliteCreateIndexes)->Unit(benchmark::kMillisecond)->Iterations(3);

// Keys of existing ligand-metal pairs, in random order.
std::vector<std::pair<std::string, std::string>> pairKeys() {
  std::vector<std::pair<std::string, std::string>> keys;
  xbase::Table t;
  t.open(experimentTable());
  for (t.first(); !t.eof(); t.skip(97)) keys.emplace_back(t.field("LIGANDID"), t.field("METALNUM"));
  std::shuffle(keys.begin(), keys.end(), std::mt19937(7));
  return keys;
}

void BM_Seek(benchmark::State& state) {
  const fs::path into = scratch();
  const std::string index = (into / "index_lm.nsx").string();
  if (!fs::exists(index)) buildExperimentIndexes(into);
  xbase::Table t;
  t.open(experimentTable());
  if (!t.openIndex(index)) std::abort();
  const auto keys = pairKeys();
  std::vector<std::string> joined;
  for (const auto& [l, m] : keys) joined.push_back(l + m);
  std::size_t i = 0, found = 0;
  for (auto _ : state) {
    found += t.seek(joined[i]);
    benchmark::DoNotOptimize(t.recNo());
    if (++i == joined.size()) i = 0;
  }
  if (found == 0) state.SkipWithError("no key found");
}
BENCHMARK(BM_Seek);

void BM_SqliteSeek(benchmark::State& state) {
  sqlite3* db = loadSqlite();
  exec(db, kSqliteIndexes[0]);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT rowid FROM expt WHERE LIGANDID = ? AND METALNUM = ? LIMIT 1", -1, &st, nullptr);
  const auto keys = pairKeys();
  std::size_t i = 0;
  for (auto _ : state) {
    sqlite3_bind_text(st, 1, keys[i].first.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 2, keys[i].second.c_str(), -1, SQLITE_STATIC);
    benchmark::DoNotOptimize(sqlite3_step(st));
    sqlite3_reset(st);
    if (++i == keys.size()) i = 0;
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
}
BENCHMARK(BM_SqliteSeek);

void BM_ReadOneFieldOfEveryRecord(benchmark::State& state) {
  xbase::Table t;
  t.open(experimentTable());
  const int k1 = t.fieldPos("K1VAL");
  std::size_t chars = 0;
  for (auto _ : state) {
    for (t.first(); !t.eof(); t.skip()) chars += t.field(k1).size();
  }
  benchmark::DoNotOptimize(chars);
  state.counters["records"] = t.recordCount();
}
BENCHMARK(BM_ReadOneFieldOfEveryRecord)->Unit(benchmark::kMillisecond);

void BM_SqliteReadOneFieldOfEveryRow(benchmark::State& state) {
  sqlite3* db = loadSqlite();
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT K1VAL FROM expt ORDER BY rowid", -1, &st, nullptr);
  std::size_t chars = 0;
  for (auto _ : state) {
    while (sqlite3_step(st) == SQLITE_ROW) chars += static_cast<std::size_t>(sqlite3_column_bytes(st, 0));
    sqlite3_reset(st);
  }
  benchmark::DoNotOptimize(chars);
  sqlite3_finalize(st);
  sqlite3_close(db);
}
BENCHMARK(BM_SqliteReadOneFieldOfEveryRow)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
