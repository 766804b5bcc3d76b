// The common layout of the result texts.
#include <gtest/gtest.h>

#include <memory>

#include "fixtures.h"

namespace equivane {
namespace {

TEST(ResultText, ExponentPattern) {
  const std::pair<double, const char*> cases[] = {
      {1.234e-5, "1.23E-05"}, {4560.0, "4.56E03"}, {0.0, "0.00E00"},
      {-2.5e-120, "-2.50E-120"}, {9.999e-3, "1.00E-02"}, {1.0, "1.00E00"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(formatExponent(value), text) << value;
}

TEST(ResultText, CommonLayoutInThePhAndTotalModes) {
  SpeciationProblem p = testing::loadProblem(
      "Copper glycinate\n3\nCu\n1.0\nglycinate\n2.5\n2\n8.1, 1, 1, 0\n9.6, 0, 1, 1\n1\n8.7, 1, 0, -2\n");
  auto s = std::make_unique<EquilibriumSolver>();
  ASSERT_TRUE(s->runSweep(p, testing::phSweep(2.0, 12.0, 101)));
  DerivedTable percent;
  s->derivePercent(1, percent);
  const auto lines = writeResultText(p, s->result(), percent, 1, false);
  ASSERT_EQ(lines.size(), 10u + 101u);
  EXPECT_EQ(lines[0], "Copper glycinate");
  EXPECT_EQ(lines[1], "A   Cu                1.000000 mmol/litre");
  EXPECT_EQ(lines[2], "B   glycinate         2.500000 mmol/litre");
  EXPECT_EQ(lines[3], "H   hydrogen");
  EXPECT_EQ(lines[4], "lg beta values  species");
  EXPECT_EQ(lines[5], "8.1\t\tAB");
  EXPECT_EQ(lines[6], "9.6\t\tBH");
  EXPECT_EQ(lines[7], "8.7\t\tAH-2(s)");
  EXPECT_EQ(lines[8], "Total formation % of Cu");
  EXPECT_EQ(lines[9], " pH/pL   Cu       glycinat  AB       BH      AH-2(s)  ");
  // pH 2: [L] = 2.5e-3 / 10^7.6, so [CuL]/[Cu] = 10^8.1 [L] = 0.0079.
  EXPECT_EQ(lines[10], " 2.000  99.22     0.00      0.78     0.00     0.00  ");

  // Actual concentrations in the exponent pattern; the total mode lists the
  // reactants without totals.
  SweepSettings total;
  total.mode = CalculationMode::TotalConcentration;
  total.variedReactant = 1;
  total.fixedPh = 4.0;
  total.dx = 0.1;
  total.points = 101;
  ASSERT_TRUE(s->runSweep(p, total));
  DerivedTable actual;
  s->deriveActual(1, actual);
  const auto totalLines = writeResultText(p, s->result(), actual, 1, true);
  EXPECT_EQ(totalLines[1], "A   Cu");
  EXPECT_EQ(totalLines[3], "H   hydrogen");
  // The first row is at 0 mmol/L (computed with 1e-8 mol/L); at pH 4 free
  // copper is 1e-8 / (1 + 10^8.1 [L]), [L] = 2.5e-3 / (1 + 10^5.6).
  EXPECT_EQ(totalLines[10].substr(0, 16), " 0.000 5.58E-09 ");
}

}  // namespace
}  // namespace equivane
