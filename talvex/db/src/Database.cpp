#include "talvex/db/Database.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "xbase/fts.h"

namespace talvex::db {

namespace fs = std::filesystem;

xbase::Table& Database::table(IndexedTable t) {
  switch (t) {
    case IndexedTable::Ligand: return ligands;
    case IndexedTable::Metal: return metals;
    case IndexedTable::Reference: return references;
    case IndexedTable::Author: return authors;
    case IndexedTable::CrossReference: return crossReference;
    case IndexedTable::Experiment:
    case IndexedTable::Publications: break;
  }
  return experiments;
}

std::string Database::tableFile(IndexedTable t) const {
  switch (t) {
    case IndexedTable::Ligand: return ligandTableFile(edition, structures);
    case IndexedTable::Metal: return metalTableFile(edition);
    case IndexedTable::Reference: return kReferenceTableFile;
    case IndexedTable::Author: return kAuthorTableFile;
    case IndexedTable::CrossReference: return kCrossRefTableFile;
    case IndexedTable::Publications: return kPublicationsTableFile;
    case IndexedTable::Experiment: break;
  }
  return experimentTableFile(edition);
}

bool Database::open(IndexedTable t, std::string& error) {
  xbase::Table& tab = table(t);
  tab.close();
  if (tab.open(path(tableFile(t)))) return true;
  error = tab.lastError();
  return false;
}

bool Database::share(IndexedTable t, std::string& error) {
  xbase::Table& tab = table(t);
  if (tab.isOpen() && !tab.isExclusive()) return true;
  return open(t, error);
}

void Database::closeAll() {
  for (xbase::Table* t : {&experiments, &ligands, &metals, &references, &authors, &crossReference}) {
    t->closeAllIndexes();
    t->close();
  }
}

namespace {

std::string lowered(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

const char* addErrorText(IndexedTable t) {
  switch (t) {
    case IndexedTable::Ligand: return "Error Adding Ligand File Key to index !";
    case IndexedTable::Metal: return "Error Adding Metal File Key to index !";
    case IndexedTable::Reference: return "Error Adding Reference File Key to index !";
    case IndexedTable::Author: return "Error Adding Author File Key to index !";
    default: return "Error Adding Expt. File Key to index !";
  }
}

bool buildTextIndex(Database& db, const IndexFile& f, IndexProgress& progress, platform::Dialogs& dialogs,
                    std::string& error) {
  xbase::Table& t = db.table(f.table);
  if (!t.isOpen() && !db.open(f.table, error)) return false;
  t.selectOrder(0);
  std::vector<int> positions;
  std::vector<bool> lower;
  for (const auto& name : f.textFields) {
    positions.push_back(t.fieldPos(name));
    lower.push_back(std::find(f.lowerFields.begin(), f.lowerFields.end(), name) != f.lowerFields.end());
  }
  const std::string file = db.dir + f.file;
  const int h = xbase::FtsCreate(file.c_str(), 20, 2, f.caseFold, 1);
  if (h < 0) {
    error = xbase::FtsLastError();
    return false;
  }
  const std::int64_t count = t.recordCount();
  std::string text;
  for (t.first(); !t.eof(); t.skip()) {
    text.clear();
    for (std::size_t k = 0; k < positions.size(); ++k) {
      if (positions[k] == 0) continue;
      const std::string_view v = t.rawField(positions[k]);
      text += lower[k] ? lowered(std::string(v)) : std::string(v);
    }
    const int n = xbase::FtsAdd(h, text.c_str());
    if (n < 0) dialogs.inform(addErrorText(f.table), platform::Severity::Error);
    else progress.gauge(n, count);
    dialogs.yieldToUi();
  }
  t.first();
  xbase::FtsClose(h);
  return true;
}

// Builds on the table opened exclusive; consecutive builds on one table share
// that opening, and Database::share() makes the table shared again.
bool buildEngineIndex(Database& db, const IndexFile& f, IndexProgress& progress, platform::Dialogs& dialogs,
                      std::string& error) {
  xbase::Table& t = db.table(f.table);
  if (!t.isOpen() || !t.isExclusive()) {
    t.closeAllIndexes();
    t.close();
    if (!t.open(db.path(db.tableFile(f.table)), xbase::Share::Exclusive)) {
      error = t.lastError();
      return false;
    }
  }
  t.setProgressHook([&](std::int64_t pos, std::int64_t max) {
    progress.gauge(pos, max);
    dialogs.yieldToUi();
  });
  const std::string file = db.dir + f.file;
  const bool ok = f.tag.empty() ? t.createIndex(file, f.key, 0, f.descending) : t.createTag(file, f.tag, f.key);
  if (!ok) error = t.lastError();
  t.setProgressHook({});
  t.closeAllIndexes();
  return ok;
}

}  // namespace

bool buildIndexFile(Database& db, const IndexFile& f, IndexProgress& progress, platform::Dialogs& dialogs,
                    std::string& error) {
  progress.message("Wait - indexing " + f.what);
  return f.kind == IndexKind::Text ? buildTextIndex(db, f, progress, dialogs, error)
                                   : buildEngineIndex(db, f, progress, dialogs, error);
}

std::string journalName(std::string_view j) {
  const auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
  std::size_t i = 0;
  std::string r;
  if (!j.empty() && std::isdigit(static_cast<unsigned char>(j[0]))) {
    while (i < j.size() && std::isdigit(static_cast<unsigned char>(j[i]))) r += j[i++];
    while (i < j.size() && (letter(j[i]) || std::string_view(" &,./").find(j[i]) != std::string_view::npos)) r += j[i++];
  } else {
    while (i < j.size() && (letter(j[i]) || std::string_view(" \"&',./").find(j[i]) != std::string_view::npos)) r += j[i++];
  }
  if (r.size() >= 2 && r.compare(r.size() - 2, 2, ", ") == 0) r.resize(r.size() - 2);
  else if (!r.empty() && r.back() == ',') r.pop_back();
  const auto b = r.find_first_not_of(' ');
  r = b == std::string::npos ? std::string() : r.substr(b, r.find_last_not_of(' ') - b + 1);
  if (r.size() >= 2 && r.compare(r.size() - 2, 2, "p.") == 0) {
    r.resize(r.size() - 2);
    while (!r.empty() && r.back() == ' ') r.pop_back();
  }
  return r;
}

bool buildPublications(Database& db, IndexProgress& progress, platform::Dialogs& dialogs, std::string& error) {
  std::error_code ec;
  const std::string pubPath = db.dir + kPublicationsTableFile;
  const std::string existing = xbase::findFile(pubPath);
  if (fs::exists(existing, ec)) {
    fs::permissions(existing, fs::perms::owner_write, fs::perm_options::add, ec);
    fs::remove(existing, ec);
  }
  {
    xbase::TableCreator creator(pubPath, 4);
    for (const auto& f : publicationsFields()) creator.addField(f.name, f.type, f.width, f.decimals);
    if (creator.finish() == 0) {
      error = creator.lastError();
      return false;
    }
  }
  fs::remove(xbase::findFile(db.dir + "IndRefUJ.nsx"), ec);
  progress.message("WAIT - writing file Publications.dbf");

  xbase::Table pub;
  if (!pub.open(pubPath, xbase::Share::Exclusive, xbase::Access::ReadWrite)) {
    error = pub.lastError();
    return false;
  }
  xbase::Table& refs = db.references;
  if (!refs.isOpen() && !db.open(IndexedTable::Reference, error)) return false;
  refs.closeAllIndexes();
  if (!refs.openIndex(db.path("IndRefJn.nsx"))) {
    error = refs.lastError();
    return false;
  }
  const std::int64_t count = refs.recordCount();
  std::string groupKey, groupName;
  int groupCount = 0, from = 0, to = 0;
  const auto flush = [&] {
    if (groupCount == 0) return;
    pub.appendBlank();
    pub.replace("JOURNL", groupName);
    pub.replace("J_COUNT", std::to_string(groupCount));
    pub.replace("FROM", std::to_string(from));
    if (to > from) pub.replace("TO", std::to_string(to));
  };
  std::int64_t done = 0;
  for (refs.first(); !refs.eof(); refs.skip()) {
    const std::string name = journalName(refs.field("JOURNL"));
    const std::string key = lowered(name);
    const int year = std::atoi(refs.field("SHRFYR").c_str());
    if (groupCount == 0 || key != groupKey) {
      flush();
      groupKey = key;
      groupName = name;
      groupCount = 0;
      from = to = year;
    }
    ++groupCount;
    from = std::min(from, year);
    to = std::max(to, year);
    progress.gauge(++done, count);
    dialogs.yieldToUi();
  }
  flush();
  pub.commit();
  refs.closeAllIndexes();
  refs.first();

  progress.message("Wait - indexing publication file");
  const bool ok = pub.createIndex(db.dir + "IndRefUJ.nsx", "Lower(JOURNL)", 1);
  if (!ok) error = pub.lastError();
  pub.close();
  fs::permissions(pubPath, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove, ec);
  return ok;
}

}  // namespace talvex::db
