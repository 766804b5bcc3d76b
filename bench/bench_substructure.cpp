// The sub-structure search over every ligand of the synthetic full-scale
// database (12,000 structures) for a benzene ring, a carboxylate and an
// ethylenediamine fragment:
//  - SearchLigandTable: what "orvale mol search" does — open the ligand
//    table, read ATOMS, BONDS and the STRUC memo of every record, read the
//    stored connection table and search it;
//  - SearchStoredTexts: the same per-ligand test over STRUC texts already in
//    memory (no table reading);
//  - MatchParsedTables: the search alone over connection tables already read,
//    the same work as RDKit's HasSubstructMatch over parsed molecules.
// After the benchmarks, RDKit does the same test over the same molecules
// (bench/rdkit_substructure.py with Debian's python3-rdkit); set
// ORVALE_BENCH_RDKIT=0 to leave it out.
//
//   build/bench/bench_substructure                      (makes the database once in /tmp)
//   ORVALE_BENCH_DB=START_DIR build/bench/bench_substructure
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "chemcore/ligand_table.h"
#include "chemcore/sdfmol.h"
#include "chemcore/substructure.h"
#include "makedb/Dataset.h"
#include "makedb/WriteDatabase.h"
#include "talvex/db/Tables.h"
#include "xbase/table.h"

namespace fs = std::filesystem;

namespace {

const fs::path& databaseFolder() {
  static const fs::path folder = [] {
    if (const char* env = std::getenv("ORVALE_BENCH_DB")) return fs::path(env) / "OrvaleQuery";
    const fs::path db = fs::temp_directory_path() / "orvale-bench-seed1" / "OrvaleQuery";
    if (!fs::exists(db / talvex::db::ligandTableFile(talvex::db::Edition::Full, true))) {
      orvale::makedb::Dataset demo;
      std::string error;
      if (!orvale::makedb::readDemoData(ORVALE_DEMO_DATA_DIR, demo, error)) std::abort();
      const auto data = orvale::makedb::syntheticData(1, orvale::makedb::syntheticSizeFor(120000), demo.ligands);
      orvale::makedb::WriteOptions o;
      if (!orvale::makedb::writeDatabase(data, db.string(), o, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::abort();
      }
    }
    return db;
  }();
  return folder;
}

std::string ligandTable() {
  return (databaseFolder() / talvex::db::ligandTableFile(talvex::db::Edition::Full, true)).string();
}

constexpr const char* kBenzene =
    "benzene\n\n\n  6  6  0  0  0  0  0  0  0  0999 V2000\n"
    "    0.0000    1.4000    0.0000 C   0  0\n    1.2124    0.7000    0.0000 C   0  0\n"
    "    1.2124   -0.7000    0.0000 C   0  0\n    0.0000   -1.4000    0.0000 C   0  0\n"
    "   -1.2124   -0.7000    0.0000 C   0  0\n   -1.2124    0.7000    0.0000 C   0  0\n"
    "  1  2  2  0\n  2  3  1  0\n  3  4  2  0\n  4  5  1  0\n  5  6  2  0\n  6  1  1  0\nM  END\n";
constexpr const char* kCarboxylate =
    "carboxylate\n\n\n  3  2  0  0  0  0  0  0  0  0999 V2000\n"
    "    0.0000    0.0000    0.0000 C   0  0\n    1.2990    0.7500    0.0000 O   0  0\n"
    "   -1.2990    0.7500    0.0000 O   0  0\n  1  2  2  0\n  1  3  1  0\nM  END\n";
constexpr const char* kEthylenediamine =
    "ethylenediamine\n\n\n  4  3  0  0  0  0  0  0  0  0999 V2000\n"
    "    0.0000    0.0000    0.0000 N   0  0\n    1.2990    0.7500    0.0000 C   0  0\n"
    "    2.5981    0.0000    0.0000 C   0  0\n    3.8971    0.7500    0.0000 N   0  0\n"
    "  1  2  1  0\n  2  3  1  0\n  3  4  1  0\nM  END\n";
const char* const kQueries[] = {kBenzene, kCarboxylate, kEthylenediamine};
const char* const kQueryNames[] = {"benzene", "carboxylate", "ethylenediamine"};

std::unique_ptr<chemcore::SdfMol> queryMol(int q) {
  auto mol = std::make_unique<chemcore::SdfMol>();
  if (!chemcore::ReadSdfText(*mol, "bench.mol", kQueries[q], 1, true).ok) std::abort();
  return mol;
}

struct StoredLigand {
  std::string atoms, bonds, struc;
};

const std::vector<StoredLigand>& storedLigands() {
  static const std::vector<StoredLigand> all = [] {
    std::vector<StoredLigand> v;
    xbase::Table t;
    if (!t.open(ligandTable())) std::abort();
    for (t.first(); !t.eof(); t.skip()) v.push_back({t.field("ATOMS"), t.field("BONDS"), t.field("STRUC")});
    return v;
  }();
  return all;
}

const std::vector<chemcore::ConnectionTable>& parsedTables() {
  static const std::vector<chemcore::ConnectionTable> all = [] {
    std::vector<chemcore::ConnectionTable> v;
    for (const auto& l : storedLigands()) {
      chemcore::ConnectionTable t;
      if (chemcore::ReadLigandConnectionTable(t, l.struc, std::atoi(l.atoms.c_str()), std::atoi(l.bonds.c_str())))
        v.push_back(t);
    }
    return v;
  }();
  return all;
}

// The search as the query program runs it: the ligand table is open (it stays
// open from "Use Database" on) and every record's fields are read from it.
void searchTable(benchmark::State& state, bool openEachTime) {
  const auto mol = queryMol(static_cast<int>(state.range(0)));
  auto work = std::make_unique<chemcore::SearchWorkspace>();
  const std::string path = ligandTable();
  int found = 0, ligands = 0;
  auto table = std::make_unique<xbase::Table>();
  if (!table->open(path)) std::abort();
  for (auto _ : state) {
    if (openEachTime) {
      table = std::make_unique<xbase::Table>();
      if (!table->open(path)) std::abort();
    }
    xbase::Table& t = *table;
    const chemcore::LigandTableFields fields(t);
    found = ligands = 0;
    for (t.first(); !t.eof(); t.skip()) {
      ++ligands;
      if (fields.LigandMatches(*mol, "@", false, *work)) ++found;
    }
    benchmark::DoNotOptimize(found);
  }
  state.counters["ligands"] = ligands;
  state.counters["matches"] = found;
  state.SetLabel(kQueryNames[state.range(0)]);
}

void BM_SearchLigandTable(benchmark::State& state) { searchTable(state, false); }
// The same with the table opened afresh for each search (its pages are then
// mapped in again).
void BM_SearchFreshlyOpenedLigandTable(benchmark::State& state) { searchTable(state, true); }
BENCHMARK(BM_SearchFreshlyOpenedLigandTable)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchLigandTable)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_SearchStoredTexts(benchmark::State& state) {
  const auto mol = queryMol(static_cast<int>(state.range(0)));
  auto work = std::make_unique<chemcore::SearchWorkspace>();
  const auto& ligands = storedLigands();
  int found = 0;
  for (auto _ : state) {
    found = 0;
    for (const auto& l : ligands)
      if (chemcore::LigandMatches(*mol, "@", {{}, l.atoms, l.bonds, l.struc}, false, *work)) ++found;
    benchmark::DoNotOptimize(found);
  }
  state.counters["ligands"] = static_cast<double>(ligands.size());
  state.counters["matches"] = found;
  state.SetLabel(kQueryNames[state.range(0)]);
}
BENCHMARK(BM_SearchStoredTexts)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_MatchParsedTables(benchmark::State& state) {
  const auto mol = queryMol(static_cast<int>(state.range(0)));
  auto work = std::make_unique<chemcore::SearchWorkspace>();
  const auto& tables = parsedTables();
  int found = 0;
  for (auto _ : state) {
    found = 0;
    for (const auto& t : tables)
      if (chemcore::SubstructureMatch(mol->QueryConnectionTable, t, false, *work) == chemcore::MatchResult::Yes) ++found;
    benchmark::DoNotOptimize(found);
  }
  state.counters["ligands"] = static_cast<double>(tables.size());
  state.counters["matches"] = found;
  state.SetLabel(kQueryNames[state.range(0)]);
}
BENCHMARK(BM_MatchParsedTables)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const char* rdkit = std::getenv("ORVALE_BENCH_RDKIT");
  if (!rdkit || std::string(rdkit) != "0") {
    std::fflush(stdout);
    const std::string command = "/usr/bin/python3 '" ORVALE_BENCH_DIR "/rdkit_substructure.py' '" +
                                databaseFolder().string() + "'";
    std::printf("\n%s\n", command.c_str());
    std::fflush(stdout);
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "the RDKit comparison did not run\n");
  }
  return 0;
}
