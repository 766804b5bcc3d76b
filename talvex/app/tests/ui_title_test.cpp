// The title window driven as a user would: "Use Database", reindexing, the
// menus, with scripted dialogs on the offscreen platform.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>

#include "Talvex1.h"
#include "TalvexProgram.h"
#include "TitlePge.h"
#include "makedb/Dataset.h"
#include "makedb/WriteDatabase.h"
#include "platform/ScriptedDialogs.h"
#include "test_support.h"

namespace fs = std::filesystem;
using talvex::db::Edition;

namespace {

const orvale::makedb::Dataset& demo() { return testsupport::demoData(); }

class TitleWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    start = testsupport::freshTestFolder("orvale-title");
  }
  void TearDown() override {
    program.reset();
    fs::remove_all(start);
  }

  void write(Edition e, orvale::makedb::Dataset data, bool xref = true) {
    orvale::makedb::WriteOptions o;
    o.edition = e;
    o.crossReference = xref;
    if (e == Edition::Mini) data = orvale::makedb::miniSubset(data);
    std::string error;
    ASSERT_TRUE(orvale::makedb::writeDatabase(data, dir(e).string(), o, error)) << error;
  }

  fs::path dir(Edition e) const { return start / talvex::db::editionInfo(e).programName; }

  TalvexProgram& launch(Edition e, const fs::path& from = {}) {
    program.reset();
    TalvexProgram::Options o;
    o.edition = e;
    o.startDir = QString::fromStdString((from.empty() ? start : from).string());
    o.helpDir = QStringLiteral("help");
    o.settingsPath = QString::fromStdString((start / "norwell.ini").string());
    program = std::make_unique<TalvexProgram>(o, dialogs);
    program->titlePage()->show();
    return *program;
  }

  void clickUseDatabase() {
    program->titlePage()->findChild<QPushButton*>(QStringLiteral("UseDatabaseBtn"))->click();
  }

  fs::file_time_type modified(const std::string& file, Edition e = Edition::Full) const {
    return fs::last_write_time(dir(e) / file);
  }

  fs::path start;
  platform::ScriptedDialogs dialogs;
  std::unique_ptr<TalvexProgram> program;
};

}  // namespace

TEST_F(TitleWindow, FreshDatabaseReachesTheMainWindow) {
  write(Edition::Full, demo());
  TalvexProgram& p = launch(Edition::Full);
  EXPECT_EQ(p.titlePage()->windowTitle(), QStringLiteral("Title Window  :  OrvaleQuery"));
  clickUseDatabase();
  EXPECT_TRUE(dialogs.unexpected.empty());
  EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
  for (const auto& f : talvex::db::indexFiles(Edition::Full, true)) EXPECT_TRUE(fs::exists(dir(Edition::Full) / f.file)) << f.file;
  EXPECT_TRUE(p.mainWindow()->isVisible());
  EXPECT_FALSE(p.titlePage()->isVisible());
  EXPECT_EQ(p.mainWindow()->pages()->currentIndex(), 5);
  EXPECT_EQ(p.mainWindow()->windowTitle(), QStringLiteral("Main Window  :  OrvaleQuery"));
  // The progress controls are hidden again.
  EXPECT_FALSE(p.titlePage()->findChild<QProgressBar*>(QStringLiteral("Gauge1"))->isVisible());
  EXPECT_FALSE(p.titlePage()->findChild<QLabel*>(QStringLiteral("Index_msg"))->isVisibleTo(p.titlePage()));
  EXPECT_EQ(p.titlePage()->findChild<QLabel*>(QStringLiteral("Indexing"))->text(), QString());
  EXPECT_TRUE(p.state.PublicationsExist);
  // A second "Use Database" only shows the main window.
  p.mainWindow()->BackBtnClick();
  clickUseDatabase();
  EXPECT_TRUE(p.mainWindow()->isVisible());
}

TEST_F(TitleWindow, DeletingOneIndexRebuildsExactlyThatFile) {
  write(Edition::Full, demo());
  launch(Edition::Full);
  clickUseDatabase();
  const auto before = modified("IndExpF2.nsx");
  fs::remove(dir(Edition::Full) / "IndExpF3.nsx");
  launch(Edition::Full);
  clickUseDatabase();
  EXPECT_TRUE(fs::exists(dir(Edition::Full) / "IndExpF3.nsx"));
  EXPECT_EQ(modified("IndExpF2.nsx"), before);
  EXPECT_TRUE(program->mainWindow()->isVisible());
}

TEST_F(TitleWindow, NoCrossReferenceTableNoIndex) {
  write(Edition::Mini, demo(), false);
  TalvexProgram& p = launch(Edition::Mini);
  clickUseDatabase();
  EXPECT_FALSE(fs::exists(dir(Edition::Mini) / "indxrflm.nsx"));
  EXPECT_TRUE(fs::exists(dir(Edition::Mini) / "index_lm.nsx"));
  EXPECT_FALSE(p.state.CrossReferenceExists);
  EXPECT_FALSE(p.mainWindow()->pages()->isTabVisible(2));  // no references page in the mini edition
}

TEST_F(TitleWindow, ReindexThenUseDatabaseRebuildsEverything) {
  write(Edition::Full, demo());
  TalvexProgram& p = launch(Edition::Full);
  clickUseDatabase();
  p.mainWindow()->BackBtnClick();
  ASSERT_TRUE(p.titlePage()->reindexAction()->isEnabled());
  dialogs.answerYes();
  p.titlePage()->reindexAction()->trigger();
  EXPECT_EQ(dialogs.shown.back(), "All index files have been deleted - they will be rewritten when you use the database");
  EXPECT_FALSE(fs::exists(dir(Edition::Full) / "index_lm.nsx"));
  EXPECT_FALSE(fs::exists(dir(Edition::Full) / "Publications.dbf"));
  EXPECT_FALSE(p.mainWindow()->isVisible());
  clickUseDatabase();
  for (const auto& f : talvex::db::indexFiles(Edition::Full, true)) EXPECT_TRUE(fs::exists(dir(Edition::Full) / f.file)) << f.file;
  EXPECT_TRUE(fs::exists(dir(Edition::Full) / "Publications.dbf"));
  EXPECT_TRUE(p.mainWindow()->isVisible());
}

TEST_F(TitleWindow, JournalWithOneYearHasNoClosingYear) {
  write(Edition::Full, demo());
  launch(Edition::Full);
  clickUseDatabase();
  xbase::Table pub;
  ASSERT_TRUE(pub.open((dir(Edition::Full) / "Publications.dbf").string()));
  int singleYear = 0;
  for (pub.first(); !pub.eof(); pub.skip()) {
    const bool oneYear = pub.field("TO").find_first_not_of(' ') == std::string::npos;
    if (oneYear) ++singleYear;
    else EXPECT_LT(std::stoi(pub.field("FROM")), std::stoi(pub.field("TO")));
  }
  EXPECT_GT(singleYear, 0);
}

TEST_F(TitleWindow, ReadOnlyStartFolderDisablesReindexing) {
  TalvexProgram& p = launch(Edition::Full, "/proc");
  EXPECT_TRUE(p.state.ReadOnlyMedia);
  EXPECT_FALSE(p.titlePage()->reindexAction()->isEnabled());
  // Without a database the program ends with the message.
  clickUseDatabase();
  EXPECT_EQ(dialogs.shown.back(), "Can't find database files !! Terminating ....");
  EXPECT_TRUE(p.ended());
}

TEST_F(TitleWindow, MetalTableWithoutVersionRecord) {
  auto data = demo();
  data.metals.pop_back();
  write(Edition::Full, data);
  TalvexProgram& p = launch(Edition::Full);
  clickUseDatabase();
  p.titlePage()->Versions1Click();
  EXPECT_EQ(dialogs.shown.back(), "Software version = 5.4\r\n\r\nData version = ");
  p.titlePage()->About1Click();
  EXPECT_EQ(dialogs.shown.back().find("Data Version"), std::string::npos);
  EXPECT_EQ(p.titlePage()->findChild<QLabel*>(QStringLiteral("VersionLabel"))->text(), QStringLiteral("Version 5.4"));
}

TEST_F(TitleWindow, StaleIndexesKeepTheUserOnTheTitleWindow) {
  write(Edition::Full, demo());
  launch(Edition::Full);
  clickUseDatabase();
  fs::last_write_time(dir(Edition::Full) / "index_lm.nsx", modified("Expt32f.dbf") - std::chrono::hours(1));
  TalvexProgram& p = launch(Edition::Full);
  clickUseDatabase();
  EXPECT_NE(dialogs.shown.back().find("You MUST select the menu option"), std::string::npos);
  EXPECT_TRUE(p.titlePage()->isVisible());
  EXPECT_FALSE(p.mainWindow()->isVisible());
}

TEST_F(TitleWindow, ExitAsksNothingWithoutListsAndEndsTheProgram) {
  write(Edition::Mini, demo());
  TalvexProgram& p = launch(Edition::Mini);
  EXPECT_EQ(p.titlePage()->findChild<QPushButton*>(QStringLiteral("ExitBtn"))->text(), QStringLiteral("Close Talvex"));
  p.titlePage()->findChild<QPushButton*>(QStringLiteral("ExitBtn"))->click();
  EXPECT_TRUE(p.ended());
  EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(TitleWindow, TileAndCascadeSayThereIsNothing) {
  TalvexProgram& p = launch(Edition::Mini);
  p.titlePage()->Tile1Click();
  EXPECT_EQ(dialogs.shown.back(), "Nothing to tile !");
  p.titlePage()->Cascade1Click();
  EXPECT_EQ(dialogs.shown.back(), "Nothing to cascade !");
  // Help files that are not there are named in the message.
  p.titlePage()->OverviewClick();
  EXPECT_NE(dialogs.shown.back().find("help/Talvex.html"), std::string::npos) << dialogs.shown.back();
}
