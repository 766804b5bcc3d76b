// The speciation problem of equivane: reactants with their totals, formation
// constants, solubility products and the comment lines of a hand-off; the
// species formulas, number conversion with "." as the separator, the text
// grids the main window shows, and adding and removing entries.
//
// Arrays are fixed-size and 1-based (slot 0 is unused), so that reactant k,
// constant j and solid s are found at index k, j and s. Hydrogen is always
// reactant n. Nothing here throws; failures come back as message texts that
// the window shows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace equivane {

inline constexpr int kMaxReactants = 11;         // hydrogen included
inline constexpr int kMaxConstants = 28;
inline constexpr int kMaxSolubilityProducts = 3;

using Coefficients = std::array<std::int32_t, kMaxReactants + 1>;  // 1-based, by reactant

struct Reactant {
  std::string name;
  char symbol = 'A';
  double totalMmol = 0.0;  // as entered, mmol/L
  double totalMol = 0.0;   // totalMmol * 0.001; 0.001 for hydrogen (never used)
};

struct FormationConstant {
  char label = 'a';
  std::string lgText;      // as typed; files store this text
  double lgValue = 0.0;    // converted when the constant grid is read
  Coefficients coefficients{};
  std::string formula;     // rebuilt by buildFormulas
};

struct SolubilityProduct {
  char label = 'x';
  std::string lgText;
  double lgValue = 0.0;
  Coefficients coefficients{};
  std::string formula;     // ends with "(s)"
};

struct SpeciationProblem {
  std::string title;
  int n = 0;               // reactants, hydrogen (the last) included
  std::array<Reactant, kMaxReactants + 1> reactants{};
  int nSpec = 0;
  std::array<FormationConstant, kMaxConstants + 1> constants{};
  int nSP = 0;
  std::array<SolubilityProduct, kMaxSolubilityProducts + 1> solubilityProducts{};
  bool solubilityIncluded = false;
  std::array<std::string, 7> commentLines{};
  bool fromDatabase = false;
  std::vector<std::string> fileImage;
  std::string fileName;
};

// Symbol of reactant k of n: A..G, then I J K (H is skipped); hydrogen has H.
char reactantSymbol(int k, int n);
// Label of constant j: the character with code 96 + j ("a".."z", "{", "|").
char constantLabel(int j);
// Label of solid s: "x", "y", "z".
char solidLabel(int s);
// Re-labels reactants, constants and solids by position.
void relabel(SpeciationProblem& problem);

// The problem of "New": "Ligand" (1.0 mmol/L) and hydrogen, one constant
// "7.0" with coefficients 1 and 1, the dummy solubility product.
SpeciationProblem newProblem();
// Gives a problem without solubility products the dummy one ("1.0", 1.0).
void ensureDummyProduct(SpeciationProblem& problem);

// Formula of a species from its coefficients: per reactant nothing for 0, the
// symbol for 1, else symbol and signed decimal coefficient (AB2H-1).
std::string speciesFormula(const SpeciationProblem& problem, const Coefficients& coefficients);
// Rebuilds every formula; returns "2 identical constants" at the first pair
// of constants with equal formulas (a warning: the caller goes on), else "".
std::string buildFormulas(SpeciationProblem& problem);

// ---- numbers ("." is the separator whatever the locale) ----

// Lenient conversion: leading blanks skipped, the value of the leading
// characters that form a number, 0 when there are none. Never fails.
double lenientReal(std::string_view text);
std::int32_t lenientInteger(std::string_view text);
// Strict conversion: the whole text (blanks around it allowed) must be a
// number; otherwise the message "'%s' is not a valid floating point value" or
// "'%s' is not a valid integer value" is returned in `message`.
bool strictReal(std::string_view text, double& value, std::string& message);
bool strictInteger(std::string_view text, std::int32_t& value, std::string& message);
// printf-style "%11.6f" and friends, always with ".".
std::string formatFixed(double value, int width, int decimals);
// Removes blanks and control characters at both ends.
std::string_view trimmed(std::string_view text);

// The message shown at start-up when the desktop's decimal separator is not
// "." (empty when it is).
std::string decimalSeparatorMessage(std::string_view systemSeparator);

// ---- the three input grids ----

enum class GridKind { React, Kons, Solub };

struct TextGrid {
  int rowCount = 0;
  int colCount = 0;
  std::vector<std::string> cells;  // row-major
  std::vector<int> colWidths;      // pixels
  void resize(int rows, int cols);
  std::string& at(int row, int col) { return cells[static_cast<std::size_t>(row * colCount + col)]; }
  const std::string& at(int row, int col) const {
    return cells[static_cast<std::size_t>(row * colCount + col)];
  }
};

// Model to grid: header row plus one row per entry (hydrogen is never a row of
// the reactant grid, but it is a column of the other two).
void fillGrid(const SpeciationProblem& problem, TextGrid& grid, GridKind which);
// Grid to model with strict conversion. Returns "" or the conversion message
// of the first bad cell; entries before that cell keep what was read.
std::string readGrid(SpeciationProblem& problem, const TextGrid& grid, GridKind which);
// Fills and reads back all three grids, as the window does before a
// calculation: establishes totalMol and every lgValue. Returns "" or the
// conversion message.
std::string establishValues(SpeciationProblem& problem);

// ---- adding and removing entries ----

// Each returns "" when done, else the refusal message.
std::string addReactant(SpeciationProblem& problem);
std::string addConstant(SpeciationProblem& problem);
std::string addSolubilityProduct(SpeciationProblem& problem);

// Removing is two-staged, as in the window: a refusal before any row is
// chosen, then for the chosen grid row either a message (the header row) or a
// Yes/No question, and only on Yes the removal itself.
struct RemoveQuestion {
  bool ask = false;   // true: `text` is a Yes/No question; false: a message
  std::string text;
};
std::string removeReactantRefusal(const SpeciationProblem& problem);
std::string removeConstantRefusal(const SpeciationProblem& problem);
std::string removeSolubilityProductRefusal(const SpeciationProblem& problem);
RemoveQuestion removeReactantQuestion(const SpeciationProblem& problem, int row);
RemoveQuestion removeConstantQuestion(const SpeciationProblem& problem, int row);
RemoveQuestion removeSolubilityProductQuestion(const SpeciationProblem& problem, int row);
void removeReactant(SpeciationProblem& problem, int k);  // 1..n-1
void removeConstant(SpeciationProblem& problem, int j);
void removeSolubilityProduct(SpeciationProblem& problem, int s);

}  // namespace equivane
