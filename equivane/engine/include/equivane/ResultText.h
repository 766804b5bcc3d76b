// The text form of a calculation's results: the common layout of the result
// windows and the files written from them.
#pragma once

#include <string>
#include <vector>

#include "equivane/EquilibriumSolver.h"
#include "equivane/SpeciationProblem.h"

namespace equivane {

// Fills the lines of a result text from a derived table (percent, actual or
// lg values): the title, the reactants with their totals (pH and pX modes),
// the constants and solids in use, "Total formation % of " and the reference
// reactant's name, the column header, then one line per data point. The
// problem's formulas must be built. When any point did not converge, the
// convergence note follows the table.
std::vector<std::string> writeResultText(const SpeciationProblem& problem, const ResultTable& result,
                                         const DerivedTable& table, int referenceReactant, bool exponentFormat);

// Lines naming the points that did not converge, with what stopped them;
// empty when every point converged.
std::vector<std::string> convergenceNote(const ResultTable& result);

// A value in the pattern "0.00E-00": two decimals, exponent of at least two
// digits, signed only when negative ("1.23E-05", "4.56E03", "0.00E00").
std::string formatExponent(double value);

}  // namespace equivane
