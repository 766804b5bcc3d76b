#include "talvex/app/UseDatabase.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace talvex::app {

namespace fs = std::filesystem;
using db::IndexedTable;

namespace {

std::string trimmed(const std::string& s) {
  const auto b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// Builds the catalogue's files of one table that are missing, the progress
// display shown from the first build on.
class Builder {
 public:
  Builder(db::Database& d, db::IndexProgress& p, platform::Dialogs& dialogs, bool rebuildAll)
      : db_(d), progress_(p), dialogs_(dialogs), rebuildAll_(rebuildAll) {}

  bool missing(const std::string& file) const { return rebuildAll_ || !xbase::fileExists(db_.dir + file); }

  // False only when a table cannot be opened for building; the message is shown.
  bool build(const db::IndexFile& f) {
    if (!missing(f.file)) return true;
    ensureBegun();
    std::string error;
    if (db::buildIndexFile(db_, f, progress_, dialogs_, error)) return true;
    dialogs_.inform(error, platform::Severity::Error);
    return false;
  }

  // Every missing file of one table, then the table shared again.
  void buildAll(const std::vector<db::IndexFile>& files, IndexedTable table) {
    for (const auto& f : files)
      if (f.table == table) build(f);
    share(table);
  }

  void share(IndexedTable table) {
    std::string error;
    if (!db_.share(table, error)) dialogs_.inform(error, platform::Severity::Error);
  }

  void ensureBegun() {
    if (begun_) return;
    progress_.begin();
    begun_ = true;
  }
  void end() {
    if (begun_) progress_.end();
  }
  db::IndexProgress& progress() { return progress_; }

 private:
  db::Database& db_;
  db::IndexProgress& progress_;
  platform::Dialogs& dialogs_;
  bool rebuildAll_;
  bool begun_ = false;
};

// The publications index alone, when the publications table is there.
void buildPublicationsIndex(db::Database& d, const db::IndexFile& f, Builder& builder) {
  xbase::Table pub;
  if (!pub.open(d.path(db::kPublicationsTableFile), xbase::Share::Exclusive)) return;
  builder.ensureBegun();
  builder.progress().message("Wait - indexing " + f.what);
  pub.createIndex(d.dir + f.file, f.key, 1);
}

int lastRecord(xbase::Table& t) {
  t.last();
  return t.eof() ? 0 : t.recNo();
}

bool openDatabase(StartupState& s, db::Database& d, db::IndexProgress& progress, platform::Dialogs& dialogs,
                  const SystemLocale& locale) {
  using db::Edition;
  const bool full = s.Edition == Edition::Full;
  d.dir = s.DatabaseDir;
  d.edition = s.Edition;
  d.structures = s.StructuresAvailable;

  // The database files, in the order they are checked.
  std::vector<std::string> required{db::experimentTableFile(s.Edition)};
  if (full) required.insert(required.end(), {db::kReferenceTableFile, db::kAuthorTableFile, db::kAuthorRefTableFile});
  required.push_back(db::ligandTableFile(s.Edition, s.StructuresAvailable));
  required.push_back(db::metalTableFile(s.Edition));
  for (const auto& f : required)
    if (!xbase::fileExists(s.DatabaseDir + f)) {
      dialogs.inform("Can't find database files !! Terminating ....", platform::Severity::Error);
      return false;
    }

  s.DatabaseOpened = true;
  s.CrossReferenceExists = xbase::fileExists(s.DatabaseDir + db::kCrossRefTableFile);
  s.PublicationsExist = xbase::fileExists(s.DatabaseDir + db::kPublicationsTableFile);

  if (s.ReadOnlyMedia && !locale.english)
    dialogs.inform(
        "The index files on your CD were written under the English (UK) Regional setting\r\n and may give errors under "
        "your system.\r\n\r\nSee ReadMe.txt on the CD-ROM for more information",
        platform::Severity::Warning);

  if (!s.StalenessChecked) {
    s.StalenessChecked = true;
    std::error_code e1, e2;
    const auto indexTime = fs::last_write_time(xbase::findFile(s.DatabaseDir + "index_lm.nsx"), e1);
    const auto tableTime = fs::last_write_time(d.path(db::experimentTableFile(s.Edition)), e2);
    s.IndexesFresh = e1 || e2 || indexTime >= tableTime;
  }

  if (locale.decimalSeparator != '.')
    dialogs.inform(std::string("Your computer uses   '") + locale.decimalSeparator +
                       "'   instead of   '.'  (point)  as the decimal separator\r\n\r\n"
                       "This software expects   '.'   (point) as the separator, and this will be set within the "
                       "program for you,\r\n\r\n  but you must remember to enter   '.'   as the decimal separator when "
                       "entering values for constants etc.",
                   platform::Severity::Warning);

  const auto catalogue = db::indexFiles(s.Edition, s.StructuresAvailable);
  Builder builder(d, progress, dialogs, s.ReindexRequested);
  std::string error;
  const auto openOrFail = [&](IndexedTable t) {
    if (d.open(t, error)) return true;
    dialogs.inform(error, platform::Severity::Error);
    return false;
  };

  // Ligands: the combined text index, the experiment totals, the field indexes.
  if (!openOrFail(IndexedTable::Ligand)) return false;
  s.LigandCount = lastRecord(d.ligands);
  builder.build(catalogue.front());
  bool totals = false;
  for (d.ligands.first(); !d.ligands.eof() && !totals; d.ligands.skip())
    totals = trimmed(d.ligands.field("COUNT_H")) != "0" || trimmed(d.ligands.field("COUNT_O")) != "0";
  if (!totals) {
    builder.end();
    dialogs.inform("Ligand file needs experiment totals!! Terminating ....", platform::Severity::Error);
    return false;
  }
  for (std::size_t i = 1; i < catalogue.size(); ++i)
    if (catalogue[i].table == IndexedTable::Ligand) builder.build(catalogue[i]);
  builder.share(IndexedTable::Ligand);

  // Metals: the version record, the spare records, the metal count.
  if (!openOrFail(IndexedTable::Metal)) return false;
  xbase::Table& m = d.metals;
  m.last();
  s.DataVersion.clear();
  if (!m.eof()) {
    const std::string form = trimmed(m.field("MFORM"));
    if (form.rfind("_Vn ", 0) == 0) {
      s.DataVersion = trimmed(form.substr(4, 6));
      m.skip(-1);
    }
    while (!m.bof() && trimmed(m.field("MFORM")) == "_Spare") m.skip(-1);
  }
  s.MetalCount = m.bof() ? -1 : m.recNo() - 1;
  s.VersionLine = "Version " + s.Version;
  s.VersionSummary.clear();
  if (!s.DataVersion.empty()) {
    s.VersionLine += " (data version " + s.DataVersion + ")";
    s.VersionSummary = "Software version = " + s.Version + "  Data version = " + s.DataVersion;
  }
  builder.buildAll(catalogue, IndexedTable::Metal);

  if (full) {
    if (!openOrFail(IndexedTable::Reference)) return false;
    s.ReferenceCount = lastRecord(d.references);
    s.OldestYear = std::atoi(d.references.field("SHRFYR").c_str());
    d.references.first();
    s.NewestYear = std::atoi(d.references.field("SHRFYR").c_str());
    builder.buildAll(catalogue, IndexedTable::Reference);
    if (!openOrFail(IndexedTable::Author)) return false;
    s.AuthorCount = lastRecord(d.authors);
    builder.buildAll(catalogue, IndexedTable::Author);
  }

  // Experiments, opened with no index: tags, field indexes, text indexes.
  if (!openOrFail(IndexedTable::Experiment)) return false;
  s.ExperimentCount = lastRecord(d.experiments);
  s.ExpNoDigits = s.ExperimentCount < 100000 ? 5 : 6;
  builder.buildAll(catalogue, IndexedTable::Experiment);

  if (full) {
    if (s.ReindexRequested || !s.PublicationsExist) {
      builder.ensureBegun();
      std::string pubError;
      s.PublicationsExist = db::buildPublications(d, builder.progress(), dialogs, pubError);
    } else if (builder.missing("IndRefUJ.nsx")) {
      for (const auto& f : catalogue)
        if (f.table == IndexedTable::Publications) buildPublicationsIndex(d, f, builder);
    }
  }

  if (s.CrossReferenceExists && openOrFail(IndexedTable::CrossReference))
    builder.buildAll(catalogue, IndexedTable::CrossReference);

  builder.end();
  s.ReindexRequested = false;
  return true;
}

}  // namespace

UseDatabaseResult useDatabase(StartupState& s, db::Database& database, db::IndexProgress& progress,
                              platform::Dialogs& dialogs, const SystemLocale& locale) {
  if (!s.DatabaseOpened && !openDatabase(s, database, progress, dialogs, locale)) return UseDatabaseResult::Terminate;
  if (s.IndexesFresh) return UseDatabaseResult::Ready;
  dialogs.inform(kStaleIndexesText, platform::Severity::Warning);
  return UseDatabaseResult::Stale;
}

bool reindexDatabase(StartupState& s, db::Database& database, platform::Dialogs& dialogs, bool hasSpecifications,
                     const std::function<void()>& clearAll) {
  if (!dialogs.confirm("Do you really want to reindex all the files ? Confirm by clicking Yes now ...")) return false;
  if (hasSpecifications &&
      !dialogs.confirm("Reindexing will cancel your current list and/or specifications ? \r\n"
                       "Confirm that you do want to reindex by clicking Yes now ..."))
    return false;
  if (clearAll) clearAll();
  database.closeAll();
  // Every index and text index goes, and the derived publications table; the
  // full database's cross-reference index that ships with the mini database
  // cannot be rebuilt by the program and stays.
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(s.DatabaseDir, ec)) {
    std::string name = entry.path().filename().string();
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string ext = name.size() > 4 ? name.substr(name.rfind('.')) : std::string();
    const bool shipped = name == "indxlm_f.nsx";
    if ((ext == ".ia" || ext == ".nsx" || name == "publications.dbf") && !shipped) fs::remove(entry.path(), ec);
  }
  s.DatabaseOpened = false;
  s.ReindexRequested = true;
  s.StalenessChecked = false;
  s.IndexesFresh = true;
  dialogs.inform("All index files have been deleted - they will be rewritten when you use the database");
  return true;
}

}  // namespace talvex::app
