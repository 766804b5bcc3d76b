#include "MakeDbCommand.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "makedb/Dataset.h"
#include "makedb/WriteDatabase.h"

namespace orvale {

using namespace orvale::makedb;
using talvex::db::Edition;

namespace {

int fail(const std::string& message) {
  std::fprintf(stderr, "orvale makedb: %s\n", message.c_str());
  return 1;
}

bool parseNumber(const std::string& s, long long& v) {
  char* end = nullptr;
  v = std::strtoll(s.c_str(), &end, 10);
  return !s.empty() && end && *end == '\0';
}

}  // namespace

int runMakeDb(const std::vector<std::string>& args) {
  std::string dataDir = ORVALE_DEMO_DATA_DIR;
  std::string out;
  bool synthetic = false, tiny = false, structures = true;
  long long seed = 1, experiments = 120000;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&](long long& v) {
      return i + 1 < args.size() && parseNumber(args[++i], v);
    };
    if (a == "--synthetic") synthetic = true;
    else if (a == "--tiny") tiny = true;
    else if (a == "--no-structures") structures = false;
    else if (a == "--data" && i + 1 < args.size()) dataDir = args[++i];
    else if (a == "--seed") {
      if (!value(seed)) return fail("--seed needs a number");
    } else if (a == "--experiments") {
      if (!value(experiments) || experiments < 1 || experiments > 999999)
        return fail("--experiments needs a number from 1 to 999999");
    } else if (!a.empty() && a[0] == '-') return fail("unknown option " + a);
    else if (out.empty()) out = a;
    else return fail("more than one start folder given");
  }
  if (out.empty()) return fail("no start folder given");

  Dataset demo;
  std::string error;
  if (!readDemoData(dataDir, demo, error)) return fail(error);
  const std::filesystem::path start(out);
  const auto t0 = std::chrono::steady_clock::now();

  if (synthetic) {
    const SyntheticSize size = syntheticSizeFor(static_cast<int>(experiments));
    const Dataset data = syntheticData(static_cast<std::uint64_t>(seed), size, demo.ligands);
    WriteOptions o;
    o.edition = Edition::Full;
    o.withStructures = structures;
    const std::string folder = (start / "OrvaleQuery").string();
    if (!writeDatabase(data, folder, o, error)) return fail(error);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%s: %zu experiments, %zu ligands, %zu metals, %zu references (%.2f s)\n", folder.c_str(),
                data.experiments.size(), data.ligands.size(), data.metals.size() - 3, data.references.size(), s);
    return 0;
  }

  const Dataset full = tiny ? firstLigands(demo, 6) : demo;
  const Dataset mini = miniSubset(full);
  WriteOptions fo;
  fo.edition = Edition::Full;
  fo.withStructures = structures;
  const std::string fullFolder = (start / "OrvaleQuery").string();
  if (!writeDatabase(full, fullFolder, fo, error)) return fail(error);
  WriteOptions mo;
  mo.edition = Edition::Mini;
  mo.withStructures = structures;
  mo.fullForCrossReference = &full;
  const std::string miniFolder = (start / "Talvex").string();
  if (!writeDatabase(mini, miniFolder, mo, error)) return fail(error);
  std::printf("%s: %zu experiments, %zu ligands, %zu references\n", fullFolder.c_str(), full.experiments.size(),
              full.ligands.size(), full.references.size());
  std::printf("%s: %zu experiments, %zu ligands\n", miniFolder.c_str(), mini.experiments.size(), mini.ligands.size());
  return 0;
}

}  // namespace orvale
