#include "equivane/EquilibriumSolver.h"

#include <cmath>

namespace equivane {

int ResultTable::failedPoints() const {
  int failed = 0;
  for (int i = 1; i <= points; ++i) failed += status[i] != SolverStatus::Converged;
  return failed;
}

// ---- sweep ----

bool EquilibriumSolver::prepareSweep(const SpeciationProblem& problem, const SweepSettings& settings) {
  result_.points = 0;
  const int n = problem.n;
  if (n < 2 || n > kMaxReactants || problem.nSpec < 0 || problem.nSpec > kMaxConstants || problem.nSP < 0 ||
      problem.nSP > kMaxSolubilityProducts || settings.points < 1 || settings.points > kMaxPoints)
    return false;
  if (settings.mode == CalculationMode::PxRange && (settings.pxReactant < 1 || settings.pxReactant >= n)) return false;
  if (settings.mode == CalculationMode::TotalConcentration &&
      (settings.variedReactant < 1 || settings.variedReactant >= n))
    return false;

  settings_ = settings;
  if (settings.mode == CalculationMode::TotalConcentration) settings_.x0 = 0.0;  // totals run from 0
  n_ = n;
  nSpec_ = problem.nSpec;
  for (int j = 1; j <= nSpec_; ++j) {
    lnBeta_[j] = problem.constants[j].lgValue * kLn10;
    C_[j] = 0.0;
  }
  nSPuse_ = problem.solubilityIncluded ? problem.nSP : 0;
  for (int s = 1; s <= nSPuse_; ++s) lnSP_[s] = problem.solubilityProducts[s].lgValue * kLn10;

  // Which free concentrations the sweep imposes: hydrogen always, and the
  // swept reactant in the pX mode.
  fixed_.fill(0);
  fixed_[n] = 1;
  if (settings.mode == CalculationMode::PxRange) fixed_[settings.pxReactant] = 1;
  nFree_ = 0;
  for (int k = 1; k <= n; ++k)
    if (!fixed_[k]) freeIndex_[++nFree_] = k;

  if (settings.mode == CalculationMode::PxRange)
    lnFree_[n] = -settings.fixedPh * kLn10;
  else
    lnFree_.fill(0.0);

  for (int k = 1; k <= n; ++k) {
    T_[k] = problem.reactants[k].totalMol;
    for (int j = 1; j <= nSpec_; ++j) nu_[k][j] = problem.constants[j].coefficients[k];
    for (int s = 1; s <= nSPuse_; ++s) mu_[k][s] = problem.solubilityProducts[s].coefficients[k];
  }
  for (int j = 1; j <= nSpec_; ++j) {
    int count = 0;
    for (int m = 1; m <= nFree_; ++m) {
      const double v = nu_[freeIndex_[m]][j];
      if (v == 0.0) continue;
      ++count;
      speciesRows_[j][count] = m;
      speciesNu_[j][count] = v;
    }
    speciesRowCount_[j] = count;
  }

  X_.fill(0.0);
  step_.fill(0.0);
  for (auto& row : J_) row.fill(0.0);
  status_ = SolverStatus::Converged;

  result_.n = n;
  result_.nSpec = nSpec_;
  result_.nSPuse = nSPuse_;
  result_.nFree = nFree_;
  result_.mode = settings.mode;
  return true;
}

void EquilibriumSolver::setUpPoint(int i) {
  const double x = settings_.x0 + (i - 1) * settings_.dx;
  if (settings_.mode == CalculationMode::TotalConcentration) {
    double t = (i - 1) * settings_.dx / 1000.0;
    if (t < 1e-8) t = 1e-8;
    T_[settings_.variedReactant] = t;
    lnFree_[n_] = -settings_.fixedPh * kLn10;
  } else {
    for (int k = 1; k < n_; ++k)
      if (fixed_[k]) lnFree_[k] = -x * kLn10;
    if (settings_.mode == CalculationMode::PhRange) lnFree_[n_] = -x * kLn10;
  }
}

void EquilibriumSolver::storeRow(int i, SolverStatus status) {
  ResultTable& r = result_;
  r.x[i] = settings_.x0 + (i - 1) * settings_.dx;
  for (int k = 1; k <= n_; ++k) {
    r.free[i][k] = std::exp(lnFree_[k]);
    r.total[i][k] = fixed_[k] ? 1.0f : static_cast<float>(T_[k]);
  }
  for (int j = 1; j <= nSpec_; ++j) r.species[i][j] = C_[j];
  for (int s = 1; s <= nSPuse_; ++s) r.solid[i][s] = X_[nFree_ + s];
  r.status[i] = status;
  r.iterations[i] = iterationsTotal_;
  r.halvings[i] = halvingsTotal_;
}

bool EquilibriumSolver::runSweep(const SpeciationProblem& problem, const SweepSettings& settings) {
  if (!prepareSweep(problem, settings)) return false;
  for (int i = 1; i <= settings.points; ++i) {
    setUpPoint(i);
    const SolverStatus status = solvePoint();
    storeRow(i, status);
  }
  result_.points = settings.points;
  return true;
}

// ---- one point ----

void EquilibriumSolver::species() {
  for (int m = 1; m <= nFree_; ++m)
    lnFree_[freeIndex_[m]] = X_[m] >= kCMin ? std::log(X_[m]) : kLnCMin;
  for (int j = 1; j <= nSpec_; ++j) {
    double s = lnBeta_[j];
    for (int k = 1; k <= n_; ++k) s += nu_[k][j] * lnFree_[k];
    C_[j] = s >= kLnCMin ? std::exp(s) : 0.0;
  }
}

void EquilibriumSolver::evaluate() {
  SS_ = 0.0;
  nAct_ = 0;
  if (solidsActive_) {
    for (int s = 1; s <= nSPuse_; ++s) {
      double v = lnSP_[s];
      for (int k = 1; k <= n_; ++k) v -= mu_[k][s] * lnFree_[k];
      // Supersaturated beyond the tolerance, or already present.
      if (kEpsS * lnSP_[s] > v || X_[nFree_ + s] > 0.0) {
        ++nAct_;
        act_[nAct_] = s;
        b_[nFree_ + nAct_] = v;
        SS_ += v * v;
      }
    }
  }
  for (int m = 1; m <= nFree_; ++m) {
    const int k = freeIndex_[m];
    double r = T_[k] - X_[m];
    for (int j = 1; j <= nSpec_; ++j) r -= nu_[k][j] * C_[j];
    for (int s = 1; s <= nSPuse_; ++s) r -= mu_[k][s] * X_[nFree_ + s];
    b_[m] = r;
    SS_ += r * r;
  }
  N_ = nFree_ + nAct_;
}

bool EquilibriumSolver::newtonStep() {
  const int N = N_;
  for (int i = 1; i <= N; ++i)
    for (int c = 1; c <= N; ++c) J_[i][c] = 0.0;

  // Mass-balance rows in the variables ln x: the sums over the species first,
  // species by species, then the free concentration on the diagonal.
  for (int j = 1; j <= nSpec_; ++j) {
    const double c = C_[j];
    if (c == 0.0) continue;
    const int count = speciesRowCount_[j];
    for (int a = 1; a <= count; ++a) {
      const int ra = speciesRows_[j][a];
      const double va = speciesNu_[j][a] * c;
      for (int bIndex = a; bIndex <= count; ++bIndex) J_[ra][speciesRows_[j][bIndex]] += va * speciesNu_[j][bIndex];
    }
  }
  for (int m = 1; m <= nFree_; ++m) J_[m][m] = X_[m] + J_[m][m];
  if (solidsActive_)
    for (int a = 1; a <= nAct_; ++a)
      for (int m = 1; m <= nFree_; ++m) J_[m][nFree_ + a] = mu_[freeIndex_[m]][act_[a]];

  // Square-root-free Cholesky (L D L^T) without pivoting on the upper
  // triangle; L goes to the strictly lower triangle.
  status_ = SolverStatus::Converged;
  for (int i = 1; i <= N; ++i) {
    double di = J_[i][i];
    for (int p = 1; p < i; ++p) di -= J_[i][p] * J_[i][p] * d_[p];
    if (di == 0.0) {
      status_ = SolverStatus::Singular;
      return false;
    }
    d_[i] = di;
    for (int q = i + 1; q <= N; ++q) {
      double v = J_[i][q];
      for (int p = 1; p < i; ++p) v -= J_[i][p] * J_[q][p] * d_[p];
      J_[q][i] = v / di;
    }
  }
  for (int i = 2; i <= N; ++i)
    for (int p = 1; p < i; ++p) b_[i] -= J_[i][p] * b_[p];
  for (int i = N; i >= 1; --i) {
    double v = b_[i] / d_[i];
    for (int q = i + 1; q <= N; ++q) v -= J_[q][i] * b_[q];
    b_[i] = v;
  }

  // Damping: no free concentration changes by more than 90 % in one step.
  double f = 1.0;
  for (int u = 1; u <= nFree_; ++u) {
    if (f * b_[u] < -kStepLimit) f = -kStepLimit / b_[u];
    if (f * b_[u] > kStepLimit) f = kStepLimit / b_[u];
  }

  for (int u = 1; u <= nFree_ + nSPuse_; ++u) step_[u] = 0.0;
  for (int u = 1; u <= nFree_; ++u) {
    step_[u] = b_[u] * X_[u] * f;
    X_[u] += step_[u];
    if (X_[u] < kCMin) X_[u] = kCMin;
  }
  if (solidsActive_) {
    for (int a = 1; a <= nAct_; ++a) {
      const int u = nFree_ + act_[a];
      step_[u] = b_[nFree_ + a] * f;
      X_[u] += step_[u];
      if (X_[u] < 0.0) X_[u] = 0.0;  // the solid has dissolved
    }
  }
  return true;
}

SolverStatus EquilibriumSolver::solvePoint() {
  // Start values and tolerance.
  double sum = 0.0;
  for (int m = 1; m <= nFree_; ++m) {
    double& t = T_[freeIndex_[m]];
    if (t == 0.0)
      t = kZeroTotal;
    else
      sum += t * t;
    if (X_[m] == 0.0) X_[m] = std::fabs(kStartFraction * t);
  }
  tolSS_ = sum * kEpsS * kEpsS;

  solidsActive_ = false;
  for (int s = 1; s <= nSPuse_; ++s)
    if (X_[nFree_ + s] != 0.0) solidsActive_ = true;
  iter_ = 0;
  iterationsTotal_ = 0;
  halvingsTotal_ = 0;
  int halvings = 0;
  double SSprev = 0.0;

A:
  ++iter_;
  ++iterationsTotal_;
  halvings = 0;
B:
  species();
C:
  evaluate();
  // D: decide.
  if (iter_ > 1 && SS_ > SSprev) goto E;
  if (SS_ <= tolSS_ && halvings == 0) {
    if (solidsActive_) return status_ = SolverStatus::Converged;
    // The mass balances hold: now test the solids before accepting.
    solidsActive_ = true;
    iter_ = 1;
    goto C;
  }
  // ">=": halvings after the last allowed iteration move on to the next one,
  // which must still stop the point.
  if (iter_ >= iterationLimit) return status_ = SolverStatus::IterationLimit;
  SSprev = kAcceptance * SS_;
  goto F;
E:
  ++halvings;
  ++halvingsTotal_;
  if (halvings > kHalvingLimit) {
    SSprev = SS_;  // accept the current values and take a new step from them
    goto A;
  }
  for (int u = 1; u <= nFree_ + nSPuse_; ++u) {
    if (X_[u] != 0.0 && step_[u] != 0.0) {
      step_[u] = kHalving * step_[u];
      X_[u] -= step_[u];
    }
  }
  goto B;
F:
  if (!newtonStep()) return status_;
  goto A;
}

// ---- derived tables ----

double EquilibriumSolver::referenceTotal(int r, int i) const {
  if (settings_.mode == CalculationMode::TotalConcentration && r == settings_.variedReactant) {
    const double t = (i - 1) * settings_.dx / 1000.0;
    return t < 1e-8 ? 1e-8 : t;
  }
  return T_[r];
}

void EquilibriumSolver::derivePercent(int r, DerivedTable& out) const {
  const ResultTable& res = result_;
  out.points = res.points;
  out.columns = n_ + nSpec_ + nSPuse_;
  for (int i = 1; i <= res.points; ++i) {
    const double tr = referenceTotal(r, i);
    auto& row = out.value[i];
    for (int k = 1; k <= n_; ++k) row[k] = k == r ? static_cast<float>(100.0 * res.free[i][k] / tr) : 0.0f;
    for (int j = 1; j <= nSpec_; ++j) row[n_ + j] = static_cast<float>(100.0 * nu_[r][j] * res.species[i][j] / tr);
    for (int s = 1; s <= nSPuse_; ++s)
      row[n_ + nSpec_ + s] = static_cast<float>(100.0 * mu_[r][s] * res.solid[i][s] / tr);
  }
}

void EquilibriumSolver::deriveActual(int r, DerivedTable& out) const {
  const ResultTable& res = result_;
  out.points = res.points;
  out.columns = n_ + nSpec_ + nSPuse_;
  for (int i = 1; i <= res.points; ++i) {
    auto& row = out.value[i];
    for (int k = 1; k <= n_; ++k) row[k] = static_cast<float>(res.free[i][k]);
    for (int j = 1; j <= nSpec_; ++j) row[n_ + j] = static_cast<float>(nu_[r][j] * res.species[i][j]);
    for (int s = 1; s <= nSPuse_; ++s) row[n_ + nSpec_ + s] = static_cast<float>(mu_[r][s] * res.solid[i][s]);
  }
}

void EquilibriumSolver::deriveLg(DerivedTable& out) const {
  const ResultTable& res = result_;
  out.points = res.points;
  out.columns = n_ + nSpec_ + nSPuse_;
  auto lg = [](double v) { return v > 0.0 ? static_cast<float>(std::log(v) / kLn10) : 1.0f; };
  for (int i = 1; i <= res.points; ++i) {
    auto& row = out.value[i];
    for (int k = 1; k <= n_; ++k) row[k] = lg(res.free[i][k]);
    for (int j = 1; j <= nSpec_; ++j) row[n_ + j] = lg(res.species[i][j]);
    for (int s = 1; s <= nSPuse_; ++s) row[n_ + nSpec_ + s] = lg(res.solid[i][s]);
  }
}

void EquilibriumSolver::computeLgS(int r, std::array<double, kMaxPoints + 1>& lgS) const {
  const ResultTable& res = result_;
  for (int i = 1; i <= res.points; ++i) {
    double s = res.free[i][r] > 0.0 ? res.free[i][r] : 0.0;
    for (int j = 1; j <= nSpec_; ++j) {
      const double term = nu_[r][j] * res.species[i][j];
      if (term > 0.0) s += term;
    }
    lgS[i] = std::log(s) / kLn10;
  }
}

}  // namespace equivane
