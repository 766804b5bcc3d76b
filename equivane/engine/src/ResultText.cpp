#include "equivane/ResultText.h"

#include <algorithm>
#include <cmath>
#include <charconv>
#include <system_error>

namespace equivane {

namespace {

std::string padRight(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string cut(std::string text, std::size_t width) {
  if (text.size() > width) text.resize(width);
  return text;
}

}  // namespace

std::string formatExponent(double value) {
  if (value == 0.0) return "0.00E00";
  if (!std::isfinite(value)) return formatFixed(value, 0, 2);
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 2);
  if (ec != std::errc()) return "";
  const std::string text(buffer, end);  // "1.23e-05", "4.56e+03"
  const std::size_t e = text.find('e');
  std::string exponent = text.substr(e + 1);
  std::string sign;
  if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
    if (exponent[0] == '-') sign = "-";
    exponent.erase(0, 1);
  }
  while (exponent.size() > 2 && exponent[0] == '0') exponent.erase(0, 1);
  if (exponent.size() < 2) exponent.insert(0, "0");
  return text.substr(0, e) + "E" + sign + exponent;
}

std::vector<std::string> convergenceNote(const ResultTable& result) {
  std::vector<std::string> lines;
  const int failed = result.failedPoints();
  if (failed == 0) return lines;
  lines.emplace_back();
  lines.push_back("Not converged at " + std::to_string(failed) + " of " + std::to_string(result.points) +
                  " points; their rows hold the last iterate:");
  for (int i = 1; i <= result.points; ++i) {
    if (result.status[i] == SolverStatus::Converged) continue;
    const char* why = result.status[i] == SolverStatus::Singular ? "singular matrix" : "iteration limit";
    lines.push_back("  point " + std::to_string(i) + " at " + formatFixed(result.x[i], 6, 3) + ": " + why);
  }
  return lines;
}

std::vector<std::string> writeResultText(const SpeciationProblem& problem, const ResultTable& result,
                                         const DerivedTable& table, int referenceReactant, bool exponentFormat) {
  std::vector<std::string> lines;
  const int n = problem.n;
  const int nSpec = problem.nSpec;
  const int nSPuse = result.nSPuse;
  lines.push_back(problem.title);

  for (int k = 1; k <= n; ++k) {
    const Reactant& r = problem.reactants[k];
    std::string line = std::string(1, r.symbol) + "   ";
    // Hydrogen has no entered total: its free concentration is imposed.
    if (result.mode != CalculationMode::TotalConcentration && k < n)
      line += padRight(r.name, 15) + formatFixed(r.totalMmol, 11, 6) + " mmol/litre";
    else
      line += r.name;
    lines.push_back(line);
  }

  lines.push_back("lg beta values  species");
  for (int j = 1; j <= nSpec; ++j) lines.push_back(problem.constants[j].lgText + "\t\t" + problem.constants[j].formula);
  for (int s = 1; s <= nSPuse; ++s)
    lines.push_back(problem.solubilityProducts[s].lgText + "\t\t" + problem.solubilityProducts[s].formula);

  const int ref = referenceReactant >= 1 && referenceReactant <= n ? referenceReactant : 1;
  lines.push_back("Total formation % of " + problem.reactants[ref].name);

  std::string header = " pH/pL   ";
  for (int k = 1; k < n; ++k) header += padRight(cut(problem.reactants[k].name, 8), 9);
  for (int j = 1; j <= nSpec; ++j) {
    const std::string& f = problem.constants[j].formula;
    header += padRight(f.size() < 8 ? " " + f : f, 9);
  }
  for (int s = 1; s <= nSPuse; ++s) header += padRight(problem.solubilityProducts[s].formula, 9);
  lines.push_back(header);

  const int points = std::min(table.points, result.points);
  for (int i = 1; i <= points; ++i) {
    const auto& row = table.value[i];
    std::string line = formatFixed(result.x[i], 6, 3) + " ";
    for (int k = 1; k < n; ++k) {
      const double v = row[k];
      line += padRight(cut(exponentFormat ? formatExponent(v) : formatFixed(v, 6, 2), 9), 9);
    }
    for (int c = n + 1; c <= n + nSpec + nSPuse; ++c) {
      const double v = row[c];
      line += (exponentFormat ? formatExponent(v) : formatFixed(v, 7, 2)) + "  ";
    }
    lines.push_back(line);
  }

  for (std::string& line : convergenceNote(result)) lines.push_back(std::move(line));
  return lines;
}

}  // namespace equivane
