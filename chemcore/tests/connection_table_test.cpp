#include <gtest/gtest.h>

#include "chemcore/connection_table.h"
#include "chemcore/elements.h"

using namespace chemcore;

namespace {

// Glycine, N-C-C(=O)-O, as a molfile without hydrogens.
const char* const kGlycine =
    "glycine\n  test            2D\n\n"
    "  5  4  0  0  0  0  0  0  0  0999 V2000\n"
    "    0.0000    0.0000    0.0000 N   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "    1.2990    0.7500    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "    2.5981    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "    2.5981   -1.5000    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "    3.8971    0.7500    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "  1  2  1  0\n  2  3  1  0\n  3  4  2  0\n  3  5  1  0\nM  END\n$$$$\n";

}  // namespace

TEST(ElementTable, RowsAreAtomicNumbers) {
  const auto& t = ElementTable();
  EXPECT_STREQ(t[1].symbol, "H");
  EXPECT_STREQ(t[6].symbol, "C");
  EXPECT_STREQ(t[17].symbol, "Cl");
  EXPECT_STREQ(t[103].symbol, "Lr");
  EXPECT_EQ(t[7].valences[1], 3);
  EXPECT_EQ(t[7].valences[2], 5);
  EXPECT_EQ(t[17].valences[4], 7);
  EXPECT_DOUBLE_EQ(t[8].atomicWeight, 15.9994);
  EXPECT_EQ(t[29].group, 1);
  EXPECT_EQ(elementNumber("Cl"), 17);
  EXPECT_EQ(elementNumber("CL"), 0);
  EXPECT_EQ(elementNumber("Xx"), 0);
}

TEST(ConnectionTable, AdjacencyInAtomThenBondOrder) {
  std::vector<MolRecord> recs;
  std::string error;
  ASSERT_TRUE(splitSdRecords(kGlycine, recs, error)) << error;
  ASSERT_EQ(recs.size(), 1u);
  ConnectionTable ct;
  ASSERT_TRUE(buildConnectionTable(recs[0], ct, error)) << error;
  EXPECT_EQ(ct.N, 5);
  EXPECT_EQ(ct.M, 8);
  const int adjEnd[] = {1, 3, 6, 7, 8};
  const int adjAtom[] = {2, 1, 3, 2, 4, 5, 3, 3};
  const int adjBond[] = {1, 1, 1, 1, 2, 1, 2, 1};
  const int element[] = {7, 6, 6, 8, 8};
  for (int k = 1; k <= 5; ++k) {
    EXPECT_EQ(ct.AdjEnd[k], adjEnd[k - 1]);
    EXPECT_EQ(ct.Element[k], element[k - 1]);
  }
  for (int k = 1; k <= 8; ++k) {
    EXPECT_EQ(ct.AdjAtom[k], adjAtom[k - 1]);
    EXPECT_EQ(ct.AdjBond[k], adjBond[k - 1]);
  }
  const std::string text = storedStructureText(recs[0], ct);
  EXPECT_NE(text.find("  3  5  1  0\r\n5,8\r\n1,3,6,7,8,\r\n2,1,3,2,4,5,3,3,\r\n7,6,6,8,8,\r\n1,1,1,1,2,1,2,1,\r\n"),
            std::string::npos)
      << text;
}

TEST(ConnectionTable, ListsWrapAtTenValuesAndEmptyListsTakeOneLine) {
  MolRecord chain;
  chain.name = "undecane";
  for (int i = 0; i < 11; ++i) chain.atomLines.push_back("    0.0000    0.0000    0.0000 C   0  0");
  ConnectionTable ct;
  std::string error;
  ASSERT_TRUE(buildConnectionTable(chain, ct, error));
  const std::string text = storedStructureText(chain, ct);
  // No bonds: AdjAtom and AdjBond are empty lines; AdjEnd and Element take two lines.
  EXPECT_NE(text.find("11,0\r\n0,0,0,0,0,0,0,0,0,0,\r\n0,\r\n\r\n6,6,6,6,6,6,6,6,6,6,\r\n6,\r\n\r\n"), std::string::npos) << text;
}

TEST(ConnectionTable, RefusesBadBondsAndOverCapacity) {
  std::string error;
  MolRecord r;
  r.name = "bad";
  r.atomLines.assign(2, "    0.0000    0.0000    0.0000 C   0  0");
  ConnectionTable ct;
  for (const char* bond : {"  1  3  1  0", "  0  1  1  0", "  1 x2  1  0"}) {
    r.bondLines = {bond};
    EXPECT_FALSE(buildConnectionTable(r, ct, error)) << bond;
    EXPECT_NE(error.find("bad bond line"), std::string::npos);
  }
  r.atomLines.assign(106, "    0.0000    0.0000    0.0000 C   0  0");
  r.bondLines.clear();
  for (int i = 1; i <= 106; ++i) r.bondLines.push_back((i < 10 ? "  " : i < 100 ? " " : "") + std::to_string(i) + "  1  1  0");
  r.bondLines[0] = "  1  2  1  0";
  EXPECT_FALSE(buildConnectionTable(r, ct, error));
  EXPECT_NE(error.find("capacity"), std::string::npos);
}

TEST(SdRecords, SeveralRecordsAndTruncatedFiles) {
  std::vector<MolRecord> recs;
  std::string error;
  const std::string two = std::string(kGlycine) + kGlycine;
  ASSERT_TRUE(splitSdRecords(two, recs, error));
  EXPECT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[1].bondLines.size(), 4u);
  recs.clear();
  const std::string cut(kGlycine, std::string(kGlycine).find("  3  4  2  0"));
  EXPECT_FALSE(splitSdRecords(cut, recs, error));
  EXPECT_NE(error.find("ends inside"), std::string::npos);
}
