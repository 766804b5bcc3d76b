#include "equivane/SpcFile.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace equivane {

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

// ---- writing ----

namespace {

std::string coefficientLine(const std::string& lgText, const Coefficients& c, int n) {
  std::string line = lgText;
  for (int k = 1; k <= n; ++k) line += ", " + std::to_string(c[k]);
  return line;
}

}  // namespace

void writeImage(SpeciationProblem& p) {
  std::vector<std::string>& out = p.fileImage;
  out.clear();
  out.push_back(p.title);
  out.push_back(std::to_string(p.n));
  for (int k = 1; k < p.n; ++k) {
    Reactant& r = p.reactants[k];
    r.totalMmol = r.totalMol * 1000.0;
    out.push_back(r.name);
    out.push_back(formatFixed(r.totalMmol, 11, 6));
  }
  out.push_back(std::to_string(p.nSpec));
  for (int j = 1; j <= p.nSpec; ++j)
    out.push_back(coefficientLine(p.constants[j].lgText, p.constants[j].coefficients, p.n));
  if (p.solubilityIncluded) {
    out.push_back(std::to_string(p.nSP));
    for (int s = 1; s <= p.nSP; ++s)
      out.push_back(coefficientLine(p.solubilityProducts[s].lgText, p.solubilityProducts[s].coefficients, p.n));
  } else {
    out.push_back("0");
  }
}

std::string imageText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::string saveFile(SpeciationProblem& problem, const std::string& path) {
  writeImage(problem);
  const std::string text = imageText(problem.fileImage);
  const std::string temporary = path + ".tmp~";
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) return "Cannot create file " + path;
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return "Cannot create file " + path;
  }
  problem.fileName = path;
  return "";
}

// ---- reading ----

namespace {

bool hasMarker(std::string_view line) {
  return line.find("FullOrvale") != std::string_view::npos || line.find("MiniOrvale") != std::string_view::npos;
}

// lgText before the first comma; then n-1 reactant coefficients from the
// fields between commas and hydrogen's from the text after the last comma.
template <typename Entry>
void parseCoefficientLine(std::string_view line, int n, Entry& e) {
  line = trimmed(line);
  e.coefficients = Coefficients{};
  const std::size_t comma = line.find(',');
  e.lgText = std::string(line.substr(0, comma));
  if (comma == std::string_view::npos) return;
  std::string_view rest = line.substr(comma + 1);
  std::array<std::string_view, kMaxReactants + 1> fields{};
  int m = 0;
  int k = 1;
  while (true) {
    const std::size_t next = rest.find(',');
    const std::string_view field = rest.substr(0, next);
    ++m;
    if (k < n) fields[k++] = field;
    if (next == std::string_view::npos) {
      e.coefficients[n] = lenientInteger(field);
      break;
    }
    rest = rest.substr(next + 1);
  }
  // With fewer fields than reactants the last field is hydrogen's only.
  for (int i = 1; i < n && i <= m - 1; ++i) e.coefficients[i] = lenientInteger(fields[i]);
}

ReadOutcome outOfBounds(std::size_t index) {
  return {false, "List index out of bounds (" + std::to_string(index) + ")"};
}

}  // namespace

ReadOutcome readSpcText(SpeciationProblem& p, std::string_view text) {
  const std::vector<std::string> lines = splitLines(text);
  if (!lines.empty() && hasMarker(lines[0])) {
    p.fromDatabase = true;
    const HandoffOutcome h = parseHandoff(p, lines);
    return {h.result == HandoffResult::Loaded, h.message};
  }

  const std::string fileName = p.fileName;
  p = SpeciationProblem{};
  p.fileName = fileName;
  std::size_t next = 0;  // index of the next line to read
  auto line = [&](std::string_view& out) {
    if (next >= lines.size()) return false;
    out = trimmed(lines[next++]);
    return true;
  };
  auto fail = [&](ReadOutcome outcome) {
    ensureDummyProduct(p);
    relabel(p);
    return outcome;
  };

  std::string_view s;
  if (!line(s)) return fail(outOfBounds(next));
  p.title = std::string(s);
  if (!line(s)) return fail(outOfBounds(next));
  const std::int32_t n = lenientInteger(s);
  if (n > kMaxReactants)
    return fail({false, "Maximum of " + std::to_string(kMaxReactants) + " reactants, including hydrogen"});
  if (n < 2) return fail({false, "You maust have at least ONE reactant in addition to H+"});
  p.n = n;
  p.reactants[n] = Reactant{"hydrogen", 'H', 0.0, 0.001};
  relabel(p);
  for (int k = 1; k < n; ++k) {
    Reactant& r = p.reactants[k];
    if (!line(s)) return fail(outOfBounds(next));
    r.name = std::string(s);
    if (!line(s)) return fail(outOfBounds(next));
    r.totalMmol = lenientReal(s);
    r.totalMol = r.totalMmol * 0.001;
  }

  if (!line(s)) return fail(outOfBounds(next));
  const std::int32_t nSpec = lenientInteger(s);
  if (nSpec > kMaxConstants) return fail({false, "Maximum of " + std::to_string(kMaxConstants) + " constants"});
  p.nSpec = nSpec < 0 ? 0 : nSpec;
  relabel(p);
  for (int j = 1; j <= p.nSpec; ++j) {
    if (!line(s)) return fail(outOfBounds(next));
    parseCoefficientLine(s, n, p.constants[j]);
  }

  if (!line(s)) return fail(outOfBounds(next));
  const std::int32_t nSP = lenientInteger(s);
  if (nSP > kMaxSolubilityProducts)
    return fail({false, "Maximum of " + std::to_string(kMaxSolubilityProducts) + " solubility products"});
  if (nSP > 0) {
    p.solubilityIncluded = true;
    p.nSP = nSP;
    relabel(p);
    for (int i = 1; i <= nSP; ++i) {
      if (!line(s)) return fail(outOfBounds(next));
      parseCoefficientLine(s, n, p.solubilityProducts[i]);
    }
  } else {
    p.solubilityIncluded = false;
    ensureDummyProduct(p);
  }
  relabel(p);
  return {};
}

ReadOutcome readFile(SpeciationProblem& problem, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {false, "Cannot open file " + path};
  std::ostringstream content;
  content << in.rdbuf();
  problem.fileName = path;
  return readSpcText(problem, content.str());
}

// ---- hand-off ----

namespace {

bool contains(std::string_view text, std::string_view what) { return text.find(what) != std::string_view::npos; }

}  // namespace

HandoffOutcome parseHandoff(SpeciationProblem& problem, const std::vector<std::string>& lines) {
  const std::size_t count = lines.size();
  if (count != 20 && count != 11) return {HandoffResult::Failed, "Clipboard error after line " + std::to_string(count)};
  // Lines numbered from 1 as in the block.
  auto raw = [&](int i) -> const std::string& { return lines[static_cast<std::size_t>(i - 1)]; };
  auto trim = [&](int i) { return std::string(trimmed(raw(i))); };

  SpeciationProblem p;
  ensureDummyProduct(p);
  p.solubilityIncluded = false;
  p.fromDatabase = true;
  p.fileName = problem.fileName;
  p.title = trim(2);

  const std::string& metal = raw(3);
  const bool hydroxide = contains(p.title, "Hydroxide");
  const bool threeReactants = !contains(metal, "H+") && !contains(metal, "D+") && !hydroxide;
  if (threeReactants) {
    p.n = 3;
    p.reactants[1] = Reactant{trim(3), 'A', 1.0, 0.001};
    p.reactants[2] = Reactant{"ligand", 'B', 2.0, 0.002};
    p.reactants[3] = Reactant{"hydrogen", 'H', 0.0, 0.001};
  } else {
    p.n = 2;
    p.reactants[1] = Reactant{hydroxide ? trim(3) : std::string("ligand"), 'A', 1.0, 0.001};
    p.reactants[2] = Reactant{contains(metal, "D+") ? "duterium" : "hydrogen", 'H', 0.0, 0.001};
  }
  const int n = p.n;

  auto addConstantWith = [&](std::string lgText, std::initializer_list<std::pair<int, int>> coefficients) {
    FormationConstant& c = p.constants[++p.nSpec];
    c.lgText = std::move(lgText);
    for (const auto& [k, value] : coefficients) c.coefficients[k] = value;
  };

  // First block: ML and ML2 (or LH and LH2 when only the ligand and hydrogen).
  for (int power = 1; power <= 2; ++power) {
    std::string lg = trim(3 + power);
    if (lg.empty()) continue;
    if (n == 3)
      addConstantWith(std::move(lg), {{1, 1}, {2, power}, {3, 0}});
    else
      addConstantWith(std::move(lg), {{1, 1}, {2, power}});
  }
  p.commentLines[0] = raw(6) + "      " + trim(7);
  p.commentLines[1] = raw(8) + "      " + trim(9);
  p.commentLines[2] = trim(10);
  p.commentLines[3] = trim(11);

  if (hydroxide) {
    addConstantWith("-14.0", {{1, 0}, {n, -1}});
  } else if (count == 20) {
    // Second block: the ligand's protonation constants LH and LH2.
    for (int power = 1; power <= 2; ++power) {
      std::string lg = trim(12 + power);
      if (lg.empty()) continue;
      if (n == 3)
        addConstantWith(std::move(lg), {{1, 0}, {2, 1}, {3, power}});
      else
        addConstantWith(std::move(lg), {{1, 0}, {2, power}});
    }
    p.commentLines[4] = raw(15) + "     " + trim(16);
    p.commentLines[5] = raw(17) + "     " + trim(18);
    p.commentLines[6] = trim(19);
  }
  if (p.nSpec == 0) addConstantWith("1.0", {});
  relabel(p);
  problem = std::move(p);
  return {HandoffResult::Loaded, ""};
}

HandoffOutcome readClipboardBlock(SpeciationProblem& problem, std::string_view text) {
  if (!text.starts_with("MiniOrvale") && !text.starts_with("FullOrvale")) return {};
  // The first 767 characters; UTF-8 continuation bytes belong to the
  // character before them.
  std::size_t characters = 0;
  std::size_t end = 0;
  while (end < text.size()) {
    if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80) {
      if (characters == kClipboardLimit) break;
      ++characters;
    }
    ++end;
  }
  return parseHandoff(problem, splitLines(text.substr(0, end)));
}

}  // namespace equivane
