// Speed of the speciation engine: whole 201-point sweeps of the solver.
//   bench_speciation
// Targets: a problem of 10 reactants besides hydrogen, 28 constants and 3
// solubility products (several solids precipitating) under 2 ms per pH sweep;
// a typical ligand-metal-proton problem under 0.2 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "equivane/SpecSubs.h"

namespace {

using namespace equivane;

// Five metals (A B C D E), five ligands (F G I J K) and hydrogen: protonation,
// complexes, mixed complexes and hydroxo species; hydroxides of A and D and
// E(OH)3 as solids.
constexpr const char* kLarge =
    "ten reactants\n11\n"
    "Cu\n1.0\nZn\n1.0\nNi\n0.5\nPb\n1.0\nFe\n0.2\n"
    "gly\n2.0\nen\n2.0\nox\n1.5\nac\n3.0\nida\n1.0\n"
    "28\n"
    "9.6, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1\n"
    "12.0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2\n"
    "9.9, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1\n"
    "17.0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2\n"
    "4.0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1\n"
    "5.2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 2\n"
    "4.76, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1\n"
    "9.3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1\n"
    "8.1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0\n"
    "15.0, 1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0\n"
    "10.5, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0\n"
    "19.6, 1, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0\n"
    "5.0, 2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0\n"
    "5.4, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0\n"
    "4.9, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0\n"
    "7.1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0\n"
    "7.3, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0\n"
    "13.5, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0\n"
    "8.2, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0\n"
    "4.5, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0\n"
    "2.7, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0\n"
    "7.4, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0\n"
    "11.0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0\n"
    "-8.0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1\n"
    "-9.0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, -1\n"
    "-7.7, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, -1\n"
    "-2.19, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, -1\n"
    "-9.86, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, -1\n"
    "3\n"
    "8.67, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, -2\n"
    "13.07, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, -2\n"
    "3.96, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, -3\n";

constexpr const char* kTypical =
    "Cu - glycine\n3\nCu\n1.0\ngly\n2.5\n5\n"
    "8.1, 1, 1, 0\n15.0, 1, 2, 0\n9.6, 0, 1, 1\n12.0, 0, 1, 2\n-8.0, 1, 0, -1\n0\n";

SpeciationProblem load(const char* text) {
  SpeciationProblem p;
  if (!readSpcText(p, text).ok || !establishValues(p).empty()) std::abort();
  buildFormulas(p);
  return p;
}

SweepSettings phSweep() {
  SweepSettings s;
  s.x0 = 2.0;
  s.dx = 10.0 / 200;
  s.points = 201;
  return s;
}

void sweep(benchmark::State& state, const char* text) {
  const SpeciationProblem problem = load(text);
  auto solver = std::make_unique<EquilibriumSolver>();
  const SweepSettings settings = phSweep();
  for (auto _ : state) {
    solver->runSweep(problem, settings);
    benchmark::DoNotOptimize(solver->result().species[201][1]);
  }
  const ResultTable& r = solver->result();
  int iterations = 0, precipitating = 0;
  for (int i = 1; i <= r.points; ++i) iterations += r.iterations[i];
  for (int s = 1; s <= r.nSPuse; ++s)
    for (int i = 1; i <= r.points; ++i)
      if (r.solid[i][s] > 0) {
        ++precipitating;
        break;
      }
  state.counters["failed_points"] = r.failedPoints();
  state.counters["iterations"] = iterations;
  state.counters["solids_precipitating"] = precipitating;
}

void BM_SweepTenReactantsWithSolids(benchmark::State& state) { sweep(state, kLarge); }
void BM_SweepMetalLigandProton(benchmark::State& state) { sweep(state, kTypical); }

BENCHMARK(BM_SweepTenReactantsWithSolids)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SweepMetalLigandProton)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
