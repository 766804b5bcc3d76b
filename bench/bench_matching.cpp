// The matcher's strategy rows and the prediction on the synthetic full-scale
// database, each measured against SQLite answering the same selection on the
// same rows with equivalent indexes.
//
//   build/bench/bench_matching                       (makes the database once in /tmp)
//   ORVALE_BENCH_DB=START_DIR build/bench/bench_matching
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "SqliteCopy.h"
#include "SyntheticDatabase.h"
#include "talvex/app/UseDatabase.h"
#include "talvex/match/Prf_Code.h"
#include "talvex/spec/CleanText.h"

namespace fs = std::filesystem;
using namespace talvex;
using match::Strategy;

namespace {

struct Opened {
  app::StartupState state;
  db::Database database;
  platform::SilentDialogs dialogs;
  Opened() {
    const fs::path start = bench::syntheticStartFolder();
    const fs::path ini = fs::temp_directory_path() / ("orvale-bench-match-" + std::to_string(::getpid()) + ".ini");
    db::SilentIndexProgress progress;
    app::initStartup(state, db::Edition::Full, start.string() + "/", "help", ini.string(), dialogs);
    if (app::useDatabase(state, database, progress, dialogs, app::SystemLocale{}) != app::UseDatabaseResult::Ready) {
      std::fprintf(stderr, "the synthetic database cannot be used\n");
      std::abort();
    }
    fs::remove(ini);
  }
};

Opened& opened() {
  static Opened o;
  return o;
}

// A value of the first experiment, as stored and cleaned.
std::string firstValue(const char* field) {
  xbase::Table& t = opened().database.experiments;
  t.selectOrder(0);
  t.go(1);
  return t.field(field);
}

struct Case {
  const char* name;
  Strategy expected;
  std::function<void(QueryState&)> fill;
};

void ligandsEvery(QueryState& q, int n, int step) {
  for (int i = 1; i <= n; ++i) q.ligands.add("", i * step);
}
void metalsFrom2(QueryState& q, int n) {
  for (int m = 2; m < 2 + n; ++m) q.metals.add("", m);
}
void details(QueryState& q, spec::DetailsPage p) {
  if (!match::detailsPageLeft(q, p)) std::abort();
}

const std::vector<Case>& cases() {
  static const std::vector<Case> c = {
      {"references_1000", Strategy::References,
       [](QueryState& q) {
         for (int i = 1; i <= 1000; ++i) q.references.add("", i * 29);
       }},
      {"ligands_1000_any_metal", Strategy::LigandsAnyMetal,
       [](QueryState& q) {
         ligandsEvery(q, 1000, 11);
         q.AnyMetalIon = true;
       }},
      {"ligands_100_x_metals_10", Strategy::LigandsMetals,
       [](QueryState& q) {
         ligandsEvery(q, 100, 113);
         metalsFrom2(q, 10);
       }},
      {"ligands_1499_x_metals_99", Strategy::LigandsMetals,
       [](QueryState& q) {
         ligandsEvery(q, 1499, 8);
         metalsFrom2(q, 99);
       }},
      // Every one of the 148,401 seeks is made: the comment phrase occurs nowhere.
      {"ligands_1499_x_metals_99_all_seeks", Strategy::LigandsMetals,
       [](QueryState& q) {
         ligandsEvery(q, 1499, 8);
         metalsFrom2(q, 99);
         spec::DetailsPage p;
         p.comment = "ZZQX";
         details(q, p);
       }},
      {"metals_10", Strategy::Metals, [](QueryState& q) { metalsFrom2(q, 10); }},
      {"constant_K1_exact", Strategy::Constant,
       [](QueryState& q) {
         spec::DetailsPage p;
         p.constantName = 1;
         p.constKind = spec::RangeKind::Exact;
         p.loConstText = spec::CleanConstantText(firstValue("K1VAL"));
         details(q, p);
       }},
      {"temperature_exact", Strategy::Temperature,
       [](QueryState& q) {
         spec::DetailsPage p;
         p.tempKind = spec::RangeKind::Exact;
         p.loTempText = spec::trimmed(firstValue("TEMP"));
         details(q, p);
       }},
      {"medium", Strategy::Medium,
       [](QueryState& q) {
         spec::DetailsPage p;
         p.mediumEntry = 5;
         details(q, p);
       }},
      {"method", Strategy::Method,
       [](QueryState& q) {
         spec::DetailsPage p;
         p.methodEntry = 2;
         details(q, p);
       }},
      {"calibration", Strategy::Calibration,
       [](QueryState& q) {
         spec::DetailsPage p;
         p.calibration = 2;
         details(q, p);
       }},
      {"ionic_strength_scan", Strategy::IonicStrength,
       [](QueryState& q) {
         spec::DetailsPage p;
         p.concText = "zz";  // occurs nowhere: every record is read
         details(q, p);
       }},
      {"recommendation", Strategy::Recommendation,
       [](QueryState& q) {
         spec::DetailsPage p;
         p.iupacRecommended = true;
         details(q, p);
       }},
      {"data_flag", Strategy::DataFlag,
       [](QueryState& q) {
         spec::DetailsPage p;
         p.flags[2] = true;
         details(q, p);
       }},
      {"comment_full_scan", Strategy::FullScan,
       [](QueryState& q) {
         spec::DetailsPage p;
         p.comment = "ZZQX";
         details(q, p);
       }},
  };
  return c;
}

void BM_Match(benchmark::State& state, const Case* c) {
  Opened& o = opened();
  QueryState q;
  q.attach(o.state, o.database);
  c->fill(q);
  q.updateAllEmpty();
  match::refreshSummary(q);
  Strategy s{};
  for (auto _ : state) {
    match::runMatcher(q, o.dialogs, &s);
    benchmark::DoNotOptimize(q.experiments.count());
  }
  if (s != c->expected) state.SkipWithError("another strategy was chosen");
  state.counters["experiments"] = q.experiments.count();
}

void BM_Prediction(benchmark::State& state, int which) {
  Opened& o = opened();
  QueryState q;
  q.attach(o.state, o.database);
  if (which == 0) ligandsEvery(q, 1000, 11);
  if (which == 1) {
    ligandsEvery(q, 100, 113);
    metalsFrom2(q, 10);
  }
  if (which == 2) metalsFrom2(q, 10);
  q.updateAllEmpty();
  for (auto _ : state) {
    match::computePrediction(q);
    benchmark::DoNotOptimize(q.prediction.PredictedCount);
  }
  state.counters["predicted"] = static_cast<double>(q.prediction.PredictedCount);
}

// ---- SQLite ------------------------------------------------------------------

using bench::exec;
using bench::loadTable;

sqlite3* sqliteDatabase() {
  static sqlite3* db = [] {
    Opened& o = opened();
    sqlite3* s = nullptr;
    sqlite3_open(":memory:", &s);
    loadTable(s, "expt", o.database.experiments,
              {"LIGANDID", "METALNUM", "REFYR", "REFIN", "METHOD", "MEDIUM", "TEMP", "CONC", "CALIB", "K1VAL", "COMM1",
               "COMM2", "IFLAG1", "IFLAG2", "IFLAG3", "IFLAG4", "IUPAC"});
    loadTable(s, "xref", o.database.crossReference, {"LIG_HIT", "MET_HIT", "COUNT_LM"});
    for (const char* sql : {"CREATE INDEX lm ON expt(LIGANDID, METALNUM)",
                            "CREATE INDEX lmr ON expt(LIGANDID, METALNUM, REFYR DESC, REFIN)",
                            "CREATE INDEX mt ON expt(METALNUM)", "CREATE INDEX ri ON expt(REFYR DESC, REFIN)",
                            "CREATE INDEX me ON expt(METHOD)", "CREATE INDEX md ON expt(MEDIUM)",
                            "CREATE INDEX ca ON expt(CALIB)", "CREATE INDEX re ON expt(IUPAC DESC)",
                            "CREATE INDEX tm ON expt(TEMP)", "CREATE INDEX f3 ON expt(IFLAG3 DESC)",
                            "CREATE INDEX k1 ON expt(K1VAL)", "CREATE INDEX xr ON xref(LIG_HIT, MET_HIT)"})
      exec(s, sql);
    return s;
  }();
  return db;
}

// Runs one prepared statement per key set, collecting rowids up to 4999.
struct Query {
  sqlite3_stmt* st = nullptr;
  explicit Query(const char* sql) {
    if (sqlite3_prepare_v2(sqliteDatabase(), sql, -1, &st, nullptr) != SQLITE_OK) {
      std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(sqliteDatabase()));
      std::abort();
    }
  }
  ~Query() { sqlite3_finalize(st); }
  void run(const std::vector<std::string>& binds, std::vector<std::int64_t>& out) {
    for (std::size_t i = 0; i < binds.size(); ++i)
      sqlite3_bind_text(st, static_cast<int>(i + 1), binds[i].c_str(), -1, SQLITE_STATIC);
    while (out.size() < 4999 && sqlite3_step(st) == SQLITE_ROW) out.push_back(sqlite3_column_int64(st, 0));
    sqlite3_reset(st);
  }
};

std::string stored(const char* field) { return firstValue(field); }

void BM_SqliteMatch(benchmark::State& state, int row) {
  std::vector<std::int64_t> out;
  const auto each = [&](const char* sql, const std::vector<std::vector<std::string>>& keys) {
    Query q(sql);
    for (auto _ : state) {
      out.clear();
      for (const auto& k : keys) {
        if (out.size() >= 4999) break;
        q.run(k, out);
      }
      benchmark::DoNotOptimize(out.data());
    }
  };
  std::vector<std::vector<std::string>> keys;
  switch (row) {
    case 0: {  // references
      xbase::Table& r = opened().database.references;
      for (int i = 1; i <= 1000; ++i) {
        r.go(i * 29);
        keys.push_back({r.field("SHRFYR"), r.field("SHRFIN")});
      }
      each("SELECT rowid FROM expt WHERE REFYR = ?1 AND REFIN = ?2", keys);
      break;
    }
    case 1:
      for (int i = 1; i <= 1000; ++i) keys.push_back({db::ligandKey(i * 11)});
      each("SELECT rowid FROM expt WHERE LIGANDID = ?1 AND CAST(METALNUM AS INTEGER) > 1 ORDER BY LIGANDID, METALNUM",
           keys);
      break;
    case 2:
    case 3: {
      const int n = row == 2 ? 100 : 1499, step = row == 2 ? 113 : 8, metals = row == 2 ? 10 : 99;
      for (int i = 1; i <= n; ++i)
        for (int m = 2; m < 2 + metals; ++m) keys.push_back({db::ligandKey(i * step), db::metalKey(m)});
      each("SELECT rowid FROM expt WHERE LIGANDID = ?1 AND METALNUM = ?2", keys);
      break;
    }
    case 4:
      for (int i = 1; i <= 1499; ++i)
        for (int m = 2; m < 101; ++m) keys.push_back({db::ligandKey(i * 8), db::metalKey(m)});
      each("SELECT rowid FROM expt WHERE LIGANDID = ?1 AND METALNUM = ?2 AND "
           "instr(upper(rtrim(COMM1) || rtrim(COMM2)), 'ZZQX') > 0",
           keys);
      break;
    case 5:
      for (int m = 2; m < 12; ++m) keys.push_back({db::metalKey(m)});
      each("SELECT rowid FROM expt WHERE METALNUM = ?1", keys);
      break;
    case 6: each("SELECT rowid FROM expt WHERE K1VAL = ?1", {{stored("K1VAL")}}); break;
    case 7: each("SELECT rowid FROM expt WHERE TEMP = ?1", {{stored("TEMP")}}); break;
    case 8: each("SELECT rowid FROM expt WHERE MEDIUM = 'E'", {{}}); break;
    case 9: each("SELECT rowid FROM expt WHERE METHOD = 'B'", {{}}); break;
    case 10: each("SELECT rowid FROM expt WHERE CALIB = 'C'", {{}}); break;
    case 11: each("SELECT rowid FROM expt WHERE instr(CONC, 'zz') > 0", {{}}); break;
    case 12: each("SELECT rowid FROM expt WHERE IUPAC = 'R'", {{}}); break;
    case 13: each("SELECT rowid FROM expt WHERE IFLAG3 = 'T'", {{}}); break;
    case 14: each("SELECT rowid FROM expt WHERE instr(upper(rtrim(COMM1) || rtrim(COMM2)), 'ZZQX') > 0", {{}}); break;
    default: break;
  }
  state.counters["experiments"] = static_cast<double>(out.size());
}

void BM_SqlitePrediction(benchmark::State& state) {
  Query q("SELECT SUM(CAST(COUNT_LM AS INTEGER)) FROM xref WHERE LIG_HIT = ?1 AND MET_HIT = ?2");
  std::vector<std::pair<std::string, std::string>> keys;
  for (int i = 1; i <= 100; ++i)
    for (int m = 2; m < 12; ++m) keys.emplace_back(db::ligandKey(i * 113), db::metalKey(m));
  std::int64_t total = 0;
  for (auto _ : state) {
    total = 0;
    for (const auto& [l, m] : keys) {
      sqlite3_bind_text(q.st, 1, l.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(q.st, 2, m.c_str(), -1, SQLITE_STATIC);
      if (sqlite3_step(q.st) == SQLITE_ROW) total += sqlite3_column_int64(q.st, 0);
      sqlite3_reset(q.st);
    }
    benchmark::DoNotOptimize(total);
  }
  state.counters["predicted"] = static_cast<double>(total);
}

const int registered = [] {
  int row = 0;
  for (const Case& c : cases()) {
    benchmark::RegisterBenchmark((std::string("BM_Match/") + c.name).c_str(), BM_Match, &c)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("BM_SqliteMatch/") + c.name).c_str(), BM_SqliteMatch, row++)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("BM_Prediction/ligands_1000", BM_Prediction, 0)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_Prediction/ligands_100_x_metals_10", BM_Prediction, 1)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_SqlitePrediction/ligands_100_x_metals_10", BM_SqlitePrediction)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_Prediction/metals_10", BM_Prediction, 2)->Unit(benchmark::kMillisecond);
  return 0;
}();

}  // namespace

BENCHMARK_MAIN();
