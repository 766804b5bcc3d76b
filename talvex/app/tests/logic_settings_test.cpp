#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/ScriptedDialogs.h"
#include "talvex/app/TalvexSubs.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace talvex;

namespace {
std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct SettingsTest : ::testing::Test {
  void SetUp() override {
    dir = testsupport::freshTestFolder("orvale-ini");
    ini = dir / "norwell.ini";
  }
  void TearDown() override {
    fs::permissions(ini, fs::perms::owner_all, std::filesystem::perm_options::add);
    fs::remove_all(dir);
  }
  fs::path dir, ini;
  platform::ScriptedDialogs dialogs;
  app::StartupState state;
};
}  // namespace

TEST_F(SettingsTest, ReadsOwnSectionAndKeepsOthers) {
  std::ofstream(ini, std::ios::binary) << "; shared settings\r\n[Equivane]\r\nx=1\r\n\r\n[talvex]\r\nwork path = /data/lists\r\n"
                                          "Metals=/CuNiZn/\r\n";
  app::initStartup(state, db::Edition::Mini, dir.string(), "help", ini.string(), dialogs);
  EXPECT_EQ(state.WorkPath, "/data/lists/");
  EXPECT_EQ(state.OwnMetalGroup, "CuNiZn");
  ASSERT_TRUE(app::saveSetting(state, "Metals", "/CoFe/", dialogs));
  EXPECT_EQ(readAll(ini),
            "; shared settings\r\n[Equivane]\r\nx=1\r\n\r\n[talvex]\r\nwork path = /data/lists\r\nMetals=/CoFe/\r\n");
  // A second program's section is added after the others.
  app::initStartup(state, db::Edition::Full, dir.string(), "help", ini.string(), dialogs);
  EXPECT_NE(readAll(ini).find("[OrvaleQuery]\r\nWork Path=\r\nMetals=//\r\n"), std::string::npos);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SettingsTest, BadOrReadOnlyFilesAreReportedAndLeftAlone) {
  const std::string bad = "[Talvex]\r\nthis line is not a setting\r\n";
  std::ofstream(ini, std::ios::binary) << bad;
  app::initStartup(state, db::Edition::Mini, dir.string(), "help", ini.string(), dialogs);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].find(ini.string()), std::string::npos);
  EXPECT_NE(dialogs.shown[0].find("line 2"), std::string::npos);
  EXPECT_EQ(state.WorkPath, state.StartDir);
  EXPECT_FALSE(app::saveSetting(state, "Work Path", "/x", dialogs));
  EXPECT_EQ(readAll(ini), bad);

  std::ofstream(ini, std::ios::binary | std::ios::trunc) << "[Other]\r\nk=v\r\n";
  fs::permissions(ini, fs::perms::owner_read);
  dialogs.shown.clear();
  app::initStartup(state, db::Edition::Mini, dir.string(), "help", ini.string(), dialogs);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].find("read-only"), std::string::npos);
  EXPECT_EQ(readAll(ini), "[Other]\r\nk=v\r\n");
}
