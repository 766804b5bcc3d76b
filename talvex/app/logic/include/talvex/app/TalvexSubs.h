// The query program's start-up state: edition, folders, settings, flags and
// the counts "Use Database" fills in. One instance lives for the whole run.
#pragma once

#include <string>

#include "platform/Dialogs.h"
#include "talvex/app/IniFile.h"
#include "talvex/db/Tables.h"

namespace talvex::app {

struct StartupState {
  db::Edition Edition = db::Edition::Full;
  std::string ProgramName;      // "OrvaleQuery" / "Talvex"
  std::string Version;          // "5.4" / "5.14"
  std::string StartDir;         // with a trailing "/"
  std::string DatabaseDir;      // StartDir + program name + "/"
  std::string HelpFile;         // the edition's HTML help file
  std::string BackgroundHelpFile;
  std::string OverviewTopic;    // "Overview_of_Orvale" / "Overview_of_Mini_Orvale"
  std::string WorkPath;         // list files and the sort table; default StartDir
  std::string OwnMetalGroup;    // concatenated two-character metal codes
  bool ReadOnlyMedia = false;
  bool StructuresAvailable = false;
  bool ShowStructures = false;
  int LigandFieldShift = 0;
  std::string TemplatesFile;
  bool TemplatesExists = false;
  std::string DataVersion;
  int LigandCount = 0, MetalCount = 0, ReferenceCount = 0, AuthorCount = 0, ExperimentCount = 0;
  int ExpNoDigits = 5;
  int OldestYear = 0, NewestYear = 0;
  bool DatabaseOpened = false;
  bool IndexesFresh = true;
  bool StalenessChecked = false;
  bool ReindexRequested = false;
  bool CrossReferenceExists = false;
  bool PublicationsExist = false;
  std::string VersionLine;      // "Version 5.4" + " (data version ...)"
  std::string VersionSummary;   // "Software version = ..."

  // Display defaults.
  std::string DisplayFont = "Arial";
  int DisplayFontSize = 9;
  std::string PrintFont = "Arial";
  int PrintFontSize = 9;
  int DisplayCapacity = 100;
  int PrintFontStep = 23;

  // The settings file and whether it may be written.
  std::string SettingsPath;
  IniFile Settings;
  bool SettingsWritable = true;
};

inline constexpr const char* kClipboardNotice =
    "The data for the whole experiment list are now on the ClipBoard\r\n\r\nRemember they may be overwritten (e.g. by Speciation)";

// Where the settings file lives: $XDG_CONFIG_HOME/norwell.ini, by default
// ~/.config/norwell.ini.
std::string defaultSettingsPath();

// The start-up settings: folders, the read-only test ("test.tmp" in the start
// folder), the settings file (a new section gets an empty "Work Path" and
// "Metals" = "//"), the structure switch and the templates file. A settings
// file that cannot be read or written is reported once; the program then runs
// on defaults and leaves the file alone.
void initStartup(StartupState& s, db::Edition edition, const std::string& startDir, const std::string& helpDir,
                 const std::string& settingsPath, platform::Dialogs& dialogs);

// Rewrites one key of the program's section (when the file may be written).
bool saveSetting(StartupState& s, const std::string& key, const std::string& value, platform::Dialogs& dialogs);

// "Version Numbers" and "Help About" texts.
std::string versionNumbersText(const StartupState& s);
std::string aboutText(const StartupState& s);

}  // namespace talvex::app
