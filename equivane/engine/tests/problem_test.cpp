// The problem model: labels, formulas and the duplicate check, number
// conversion, the grids, and adding and removing entries with their messages.
#include <gtest/gtest.h>

#include <cmath>

#include "fixtures.h"

namespace equivane {
namespace {

TEST(Problem, NewProblemIsLigandAndHydrogenWithOneConstant) {
  const SpeciationProblem p = newProblem();
  EXPECT_EQ(p.title, "Title");
  ASSERT_EQ(p.n, 2);
  EXPECT_EQ(p.reactants[1].name, "Ligand");
  EXPECT_EQ(p.reactants[1].symbol, 'A');
  EXPECT_EQ(p.reactants[1].totalMmol, 1.0);
  EXPECT_EQ(p.reactants[2].name, "hydrogen");
  EXPECT_EQ(p.reactants[2].symbol, 'H');
  ASSERT_EQ(p.nSpec, 1);
  EXPECT_EQ(p.constants[1].lgText, "7.0");
  EXPECT_EQ(p.constants[1].coefficients[1], 1);
  EXPECT_EQ(p.constants[1].coefficients[2], 1);
  ASSERT_EQ(p.nSP, 1);
  EXPECT_EQ(p.solubilityProducts[1].lgText, "1.0");
  EXPECT_FALSE(p.solubilityIncluded);
  EXPECT_FALSE(p.fromDatabase);
}

TEST(Problem, SymbolsAndLabelsByPosition) {
  std::string symbols;
  for (int k = 1; k <= 11; ++k) symbols += reactantSymbol(k, 11);
  EXPECT_EQ(symbols, "ABCDEFGIJKH");
  EXPECT_EQ(constantLabel(1), 'a');
  EXPECT_EQ(constantLabel(26), 'z');
  EXPECT_EQ(constantLabel(27), '{');
  EXPECT_EQ(constantLabel(28), '|');
  EXPECT_EQ(solidLabel(3), 'z');
}

TEST(Problem, FormulasAndTheIdenticalConstantsWarning) {
  SpeciationProblem p = testing::loadProblem(
      "t\n3\nA\n1\nB\n1\n4\n1.0, 1, 2, -1\n2.0, 1, 0, -1\n3.0, 0, 0, 0\n4.0, 1, 0, -1\n1\n5.0, 1, 0, -2\n");
  EXPECT_EQ(buildFormulas(p), "2 identical constants");
  EXPECT_EQ(p.constants[1].formula, "AB2H-1");
  EXPECT_EQ(p.constants[2].formula, "AH-1");
  EXPECT_EQ(p.constants[3].formula, "");
  EXPECT_EQ(p.solubilityProducts[1].formula, "AH-2(s)");
  p.constants[4].coefficients[3] = -2;
  EXPECT_EQ(buildFormulas(p), "");
}

TEST(Numbers, LenientAndStrictConversion) {
  struct Case {
    const char* text;
    double lenient;
    bool strictOk;
  };
  const Case cases[] = {
      {"  2.5", 2.5, true},   {"2.5  ", 2.5, true},  {"-1e-3", -1e-3, true}, {"7.", 7.0, true},
      {".5", 0.5, true},      {"2,5", 2.0, false},   {"12abc", 12.0, false}, {"abc", 0.0, false},
      {"", 0.0, false},       {"1e", 1.0, false},    {"+3", 3.0, true},      {"1e999", HUGE_VAL, false},
      {"1e-999", 0.0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(lenientReal(c.text), c.lenient);
    double v = -1;
    std::string message;
    EXPECT_EQ(strictReal(c.text, v, message), c.strictOk);
    if (!c.strictOk) {
      EXPECT_EQ(message, "'" + std::string(c.text) + "' is not a valid floating point value");
    }
  }
  EXPECT_EQ(lenientInteger(" -3x"), -3);
  EXPECT_EQ(lenientInteger("1.9"), 1);
  EXPECT_EQ(lenientInteger("x"), 0);
  std::int32_t i = 0;
  std::string message;
  EXPECT_TRUE(strictInteger(" 12 ", i, message));
  EXPECT_EQ(i, 12);
  EXPECT_FALSE(strictInteger("1.5", i, message));
  EXPECT_EQ(message, "'1.5' is not a valid integer value");
  EXPECT_FALSE(strictInteger("99999999999", i, message));
}

TEST(Numbers, DecimalSeparatorMessage) {
  EXPECT_EQ(decimalSeparatorMessage("."), "");
  EXPECT_EQ(decimalSeparatorMessage(","),
            "Your computer uses   ','   instead of   '.'  (point)  as the decimal separator\r\n\r\n"
            "This software expects   '.'   (point) as the separator, and this will be set within the program "
            "for you,\r\n  but you must remember to enter   '.'   as the decimal separator when entering values "
            "for constants etc.");
}

TEST(Grids, FillShowsTheModelAndReadStopsAtTheFirstBadCell) {
  SpeciationProblem p = testing::loadProblem("t\n3\nCu\n2.5\ngly\n1\n2\n8.1, 1, 1, 0\n-8, 1, 0, -1\n0\n");
  TextGrid react, kons;
  fillGrid(p, react, GridKind::React);
  fillGrid(p, kons, GridKind::Kons);
  ASSERT_EQ(react.rowCount, 3);
  EXPECT_EQ(react.colWidths, (std::vector<int>{16, 64, 96}));
  EXPECT_EQ(react.at(0, 1), "Reactant");
  EXPECT_EQ(react.at(0, 2), "mmol/l");
  EXPECT_EQ(react.at(1, 0), "A");
  EXPECT_EQ(react.at(1, 2), "   2.500000");
  ASSERT_EQ(kons.rowCount, 3);
  ASSERT_EQ(kons.colCount, 5);
  EXPECT_EQ(kons.at(0, 1), "Lg beta");
  EXPECT_EQ(kons.at(0, 4), "hydrogen");
  EXPECT_EQ(kons.at(2, 0), "b");
  EXPECT_EQ(kons.at(2, 4), "-1");

  react.at(1, 1) = "Zn";
  react.at(2, 2) = "1,0";
  EXPECT_EQ(readGrid(p, react, GridKind::React), "'1,0' is not a valid floating point value");
  EXPECT_EQ(p.reactants[1].name, "Zn");        // read before the bad cell
  EXPECT_EQ(p.reactants[1].totalMol, 2.5e-3);

  kons.at(1, 1) = "9.0";
  kons.at(2, 3) = "x";
  EXPECT_EQ(readGrid(p, kons, GridKind::Kons), "'x' is not a valid integer value");
  EXPECT_EQ(p.constants[1].lgValue, 9.0);
}

TEST(Editing, AddAndRemoveWithTheirMessages) {
  SpeciationProblem p = newProblem();
  p.constants[1].coefficients = {0, 1, -1};
  // Adding a reactant moves hydrogen down with its coefficients.
  EXPECT_EQ(addReactant(p), "");
  ASSERT_EQ(p.n, 3);
  EXPECT_EQ(p.reactants[2].name, "New");
  EXPECT_EQ(p.reactants[2].totalMmol, 1.0);
  EXPECT_EQ(p.reactants[2].symbol, 'B');
  EXPECT_EQ(p.reactants[3].name, "hydrogen");
  EXPECT_EQ(p.reactants[3].symbol, 'H');
  EXPECT_EQ(p.constants[1].coefficients[2], 0);
  EXPECT_EQ(p.constants[1].coefficients[3], -1);
  while (p.n < 11) EXPECT_EQ(addReactant(p), "");
  EXPECT_EQ(p.reactants[10].symbol, 'K');
  EXPECT_EQ(addReactant(p), "Maximum of 11 reactants, including hydrogen");
  EXPECT_EQ(p.constants[1].coefficients[11], -1);

  while (p.nSpec < 28) EXPECT_EQ(addConstant(p), "");
  EXPECT_EQ(p.constants[28].lgText, "1.00");
  EXPECT_EQ(p.constants[28].label, '|');
  EXPECT_EQ(addConstant(p), "Maximum of 28 constants");
  while (p.nSP < 3) EXPECT_EQ(addSolubilityProduct(p), "");
  EXPECT_EQ(addSolubilityProduct(p), "Maximum of 3 solubility products");

  // Removing: header rows, questions, then the removal itself.
  EXPECT_EQ(removeReactantQuestion(p, 0).text, "This is not a reactant!");
  EXPECT_FALSE(removeReactantQuestion(p, 0).ask);
  EXPECT_EQ(removeReactantQuestion(p, 1).text, "Remove Ligand?");
  EXPECT_TRUE(removeReactantQuestion(p, 1).ask);
  removeReactant(p, 1);
  EXPECT_EQ(p.n, 10);
  EXPECT_EQ(p.reactants[1].symbol, 'A');
  EXPECT_EQ(p.reactants[10].name, "hydrogen");
  EXPECT_EQ(p.constants[1].coefficients[10], -1);
  EXPECT_EQ(removeConstantQuestion(p, 0).text, "This is not a constant!");
  EXPECT_EQ(removeConstantQuestion(p, 1).text, "Remove Lg Beta 7.0?");
  EXPECT_EQ(removeSolubilityProductQuestion(p, 0).text, "This is not a constant!");
  EXPECT_EQ(removeSolubilityProductQuestion(p, 2).text, "Remove Lg SP 1.00?");

  SpeciationProblem small = newProblem();
  EXPECT_EQ(removeReactantRefusal(small), "You maust have at least ONE reactant in addition to H+");
  EXPECT_EQ(removeConstantRefusal(small), "You must have at least ONE constant!");
  EXPECT_EQ(removeSolubilityProductRefusal(small),
            "Click on \"Exclude solubility\" to ignore solubility products");
  EXPECT_EQ(removeReactantRefusal(p), "");
}

}  // namespace
}  // namespace equivane
