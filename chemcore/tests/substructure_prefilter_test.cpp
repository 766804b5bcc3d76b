// The cheap rejections before the search: element counts and rings.
#include <gtest/gtest.h>

#include "chemcore/connection_table.h"
#include "chemcore/sdfmol.h"

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
