#include "Dataset.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace orvale::makedb {

namespace {

bool readFile(const std::string& path, std::string& text, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "Cannot read " + path;
    return false;
  }
  std::ostringstream s;
  s << in.rdbuf();
  text = s.str();
  return true;
}

std::vector<std::string> splitTabs(const std::string& line) {
  std::vector<std::string> cells;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    cells.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return cells;
}

// A tab-separated file with a header row; rows as maps from column name.
struct Tsv {
  std::string path;
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
  std::vector<int> lineNumbers;

  int column(const std::string& name) const {
    const auto it = std::find(header.begin(), header.end(), name);
    return it == header.end() ? -1 : static_cast<int>(it - header.begin());
  }
};

bool readTsv(const std::string& path, const std::vector<std::string>& required, Tsv& tsv, std::string& error) {
  std::string text;
  if (!readFile(path, text, error)) return false;
  tsv.path = path;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    auto cells = splitTabs(line);
    if (tsv.header.empty()) {
      tsv.header = cells;
      for (const auto& r : required)
        if (tsv.column(r) < 0) {
          error = path + ": no column \"" + r + "\"";
          return false;
        }
      continue;
    }
    if (cells.size() != tsv.header.size()) {
      error = path + ": line " + std::to_string(lineNo) + " has " + std::to_string(cells.size()) + " cells, expected " +
              std::to_string(tsv.header.size());
      return false;
    }
    tsv.rows.push_back(std::move(cells));
    tsv.lineNumbers.push_back(lineNo);
  }
  return true;
}

bool toInt(const std::string& s, int& v) {
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return !s.empty() && ec == std::errc() && p == s.data() + s.size();
}

std::vector<std::string> splitAuthors(const std::string& s) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= s.size()) {
    std::size_t end = s.find(';', start);
    if (end == std::string::npos) end = s.size();
    std::string a = s.substr(start, end - start);
    a.erase(0, a.find_first_not_of(' '));
    while (!a.empty() && a.back() == ' ') a.pop_back();
    if (!a.empty()) out.push_back(a);
    start = end + 1;
  }
  return out;
}

}  // namespace

bool readDemoData(const std::string& folder, Dataset& data, std::string& error) {
  data = Dataset{};
  const std::string dir = folder.empty() || folder.back() == '/' ? folder : folder + "/";

  Tsv lig;
  if (!readTsv(dir + "ligands.tsv", {"key", "sh_name", "full_name", "acid_form", "empform", "cas", "class", "oldligid", "mini"},
               lig, error))
    return false;
  std::map<std::string, int> ligandNumber;
  for (std::size_t i = 0; i < lig.rows.size(); ++i) {
    const auto& r = lig.rows[i];
    Ligand l;
    l.key = r[lig.column("key")];
    l.shortName = r[lig.column("sh_name")];
    l.fullName = r[lig.column("full_name")];
    l.acidForm = r[lig.column("acid_form")];
    l.empForm = r[lig.column("empform")];
    l.cas = r[lig.column("cas")];
    l.classCodes = r[lig.column("class")];
    l.oldLigId = r[lig.column("oldligid")];
    l.mini = r[lig.column("mini")] == "1";
    if (!ligandNumber.emplace(l.key, static_cast<int>(i) + 1).second) {
      error = lig.path + ": line " + std::to_string(lig.lineNumbers[i]) + ": ligand key \"" + l.key + "\" repeated";
      return false;
    }
    data.ligands.push_back(std::move(l));
  }

  std::string sdf;
  if (!readFile(dir + "ligands.sdf", sdf, error)) return false;
  std::vector<chemcore::MolRecord> mols;
  if (!chemcore::splitSdRecords(sdf, mols, error)) {
    error = dir + "ligands.sdf: " + error;
    return false;
  }
  for (auto& m : mols) {
    const auto it = ligandNumber.find(m.name);
    if (it == ligandNumber.end()) {
      error = dir + "ligands.sdf: structure \"" + m.name + "\" names no ligand of ligands.tsv";
      return false;
    }
    Ligand& l = data.ligands[it->second - 1];
    l.structure = std::move(m);
    l.hasStructure = true;
  }

  Tsv met;
  if (!readTsv(dir + "metals.tsv", {"number", "mcode", "mform"}, met, error)) return false;
  for (std::size_t i = 0; i < met.rows.size(); ++i) {
    const auto& r = met.rows[i];
    const std::string& number = r[met.column("number")];
    int n = -1;
    if (!number.empty() && (!toInt(number, n) || n != static_cast<int>(data.metals.size()))) {
      error = met.path + ": line " + std::to_string(met.lineNumbers[i]) + ": metal numbers must run 0, 1, 2 ... in order";
      return false;
    }
    data.metals.push_back({r[met.column("mcode")], r[met.column("mform")]});
  }

  Tsv ref;
  if (!readTsv(dir + "references.tsv", {"year", "initials", "journal", "authors"}, ref, error)) return false;
  std::set<std::string> shortRefs;
  for (std::size_t i = 0; i < ref.rows.size(); ++i) {
    const auto& r = ref.rows[i];
    Reference x{r[ref.column("year")], r[ref.column("initials")], r[ref.column("journal")],
                splitAuthors(r[ref.column("authors")])};
    if (x.year.size() != 4 || x.initials.size() != 3 || !shortRefs.insert(x.year + x.initials).second) {
      error = ref.path + ": line " + std::to_string(ref.lineNumbers[i]) + ": bad or repeated short reference " + x.year +
              x.initials;
      return false;
    }
    data.references.push_back(std::move(x));
  }

  Tsv exp;
  if (!readTsv(dir + "experiments.tsv",
               {"ligand", "metal", "year", "initials", "method", "medium", "temp", "conc", "calib", "k1", "k2", "b2",
                "beta1", "beta2", "beta3", "beta4", "comm1", "comm2", "flags", "iupac", "mini"},
               exp, error))
    return false;
  for (std::size_t i = 0; i < exp.rows.size(); ++i) {
    const auto& r = exp.rows[i];
    const auto cell = [&](const char* name) -> const std::string& { return r[exp.column(name)]; };
    const auto fail = [&](const std::string& what) {
      error = exp.path + ": line " + std::to_string(exp.lineNumbers[i]) + ": " + what;
      return false;
    };
    Experiment e;
    const auto lit = ligandNumber.find(cell("ligand"));
    if (lit == ligandNumber.end()) return fail("unknown ligand \"" + cell("ligand") + "\"");
    e.ligand = lit->second;
    if (!toInt(cell("metal"), e.metal) || e.metal < 0 || e.metal >= static_cast<int>(data.metals.size()))
      return fail("unknown metal \"" + cell("metal") + "\"");
    e.year = cell("year");
    e.initials = cell("initials");
    if (!shortRefs.count(e.year + e.initials)) return fail("unknown reference " + e.year + e.initials);
    if (cell("method").size() != 1 || cell("medium").size() != 1) return fail("method and medium are one letter each");
    e.method = cell("method")[0];
    e.medium = cell("medium")[0];
    e.temp = cell("temp");
    e.conc = cell("conc");
    e.calib = cell("calib").empty() ? 'U' : cell("calib")[0];
    e.k1 = cell("k1");
    e.k2 = cell("k2");
    e.b2 = cell("b2");
    for (int k = 0; k < 4; ++k) e.beta[k] = cell(("beta" + std::to_string(k + 1)).c_str());
    e.comm1 = cell("comm1");
    e.comm2 = cell("comm2");
    for (char f : cell("flags")) {
      const auto pos = std::string_view("TIHM").find(f);
      if (pos == std::string_view::npos) return fail(std::string("unknown data flag '") + f + "'");
      e.flags[pos] = true;
    }
    e.iupac = cell("iupac").empty() ? ' ' : cell("iupac")[0];
    e.mini = cell("mini") == "1";
    data.experiments.push_back(std::move(e));
  }
  return true;
}

Dataset miniSubset(const Dataset& full) {
  Dataset mini;
  mini.metals = full.metals;
  std::vector<int> newNumber(full.ligands.size() + 1, 0);
  std::vector<bool> used(full.ligands.size() + 1, false);
  for (const auto& e : full.experiments)
    if (e.mini) used[e.ligand] = true;
  for (std::size_t i = 0; i < full.ligands.size(); ++i) {
    if (!full.ligands[i].mini && !used[i + 1]) continue;
    mini.ligands.push_back(full.ligands[i]);
    newNumber[i + 1] = static_cast<int>(mini.ligands.size());
  }
  for (const auto& e : full.experiments) {
    if (!e.mini) continue;
    Experiment m = e;
    m.ligand = newNumber[e.ligand];
    mini.experiments.push_back(std::move(m));
  }
  return mini;
}

Dataset firstLigands(const Dataset& full, int n) {
  Dataset small;
  small.metals = full.metals;
  const int count = std::min<int>(n, static_cast<int>(full.ligands.size()));
  small.ligands.assign(full.ligands.begin(), full.ligands.begin() + count);
  std::set<std::string> cited;
  for (const auto& e : full.experiments)
    if (e.ligand <= count) {
      small.experiments.push_back(e);
      cited.insert(e.year + e.initials);
    }
  for (const auto& r : full.references)
    if (cited.count(r.year + r.initials)) small.references.push_back(r);
  return small;
}

std::string startOfNameForm(const std::string& name) {
  static const char* const prefixes[] = {"cis-", "trans-", "sec-", "tert-", "iso-", "alpha-", "beta-", "gamma-",
                                         "dl-",  "l-",     "d-",   "n-",    "o-",   "s-",     "m-",    "p-", "h-"};
  std::string s = name.substr(0, name.find(';'));
  bool changed = true;
  while (changed && !s.empty()) {
    changed = false;
    // Locants, signs and punctuation at the start.
    std::size_t k = 0;
    while (k < s.size() && (std::isdigit(static_cast<unsigned char>(s[k])) || std::string_view(" ,'()[]+-").find(s[k]) != std::string_view::npos))
      ++k;
    if (k > 0) {
      s.erase(0, k);
      changed = true;
    }
    // A single atom locant such as "N," or "O'-".
    if (s.size() > 2 && std::string_view("NOSnos").find(s[0]) != std::string_view::npos &&
        std::string_view(",'-").find(s[1]) != std::string_view::npos) {
      s.erase(0, 1);
      changed = true;
      continue;
    }
    for (const char* p : prefixes) {
      const std::size_t len = std::string_view(p).size();
      if (s.size() > len) {
        std::string head = s.substr(0, len);
        std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return std::tolower(c); });
        if (head == p) {
          s.erase(0, len);
          changed = true;
          break;
        }
      }
    }
  }
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
  return s;
}

}  // namespace orvale::makedb
