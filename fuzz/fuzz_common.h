// Shared by the fuzz targets and the seed generator: a private work folder
// and the small table the index target opens its fuzzed index files on.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "xbase/table.h"

namespace fuzzsupport {

inline const std::string& workDir() {
  static const std::string dir = [] {
    auto p = std::filesystem::temp_directory_path() / ("xbase-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(p);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(std::filesystem::temp_directory_path() / ("xbase-fuzz-" + std::to_string(::getpid())),
                                  ec);
    });
    return p.string();
  }();
  return dir;
}

inline void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// The table every fuzzed index is opened on (and the seeds are built on).
inline bool makeIndexTable(const std::string& path) {
  xbase::TableCreator c(path, 5);
  if (!c.addField("LIGANDID", 'C', 4) || !c.addField("METALNUM", 'C', 3) || !c.addField("REFYR", 'C', 4) ||
      !c.addField("K1", 'N', 8, 3) || !c.addField("NAME", 'C', 12) || !c.finish())
    return false;
  xbase::Environment env;
  xbase::Table t(env);
  if (!t.open(path, xbase::Share::Exclusive, xbase::Access::ReadWrite)) return false;
  const char* rows[][5] = {{"  12", "  3", "1984", "2.5", "Glycine"},   {"   7", " 10", "1990", "-1.25", "acetate"},
                           {"  12", "  3", "1990", "-10", "GLYCINE"},   {"   7", "  2", "1984", "0", "oxalate"},
                           {"  12", "  3", "1984", "100", "Ammonia"},  {" 100", "  0", "2001", "7.5", "edta"}};
  for (const auto& row : rows) {
    if (!t.appendBlank()) return false;
    for (int f = 0; f < 5; ++f)
      if (!t.replace(f + 1, row[f])) return false;
  }
  return t.commit();
}

}  // namespace fuzzsupport
