// libFuzzer target: the .spc reader of the speciation engine. Any input is
// read as file text; a problem that loads is written back, read again, put
// through the grids and a short sweep.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "equivane/SpecSubs.h"

using namespace equivane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  SpeciationProblem problem;
  const ReadOutcome read = readSpcText(problem, text);
  if (problem.n > kMaxReactants || problem.nSpec > kMaxConstants || problem.nSP > kMaxSolubilityProducts) std::abort();
  if (!read.ok) return 0;

  // Written once, a problem reads back to the same image (unless its title
  // holds a hand-off marker: such a file is read as a hand-off block).
  writeImage(problem);
  if (problem.title.find("FullOrvale") != std::string::npos || problem.title.find("MiniOrvale") != std::string::npos)
    return 0;
  SpeciationProblem again;
  if (!readSpcText(again, imageText(problem.fileImage)).ok) std::abort();
  writeImage(again);
  SpeciationProblem third;
  if (!readSpcText(third, imageText(again.fileImage)).ok) std::abort();
  writeImage(third);
  // Totals are written from totalMol * 1000, so a total beyond what "%f"
  // rounds away may move by a few units in its last place; all else is equal.
  if (third.fileImage.size() != again.fileImage.size()) std::abort();
  for (std::size_t i = 0; i < third.fileImage.size(); ++i) {
    if (third.fileImage[i] == again.fileImage[i]) continue;
    const bool totalsLine = i >= 3 && i % 2 == 1 && i < 2 * static_cast<std::size_t>(again.n);
    const double a = lenientReal(again.fileImage[i]), b = lenientReal(third.fileImage[i]);
    if (!totalsLine || std::fabs(a - b) > 1e-12 * std::fabs(a)) std::abort();
  }

  buildFormulas(problem);
  if (!establishValues(problem).empty()) return 0;
  static auto solver = std::make_unique<EquilibriumSolver>();
  SweepSettings settings;
  settings.points = 3;
  settings.x0 = 2.0;
  settings.dx = 5.0;
  if (!solver->runSweep(problem, settings)) std::abort();
  DerivedTable table;
  solver->derivePercent(1, table);
  writeResultText(problem, solver->result(), table, 1, false);
  return 0;
}
