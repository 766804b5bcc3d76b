// A full-scale data set for benchmarks: deterministic from its seed.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "Dataset.h"

namespace orvale::makedb {

namespace {

// splitmix64: small, fast and the same on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
  double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  bool chance(double p) { return unit() < p; }
  // Skewed towards small values: a few ligands and references carry many experiments.
  int skewed(int n) { return std::min(n - 1, static_cast<int>(n * unit() * unit())); }

 private:
  std::uint64_t state_;
};

std::string format(const char* fmt, double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

const char* const kSyllables[] = {"ba", "ker", "mo", "li", "san", "to", "ri", "wen", "dal", "ga", "hu", "ne",
                                  "por", "sti", "val", "ze", "kor", "min", "ha", "lu", "fer", "ro", "chi", "tan"};
const char* const kJournals[] = {
    "J. Am. Chem. Soc.",     "Inorg. Chem.",          "J. Chem. Soc., Dalton Trans.", "Helv. Chim. Acta",
    "Acta Chem. Scand.",     "J. Inorg. Nucl. Chem.", "Talanta",                      "Anal. Chim. Acta",
    "Inorg. Chim. Acta",     "J. Coord. Chem.",       "Polyhedron",                   "Z. Anorg. Allg. Chem.",
    "Aust. J. Chem.",        "Can. J. Chem.",         "J. Solution Chem.",            "Thermochim. Acta",
    "Bull. Chem. Soc. Jpn.", "Monatsh. Chem.",        "Gazz. Chim. Ital.",            "Russ. J. Inorg. Chem.",
    "J. Phys. Chem.",        "Eur. J. Inorg. Chem.",  "Dalton Trans.",                "J. Chem. Eng. Data"};
const char* const kElementsForCodes = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

std::string surname(int n) {
  std::string s;
  int k = n;
  const int syllables = 2 + n % 2;
  for (int i = 0; i < syllables; ++i) {
    s += kSyllables[k % 24];
    k /= 24;
  }
  s[0] = static_cast<char>(s[0] - 'a' + 'A');
  return s;
}

// Counts of the elements of a Hill formula such as "C2H5NO2".
std::map<std::string, int> parseFormula(const std::string& f) {
  std::map<std::string, int> counts;
  std::size_t i = 0;
  while (i < f.size()) {
    if (!std::isupper(static_cast<unsigned char>(f[i]))) {
      ++i;
      continue;
    }
    std::string sym(1, f[i++]);
    while (i < f.size() && std::islower(static_cast<unsigned char>(f[i]))) sym += f[i++];
    int n = 0;
    while (i < f.size() && std::isdigit(static_cast<unsigned char>(f[i]))) n = n * 10 + (f[i++] - '0');
    counts[sym] += n == 0 ? 1 : n;
  }
  return counts;
}

std::string hillFormula(const std::map<std::string, int>& counts) {
  std::string f;
  const auto add = [&](const std::string& sym, int n) {
    if (n <= 0) return;
    f += sym;
    if (n > 1) f += std::to_string(n);
  };
  const bool carbon = counts.count("C") > 0;
  if (carbon) {
    add("C", counts.at("C"));
    if (counts.count("H")) add("H", counts.at("H"));
  }
  for (const auto& [sym, n] : counts)
    if (!carbon || (sym != "C" && sym != "H")) add(sym, n);
  return f;
}

double column(const std::string& line, std::size_t first, std::size_t count) {
  return line.size() >= first ? std::atof(line.substr(first - 1, count).c_str()) : 0.0;
}

// A template structure with a chain of carbons added at a carbon that still
// carries a hydrogen.
chemcore::MolRecord withChain(const chemcore::MolRecord& base, int chain, Random& rng, bool& added) {
  chemcore::MolRecord m = base;
  added = false;
  if (chain == 0) return m;
  const int a = static_cast<int>(m.atomLines.size());
  std::vector<int> order(a + 1, 0);
  for (const auto& b : m.bondLines) {
    const int x = std::atoi(b.substr(0, 3).c_str()), y = std::atoi(b.substr(3, 3).c_str());
    const int t = std::atoi(b.substr(6, 3).c_str());
    if (x >= 1 && x <= a) order[x] += t;
    if (y >= 1 && y <= a) order[y] += t;
  }
  std::vector<int> candidates;
  for (int k = 1; k <= a; ++k)
    if (m.atomLines[k - 1].substr(31, 3).find('C') == 0 && m.atomLines[k - 1].substr(31, 3) != "Cl " && order[k] < 4 &&
        m.atomLines[k - 1].substr(31, 2) != "Cu")
      candidates.push_back(k);
  if (candidates.empty()) return m;
  int at = candidates[rng.below(static_cast<int>(candidates.size()))];
  double x = column(m.atomLines[at - 1], 1, 10), y = column(m.atomLines[at - 1], 11, 10);
  for (int k = 0; k < chain; ++k) {
    x += 1.3;
    y += (k % 2 == 0) ? 0.75 : -0.75;
    char line[96];
    std::snprintf(line, sizeof line, "%10.4f%10.4f%10.4f C   0  0  0  0  0  0  0  0  0  0  0  0", x, y, 0.0);
    m.atomLines.emplace_back(line);
    const int newAtom = static_cast<int>(m.atomLines.size());
    std::snprintf(line, sizeof line, "%3d%3d%3d  0", at, newAtom, 1);
    m.bondLines.emplace_back(line);
    at = newAtom;
  }
  added = true;
  return m;
}

const char* const kAlkyl[] = {"", "methyl", "ethyl", "propyl", "butyl", "pentyl", "hexyl"};

}  // namespace

SyntheticSize syntheticSizeFor(int experiments) {
  SyntheticSize s;
  s.experiments = std::max(1, experiments);
  s.ligands = std::max(1, experiments / 10);
  s.references = std::max(1, experiments / 4);
  s.authors = std::max(2, experiments / 6);
  s.metals = 200;
  return s;
}

Dataset syntheticData(std::uint64_t seed, const SyntheticSize& size, const std::vector<Ligand>& templates) {
  Random rng(seed);
  Dataset d;

  // Metals: hydrogen, deuterium, then numbered ions with distinct codes.
  d.metals.push_back({"H ", "H+"});
  d.metals.push_back({"D ", "D+"});
  for (int i = 2; i < size.metals; ++i) {
    std::string code{kElementsForCodes[(i / 26) % 26], static_cast<char>('a' + i % 26)};
    d.metals.push_back({code, "M" + std::to_string(i) + std::string(1 + i % 3, '+')});
  }
  d.metals.push_back({"", "_Spare"});
  d.metals.push_back({"", "_Spare"});
  d.metals.push_back({"", "_Vn S" + std::to_string(seed % 1000)});

  // Ligands from the templates with structures.
  std::vector<const Ligand*> bases;
  for (const auto& t : templates)
    if (t.hasStructure && t.structure.atomLines.size() + 6 <= 200 && t.structure.bondLines.size() + 6 <= 100)
      bases.push_back(&t);
  for (int i = 0; i < size.ligands; ++i) {
    Ligand l;
    char buf[64];
    l.key = "s" + std::to_string(i + 1);
    std::snprintf(buf, sizeof buf, "%06d", 100000 + i + 1);
    l.oldLigId = buf;
    if (bases.empty()) {
      l.shortName = "Lig" + std::to_string(i + 1);
      l.fullName = "synthetic ligand " + std::to_string(i + 1);
      l.acidForm = "L";
      l.empForm = "C2H6O";
    } else {
      const Ligand& b = *bases[rng.below(static_cast<int>(bases.size()))];
      const int chain = rng.below(7);
      bool added = false;
      l.structure = withChain(b.structure, chain, rng, added);
      l.structure.name = l.key;
      l.hasStructure = true;
      auto counts = parseFormula(b.empForm);
      if (added) {
        counts["C"] += chain;
        counts["H"] += 2 * chain;
      }
      l.empForm = hillFormula(counts);
      l.fullName = (added ? std::string(kAlkyl[chain]) + "-" : std::string()) + b.fullName.substr(0, b.fullName.find(';')) +
                   " " + surname(i);
      l.shortName = b.shortName.substr(0, 12) + "-" + std::to_string(i % 1000);
      l.acidForm = b.acidForm;
      l.classCodes = b.classCodes;
    }
    if (!rng.chance(0.1)) {
      std::snprintf(buf, sizeof buf, "%d-%02d-%d", 1000 + rng.below(900000), rng.below(100), rng.below(10));
      l.cas = buf;
    }
    d.ligands.push_back(std::move(l));
  }

  // Authors and references: every author cites at most 38 references.
  std::vector<std::string> authorNames;
  for (int i = 0; i < size.authors; ++i) {
    std::string initials{static_cast<char>('A' + i % 26), '.'};
    if (i % 3 == 0) initials += std::string{static_cast<char>('A' + (i / 26) % 26), '.'};
    authorNames.push_back(surname(i) + " " + initials);
  }
  std::vector<int> authorUse(size.authors, 0);
  std::map<std::string, int> perYear;
  for (int i = 0; i < size.references; ++i) {
    Reference r;
    const int year = 2025 - static_cast<int>(85 * rng.unit() * rng.unit() * 1.0) - rng.below(2);
    r.year = std::to_string(year);
    const int authors = 1 + rng.below(4);
    for (int k = 0; k < authors; ++k) {
      int a = rng.skewed(size.authors);
      for (int tries = 0; authorUse[a] >= 38 && tries < 64; ++tries) a = rng.below(size.authors);
      if (authorUse[a] >= 38) continue;
      if (std::find(r.authors.begin(), r.authors.end(), authorNames[a]) != r.authors.end()) continue;
      authorUse[a]++;
      r.authors.push_back(authorNames[a]);
    }
    if (r.authors.empty()) r.authors.push_back(authorNames[i % size.authors]);
    // Initials: two capitals from the first two authors and a small letter;
    // clashes within a year are resolved below.
    const int n = perYear[r.year]++;
    const char c2 = r.authors.size() > 1 ? r.authors[1][0] : static_cast<char>(std::toupper(r.authors[0][1]));
    r.initials = {r.authors[0][0], c2, static_cast<char>('a' + n % 26)};
    const char* j = kJournals[rng.skewed(24)];
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s, %d, %d", j, 1 + rng.below(120), 1 + rng.below(4000));
    r.journal = std::string(buf).substr(0, 40);
    d.references.push_back(std::move(r));
  }
  // Make year + initials unique: step the second capital (then the first).
  std::set<std::string> seen;
  for (auto& r : d.references) {
    for (int bump = 1; !seen.insert(r.year + r.initials).second; ++bump) {
      r.initials[1] = static_cast<char>('A' + (r.initials[1] - 'A' + 1) % 26);
      if (bump % 26 == 0) r.initials[0] = static_cast<char>('A' + (r.initials[0] - 'A' + 1) % 26);
    }
  }

  // Experiments.
  static const char* const temps[] = {"25", "25", "25", "20", "37", "30", "25.0", "18", "?", "<30"};
  static const char* const concs[] = {"0.1", "0.1", "0.15", "1.0", "0.5", "3.0", "0", "0.2", "?", "ca.0.1"};
  for (int i = 0; i < size.experiments; ++i) {
    Experiment e;
    e.ligand = 1 + rng.skewed(size.ligands);
    const double r = rng.unit();
    e.metal = r < 0.3 ? 0 : r < 0.32 ? 1 : 2 + rng.below(size.metals - 2);
    const Reference& ref = d.references[rng.skewed(size.references)];
    e.year = ref.year;
    e.initials = ref.initials;
    e.method = static_cast<char>('A' + (rng.chance(0.6) ? 0 : rng.below(13)));
    e.medium = static_cast<char>('A' + (rng.chance(0.5) ? 4 : rng.below(12)));
    e.temp = temps[rng.below(10)];
    e.conc = concs[rng.below(10)];
    e.calib = "UCMA"[rng.below(4)];
    const double k1 = e.metal <= 1 ? 2 + 9 * rng.unit() : 1 + 20 * rng.unit();
    const double k2 = k1 * (0.4 + 0.5 * rng.unit());
    e.k1 = format("%.2f", k1);
    if (rng.chance(0.7)) {
      e.k2 = format("%.2f", k2);
      e.b2 = format("%.2f", std::round(k1 * 100) / 100 + std::round(k2 * 100) / 100);
    }
    const double m = rng.unit();
    if (m < 0.01) e.k1 += "?";
    else if (m < 0.015) e.k1 = "<" + format("%.1f", k1);
    else if (m < 0.02) e.k1 = "ca." + format("%.0f", k1);
    else if (m < 0.025) e.k1 = "(" + format("%.1f", k1) + ")";
    if (rng.chance(0.1)) e.beta[0] = "B3=" + format("%.2f", k1 + k2 + 3 * rng.unit());
    if (rng.chance(0.06)) {
      e.comm1 = "DH(K1)=" + format("%.1f", -40 * rng.unit()) + " kJ/mol";
      e.flags[2] = true;
    } else if (rng.chance(0.05)) {
      e.comm1 = "also mixed-ligand complexes";
      e.flags[3] = true;
    }
    e.flags[0] = rng.chance(0.05);
    e.flags[1] = rng.chance(0.05);
    const double iu = rng.unit();
    e.iupac = iu < 0.02 ? 'R' : iu < 0.04 ? 'T' : iu < 0.05 ? 'P' : iu < 0.1 ? '#' : ' ';
    d.experiments.push_back(std::move(e));
  }
  return d;
}

}  // namespace orvale::makedb
