// Molfile text for tests: atom, bond and counts lines in their columns.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace chemcore::testing {

inline std::string atom(const char* symbol, int charge = 0, double x = 0, double y = 0) {
  char line[96];
  std::snprintf(line, sizeof line, "%10.4f%10.4f%10.4f %-3s%2d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d", x, y, 0.0, symbol, 0,
                charge, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  return line;
}

inline std::string bond(int first, int second, int type = 1) {
  char line[32];
  std::snprintf(line, sizeof line, "%3d%3d%3d%3d", first, second, type, 0);
  return line;
}

inline std::string counts(int atoms, int bonds) {
  char line[64];
  std::snprintf(line, sizeof line, "%3d%3d  0  0  0  0  0  0  0  0999 V2000", atoms, bonds);
  return line;
}

inline std::string header(const std::string& name) { return name + "\n  chemcore tests\n\n"; }

inline std::string join(const std::vector<std::string>& lines) {
  std::string r;
  for (const auto& l : lines) r += l + "\n";
  return r;
}

inline std::string molfile(const std::string& name, const std::vector<std::string>& atoms,
                           const std::vector<std::string>& bonds) {
  return header(name) + counts(static_cast<int>(atoms.size()), static_cast<int>(bonds.size())) + "\n" + join(atoms) +
         join(bonds) + "M  END\n";
}

}  // namespace chemcore::testing
