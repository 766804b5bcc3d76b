// The synthetic full-scale database the benchmarks run on: the start folder
// named by ORVALE_BENCH_DB, or one made once in the temporary folder.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "makedb/Dataset.h"
#include "makedb/WriteDatabase.h"

namespace bench {

// The start folder (it holds OrvaleQuery/).
inline const std::filesystem::path& syntheticStartFolder() {
  static const std::filesystem::path start = [] {
    if (const char* env = std::getenv("ORVALE_BENCH_DB")) return std::filesystem::path(env);
    const auto folder = std::filesystem::temp_directory_path() / "orvale-bench-seed1";
    const auto db = folder / "OrvaleQuery";
    if (!std::filesystem::exists(db / "Expt32f.dbf")) {
      orvale::makedb::Dataset demo;
      std::string error;
      if (!orvale::makedb::readDemoData(ORVALE_DEMO_DATA_DIR, demo, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::abort();
      }
      const auto data = orvale::makedb::syntheticData(1, orvale::makedb::syntheticSizeFor(120000), demo.ligands);
      if (!orvale::makedb::writeDatabase(data, db.string(), orvale::makedb::WriteOptions{}, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::abort();
      }
    }
    return folder;
  }();
  return start;
}

}  // namespace bench
