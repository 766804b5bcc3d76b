// The .spc data file: writing, reading, the solubility count, symbols, the
// totals format, short files and files holding a hand-off block.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fixtures.h"

namespace equivane {
namespace {

constexpr const char* kWithSolids =
    "Copper hydroxide\r\n3\r\nCu\r\n   2.500000\r\ngly\r\n   1.000000\r\n2\r\n8.1, 1, 1, 0\r\n-8.0, 1, 0, -1\r\n"
    "2\r\n8.7, 1, 0, -2\r\n-3.5, 0, 1, 1\r\n";

TEST(SpcFile, RoundTripKeepsEveryLineAndEndsLinesWithCrLf) {
  SpeciationProblem p;
  ASSERT_TRUE(readSpcText(p, kWithSolids).ok);
  EXPECT_EQ(p.title, "Copper hydroxide");
  ASSERT_EQ(p.n, 3);
  EXPECT_EQ(p.reactants[1].name, "Cu");
  EXPECT_EQ(p.reactants[1].totalMmol, 2.5);
  EXPECT_EQ(p.reactants[3].name, "hydrogen");
  ASSERT_EQ(p.nSpec, 2);
  EXPECT_EQ(p.constants[2].lgText, "-8.0");
  EXPECT_EQ(p.constants[2].coefficients[3], -1);
  EXPECT_TRUE(p.solubilityIncluded);
  ASSERT_EQ(p.nSP, 2);
  EXPECT_EQ(p.solubilityProducts[2].label, 'y');
  writeImage(p);
  EXPECT_EQ(imageText(p.fileImage), kWithSolids);

  // Saved through a file and read back.
  const auto path = std::filesystem::temp_directory_path() / "equivane_round_trip.spc";
  ASSERT_EQ(saveFile(p, path.string()), "");
  SpeciationProblem q;
  ASSERT_TRUE(readFile(q, path.string()).ok);
  EXPECT_EQ(q.fileName, path.string());
  writeImage(q);
  EXPECT_EQ(q.fileImage, p.fileImage);
  std::filesystem::remove(path);
}

TEST(SpcFile, SolubilityCountZeroAndSolubilitySwitchedOff) {
  // Count 0: the dummy product, solubility off; saving writes 0 again.
  SpeciationProblem p;
  ASSERT_TRUE(readSpcText(p, "t\n2\nL\n1\n1\n7.0, 1, 1\n0\n").ok);
  EXPECT_FALSE(p.solubilityIncluded);
  ASSERT_EQ(p.nSP, 1);
  EXPECT_EQ(p.solubilityProducts[1].lgText, "1.0");
  EXPECT_EQ(p.solubilityProducts[1].lgValue, 1.0);
  writeImage(p);
  EXPECT_EQ(p.fileImage.back(), "0");
  EXPECT_EQ(p.fileImage.size(), 7u);

  // Products in the table but solubility off: saved with the count 0.
  ASSERT_TRUE(readSpcText(p, kWithSolids).ok);
  p.solubilityIncluded = false;
  writeImage(p);
  EXPECT_EQ(p.fileImage.back(), "0");
  EXPECT_EQ(p.fileImage.size(), 10u);
}

TEST(SpcFile, TenReactantsGetSymbolsSkippingH) {
  std::string text = "ten\n11\n";
  for (int k = 1; k <= 10; ++k) text += "R" + std::to_string(k) + "\n" + std::to_string(k) + ".5\n";
  text += "1\n1.0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, -1\n0\n";
  SpeciationProblem p;
  ASSERT_TRUE(readSpcText(p, text).ok);
  std::string symbols;
  for (int k = 1; k <= p.n; ++k) symbols += p.reactants[k].symbol;
  EXPECT_EQ(symbols, "ABCDEFGIJKH");
  buildFormulas(p);
  EXPECT_EQ(p.constants[1].formula, "ABCDEFGIJKH-1");
  writeImage(p);
  EXPECT_EQ(p.fileImage[3], "   1.500000");  // "%11.6f"
  EXPECT_EQ(p.fileImage[21], "  10.500000");
  EXPECT_EQ(p.fileImage[23], "1.0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, -1");
}

TEST(SpcFile, LenientNumbersAndShortOrOversizedFiles) {
  SpeciationProblem p;
  ASSERT_TRUE(readSpcText(p, "t\n 3 reactants\nA\n 2.5 mM\nB\nnone\n1\n 7.0 ,1x, 2\n0\n").ok);
  EXPECT_EQ(p.n, 3);
  EXPECT_EQ(p.reactants[1].totalMmol, 2.5);
  EXPECT_EQ(p.reactants[2].totalMmol, 0.0);
  EXPECT_EQ(p.constants[1].lgText, "7.0 ");
  EXPECT_EQ(p.constants[1].coefficients[1], 1);
  EXPECT_EQ(p.constants[1].coefficients[2], 0);  // too few fields: the last is hydrogen's
  EXPECT_EQ(p.constants[1].coefficients[3], 2);
  // lgText is converted only when the grid is read back.
  EXPECT_EQ(p.constants[1].lgValue, 0.0);
  EXPECT_EQ(establishValues(p), "");
  EXPECT_EQ(p.constants[1].lgValue, 7.0);

  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"", "List index out of bounds (0)"},
      {"t\n3\nA\n1\nB\n", "List index out of bounds (5)"},
      {"t\n2\nA\n1\n2\n7.0, 1, 1\n", "List index out of bounds (6)"},
      {"t\n2\nA\n1\n1\n7.0, 1, 1\n", "List index out of bounds (6)"},
      {"t\n2\nA\n1\n1\n7.0, 1, 1\n2\n1.0, 1, 1\n", "List index out of bounds (8)"},
      {"t\n12\n", "Maximum of 11 reactants, including hydrogen"},
      {"t\n1\n", "You maust have at least ONE reactant in addition to H+"},
      {"t\n2\nA\n1\n29\n", "Maximum of 28 constants"},
      {"t\n2\nA\n1\n1\n7.0, 1, 1\n4\n", "Maximum of 3 solubility products"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SpeciationProblem q;
    const ReadOutcome r = readSpcText(q, c.text);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, c.message);
    EXPECT_LE(q.n, kMaxReactants);
    EXPECT_GE(q.nSP, 1);
  }
  // What was read before the missing line stays.
  SpeciationProblem q;
  readSpcText(q, "t\n3\nA\n1\nB\n");
  EXPECT_EQ(q.title, "t");
  EXPECT_EQ(q.reactants[2].name, "B");
}

TEST(SpcFile, FirstLineWithAMarkerIsAHandoffBlock) {
  const std::string block =
      "abFullOrvale\r\nGlycine\r\nH+\r\n9.6\r\n12.0\r\n\r\n\r\n\r\n\r\n\r\n\r\n";
  SpeciationProblem p;
  ASSERT_TRUE(readSpcText(p, block).ok);
  EXPECT_TRUE(p.fromDatabase);
  EXPECT_EQ(p.title, "Glycine");
  EXPECT_EQ(p.n, 2);
  EXPECT_EQ(p.nSpec, 2);

  SpeciationProblem q;
  const ReadOutcome bad = readSpcText(q, "MiniOrvale\r\nx\r\n");
  EXPECT_FALSE(bad.ok);
  EXPECT_EQ(bad.message, "Clipboard error after line 2");
}

}  // namespace
}  // namespace equivane
