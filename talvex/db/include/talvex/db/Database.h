// The open tables of the query program's database, and the building of its
// index files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/Dialogs.h"
#include "talvex/db/IndexFiles.h"
#include "xbase/table.h"

namespace talvex::db {

// Every table the program keeps open, shared and read-only, for the whole run.
struct Database {
  std::string dir;  // with a trailing "/"
  Edition edition = Edition::Full;
  bool structures = false;
  xbase::Table experiments, ligands, metals, references, authors, crossReference;

  std::string path(std::string_view file) const { return xbase::findFile(dir + std::string(file)); }
  xbase::Table& table(IndexedTable t);
  std::string tableFile(IndexedTable t) const;
  // Opens a table shared and read-only (closing it first); false with the
  // engine's message when it cannot be opened.
  bool open(IndexedTable t, std::string& error);
  // Makes a table that index building opened exclusive shared again.
  bool share(IndexedTable t, std::string& error);
  void closeAll();
};

// What the title window shows while index files are built.
struct IndexProgress {
  virtual void begin() = 0;                              // first build of a run
  virtual void message(std::string_view text) = 0;       // "Wait - indexing ..."
  virtual void gauge(std::int64_t position, std::int64_t maximum) = 0;
  virtual void end() = 0;                                // hide the progress controls
  virtual ~IndexProgress() = default;
};

// For building without a window to show the progress in.
struct SilentIndexProgress : IndexProgress {
  void begin() override {}
  void message(std::string_view) override {}
  void gauge(std::int64_t, std::int64_t) override {}
  void end() override {}
};

// Builds one index file of the catalogue into the database folder, with the
// progress texts. Engine indexes are built on the table opened exclusive,
// which stays so for the next build; Database::share() ends the building.
// Returns false with a message when the table or the file cannot be opened or
// written.
bool buildIndexFile(Database& db, const IndexFile& file, IndexProgress& progress, platform::Dialogs& dialogs,
                    std::string& error);

// The journal name of a JOURNL value: its leading run of letters, blanks,
// quotes, "&", "'", ",", "." and "/" (or, when it begins with digits, those
// digits and the following run without quotes), a trailing comma dropped,
// trimmed, a final "p." removed.
std::string journalName(std::string_view journl);

// Writes "Publications.dbf" from the reference table (one record per journal,
// grouped by journal name ignoring case, in journal-name order) and builds
// "IndRefUJ.nsx". Returns false when the table cannot be created (the
// program then runs without publications).
bool buildPublications(Database& db, IndexProgress& progress, platform::Dialogs& dialogs, std::string& error);

}  // namespace talvex::db
