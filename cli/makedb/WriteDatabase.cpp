#include "WriteDatabase.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <system_error>

#include "talvex/db/Vocabularies.h"
#include "xbase/table.h"

namespace orvale::makedb {

namespace fs = std::filesystem;
using talvex::db::Edition;

namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

std::string rightJustified(const std::string& s, std::size_t width) {
  return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

// Appends records to a new table; every failure keeps the first message.
class TableWriter {
 public:
  TableWriter(const std::string& path, const std::vector<xbase::FieldDef>& fields, std::string& error) : error_(error) {
    xbase::TableCreator creator(path, static_cast<int>(fields.size()));
    for (const auto& f : fields) creator.addField(f.name, f.type, f.width, f.decimals);
    if (creator.finish() == 0) {
      fail(creator.lastError().empty() ? "Cannot create " + path : creator.lastError());
      return;
    }
    if (!table_.open(path, xbase::Share::Exclusive, xbase::Access::ReadWrite)) fail(table_.lastError());
  }

  bool ok() const { return ok_; }

  void append() {
    if (ok_ && !table_.appendBlank()) fail(table_.lastError());
  }

  void set(const char* field, const std::string& value) {
    if (ok_ && !value.empty() && !table_.replace(field, value)) fail(table_.lastError());
  }
  void set(const char* field, long value) { set(field, std::to_string(value)); }

  bool finish() {
    if (ok_ && !table_.commit()) fail(table_.lastError());
    table_.close();
    return ok_;
  }

  xbase::Table& table() { return table_; }

 private:
  void fail(const std::string& message) {
    if (ok_) error_ = message;
    ok_ = false;
  }
  xbase::Table table_;
  std::string& error_;
  bool ok_ = true;
};

std::string casField(const std::string& cas) {
  return cas.empty() ? std::string("-  -") : rightJustified(cas, talvex::db::kCasWidth);
}

std::string fullNameField(const Ligand& l) {
  std::string name = l.fullName.substr(0, talvex::db::kFullNameWidth - 3);
  name.resize(talvex::db::kFullNameWidth - 3, ' ');
  return name + rightJustified(l.acidForm.substr(0, 3), 3);
}

bool isProton(int metal) { return metal == 0 || metal == 1; }

bool writeLigands(const Dataset& data, const std::string& path, bool withStructures, std::string& error) {
  std::vector<long> countH(data.ligands.size() + 1, 0), countO(data.ligands.size() + 1, 0);
  for (const auto& e : data.experiments) (isProton(e.metal) ? countH : countO)[e.ligand]++;

  TableWriter w(path, talvex::db::ligandFields(withStructures), error);
  for (std::size_t i = 0; i < data.ligands.size() && w.ok(); ++i) {
    const Ligand& l = data.ligands[i];
    w.append();
    if (!withStructures) w.set("LIGNUM", static_cast<long>(i + 1));
    w.set("EMPFORM", l.empForm);
    w.set("FULL_NAME", fullNameField(l));
    w.set("SH_NAME", l.shortName);
    w.set("CAS_NO", casField(l.cas));
    w.set("CLASS", l.classCodes);
    w.set("COUNT_H", countH[i + 1]);
    w.set("COUNT_O", countO[i + 1]);
    w.set("OLDLIGID", l.oldLigId);
    w.set("LGUCNM", startOfNameForm(l.fullName));
    w.set("LGUCSN", startOfNameForm(l.shortName));
    if (!withStructures) continue;
    if (!l.hasStructure) {
      w.set("ATOMS", 0L);
      w.set("BONDS", 0L);
      continue;
    }
    chemcore::ConnectionTable ct;
    std::string message;
    if (!chemcore::buildConnectionTable(l.structure, ct, message)) {
      error = "ligand " + l.key + ": " + message;
      return false;
    }
    w.set("ATOMS", static_cast<long>(l.structure.atomLines.size()));
    w.set("BONDS", static_cast<long>(l.structure.bondLines.size()));
    w.set("STRUC", chemcore::storedStructureText(l.structure, ct));
  }
  return w.finish();
}

bool writeMetals(const Dataset& data, const std::string& path, std::string& error) {
  std::vector<long> count(data.metals.size(), 0);
  for (const auto& e : data.experiments) count[e.metal]++;
  TableWriter w(path, talvex::db::metalFields(), error);
  for (std::size_t i = 0; i < data.metals.size() && w.ok(); ++i) {
    const Metal& m = data.metals[i];
    w.append();
    w.set("MCODE", m.code);
    w.set("MFORM", m.formula);
    if (m.formula.rfind("_", 0) != 0) w.set("COUNT_M", count[i]);
  }
  return w.finish();
}

// References newest first (stable within a year).
std::vector<const Reference*> referencesNewestFirst(const Dataset& data) {
  std::vector<const Reference*> refs;
  for (const auto& r : data.references) refs.push_back(&r);
  std::stable_sort(refs.begin(), refs.end(), [](const Reference* a, const Reference* b) { return a->year > b->year; });
  return refs;
}

bool writeReferences(const std::vector<const Reference*>& refs, const std::string& path, std::string& error) {
  TableWriter w(path, talvex::db::referenceFields(), error);
  for (const Reference* r : refs) {
    if (!w.ok()) break;
    std::string authors = " ";
    for (std::size_t k = 0; k < r->authors.size(); ++k) authors += (k ? ", " : "") + r->authors[k];
    w.append();
    w.set("SHRFYR", r->year);
    w.set("SHRFIN", r->initials);
    w.set("JOURNL", r->journal.substr(0, 40));
    w.set("AUTHOR", authors.substr(0, 100));
  }
  return w.finish();
}

// One record per author, ordered by name; the first two short references
// (latest, earliest) in AUTH_LIST, the others in a record of the author
// reference lists table.
bool writeAuthors(const std::vector<const Reference*>& refs, const std::string& authorPath, const std::string& listPath,
                  std::string& error) {
  std::map<std::string, std::pair<std::string, std::vector<std::string>>> byName;  // lower name → (name, refs)
  for (const Reference* r : refs)
    for (const auto& a : r->authors) {
      auto& entry = byName[lower(a)];
      entry.first = a;
      entry.second.push_back(r->year + r->initials);
    }
  constexpr std::size_t perList = talvex::db::kAuthorRefListWidth / talvex::db::kShortRefWidth;
  TableWriter authors(authorPath, talvex::db::authorFields(), error);
  TableWriter lists(listPath, talvex::db::authorRefFields(), error);
  long listRecords = 0;
  for (auto& [key, entry] : byName) {
    if (!authors.ok() || !lists.ok()) break;
    auto& shortRefs = entry.second;
    if (shortRefs.size() > perList + 2) shortRefs.resize(perList + 2);
    authors.append();
    authors.set("AUTH_NAM", entry.first.substr(0, 30));
    authors.set("AUTH_CNT", static_cast<long>(shortRefs.size()));
    std::string first = shortRefs.front();
    std::string second = shortRefs.size() > 1 ? shortRefs.back() : std::string();
    authors.set("AUTH_LIST", first + rightJustified("", 7 - std::min<std::size_t>(7, first.size())) + second);
    if (shortRefs.size() > 2) {
      std::string rest;
      for (std::size_t k = 1; k + 1 < shortRefs.size(); ++k) rest += shortRefs[k];
      lists.append();
      lists.set("AUTH_LIST", rest);
      authors.set("AUTH_NUM", ++listRecords);
    } else {
      authors.set("AUTH_NUM", 0L);
    }
  }
  const bool a = authors.finish();
  const bool b = lists.finish();
  return a && b;
}

bool writeExperiments(const Dataset& data, Edition edition, const std::string& path, std::string& error) {
  const bool full = edition == Edition::Full;
  TableWriter w(path, talvex::db::experimentFields(edition), error);
  for (const auto& e : data.experiments) {
    if (!w.ok()) break;
    w.append();
    w.set("LIGANDID", talvex::db::ligandKey(e.ligand));
    w.set("METALNUM", talvex::db::metalKey(e.metal));
    if (full) {
      w.set("REFYR", e.year);
      w.set("REFIN", e.initials);
      w.set("METHOD", std::string(1, e.method));
      w.set("MEDIUM", std::string(1, e.medium));
      w.set("CALIB", std::string(1, e.calib));
      w.set("COMM2", e.comm2);
      for (int k = 0; k < 4; ++k) w.set(("IFLAG" + std::to_string(k + 1)).c_str(), e.flags[k] ? "T" : "F");
      w.set("IUPAC", std::string(1, e.iupac));
    } else {
      w.set("MEDIUM", talvex::db::mediumValue(edition, e.medium - 'A' + 1));
    }
    w.set("TEMP", e.temp);
    w.set("CONC", e.conc);
    w.set("K1VAL", e.k1);
    w.set("K2VAL", e.k2);
    w.set("B2VAL", e.b2);
    for (int k = 0; k < 4; ++k) w.set(("BETA" + std::to_string(k + 1)).c_str(), e.beta[k]);
    w.set("COMM1", e.comm1);
  }
  return w.finish();
}

// Pairs of ligand and metal with their experiment counts, ordered by ligand
// then metal. mapLigand turns a ligand number of data into the written one (0:
// leave the pair out).
bool writeCrossReference(const Dataset& data, const std::vector<int>& mapLigand, const std::string& path,
                         std::string& error) {
  std::map<std::pair<int, int>, long> pairs;
  for (const auto& e : data.experiments) {
    const int l = mapLigand.empty() ? e.ligand : mapLigand[e.ligand];
    if (l > 0) pairs[{l, e.metal}]++;
  }
  TableWriter w(path, talvex::db::crossRefFields(), error);
  for (const auto& [pair, count] : pairs) {
    if (!w.ok()) break;
    w.append();
    w.set("LIG_HIT", talvex::db::ligandKey(pair.first));
    w.set("MET_HIT", talvex::db::metalKey(pair.second));
    w.set("COUNT_LM", count);
  }
  return w.finish();
}

bool buildIndex(const std::string& tablePath, const std::string& indexPath, const std::string& key, std::string& error) {
  xbase::Table t;
  if (!t.open(tablePath, xbase::Share::Exclusive, xbase::Access::ReadOnly) || !t.createIndex(indexPath, key)) {
    error = t.lastError();
    return false;
  }
  t.close();
  return true;
}

void removeDerivedFiles(const fs::path& dir) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    const std::string ext = lower(entry.path().extension().string());
    const std::string name = lower(entry.path().filename().string());
    if (ext == ".nsx" || ext == ".ia" || name == "publications.dbf") fs::remove(entry.path(), ec);
  }
}

}  // namespace

bool writeDatabase(const Dataset& data, const std::string& folder, const WriteOptions& options, std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    error = "Cannot create the folder " + folder + ": " + ec.message();
    return false;
  }
  const fs::path dir(folder);
  removeDerivedFiles(dir);
  const Edition ed = options.edition;
  const auto at = [&](const std::string& name) { return (dir / name).string(); };
  for (bool s : {true, false}) fs::remove(xbase::findFile(at(talvex::db::ligandTableFile(ed, s))), ec);

  if (!writeLigands(data, at(talvex::db::ligandTableFile(ed, options.withStructures)), options.withStructures, error))
    return false;
  if (!writeMetals(data, at(talvex::db::metalTableFile(ed)), error)) return false;
  if (ed == Edition::Full) {
    const auto refs = referencesNewestFirst(data);
    if (!writeReferences(refs, at(talvex::db::kReferenceTableFile), error)) return false;
    if (!writeAuthors(refs, at(talvex::db::kAuthorTableFile), at(talvex::db::kAuthorRefTableFile), error)) return false;
  }
  if (!writeExperiments(data, ed, at(talvex::db::experimentTableFile(ed)), error)) return false;

  const std::string xref = at(talvex::db::kCrossRefTableFile);
  if (options.crossReference) {
    if (!writeCrossReference(data, {}, xref, error)) return false;
  } else {
    fs::remove(xbase::findFile(xref), ec);
  }

  if (ed == Edition::Mini && options.fullForCrossReference) {
    // The full database's pair counts, under this database's ligand numbers.
    const Dataset& full = *options.fullForCrossReference;
    std::vector<int> mapLigand(full.ligands.size() + 1, 0);
    for (std::size_t i = 0; i < full.ligands.size(); ++i)
      for (std::size_t k = 0; k < data.ligands.size(); ++k)
        if (data.ligands[k].key == full.ligands[i].key) mapLigand[i + 1] = static_cast<int>(k + 1);
    const std::string fullXref = at(talvex::db::kFullCrossRefTableFile);
    if (!writeCrossReference(full, mapLigand, fullXref, error)) return false;
    if (!buildIndex(fullXref, at(talvex::db::kFullCrossRefIndexFile), "LIG_HIT+MET_HIT", error)) return false;
  }
  return true;
}

}  // namespace orvale::makedb
