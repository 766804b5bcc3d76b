// "orvale speciate": loads an .spc file (or a stored hand-off block), runs the
// same sweep as the speciation window's calculation buttons and prints the
// result text, which ends with a note on the points that did not converge.
#include "SpeciateCommand.h"

#include <cstdio>
#include <memory>
#include <string>

#include "equivane/SpecSubs.h"

namespace orvale {

namespace {

using namespace equivane;

void usage() {
  std::fputs(
      "usage: orvale speciate FILE.spc --mode ph|px|total --from X --to Y --points 101|201\n"
      "                       [--fixed-ph P] [--px-reactant K] --ref R --table percent|actual|lg\n"
      "  ph:    pH from X to Y\n"
      "  px:    pX of reactant K from X to Y at pH P (default 7.0)\n"
      "  total: total of reactant R from 0 to Y mmol/L at pH P (default 7.0)\n"
      "  R, K:  reactant number (1 = first), name or symbol; never hydrogen\n",
      stderr);
}

int fail(const std::string& message) {
  std::fprintf(stderr, "orvale speciate: %s\n", message.c_str());
  return 2;
}

// A reactant other than hydrogen by number, name or symbol; 0 when none fits.
int findReactant(const SpeciationProblem& p, const std::string& text) {
  std::int32_t number = 0;
  std::string ignored;
  if (strictInteger(text, number, ignored)) return number >= 1 && number < p.n ? number : 0;
  for (int k = 1; k < p.n; ++k)
    if (p.reactants[k].name == text) return k;
  if (text.size() == 1)
    for (int k = 1; k < p.n; ++k)
      if (p.reactants[k].symbol == text[0]) return k;
  return 0;
}

}  // namespace

int runSpeciate(const std::vector<std::string>& args) {
  std::string file, mode, from, to, points, fixedPh = "7.0", pxReactant, ref, table;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    bool ok = true;
    if (a == "--mode") ok = value(mode);
    else if (a == "--from") ok = value(from);
    else if (a == "--to") ok = value(to);
    else if (a == "--points") ok = value(points);
    else if (a == "--fixed-ph") ok = value(fixedPh);
    else if (a == "--px-reactant") ok = value(pxReactant);
    else if (a == "--ref") ok = value(ref);
    else if (a == "--table") ok = value(table);
    else if (a == "--help" || a == "-h") return usage(), 0;
    else if (!a.empty() && a[0] != '-' && file.empty()) file = a;
    else ok = false;
    if (!ok) return usage(), 2;
  }
  if (file.empty() || (mode != "ph" && mode != "px" && mode != "total") || to.empty() ||
      (mode != "total" && from.empty()) || (points != "101" && points != "201") || ref.empty() ||
      (table != "percent" && table != "actual" && table != "lg") || (mode == "px" && pxReactant.empty()))
    return usage(), 2;

  // The problem, with its numbers established as when the grids are read.
  SpeciationProblem problem;
  if (const ReadOutcome read = readFile(problem, file); !read.ok) return fail(read.message);
  if (std::string message = establishValues(problem); !message.empty()) return fail(message);

  SweepSettings settings;
  settings.points = points == "101" ? 101 : 201;
  std::string message;
  double x0 = 0.0, x1 = 0.0, ph = 7.0;
  if (!from.empty() && !strictReal(from, x0, message)) return fail(message);
  if (!strictReal(to, x1, message)) return fail(message);
  if (!strictReal(fixedPh, ph, message)) return fail(message);
  const int reference = findReactant(problem, ref);
  if (reference == 0) return fail("no reactant \"" + ref + "\" besides hydrogen");

  if (problem.nSpec < 1) return fail("You MUST have some constants to calculate with!");
  if (mode == "total") {
    if (problem.n <= 2) return fail("only useable with 2 or more reactants in addition to hydrogen");
    if (ph < 0.1 || ph > 14) return fail("pH must be between 0.1 and 14");
    if (x0 != 0.0) return fail("--from must be 0 in the total mode");
    settings.mode = CalculationMode::TotalConcentration;
    settings.variedReactant = reference;
    settings.fixedPh = ph;
    settings.x0 = 0.0;
    settings.dx = x1 / (settings.points - 1);
  } else {
    if (x0 >= x1) return fail("Final pH/pL MUST be more than initial pH");
    settings.mode = mode == "ph" ? CalculationMode::PhRange : CalculationMode::PxRange;
    settings.x0 = x0;
    settings.dx = (x1 - x0) / (settings.points - 1);
    if (mode == "px") {
      settings.pxReactant = findReactant(problem, pxReactant);
      if (settings.pxReactant == 0) return fail("no reactant \"" + pxReactant + "\" besides hydrogen");
      if (settings.pxReactant == reference) return fail("The reactant to plot must differ from that to vary!");
      settings.fixedPh = ph;
    }
  }

  if (std::string warning = buildFormulas(problem); !warning.empty())
    std::fprintf(stderr, "orvale speciate: %s\n", warning.c_str());
  writeImage(problem);

  auto solver = std::make_unique<EquilibriumSolver>();
  if (!solver->runSweep(problem, settings)) return fail("the sweep does not fit the problem");
  auto derived = std::make_unique<DerivedTable>();
  bool exponent = false;
  if (table == "percent") {
    solver->derivePercent(reference, *derived);
  } else if (table == "actual") {
    solver->deriveActual(reference, *derived);
    exponent = true;
  } else {
    solver->deriveLg(*derived);
  }
  for (const std::string& line : writeResultText(problem, solver->result(), *derived, reference, exponent))
    std::printf("%s\n", line.c_str());
  return 0;
}

}  // namespace orvale
