// The equilibrium solver and its sweeps against values computed without it:
// closed-form fractions of acids, mass balances recomputed from the output,
// the solubility of an amphoteric hydroxide, and the edge cases of the method.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "fixtures.h"

namespace equivane {
namespace {

using testing::loadProblem;
using testing::phSweep;

double lg10(double v) { return std::log10(v); }

// Solver state is large (the result table); keep it off the stack.
std::unique_ptr<EquilibriumSolver> solver() { return std::make_unique<EquilibriumSolver>(); }

TEST(Solver, AcidFractionsFollowClosedForms) {
  // Monoprotic (lg K 4.75) and diprotic (lg K 9.5 and 4.2) acids, 1 mmol/L.
  struct Case {
    const char* file;
    std::vector<double> lgBeta;  // cumulative protonation constants
  };
  const Case cases[] = {
      {"acetic\n2\nAc\n1.0\n1\n4.75, 1, 1\n0\n", {4.75}},
      {"oxalate-like\n2\nL\n1.0\n2\n9.5, 1, 1\n13.7, 1, 2\n0\n", {9.5, 13.7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const SpeciationProblem p = loadProblem(c.file);
    auto s = solver();
    ASSERT_TRUE(s->runSweep(p, phSweep(2.0, 12.0)));
    const ResultTable& r = s->result();
    ASSERT_EQ(r.points, 201);
    EXPECT_EQ(r.failedPoints(), 0);
    for (int i = 1; i <= r.points; ++i) {
      const double pH = 2.0 + (i - 1) * 0.05;
      ASSERT_NEAR(r.x[i], pH, 1e-12);
      const double h = std::pow(10.0, -pH);
      double denominator = 1.0;
      for (std::size_t q = 0; q < c.lgBeta.size(); ++q)
        denominator += std::pow(10.0, c.lgBeta[q]) * std::pow(h, static_cast<double>(q + 1));
      EXPECT_NEAR(r.free[i][2], h, h * 1e-12);
      EXPECT_NEAR(r.free[i][1] / 1e-3, 1.0 / denominator, 1e-8) << "pH " << pH;
      for (std::size_t q = 0; q < c.lgBeta.size(); ++q) {
        const double alpha = std::pow(10.0, c.lgBeta[q]) * std::pow(h, static_cast<double>(q + 1)) / denominator;
        EXPECT_NEAR(r.species[i][static_cast<int>(q) + 1] / 1e-3, alpha, 1e-8) << "pH " << pH;
      }
    }
  }
}

constexpr const char* kMetalLigand =
    "Cu - glycine\n3\nCu\n1.0\ngly\n2.5\n5\n"
    "8.1, 1, 1, 0\n15.0, 1, 2, 0\n9.6, 0, 1, 1\n12.0, 0, 1, 2\n-8.0, 1, 0, -1\n0\n";

// Species from the free concentrations, and both mass balances, recomputed
// from a stored row. The balances hold to the solver's acceptance rule: the
// sum of squared residuals is at most (tM^2 + tL^2) * 5e-17, that is about
// 7e-9 relative (a warm-started point is accepted as soon as it is within).
void checkMetalLigandRow(const SpeciationProblem& p, const ResultTable& r, int i, double tM, double tL) {
  const double m = r.free[i][1], l = r.free[i][2], h = r.free[i][3];
  for (int j = 1; j <= p.nSpec; ++j) {
    const auto& c = p.constants[j].coefficients;
    const double expected =
        std::pow(10.0, p.constants[j].lgValue) * std::pow(m, c[1]) * std::pow(l, c[2]) * std::pow(h, c[3]);
    ASSERT_NEAR(r.species[i][j], expected, expected * 1e-11) << "row " << i << " species " << j;
  }
  const auto& sp = r.species[i];
  const double residualM = tM - (m + sp[1] + sp[2] + sp[5]);
  const double residualL = tL - (l + sp[1] + 2 * sp[2] + sp[3] + sp[4]);
  EXPECT_LE(residualM * residualM + residualL * residualL, (tM * tM + tL * tL) * 5.0001e-17) << "row " << i;
}

TEST(Solver, MetalLigandMassBalancesHoldOverThePhRange) {
  const SpeciationProblem p = loadProblem(kMetalLigand);
  auto s = solver();
  ASSERT_TRUE(s->runSweep(p, phSweep(2.0, 12.0)));
  const ResultTable& r = s->result();
  EXPECT_EQ(r.failedPoints(), 0);
  for (int i = 1; i <= r.points; ++i) {
    checkMetalLigandRow(p, r, i, 1e-3, 2.5e-3);
    EXPECT_EQ(r.total[i][1], 1e-3f);
    EXPECT_EQ(r.total[i][3], 1.0f);  // hydrogen is fixed
  }
  // The complex dominates in the middle of the range.
  EXPECT_GT(r.species[101][2], 0.9e-3);
}

TEST(Solver, PxSweepFixesTheSweptReactantAndThePh) {
  const SpeciationProblem p = loadProblem(kMetalLigand);
  SweepSettings set;
  set.mode = CalculationMode::PxRange;
  set.pxReactant = 2;
  set.fixedPh = 6.0;
  set.x0 = 3.0;
  set.dx = 0.1;
  set.points = 101;
  auto s = solver();
  ASSERT_TRUE(s->runSweep(p, set));
  const ResultTable& r = s->result();
  EXPECT_EQ(r.failedPoints(), 0);
  for (int i = 1; i <= r.points; i += 10) {
    EXPECT_NEAR(lg10(r.free[i][2]), -(3.0 + (i - 1) * 0.1), 1e-12);
    EXPECT_NEAR(lg10(r.free[i][3]), -6.0, 1e-12);
    EXPECT_EQ(r.total[i][2], 1.0f);
    const auto& sp = r.species[i];
    EXPECT_NEAR(r.free[i][1] + sp[1] + sp[2] + sp[5], 1e-3, 1e-13);
  }
}

TEST(Solver, TotalConcentrationSweepStartsAtOneTimesTenToTheMinusEight) {
  const SpeciationProblem p = loadProblem(kMetalLigand);
  SweepSettings set;
  set.mode = CalculationMode::TotalConcentration;
  set.variedReactant = 1;
  set.fixedPh = 7.0;
  set.x0 = 0.0;
  set.dx = 10.0 / 200;
  set.points = 201;
  auto s = solver();
  ASSERT_TRUE(s->runSweep(p, set));
  const ResultTable& r = s->result();
  EXPECT_EQ(r.failedPoints(), 0);
  EXPECT_EQ(r.total[1][1], 1e-8f);
  EXPECT_EQ(r.total[2][1], static_cast<float>(0.05e-3));
  EXPECT_EQ(r.total[201][1], 10e-3f);
  checkMetalLigandRow(p, r, 1, 1e-8, 2.5e-3);
  checkMetalLigandRow(p, r, 2, 0.05e-3, 2.5e-3);
  checkMetalLigandRow(p, r, 201, 10e-3, 2.5e-3);
  // Percentages use each row's own total.
  DerivedTable percent;
  s->derivePercent(1, percent);
  for (int i : {1, 2, 100, 201}) {
    float sum = percent.value[i][1];
    for (int j = 1; j <= p.nSpec; ++j) sum += percent.value[i][p.n + j];
    EXPECT_NEAR(sum, 100.0f, 1e-3f) << "row " << i;
  }
}

TEST(Solver, AmphotericHydroxidePrecipitatesAndRedissolves) {
  // M(OH)2(s) with lg *Kso = 11.02 ([M] = 10^11.02 [H]^2 at saturation),
  // soluble M(OH)3- and M(OH)4-- at high pH; 1 mmol/L of M from pH 4 to 14.
  const SpeciationProblem p = loadProblem(
      "amphoteric\n2\nM\n1.0\n2\n-30.0, 1, -3\n-36.0, 1, -4\n1\n11.02, 1, -2\n");
  ASSERT_TRUE(p.solubilityIncluded);
  auto s = solver();
  ASSERT_TRUE(s->runSweep(p, phSweep(4.0, 14.0)));
  const ResultTable& r = s->result();
  EXPECT_EQ(r.failedPoints(), 0);
  int precipitated = 0;
  bool seenBefore = false, seenAfter = false;
  for (int i = 1; i <= r.points; ++i) {
    const double h = std::pow(10.0, -r.x[i]);
    // Dissolved M at saturation, and the solid that must then be present.
    const double mSat = std::pow(10.0, 11.02) * h * h;
    const double dissolvedSat = mSat * (1 + 1e-30 / (h * h * h) + 1e-36 / (h * h * h * h));
    const double dissolved = r.free[i][1] + r.species[i][1] + r.species[i][2];
    EXPECT_NEAR(dissolved + r.solid[i][1], 1e-3, 1e-3 * 1e-8) << "pH " << r.x[i];
    if (dissolvedSat < 0.999e-3) {
      ++precipitated;
      EXPECT_NEAR(r.free[i][1], mSat, mSat * 1e-6) << "pH " << r.x[i];
      EXPECT_NEAR(r.solid[i][1], 1e-3 - dissolvedSat, 1e-11) << "pH " << r.x[i];
    } else if (dissolvedSat > 1.001e-3) {
      EXPECT_EQ(r.solid[i][1], 0.0) << "pH " << r.x[i];
      (precipitated == 0 ? seenBefore : seenAfter) = true;
    }
  }
  EXPECT_GT(precipitated, 50);
  EXPECT_TRUE(seenBefore);
  EXPECT_TRUE(seenAfter);  // redissolved at high pH
}

TEST(Solver, ZeroTotalIsReplacedAndLeavesTheOtherReactantsAlone) {
  const SpeciationProblem withZero = loadProblem(
      "zero\n3\nM\n0.0\nL\n1.0\n2\n5.0, 1, 1, 0\n4.75, 0, 1, 1\n0\n");
  const SpeciationProblem ligandOnly = loadProblem("ligand\n2\nL\n1.0\n1\n4.75, 1, 1\n0\n");
  auto a = solver();
  auto b = solver();
  ASSERT_TRUE(a->runSweep(withZero, phSweep(2.0, 12.0, 101)));
  ASSERT_TRUE(b->runSweep(ligandOnly, phSweep(2.0, 12.0, 101)));
  EXPECT_EQ(a->total(1), EquilibriumSolver::kZeroTotal);
  EXPECT_EQ(a->result().failedPoints(), 0);
  for (int i = 1; i <= 101; ++i) {
    EXPECT_NEAR(a->result().free[i][2], b->result().free[i][1], 1e-3 * 1e-8);
    EXPECT_LT(a->result().species[i][1], 1e-70);
    EXPECT_FALSE(std::isnan(a->result().free[i][1]));
  }
}

TEST(Solver, LargeFirstStepIsDampedToNinetyPercent) {
  // pH 2 with lg K 10: the start value 0.001 * T is far too high, and the
  // first Newton step would cut it by more than 90 %.
  const SpeciationProblem p = loadProblem("strong base\n2\nL\n1.0\n1\n10.0, 1, 1\n0\n");
  auto s = solver();
  s->iterationLimit = 2;  // stop right after the first step
  ASSERT_TRUE(s->prepareSweep(p, phSweep(2.0, 3.0, 2)));
  s->setUpPoint(1);
  EXPECT_EQ(s->solvePoint(), SolverStatus::IterationLimit);
  EXPECT_NEAR(s->step(1) / 1e-6, -0.9, 1e-14);
  EXPECT_NEAR(s->X(1), 1e-7, 1e-20);

  s->iterationLimit = EquilibriumSolver::kIterationLimit;
  ASSERT_TRUE(s->prepareSweep(p, phSweep(2.0, 3.0, 2)));
  s->setUpPoint(1);
  EXPECT_EQ(s->solvePoint(), SolverStatus::Converged);
  EXPECT_NEAR(s->X(1), 1e-3 / (1 + 1e8), 1e-3 / 1e8 * 1e-8);
}

TEST(Solver, OvershootingStepsAreHalvedAndThePointStillConverges) {
  // A species A B3 H-1 with a large constant: from the start values the
  // Newton steps overshoot, are halved, and after five halvings the current
  // values are accepted and a new step is taken.
  const SpeciationProblem p = loadProblem("cubic\n3\nA\n1.1\nB\n5.0\n1\n18.0, 1, 3, -1\n0\n");
  auto s = solver();
  ASSERT_TRUE(s->runSweep(p, phSweep(2.0, 12.0)));
  const ResultTable& r = s->result();
  EXPECT_EQ(r.failedPoints(), 0);
  EXPECT_GT(r.halvings[1], EquilibriumSolver::kHalvingLimit);
  for (int i : {1, 2, 101, 201}) {
    const double c = r.species[i][1];
    EXPECT_NEAR(r.free[i][1] + c, 1.1e-3, 1.1e-3 * 1e-10) << "row " << i;
    EXPECT_NEAR(r.free[i][2] + 3 * c, 5e-3, 5e-3 * 1e-10) << "row " << i;
    const double expected = 1e18 * r.free[i][1] * std::pow(r.free[i][2], 3) / r.free[i][3];
    EXPECT_NEAR(c, expected, expected * 1e-11) << "row " << i;
  }
}

TEST(Solver, FailedPointsAreRecordedAndNamedInTheResultText) {
  // A solid whose coefficients are all 0 takes part (lg SP < 0) and gives an
  // exactly zero pivot at every point; the sweep goes on regardless.
  SpeciationProblem p = loadProblem("singular\n2\nL\n1.0\n1\n4.75, 1, 1\n1\n-3.0, 0, 0\n");
  auto s = solver();
  ASSERT_TRUE(s->runSweep(p, phSweep(2.0, 12.0, 101)));
  const ResultTable& r = s->result();
  EXPECT_EQ(r.failedPoints(), 101);
  for (int i = 1; i <= r.points; ++i) {
    ASSERT_EQ(r.status[i], SolverStatus::Singular);
    // The row holds the last iterate: here the converged mass balance.
    EXPECT_NEAR(r.free[i][1] + r.species[i][1], 1e-3, 1e-3 * 1e-8);
  }
  DerivedTable percent;
  s->derivePercent(1, percent);
  const auto text = writeResultText(p, r, percent, 1, false);
  const auto note = convergenceNote(r);
  ASSERT_EQ(note.size(), 2u + 101u);
  EXPECT_EQ(note[1], "Not converged at 101 of 101 points; their rows hold the last iterate:");
  EXPECT_EQ(note[2], "  point 1 at  2.000: singular matrix");
  ASSERT_GE(text.size(), note.size());
  EXPECT_TRUE(std::equal(note.begin(), note.end(), text.end() - static_cast<long>(note.size())));

  // A point exactly at saturation of a solid with lg SP > 0 stalls: the solid
  // takes part within the tolerance, is dissolved again by every step, and
  // the mass balance never closes. Both such points are reported.
  const SpeciationProblem amphoteric = loadProblem(
      "amphoteric\n2\nM\n1.0\n2\n-30.0, 1, -3\n-36.0, 1, -4\n1\n11.0, 1, -2\n");
  ASSERT_TRUE(s->runSweep(amphoteric, phSweep(4.0, 14.0)));
  EXPECT_EQ(s->result().failedPoints(), 2);
  EXPECT_EQ(s->result().status[61], SolverStatus::IterationLimit);   // pH 7.00
  EXPECT_EQ(s->result().status[141], SolverStatus::IterationLimit);  // pH 11.00

  // An iteration limit is recorded the same way; a converged sweep has no note.
  const SpeciationProblem acid = loadProblem("acid\n2\nL\n1.0\n1\n10.0, 1, 1\n0\n");
  s->iterationLimit = 3;
  ASSERT_TRUE(s->runSweep(acid, phSweep(2.0, 12.0, 11)));
  EXPECT_EQ(s->result().status[1], SolverStatus::IterationLimit);
  EXPECT_NE(convergenceNote(s->result()).at(2).find("iteration limit"), std::string::npos);
  s->iterationLimit = EquilibriumSolver::kIterationLimit;
  ASSERT_TRUE(s->runSweep(acid, phSweep(2.0, 12.0, 11)));
  EXPECT_TRUE(convergenceNote(s->result()).empty());
}

TEST(Solver, RefusesSettingsThatDoNotFitTheProblem) {
  const SpeciationProblem p = loadProblem(kMetalLigand);
  auto s = solver();
  SweepSettings set = phSweep(2.0, 12.0);
  set.points = 202;
  EXPECT_FALSE(s->runSweep(p, set));
  set = phSweep(2.0, 12.0);
  set.mode = CalculationMode::PxRange;
  set.pxReactant = 3;  // hydrogen
  EXPECT_FALSE(s->runSweep(p, set));
  EXPECT_EQ(s->result().points, 0);
}

TEST(DerivedTables, PercentActualAndLgOfOneRow) {
  const SpeciationProblem p = loadProblem(kMetalLigand);
  auto s = solver();
  ASSERT_TRUE(s->runSweep(p, phSweep(2.0, 12.0)));
  const ResultTable& r = s->result();
  DerivedTable percent, actual, lg;
  s->derivePercent(2, percent);  // based on the ligand
  s->deriveActual(2, actual);
  s->deriveLg(lg);
  const int i = 101, n = p.n;
  EXPECT_EQ(percent.columns, n + p.nSpec);
  EXPECT_EQ(percent.value[i][1], 0.0f);
  EXPECT_FLOAT_EQ(percent.value[i][2], static_cast<float>(100 * r.free[i][2] / 2.5e-3));
  EXPECT_FLOAT_EQ(percent.value[i][n + 2], static_cast<float>(100 * 2 * r.species[i][2] / 2.5e-3));
  EXPECT_EQ(percent.value[i][n + 5], 0.0f);  // MOH holds no ligand
  EXPECT_FLOAT_EQ(actual.value[i][n + 2], static_cast<float>(2 * r.species[i][2]));
  EXPECT_FLOAT_EQ(actual.value[i][1], static_cast<float>(r.free[i][1]));
  EXPECT_FLOAT_EQ(lg.value[i][3], -7.0f);
  EXPECT_FLOAT_EQ(lg.value[i][n + 1], static_cast<float>(lg10(r.species[i][1])));

  std::array<double, kMaxPoints + 1> lgS{};
  s->computeLgS(2, lgS);
  EXPECT_NEAR(lgS[i], lg10(2.5e-3), 1e-9);  // no solid: all the ligand is dissolved
}

}  // namespace
}  // namespace equivane
