#include "talvex/app/TalvexSubs.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "xbase/table.h"

namespace talvex::app {

namespace fs = std::filesystem;

namespace {

std::string withSlash(std::string dir) {
  if (dir.empty()) dir = ".";
  if (dir.back() != '/') dir += '/';
  return dir;
}

// True when a file can be created in the folder (and is removed again).
bool folderWritable(const std::string& dir) {
  const std::string probe = dir + "test.tmp";
  std::FILE* f = std::fopen(probe.c_str(), "wb");
  if (!f) return false;
  std::fclose(f);
  std::remove(probe.c_str());
  return true;
}

}  // namespace

std::string defaultSettingsPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string dir;
  if (config && *config) {
    dir = config;
  } else {
    const char* home = std::getenv("HOME");
    dir = std::string(home && *home ? home : ".") + "/.config";
  }
  return withSlash(dir) + "norwell.ini";
}

void initStartup(StartupState& s, db::Edition edition, const std::string& startDir, const std::string& helpDir,
                 const std::string& settingsPath, platform::Dialogs& dialogs) {
  const auto& info = db::editionInfo(edition);
  s = StartupState{};
  s.Edition = edition;
  s.ProgramName = info.programName;
  s.Version = info.version;
  s.StartDir = withSlash(startDir);
  s.DatabaseDir = s.StartDir + s.ProgramName + "/";
  s.HelpFile = withSlash(helpDir) + s.ProgramName + ".html";
  s.BackgroundHelpFile = withSlash(helpDir) + "Backgnd.html";
  s.OverviewTopic = edition == db::Edition::Full ? "Overview_of_Orvale" : "Overview_of_Mini_Orvale";
  s.ReadOnlyMedia = !folderWritable(s.StartDir);
  s.VersionLine = "Version " + s.Version;

  // Settings: the program's section with "Work Path" and "Metals".
  s.SettingsPath = settingsPath;
  std::string error;
  if (!s.Settings.load(settingsPath, error)) {
    s.SettingsWritable = false;
    dialogs.inform(error, platform::Severity::Warning);
  } else if (!s.Settings.hasSection(s.ProgramName)) {
    s.Settings.setValue(s.ProgramName, "Work Path", "");
    s.Settings.setValue(s.ProgramName, "Metals", "//");
    std::error_code ec;
    fs::create_directories(fs::path(settingsPath).parent_path(), ec);
    if (!s.Settings.save(error)) {
      s.SettingsWritable = false;
      dialogs.inform(error, platform::Severity::Warning);
    }
  }
  const std::string work = s.Settings.value(s.ProgramName, "Work Path").value_or("");
  s.WorkPath = work.empty() ? s.StartDir : withSlash(work);
  std::string metals = s.Settings.value(s.ProgramName, "Metals").value_or("");
  std::erase(metals, '/');
  s.OwnMetalGroup = metals;

  // Structures: the structure-bearing ligand table decides the field shift.
  s.StructuresAvailable = xbase::fileExists(s.DatabaseDir + db::ligandTableFile(edition, true));
  s.ShowStructures = s.StructuresAvailable;
  s.LigandFieldShift = db::ligandFieldShift(s.StructuresAvailable);
  s.TemplatesFile = s.StartDir + "templates.sdf";
  s.TemplatesExists = s.StructuresAvailable && xbase::fileExists(s.TemplatesFile);
}

bool saveSetting(StartupState& s, const std::string& key, const std::string& value, platform::Dialogs& dialogs) {
  if (!s.SettingsWritable) return false;
  s.Settings.setValue(s.ProgramName, key, value);
  std::string error;
  if (s.Settings.save(error)) return true;
  s.SettingsWritable = false;
  dialogs.inform(error, platform::Severity::Warning);
  return false;
}

std::string versionNumbersText(const StartupState& s) {
  return "Software version = " + s.Version + "\r\n\r\nData version = " + s.DataVersion;
}

std::string aboutText(const StartupState& s) {
  std::string t = s.ProgramName + " Vn. " + s.Version;
  if (!s.DataVersion.empty()) t += "\r\n               Data Version " + s.DataVersion;
  t += "\r\n\r\nRuns on Linux desktops (X11 and Wayland) with Qt 6.";
  t += s.Edition == db::Edition::Full
           ? "\r\n\r\nOrvale: a database of all significant published metal-ligand stability constants."
           : "\r\n\r\nMini-Orvale: a mini-database of selected metal-ligand stability constants.";
  return t;
}

}  // namespace talvex::app
