// The cheap rejections before the search: element counts and rings.
#include <gtest/gtest.h>

#include "chemcore/connection_table.h"
#include "chemcore/sdfmol.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace chemcore;

namespace {

// A connection table from element numbers and bonds (1-based atom pairs).
ConnectionTable table(std::vector<int> elements, std::vector<std::pair<int, int>> bonds) {
  MolRecord r;
  r.name = "t";
  for (int e : elements) {
    std::string line = "    0.0000    0.0000    0.0000 ";
    line += e == 6 ? "C  " : e == 7 ? "N  " : "O  ";
    r.atomLines.push_back(line + " 0  0");
  }
  for (auto [a, b] : bonds) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%3d%3d  1  0", a, b);
    r.bondLines.emplace_back(buf);
  }
  ConnectionTable t;
  std::string error;
  EXPECT_TRUE(buildConnectionTable(r, t, error)) << error;
  return t;
}

}  // namespace

TEST(Prefilter, RingsCountedPerPiece) {
  struct Case { const char* what; ConnectionTable t; int rings; };
  const Case cases[] = {
      {"chain", table({6, 6, 6}, {{1, 2}, {2, 3}}), 0},
      {"cyclohexane", table({6, 6, 6, 6, 6, 6}, {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 1}}), 1},
      {"two pieces, one ring", table({6, 6, 6, 7, 8}, {{1, 2}, {2, 3}, {3, 1}, {4, 5}}), 1},
      {"bicycle", table({6, 6, 6, 6}, {{1, 2}, {2, 3}, {3, 4}, {4, 1}, {1, 3}}), 2},
      {"single atom", table({7}, {}), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(CycleRank(c.t), c.rings) << c.what;
}

TEST(Prefilter, ElementCounts) {
  const auto en = table({7, 6, 6, 7}, {{1, 2}, {2, 3}, {3, 4}});
  const auto glycine = table({7, 6, 6, 8, 8}, {{1, 2}, {2, 3}, {3, 4}, {3, 5}});
  EXPECT_FALSE(EnoughOfEachElement(en, glycine));  // two N needed, one there
  EXPECT_TRUE(EnoughOfEachElement(table({6, 6, 7}, {{1, 2}, {2, 3}}), glycine));
  EXPECT_TRUE(EnoughOfEachElement(glycine, glycine));
}

namespace {

// The stored list rule written plainly: each value is the text up to the
// next comma, blanks and tabs around it allowed, an optional sign, digits; a
// line without a further comma ends early; any other value is an error.
bool referenceList(const std::vector<std::string>& lines, int count, std::vector<std::int32_t>& out) {
  out.clear();
  for (const std::string& full : lines) {
    std::string line = full;
    for (int i = 0; i < 10 && static_cast<int>(out.size()) < count; ++i) {
      const std::size_t comma = line.find(',');
      if (comma == std::string::npos) break;
      std::string v = line.substr(0, comma);
      line.erase(0, comma + 1);
      while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.erase(0, 1);
      while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.pop_back();
      std::size_t k = (!v.empty() && (v[0] == '-' || v[0] == '+')) ? 1 : 0;
      if (k == v.size() || v.find_first_not_of("0123456789", k) != std::string::npos || v.size() - k > 10) return false;
      const long long n = std::stoll(v);
      if (n > 0x7fffffffLL || n < -0x7fffffffLL) return false;
      out.push_back(static_cast<std::int32_t>(n));
    }
  }
  return true;
}

}  // namespace

// The lists of a stored connection table read as the plain rule says, for
// many generated lines with blanks, signs, tabs and stray characters.
TEST(StoredLists, ReadExactlyAsThePlainRule) {
  std::uint64_t seed = 12345;
  const auto next = [&seed] {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<unsigned>(seed >> 33);
  };
  const std::string alphabet = "0123456789,,,, \t+-x";
  for (int round = 0; round < 3000; ++round) {
    // A one-atom, no-bond structure whose AdjEnd list is the generated line.
    std::string line;
    const int length = static_cast<int>(next() % 24);
    for (int i = 0; i < length; ++i) line += alphabet[next() % alphabet.size()];
    const std::string struc = "    0.0000    0.0000    0.0000 C   0  0\r\n1,0\r\n" + line + "\r\n\r\n6,\r\n\r\n";
    ConnectionTable t;
    const bool ours = ReadLigandConnectionTable(t, struc, 1, 0);
    std::vector<std::int32_t> values;
    const bool plain = referenceList({line}, 1, values);
    // The table is also checked for consistency: AdjEnd[1] must be 0 here.
    const bool expected = plain && (values.empty() ? true : values[0] == 0);
    ASSERT_EQ(ours, expected) << "line \"" << line << "\"";
  }
}
