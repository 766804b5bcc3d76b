#include "MolCommand.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "chemcore/connection_table.h"
#include "chemcore/ligand_table.h"
#include "chemcore/sdfmol.h"
#include "chemcore/substructure.h"
#include "talvex/db/Tables.h"
#include "xbase/table.h"

namespace orvale {

namespace {

constexpr const char* kUsage =
    "usage: orvale mol info FILE [--record N]\n"
    "       orvale mol match QUERY TARGET [--exact-bonds]\n"
    "       orvale mol search QUERY --db DIR [--exact-bonds]\n";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

std::string trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

// Reads a molfile as the query structure; prints the reader's message on failure.
bool readQuery(chemcore::SdfMol& mol, const std::string& path, int record) {
  const chemcore::ReadResult r = chemcore::ReadSdfRecord(mol, path, record);
  if (!r.message.empty()) std::fprintf(r.ok ? stdout : stderr, "%s\n", r.message.c_str());
  if (!r.ok && r.message.empty()) std::fprintf(stderr, "%s: no structure in record %d\n", path.c_str(), record);
  return r.ok;
}

int info(const std::vector<std::string>& args) {
  if (args.size() != 2 && !(args.size() == 4 && args[2] == "--record")) return usage();
  int record = 1;
  if (args.size() == 4 && (!chemcore::FieldInteger(args[3], record) || record < 1)) return usage();
  auto mol = std::make_unique<chemcore::SdfMol>();
  if (!readQuery(*mol, args[1], record)) return 1;
  const chemcore::Structure& s = mol->CurrentStructure;
  std::printf("name: %s\n", s.StructureName.c_str());
  std::printf("atoms: %d\nbonds: %d\n", s.A, s.B);
  std::printf("elements:");
  for (const auto& e : s.ElementList) std::printf(" %s %d", e.symbol.c_str(), e.count);
  std::printf("\nmolecular weight: %.4f\n", s.MolecularWeight);
  std::printf("atom symbol charge hydrogens\n");
  for (int i = 1; i <= s.A; ++i) {
    const auto& a = s.atoms[static_cast<std::size_t>(i)];
    std::printf("%4d %-6s %6d %9d\n", i, a.symbol.c_str(), a.charge, a.hydrogens);
  }
  return 0;
}

int match(const std::vector<std::string>& args) {
  if (args.size() != 3 && !(args.size() == 4 && args[3] == "--exact-bonds")) return usage();
  const bool exact = args.size() == 4;
  auto mol = std::make_unique<chemcore::SdfMol>();
  if (!readQuery(*mol, args[1], 1)) return 1;

  // The target's connection table as the database stores it.
  std::ifstream in(args[2], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "Cannot open the file %s\n", args[2].c_str());
    return 1;
  }
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<chemcore::MolRecord> records;
  std::string error;
  chemcore::ConnectionTable built;
  if (!chemcore::splitSdRecords(text, records, error) || records.empty() ||
      !chemcore::buildConnectionTable(records[0], built, error)) {
    std::fprintf(stderr, "%s: %s\n", args[2].c_str(), error.empty() ? "no structure" : error.c_str());
    return 1;
  }
  const std::string stored = chemcore::storedStructureText(records[0], built);
  if (!chemcore::ReadLigandConnectionTable(mol->LigandConnectionTable, stored,
                                           static_cast<int>(records[0].atomLines.size()),
                                           static_cast<int>(records[0].bondLines.size()))) {
    std::fprintf(stderr, "%s: the stored connection table cannot be read\n", args[2].c_str());
    return 1;
  }
  auto work = std::make_unique<chemcore::SearchWorkspace>();
  const auto result = chemcore::SubstructureMatch(mol->QueryConnectionTable, mol->LigandConnectionTable, exact, *work);
  std::printf("%s\n", std::string(chemcore::ResultWord(result)).c_str());
  return 0;
}

// The structure-bearing ligand table in DIR itself or in the edition folder
// below it (a start folder made by "orvale makedb").
std::string findLigandTable(const std::string& dir) {
  namespace fs = std::filesystem;
  using talvex::db::Edition;
  for (Edition e : {Edition::Full, Edition::Mini}) {
    const std::string file = talvex::db::ligandTableFile(e, true);
    for (const fs::path& p : {fs::path(dir) / file, fs::path(dir) / talvex::db::editionInfo(e).programName / file})
      if (xbase::fileExists(p.string())) return xbase::findFile(p.string());
  }
  return {};
}

int search(const std::vector<std::string>& args) {
  std::string query, dir;
  bool exact = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--db" && i + 1 < args.size()) dir = args[++i];
    else if (args[i] == "--exact-bonds") exact = true;
    else if (query.empty()) query = args[i];
    else return usage();
  }
  if (query.empty() || dir.empty()) return usage();
  auto mol = std::make_unique<chemcore::SdfMol>();
  if (!readQuery(*mol, query, 1)) return 1;
  const std::string path = findLigandTable(dir);
  if (path.empty()) {
    std::fprintf(stderr, "No ligand table with structures in %s\n", dir.c_str());
    return 1;
  }

  const auto start = std::chrono::steady_clock::now();
  xbase::Table table;
  if (!table.open(path)) {
    std::fprintf(stderr, "%s\n", table.lastError().c_str());
    return 1;
  }
  const chemcore::LigandTableFields fields(table);
  if (!fields.hasStructures()) {
    std::fprintf(stderr, "%s has no structure fields\n", path.c_str());
    return 1;
  }
  auto work = std::make_unique<chemcore::SearchWorkspace>();
  std::vector<std::int32_t> found;
  std::int32_t visited = 0;
  for (table.first(); !table.eof(); table.skip()) {
    ++visited;
    if (fields.LigandMatches(*mol, "@", exact, *work)) found.push_back(table.recNo());
  }
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

  for (std::int32_t rec : found) {
    table.go(rec);
    std::printf("%6d  %-6s  %s\n", rec, trim(table.field("OLDLIGID")).c_str(), trim(table.field("SH_NAME")).c_str());
  }
  std::printf("%zu of %d ligands match (%.2f ms)\n", found.size(), visited, ms);
  return 0;
}

}  // namespace

int runMol(const std::vector<std::string>& args) {
  if (args.empty()) return usage();
  if (args[0] == "info") return info(args);
  if (args[0] == "match") return match(args);
  if (args[0] == "search") return search(args);
  return usage();
}

}  // namespace orvale
