#include "equivane/SpeciationProblem.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>

namespace equivane {

// ---- labels and the new problem ----

char reactantSymbol(int k, int n) {
  if (k == n) return 'H';
  return static_cast<char>(k <= 7 ? 'A' + k - 1 : 'A' + k);
}

char constantLabel(int j) { return static_cast<char>(96 + j); }

char solidLabel(int s) { return static_cast<char>('x' + s - 1); }

void relabel(SpeciationProblem& problem) {
  for (int k = 1; k <= problem.n; ++k) problem.reactants[k].symbol = reactantSymbol(k, problem.n);
  for (int j = 1; j <= problem.nSpec; ++j) problem.constants[j].label = constantLabel(j);
  for (int s = 1; s <= problem.nSP; ++s) problem.solubilityProducts[s].label = solidLabel(s);
}

void ensureDummyProduct(SpeciationProblem& problem) {
  if (problem.nSP > 0) return;
  problem.nSP = 1;
  SolubilityProduct& dummy = problem.solubilityProducts[1];
  dummy = SolubilityProduct{};
  dummy.label = solidLabel(1);
  dummy.lgText = "1.0";
  dummy.lgValue = 1.0;
}

SpeciationProblem newProblem() {
  SpeciationProblem p;
  p.title = "Title";
  p.n = 2;
  p.reactants[1] = Reactant{"Ligand", 'A', 1.0, 0.001};
  p.reactants[2] = Reactant{"hydrogen", 'H', 0.0, 0.001};
  p.nSpec = 1;
  p.constants[1].lgText = "7.0";
  p.constants[1].lgValue = 7.0;
  p.constants[1].coefficients[1] = 1;
  p.constants[1].coefficients[2] = 1;
  ensureDummyProduct(p);
  p.solubilityIncluded = false;
  p.fromDatabase = false;
  relabel(p);
  return p;
}

// ---- formulas ----

std::string speciesFormula(const SpeciationProblem& problem, const Coefficients& coefficients) {
  std::string formula;
  for (int k = 1; k <= problem.n; ++k) {
    const std::int32_t c = coefficients[k];
    if (c == 0) continue;
    formula += problem.reactants[k].symbol;
    if (c != 1) formula += std::to_string(c);
  }
  return formula;
}

std::string buildFormulas(SpeciationProblem& problem) {
  for (int j = 1; j <= problem.nSpec; ++j)
    problem.constants[j].formula = speciesFormula(problem, problem.constants[j].coefficients);
  for (int s = 1; s <= problem.nSP; ++s)
    problem.solubilityProducts[s].formula =
        speciesFormula(problem, problem.solubilityProducts[s].coefficients) + "(s)";
  for (int j = 1; j <= problem.nSpec; ++j)
    for (int i = j + 1; i <= problem.nSpec; ++i)
      if (problem.constants[j].formula == problem.constants[i].formula) return "2 identical constants";
  return "";
}

// ---- numbers ----

std::string_view trimmed(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return text.substr(b, e - b);
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the longest prefix of `s` that reads as a real number:
// [sign] digits [. digits] [e [sign] digits], at least one mantissa digit.
std::size_t realPrefix(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && isDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j < s.size() && isDigit(s[j])) {
      while (j < s.size() && isDigit(s[j])) ++j;
      i = j;
    }
  }
  return i;
}

std::size_t integerPrefix(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  const std::size_t start = i;
  while (i < s.size() && isDigit(s[i])) ++i;
  return i == start ? 0 : i;
}

// Converts exactly `s` (already known to be a well-formed real) with
// std::from_chars; overflow gives +-infinity, underflow 0.
double convertReal(std::string_view s) {
  std::string_view body = s;
  bool negative = false;
  if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
    negative = body[0] == '-';
    body.remove_prefix(1);
  }
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Decide between overflow and underflow by the decimal exponent.
    const std::size_t e = body.find_first_of("eE");
    const std::string_view mantissa = body.substr(0, e);
    long exponent = 0;
    if (e != std::string_view::npos) {
      std::string_view ex = body.substr(e + 1);
      if (!ex.empty() && ex[0] == '+') ex.remove_prefix(1);
      std::from_chars(ex.data(), ex.data() + ex.size(), exponent);
    }
    // Decimal magnitude of the first significant digit.
    const std::size_t firstNonZero = mantissa.find_first_of("123456789");
    const std::size_t dot = mantissa.find('.');
    const long dotPos = static_cast<long>(dot == std::string_view::npos ? mantissa.size() : dot);
    const long f = static_cast<long>(firstNonZero);
    const long magnitude = exponent + (f < dotPos ? dotPos - f - 1 : dotPos - f);
    const bool large = firstNonZero != std::string_view::npos && magnitude >= 0;
    value = large ? std::numeric_limits<double>::infinity() : 0.0;
  }
  (void)ptr;
  return negative ? -value : value;
}

std::int32_t convertInteger(std::string_view s, bool& inRange) {
  std::string_view body = s;
  if (!body.empty() && body[0] == '+') body.remove_prefix(1);
  std::int32_t value = 0;
  const auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
  (void)ptr;
  inRange = ec == std::errc();
  if (ec == std::errc::result_out_of_range)
    value = (!body.empty() && body[0] == '-') ? std::numeric_limits<std::int32_t>::min()
                                              : std::numeric_limits<std::int32_t>::max();
  return value;
}

std::string_view skipLeadingBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  return text.substr(i);
}

}  // namespace

double lenientReal(std::string_view text) {
  const std::string_view s = skipLeadingBlanks(text);
  const std::size_t len = realPrefix(s);
  return len == 0 ? 0.0 : convertReal(s.substr(0, len));
}

std::int32_t lenientInteger(std::string_view text) {
  const std::string_view s = skipLeadingBlanks(text);
  const std::size_t len = integerPrefix(s);
  bool inRange = true;
  return len == 0 ? 0 : convertInteger(s.substr(0, len), inRange);
}

bool strictReal(std::string_view text, double& value, std::string& message) {
  const std::string_view s = trimmed(text);
  const std::size_t len = realPrefix(s);
  if (len == 0 || len != s.size()) {
    message = "'" + std::string(text) + "' is not a valid floating point value";
    return false;
  }
  const double v = convertReal(s);
  if (!std::isfinite(v)) {
    message = "'" + std::string(text) + "' is not a valid floating point value";
    return false;
  }
  value = v;
  return true;
}

bool strictInteger(std::string_view text, std::int32_t& value, std::string& message) {
  const std::string_view s = trimmed(text);
  const std::size_t len = integerPrefix(s);
  bool inRange = false;
  std::int32_t v = 0;
  if (len != 0 && len == s.size()) v = convertInteger(s, inRange);
  if (!inRange) {
    message = "'" + std::string(text) + "' is not a valid integer value";
    return false;
  }
  value = v;
  return true;
}

std::string formatFixed(double value, int width, int decimals) {
  // std::to_chars ignores the locale, unlike printf.
  std::string text;
  if (std::isnan(value)) {
    text = "nan";
  } else if (std::isinf(value)) {
    text = value < 0 ? "-inf" : "inf";
  } else {
    char buffer[400];  // the largest double printed in full has 309 digits
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    text = ec == std::errc() ? std::string(buffer, end) : std::string();
  }
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
  return text;
}

std::string decimalSeparatorMessage(std::string_view systemSeparator) {
  if (systemSeparator == ".") return "";
  return "Your computer uses   '" + std::string(systemSeparator) +
         "'   instead of   '.'  (point)  as the decimal separator\r\n"
         "\r\n"
         "This software expects   '.'   (point) as the separator, and this will be set within the "
         "program for you,\r\n"
         "  but you must remember to enter   '.'   as the decimal separator when entering values for "
         "constants etc.";
}

// ---- grids ----

void TextGrid::resize(int rows, int cols) {
  rowCount = rows;
  colCount = cols;
  cells.assign(static_cast<std::size_t>(rows * cols), std::string());
  colWidths.assign(static_cast<std::size_t>(cols), 64);
}

namespace {

template <typename Entry>
void fillEntryGrid(const SpeciationProblem& p, TextGrid& grid, const char* header,
                   const std::array<Entry, kMaxConstants + 1>* constants,
                   const std::array<Entry, kMaxSolubilityProducts + 1>* solids, int count) {
  grid.resize(count + 1, p.n + 2);
  grid.colWidths[0] = 16;
  grid.at(0, 1) = header;
  for (int k = 1; k <= p.n; ++k) grid.at(0, k + 1) = p.reactants[k].name;
  for (int j = 1; j <= count; ++j) {
    const Entry& e = constants ? (*constants)[j] : (*solids)[j];
    grid.at(j, 0) = std::string(1, e.label);
    grid.at(j, 1) = e.lgText;
    for (int k = 1; k <= p.n; ++k) grid.at(j, k + 1) = std::to_string(e.coefficients[k]);
  }
}

template <typename Entry>
std::string readEntryRow(const SpeciationProblem& p, const TextGrid& grid, int row, Entry& e) {
  std::string message;
  if (grid.colCount < p.n + 2) return "'' is not a valid integer value";
  e.lgText = grid.at(row, 1);
  if (!strictReal(e.lgText, e.lgValue, message)) return message;
  for (int k = 1; k <= p.n; ++k)
    if (!strictInteger(grid.at(row, k + 1), e.coefficients[k], message)) return message;
  return "";
}

}  // namespace

void fillGrid(const SpeciationProblem& p, TextGrid& grid, GridKind which) {
  switch (which) {
    case GridKind::React:
      grid.resize(p.n, 3);
      grid.colWidths = {16, 64, 96};
      grid.at(0, 1) = "Reactant";
      grid.at(0, 2) = "mmol/l";
      for (int k = 1; k < p.n; ++k) {
        grid.at(k, 0) = std::string(1, p.reactants[k].symbol);
        grid.at(k, 1) = p.reactants[k].name;
        grid.at(k, 2) = formatFixed(p.reactants[k].totalMmol, 11, 6);
      }
      break;
    case GridKind::Kons:
      fillEntryGrid<FormationConstant>(p, grid, "Lg beta", &p.constants, nullptr, p.nSpec);
      break;
    case GridKind::Solub:
      fillEntryGrid<SolubilityProduct>(p, grid, "Lg SP", nullptr, &p.solubilityProducts, p.nSP);
      break;
  }
}

std::string readGrid(SpeciationProblem& p, const TextGrid& grid, GridKind which) {
  std::string message;
  switch (which) {
    case GridKind::React:
      if (grid.colCount < 3) return "'' is not a valid floating point value";
      for (int k = 1; k < p.n && k < grid.rowCount; ++k) {
        Reactant& r = p.reactants[k];
        r.name = grid.at(k, 1);
        if (!strictReal(grid.at(k, 2), r.totalMmol, message)) return message;
        r.totalMol = r.totalMmol * 0.001;
      }
      if (p.n >= 1) p.reactants[p.n].totalMol = 0.001;
      break;
    case GridKind::Kons:
      for (int j = 1; j <= p.nSpec && j < grid.rowCount; ++j)
        if (message = readEntryRow(p, grid, j, p.constants[j]); !message.empty()) return message;
      break;
    case GridKind::Solub:
      for (int s = 1; s <= p.nSP && s < grid.rowCount; ++s)
        if (message = readEntryRow(p, grid, s, p.solubilityProducts[s]); !message.empty()) return message;
      break;
  }
  return "";
}

std::string establishValues(SpeciationProblem& problem) {
  TextGrid grid;
  for (GridKind which : {GridKind::React, GridKind::Kons, GridKind::Solub}) {
    fillGrid(problem, grid, which);
    if (std::string message = readGrid(problem, grid, which); !message.empty()) return message;
  }
  return "";
}

// ---- add and remove ----

std::string addReactant(SpeciationProblem& p) {
  if (p.n >= kMaxReactants) return "Maximum of " + std::to_string(kMaxReactants) + " reactants, including hydrogen";
  const int h = p.n;
  p.reactants[h + 1] = p.reactants[h];
  p.reactants[h] = Reactant{"New", 'A', 1.0, 0.001};
  for (int j = 1; j <= p.nSpec; ++j) {
    p.constants[j].coefficients[h + 1] = p.constants[j].coefficients[h];
    p.constants[j].coefficients[h] = 0;
  }
  for (int s = 1; s <= p.nSP; ++s) {
    p.solubilityProducts[s].coefficients[h + 1] = p.solubilityProducts[s].coefficients[h];
    p.solubilityProducts[s].coefficients[h] = 0;
  }
  p.n = h + 1;
  relabel(p);
  return "";
}

std::string addConstant(SpeciationProblem& p) {
  if (p.nSpec >= kMaxConstants) return "Maximum of " + std::to_string(kMaxConstants) + " constants";
  FormationConstant& c = p.constants[++p.nSpec];
  c = FormationConstant{};
  c.lgText = "1.00";
  c.lgValue = 1.0;
  relabel(p);
  return "";
}

std::string addSolubilityProduct(SpeciationProblem& p) {
  if (p.nSP >= kMaxSolubilityProducts)
    return "Maximum of " + std::to_string(kMaxSolubilityProducts) + " solubility products";
  SolubilityProduct& s = p.solubilityProducts[++p.nSP];
  s = SolubilityProduct{};
  s.lgText = "1.00";
  s.lgValue = 1.0;
  relabel(p);
  return "";
}

std::string removeReactantRefusal(const SpeciationProblem& p) {
  return p.n <= 2 ? "You maust have at least ONE reactant in addition to H+" : "";
}

std::string removeConstantRefusal(const SpeciationProblem& p) {
  return p.nSpec <= 1 ? "You must have at least ONE constant!" : "";
}

std::string removeSolubilityProductRefusal(const SpeciationProblem& p) {
  return p.nSP <= 1 ? "Click on \"Exclude solubility\" to ignore solubility products" : "";
}

RemoveQuestion removeReactantQuestion(const SpeciationProblem& p, int row) {
  if (row < 1 || row >= p.n) return {false, "This is not a reactant!"};
  return {true, "Remove " + p.reactants[row].name + "?"};
}

RemoveQuestion removeConstantQuestion(const SpeciationProblem& p, int row) {
  if (row < 1 || row > p.nSpec) return {false, "This is not a constant!"};
  return {true, "Remove Lg Beta " + p.constants[row].lgText + "?"};
}

RemoveQuestion removeSolubilityProductQuestion(const SpeciationProblem& p, int row) {
  if (row < 1 || row > p.nSP) return {false, "This is not a constant!"};
  return {true, "Remove Lg SP " + p.solubilityProducts[row].lgText + "?"};
}

void removeReactant(SpeciationProblem& p, int k) {
  if (k < 1 || k >= p.n || p.n <= 2) return;
  for (int i = k; i < p.n; ++i) {
    p.reactants[i] = p.reactants[i + 1];
    for (int j = 1; j <= p.nSpec; ++j) p.constants[j].coefficients[i] = p.constants[j].coefficients[i + 1];
    for (int s = 1; s <= p.nSP; ++s)
      p.solubilityProducts[s].coefficients[i] = p.solubilityProducts[s].coefficients[i + 1];
  }
  for (int j = 1; j <= p.nSpec; ++j) p.constants[j].coefficients[p.n] = 0;
  for (int s = 1; s <= p.nSP; ++s) p.solubilityProducts[s].coefficients[p.n] = 0;
  p.reactants[p.n] = Reactant{};
  --p.n;
  relabel(p);
}

void removeConstant(SpeciationProblem& p, int j) {
  if (j < 1 || j > p.nSpec || p.nSpec <= 1) return;
  for (int i = j; i < p.nSpec; ++i) p.constants[i] = p.constants[i + 1];
  p.constants[p.nSpec] = FormationConstant{};
  --p.nSpec;
  relabel(p);
}

void removeSolubilityProduct(SpeciationProblem& p, int s) {
  if (s < 1 || s > p.nSP || p.nSP <= 1) return;
  for (int i = s; i < p.nSP; ++i) p.solubilityProducts[i] = p.solubilityProducts[i + 1];
  p.solubilityProducts[p.nSP] = SolubilityProduct{};
  --p.nSP;
  relabel(p);
}

}  // namespace equivane
