// The equilibrium solver of equivane: for one data point it finds the free
// concentrations of the reactants that are not fixed, the species
// concentrations and the amounts of precipitated solids; runSweep calls it
// point by point over a pH, pX or total-concentration range, each point
// starting from the previous solution, and fills the result table.
//
// Everything is fixed-size (11 reactants, 28 species, 3 solids, an order-14
// matrix, 201 points); nothing is allocated during a sweep. Arrays are
// 1-based like the problem's.
#pragma once

#include <array>
#include <cstdint>

#include "equivane/SpeciationProblem.h"

namespace equivane {

inline constexpr int kMaxPoints = 201;
inline constexpr int kMaxUnknowns = kMaxReactants + kMaxSolubilityProducts;  // 14

enum class SolverStatus : int { Converged = 1, IterationLimit = 2, Singular = 3 };

enum class CalculationMode { PhRange, PxRange, TotalConcentration };

// What the main window sets up before a calculation.
struct SweepSettings {
  CalculationMode mode = CalculationMode::PhRange;
  double x0 = 2.0;        // start pH or pX (the total-concentration mode always starts at 0)
  double dx = 0.05;       // step (mmol/L in the total-concentration mode)
  int points = 201;       // 101 or 201
  double fixedPh = 7.0;   // the pH held in the pX and total-concentration modes
  int pxReactant = 0;     // PxRange: the reactant (1..n-1) whose free concentration is swept
  int variedReactant = 1; // TotalConcentration: the reactant (1..n-1) whose total is varied
};

struct ResultTable {
  int points = 0;
  int n = 0, nSpec = 0, nSPuse = 0, nFree = 0;
  CalculationMode mode = CalculationMode::PhRange;
  std::array<double, kMaxPoints + 1> x{};  // x of each row
  std::array<std::array<double, kMaxReactants + 1>, kMaxPoints + 1> free{};
  std::array<std::array<double, kMaxConstants + 1>, kMaxPoints + 1> species{};
  std::array<std::array<double, kMaxSolubilityProducts + 1>, kMaxPoints + 1> solid{};
  std::array<std::array<float, kMaxReactants + 1>, kMaxPoints + 1> total{};
  // How each point ended, and the iterations (all of them, also those
  // before the solids were switched on) and step halvings it took.
  std::array<SolverStatus, kMaxPoints + 1> status{};
  std::array<std::int32_t, kMaxPoints + 1> iterations{};
  std::array<std::int32_t, kMaxPoints + 1> halvings{};

  // Number of points that did not converge.
  int failedPoints() const;
};

// The 32-bit table the result windows show: columns reactants 1..n, species
// 1..nSpec, solids 1..nSPuse and, for lg values with solids, lg S.
inline constexpr int kDerivedColumns = kMaxReactants + kMaxConstants + kMaxSolubilityProducts + 1;
struct DerivedTable {
  int points = 0;
  int columns = 0;
  std::array<std::array<float, kDerivedColumns + 1>, kMaxPoints + 1> value{};
};

class EquilibriumSolver {
 public:
  // Constants of the method.
  static constexpr double kLn10 = 2.302585092994046;
  static constexpr double kCMin = 3.1622776601683795e-160;
  static constexpr double kLnCMin = -367.2623223325503;
  static constexpr double kZeroTotal = 1.7782794100389227e-80;
  static constexpr double kEpsS = 7.071067811865475e-9;
  static constexpr double kStartFraction = 0.001;
  static constexpr double kAcceptance = 1.001;
  static constexpr double kStepLimit = 0.9;
  static constexpr float kHalving = 0.5f;
  static constexpr int kHalvingLimit = 5;
  static constexpr int kIterationLimit = 999;

  // Runs the whole calculation: the problem's lgValue and totalMol must be
  // established (establishValues). Fills result(). Every point's status is
  // recorded; the sweep always goes on to the next point. Returns false, with
  // an empty result, when the settings do not fit the problem (point count
  // outside 1..201, a pX or varied reactant outside 1..n-1, counts beyond
  // the limits).
  bool runSweep(const SpeciationProblem& problem, const SweepSettings& settings);

  // The stages of runSweep, for callers that want to look between points.
  bool prepareSweep(const SpeciationProblem& problem, const SweepSettings& settings);
  void setUpPoint(int i);  // imposes the fixed free concentrations / varied total of point i
  SolverStatus solvePoint();
  void storeRow(int i, SolverStatus status);

  const ResultTable& result() const { return result_; }

  // Derived tables (r: the reference reactant, 1..n-1).
  void derivePercent(int r, DerivedTable& out) const;
  void deriveActual(int r, DerivedTable& out) const;
  void deriveLg(DerivedTable& out) const;
  // lg of the dissolved total of reactant r per point: S = free[r] +
  // sum of nu[r][j]*species[j] over the positive terms.
  void computeLgS(int r, std::array<double, kMaxPoints + 1>& lgS) const;
  // The reference total of reactant r in row i, as the sweep used it.
  double referenceTotal(int r, int i) const;

  // Working state, readable for inspection.
  int n() const { return n_; }
  int nFree() const { return nFree_; }
  int nSPuse() const { return nSPuse_; }
  double X(int u) const { return X_[u]; }
  double step(int u) const { return step_[u]; }
  double lnFree(int k) const { return lnFree_[k]; }
  double total(int k) const { return T_[k]; }
  int lastIterations() const { return iterationsTotal_; }
  int lastHalvings() const { return halvingsTotal_; }

  // The iteration limit per point; only tests lower it to stop a point early.
  int iterationLimit = kIterationLimit;

 private:
  void species();
  void evaluate();
  bool newtonStep();  // false on a singular matrix

  SweepSettings settings_{};
  int n_ = 0, nSpec_ = 0, nSPuse_ = 0, nFree_ = 0;
  std::array<double, kMaxConstants + 1> lnBeta_{};
  std::array<double, kMaxSolubilityProducts + 1> lnSP_{};
  std::array<int, kMaxReactants + 1> fixed_{};
  std::array<int, kMaxReactants + 1> freeIndex_{};  // m-th non-fixed reactant -> k
  std::array<double, kMaxReactants + 1> lnFree_{};
  std::array<double, kMaxReactants + 1> T_{};
  std::array<std::array<double, kMaxConstants + 1>, kMaxReactants + 1> nu_{};
  std::array<std::array<double, kMaxSolubilityProducts + 1>, kMaxReactants + 1> mu_{};
  // Species j's non-zero coefficients among the non-fixed reactants, as
  // (row m, coefficient) pairs, for the Jacobian.
  std::array<std::array<int, kMaxReactants + 1>, kMaxConstants + 1> speciesRows_{};
  std::array<std::array<double, kMaxReactants + 1>, kMaxConstants + 1> speciesNu_{};
  std::array<int, kMaxConstants + 1> speciesRowCount_{};

  std::array<double, kMaxUnknowns + 1> X_{};
  std::array<double, kMaxUnknowns + 1> step_{};
  std::array<double, kMaxConstants + 1> C_{};
  std::array<double, kMaxUnknowns + 1> b_{};
  std::array<std::array<double, kMaxUnknowns + 1>, kMaxUnknowns + 1> J_{};
  std::array<double, kMaxUnknowns + 1> d_{};
  std::array<int, kMaxSolubilityProducts + 1> act_{};
  int nAct_ = 0;
  int N_ = 0;
  bool solidsActive_ = false;
  double tolSS_ = 0.0;
  double SS_ = 0.0;
  int iter_ = 0;
  int iterationsTotal_ = 0;
  int halvingsTotal_ = 0;
  SolverStatus status_ = SolverStatus::Converged;

  ResultTable result_{};
};

}  // namespace equivane
