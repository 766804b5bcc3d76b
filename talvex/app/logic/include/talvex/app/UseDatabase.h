// "Use Database": check the database files, open every table, build missing
// index files, and decide whether the main window may open. Reindexing.
#pragma once

#include <functional>
#include <string>

#include "platform/Dialogs.h"
#include "talvex/app/TalvexSubs.h"
#include "talvex/db/Database.h"

namespace talvex::app {

enum class UseDatabaseResult {
  Ready,      // open the main window
  Stale,      // old index files: stay on the title window
  Terminate,  // a missing database file or a ligand table without totals: end the program
};

// What the program learns from the system's regional settings.
struct SystemLocale {
  bool english = true;          // the user's default language is English
  char decimalSeparator = '.';
};

// The first call opens the database and builds what is missing; every call
// ends with the staleness decision. Messages go through dialogs.
UseDatabaseResult useDatabase(StartupState& s, db::Database& database, db::IndexProgress& progress,
                              platform::Dialogs& dialogs, const SystemLocale& locale);

// "&Reindex Database Files". hasSpecifications tells whether a specification
// or an experiment list exists; clearAll discards them. Returns true when the
// index files were deleted.
bool reindexDatabase(StartupState& s, db::Database& database, platform::Dialogs& dialogs, bool hasSpecifications,
                     const std::function<void()>& clearAll);

inline constexpr const char* kStaleIndexesText =
    "You appear to have reinstalled the database\r\n without erasing the old index files.\r\n\r\n"
    "You MUST select the menu option\r\n    File / Reindex Database Files\r\n before you can use the database.";

}  // namespace talvex::app
