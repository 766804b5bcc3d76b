#include "chemcore/connection_table.h"

#include <charconv>

#include "chemcore/elements.h"
#include "text_lines.h"

namespace chemcore {

namespace {

// Columns first..first+count-1 (1-based) of a line with every blank removed.
std::string columns(std::string_view line, std::size_t first, std::size_t count) {
  std::string r;
  for (std::size_t i = first - 1; i < first - 1 + count && i < line.size(); ++i)
    if (line[i] != ' ') r += line[i];
  return r;
}

bool intColumn(std::string_view line, std::size_t first, std::size_t count, int& value) {
  const std::string s = columns(line, first, count);
  value = 0;
  if (s.empty()) return true;
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && p == s.data() + s.size();
}


void appendList(std::string& out, const std::array<std::int32_t, kConnectionCapacity + 1>& values, int count) {
  const int lines = count <= 0 ? 1 : (count - 1) / 10 + 1;
  int k = 1;
  for (int l = 0; l < lines; ++l) {
    for (int i = 0; i < 10 && k <= count; ++i, ++k) {
      out += std::to_string(values[k]);
      out += ',';
    }
    out += "\r\n";
  }
}

}  // namespace

bool splitSdRecords(std::string_view text, std::vector<MolRecord>& records, std::string& error) {
  const auto lines = detail::splitLines(text, 80);
  std::size_t i = 0;
  while (i < lines.size()) {
    // Blank trailing lines after the last record end the file.
    bool rest_blank = true;
    for (std::size_t j = i; j < lines.size() && rest_blank; ++j)
      rest_blank = lines[j].find_first_not_of(" \t") == std::string_view::npos;
    if (rest_blank) break;
    const std::size_t recordNo = records.size() + 1;
    if (i + 3 >= lines.size()) {
      error = "record " + std::to_string(recordNo) + ": no counts line";
      return false;
    }
    MolRecord r;
    r.name = std::string(lines[i]);
    while (!r.name.empty() && r.name.back() == ' ') r.name.pop_back();
    const std::string_view counts = lines[i + 3];
    int a = 0, b = 0;
    if (!intColumn(counts, 1, 3, a) || !intColumn(counts, 4, 3, b) || a < 0 || b < 0) {
      error = "record " + std::to_string(recordNo) + ": bad counts line at line " + std::to_string(i + 4);
      return false;
    }
    i += 4;
    if (i + a + b > lines.size()) {
      error = "record " + std::to_string(recordNo) + ": the file ends inside the atom or bond block";
      return false;
    }
    for (int k = 0; k < a; ++k) r.atomLines.emplace_back(lines[i++]);
    for (int k = 0; k < b; ++k) r.bondLines.emplace_back(lines[i++]);
    while (i < lines.size() && lines[i].substr(0, 4) != "$$$$") ++i;
    ++i;  // past "$$$$"
    records.push_back(std::move(r));
  }
  return true;
}

bool buildConnectionTable(const MolRecord& record, ConnectionTable& table, std::string& error) {
  table = ConnectionTable{};
  const int a = static_cast<int>(record.atomLines.size());
  const int b = static_cast<int>(record.bondLines.size());
  if (a > kConnectionCapacity || 2 * b > kConnectionCapacity) {
    error = record.name + ": " + std::to_string(a) + " atoms and " + std::to_string(b) +
            " bonds exceed the connection table's capacity of " + std::to_string(kConnectionCapacity) + " entries";
    return false;
  }
  struct Bond { int first, second, type; };
  std::vector<Bond> bonds;
  for (int k = 0; k < b; ++k) {
    Bond bond{};
    const std::string& line = record.bondLines[k];
    if (!intColumn(line, 1, 3, bond.first) || !intColumn(line, 4, 3, bond.second) || !intColumn(line, 7, 3, bond.type) ||
        bond.first < 1 || bond.first > a || bond.second < 1 || bond.second > a) {
      error = record.name + ": bad bond line " + std::to_string(k + 1) + ": " + line;
      return false;
    }
    bonds.push_back(bond);
  }
  table.N = a;
  int m = 0;
  for (int k = 1; k <= a; ++k) {
    table.Element[k] = elementNumber(columns(record.atomLines[k - 1], 32, 3));
    for (const Bond& bond : bonds) {
      if (bond.first == k) {
        ++m;
        table.AdjAtom[m] = bond.second;
        table.AdjBond[m] = bond.type;
      }
      if (bond.second == k) {
        ++m;
        table.AdjAtom[m] = bond.first;
        table.AdjBond[m] = bond.type;
      }
    }
    table.AdjEnd[k] = m;
  }
  table.M = m;
  return true;
}

std::string storedStructureText(const MolRecord& record, const ConnectionTable& table) {
  std::string out;
  for (const auto& l : record.atomLines) out += l + "\r\n";
  for (const auto& l : record.bondLines) out += l + "\r\n";
  out += std::to_string(table.N) + "," + std::to_string(table.M) + "\r\n";
  appendList(out, table.AdjEnd, table.N);
  appendList(out, table.AdjAtom, table.M);
  appendList(out, table.Element, table.N);
  appendList(out, table.AdjBond, table.M);
  return out;
}

}  // namespace chemcore
