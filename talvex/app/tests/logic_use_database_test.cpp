// "Use Database" on small databases written by the makedb library: which
// index files are built, in what order, and what the user is told.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "makedb/Dataset.h"
#include "makedb/WriteDatabase.h"
#include "platform/ScriptedDialogs.h"
#include "talvex/app/UseDatabase.h"
#include "talvex/match/Prf_Code.h"
#include "talvex/spec/Specifications.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace talvex;
using talvex::db::Edition;

namespace {

struct RecordingProgress : db::IndexProgress {
  std::vector<std::string> messages;
  int begins = 0, ends = 0, gauges = 0;
  void begin() override { ++begins; }
  void message(std::string_view t) override { messages.emplace_back(t); }
  void gauge(std::int64_t, std::int64_t) override { ++gauges; }
  void end() override { ++ends; }
};

const orvale::makedb::Dataset& demo() {
  static const orvale::makedb::Dataset d = orvale::makedb::firstLigands(testsupport::demoData(), 6);
  return d;
}

class UseDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    start = testsupport::freshTestFolder("orvale-usedb");
    settings = (start / "norwell.ini").string();
  }
  void TearDown() override { fs::remove_all(start); }

  void write(Edition e, const orvale::makedb::Dataset& data, bool xref = true) {
    orvale::makedb::WriteOptions o;
    o.edition = e;
    o.crossReference = xref;
    std::string error;
    ASSERT_TRUE(orvale::makedb::writeDatabase(data, (start / db::editionInfo(e).programName).string(), o, error)) << error;
  }

  // A fresh program start: new state, then "Use Database".
  app::UseDatabaseResult run(Edition e) {
    database.closeAll();
    app::initStartup(state, e, start.string(), "help", settings, dialogs);
    progress = RecordingProgress{};
    return app::useDatabase(state, database, progress, dialogs, locale);
  }

  std::vector<std::string> catalogueFiles(Edition e) const {
    std::vector<std::string> files;
    for (const auto& f : db::indexFiles(e, true)) files.push_back(f.file);
    return files;
  }

  fs::path dir(Edition e) const { return start / db::editionInfo(e).programName; }

  fs::path start;
  std::string settings;
  app::StartupState state;
  db::Database database;
  RecordingProgress progress;
  platform::ScriptedDialogs dialogs;
  app::SystemLocale locale;
};

}  // namespace

TEST_F(UseDatabaseTest, FreshDatabaseBuildsEveryFileInOrder) {
  for (const Edition e : {Edition::Full, Edition::Mini}) {
    write(e, e == Edition::Full ? demo() : orvale::makedb::miniSubset(demo()));
    ASSERT_EQ(run(e), app::UseDatabaseResult::Ready);
    EXPECT_TRUE(dialogs.unexpected.empty());
    for (const auto& f : catalogueFiles(e)) EXPECT_TRUE(xbase::fileExists((dir(e) / f).string())) << f;
    EXPECT_EQ(progress.begins, 1);
    EXPECT_EQ(progress.ends, 1);
    EXPECT_GT(progress.gauges, 0);
    // One "Wait - indexing" text per built file, in catalogue order.
    std::vector<std::string> expected;
    for (const auto& f : db::indexFiles(e, true)) {
      if (f.file == "IndRefUJ.nsx") expected.push_back("WAIT - writing file Publications.dbf");
      expected.push_back("Wait - indexing " + f.what);
    }
    EXPECT_EQ(progress.messages, expected);
    EXPECT_EQ(state.LigandCount, static_cast<int>(e == Edition::Full ? demo().ligands.size()
                                                                      : orvale::makedb::miniSubset(demo()).ligands.size()));
    EXPECT_FALSE(state.DataVersion.empty());
    EXPECT_EQ(state.VersionSummary, "Software version = " + state.Version + "  Data version = " + state.DataVersion);
    EXPECT_EQ(state.MetalCount + 1 + 3, static_cast<int>(demo().metals.size()));
  }
  EXPECT_TRUE(state.PublicationsExist || state.Edition == Edition::Mini);
}

TEST_F(UseDatabaseTest, OnlyTheMissingFileIsRebuilt) {
  write(Edition::Full, demo());
  ASSERT_EQ(run(Edition::Full), app::UseDatabaseResult::Ready);
  fs::remove(dir(Edition::Full) / "IndExpF3.nsx");
  ASSERT_EQ(run(Edition::Full), app::UseDatabaseResult::Ready);
  EXPECT_EQ(progress.messages, std::vector<std::string>{"Wait - indexing expt. file on flags"});
  EXPECT_TRUE(fs::exists(dir(Edition::Full) / "IndExpF3.nsx"));
  // Nothing missing: no progress display at all.
  ASSERT_EQ(run(Edition::Full), app::UseDatabaseResult::Ready);
  EXPECT_EQ(progress.begins, 0);
  EXPECT_TRUE(progress.messages.empty());
}

TEST_F(UseDatabaseTest, NoCrossReferenceTableNoCrossReferenceIndex) {
  write(Edition::Full, demo(), false);
  ASSERT_EQ(run(Edition::Full), app::UseDatabaseResult::Ready);
  EXPECT_FALSE(state.CrossReferenceExists);
  EXPECT_FALSE(xbase::fileExists((dir(Edition::Full) / "indxrflm.nsx").string()));
}

TEST_F(UseDatabaseTest, ReindexDeletesEverythingAndTheNextUseRebuildsIt) {
  write(Edition::Mini, orvale::makedb::miniSubset(demo()));
  orvale::makedb::WriteOptions o;
  ASSERT_EQ(run(Edition::Mini), app::UseDatabaseResult::Ready);
  ASSERT_TRUE(fs::exists(dir(Edition::Mini) / "indxlm_f.nsx") || true);

  bool cleared = false;
  dialogs.answerYes(2);
  ASSERT_TRUE(app::reindexDatabase(state, database, dialogs, true, [&] { cleared = true; }));
  EXPECT_TRUE(cleared);
  EXPECT_EQ(dialogs.asked.size(), 2u);
  EXPECT_EQ(dialogs.shown.back(), "All index files have been deleted - they will be rewritten when you use the database");
  for (const auto& f : catalogueFiles(Edition::Mini)) EXPECT_FALSE(fs::exists(dir(Edition::Mini) / f)) << f;
  EXPECT_FALSE(state.DatabaseOpened);

  progress = RecordingProgress{};
  ASSERT_EQ(app::useDatabase(state, database, progress, dialogs, locale), app::UseDatabaseResult::Ready);
  for (const auto& f : catalogueFiles(Edition::Mini)) EXPECT_TRUE(fs::exists(dir(Edition::Mini) / f)) << f;
  EXPECT_EQ(progress.messages.size(), catalogueFiles(Edition::Mini).size());
}

TEST_F(UseDatabaseTest, ReindexAsksAndStopsOnNo) {
  write(Edition::Full, demo());
  ASSERT_EQ(run(Edition::Full), app::UseDatabaseResult::Ready);
  dialogs.answerNo();
  EXPECT_FALSE(app::reindexDatabase(state, database, dialogs, true, {}));
  dialogs.answerYes();
  dialogs.answerNo();
  EXPECT_FALSE(app::reindexDatabase(state, database, dialogs, true, {}));
  EXPECT_EQ(dialogs.asked.back(),
            "Reindexing will cancel your current list and/or specifications ? \r\nConfirm that you do want to reindex by "
            "clicking Yes now ...");
  EXPECT_TRUE(fs::exists(dir(Edition::Full) / "index_lm.nsx"));
  EXPECT_TRUE(state.DatabaseOpened);
}

TEST_F(UseDatabaseTest, PublicationsGroupJournalsIgnoringCase) {
  auto data = demo();
  data.references = {
      {"1990", "ABa", "J. Chem. Soc., 12, 100", {"Able A."}},
      {"1985", "ABb", "J. chem. Soc., 10, 5", {"Able A."}},
      {"1970", "CDa", "Talanta, 3, 7", {"Cole C."}},
      {"1970", "CDb", "Talanta, 3, 9", {"Cole C."}},
      {"1964", "EFa", "123 Jubilee Volume, p. 12", {"Eve E."}},
  };
  for (auto& e : data.experiments) {
    e.year = "1990";
    e.initials = "ABa";
  }
  write(Edition::Full, data);
  ASSERT_EQ(run(Edition::Full), app::UseDatabaseResult::Ready);
  ASSERT_TRUE(state.PublicationsExist);
  xbase::Table pub;
  ASSERT_TRUE(pub.open((dir(Edition::Full) / "Publications.dbf").string())) << pub.lastError();
  ASSERT_EQ(pub.recordCount(), 3);
  struct Row { std::string journal; int count, from; std::string to; };
  std::vector<Row> rows;
  for (pub.first(); !pub.eof(); pub.skip()) {
    std::string to = pub.field("TO");
    to.erase(0, to.find_first_not_of(' '));
    rows.push_back({pub.field("JOURNL").substr(0, pub.field("JOURNL").find_last_not_of(' ') + 1),
                    std::stoi(pub.field("J_COUNT")), std::stoi(pub.field("FROM")), to});
  }
  ASSERT_EQ(rows.size(), 3u);
  // Journal-name order; a name that begins with digits keeps them, and the
  // group takes the spelling of its first record in that order.
  EXPECT_EQ(rows[0].journal, "123 Jubilee Volume,");
  EXPECT_EQ(rows[0].to, "");
  EXPECT_EQ(rows[1].journal, "J. chem. Soc.");
  EXPECT_EQ(rows[1].count, 2);
  EXPECT_EQ(rows[1].from, 1985);
  EXPECT_EQ(rows[1].to, "1990");
  EXPECT_EQ(rows[2].journal, "Talanta");
  EXPECT_EQ(rows[2].count, 2);
  EXPECT_EQ(rows[2].to, "");  // all in one year
  EXPECT_TRUE(fs::exists(dir(Edition::Full) / "IndRefUJ.nsx"));
}

TEST_F(UseDatabaseTest, MetalTableWithoutVersionRecord) {
  auto data = demo();
  data.metals.pop_back();  // the version record
  write(Edition::Full, data);
  ASSERT_EQ(run(Edition::Full), app::UseDatabaseResult::Ready);
  EXPECT_EQ(state.DataVersion, "");
  EXPECT_EQ(state.VersionLine, "Version 5.4");
  EXPECT_EQ(state.VersionSummary, "");
  EXPECT_EQ(state.MetalCount + 1 + 2, static_cast<int>(data.metals.size()));
  EXPECT_EQ(app::versionNumbersText(state), "Software version = 5.4\r\n\r\nData version = ");
}

TEST_F(UseDatabaseTest, StaleIndexesKeepTheUserOnTheTitleWindow) {
  write(Edition::Full, demo());
  ASSERT_EQ(run(Edition::Full), app::UseDatabaseResult::Ready);
  const auto table = dir(Edition::Full) / "Expt32f.dbf";
  fs::last_write_time(dir(Edition::Full) / "index_lm.nsx", fs::last_write_time(table) - std::chrono::hours(24));
  ASSERT_EQ(run(Edition::Full), app::UseDatabaseResult::Stale);
  EXPECT_EQ(dialogs.shown.back(), app::kStaleIndexesText);
  // Asking again only repeats the message.
  EXPECT_EQ(app::useDatabase(state, database, progress, dialogs, locale), app::UseDatabaseResult::Stale);
}

TEST_F(UseDatabaseTest, MissingTablesAndMissingTotalsTerminate) {
  write(Edition::Full, demo());
  fs::remove(dir(Edition::Full) / "Auth_Ref.dbf");
  EXPECT_EQ(run(Edition::Full), app::UseDatabaseResult::Terminate);
  EXPECT_EQ(dialogs.shown.back(), "Can't find database files !! Terminating ....");

  auto data = demo();
  data.experiments.clear();
  write(Edition::Full, data);
  EXPECT_EQ(run(Edition::Full), app::UseDatabaseResult::Terminate);
  EXPECT_EQ(dialogs.shown.back(), "Ligand file needs experiment totals!! Terminating ....");
}

TEST_F(UseDatabaseTest, RegionalMessages) {
  write(Edition::Mini, orvale::makedb::miniSubset(demo()));
  locale.decimalSeparator = ',';
  ASSERT_EQ(run(Edition::Mini), app::UseDatabaseResult::Ready);
  ASSERT_FALSE(dialogs.shown.empty());
  EXPECT_EQ(dialogs.shown[0].rfind("Your computer uses   ','   instead of   '.'  (point)", 0), 0u);
}

TEST_F(UseDatabaseTest, ReadOnlyStartFolderAndSettings) {
  app::initStartup(state, Edition::Full, "/proc", "help", settings, dialogs);
  EXPECT_TRUE(state.ReadOnlyMedia);
  app::initStartup(state, Edition::Full, start.string(), "help", settings, dialogs);
  EXPECT_FALSE(state.ReadOnlyMedia);
  // A new section with the two keys.
  std::ifstream in(settings);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "[OrvaleQuery]\r\nWork Path=\r\nMetals=//\r\n");
  EXPECT_EQ(state.WorkPath, state.StartDir);
  EXPECT_EQ(state.DatabaseDir, state.StartDir + "OrvaleQuery/");
}

TEST_F(UseDatabaseTest, ATableThatIsNotADbaseFileEndsWithItsName) {
  write(Edition::Full, demo());
  std::ofstream(dir(Edition::Full) / "Metal32f.dbf", std::ios::binary | std::ios::trunc) << "this is not a table";
  EXPECT_EQ(run(Edition::Full), app::UseDatabaseResult::Terminate);
  ASSERT_FALSE(dialogs.shown.empty());
  EXPECT_NE(dialogs.shown.back().find("Metal32f.dbf"), std::string::npos) << dialogs.shown.back();
}

// A damaged index file is not looked into by "Use Database" (only its
// presence counts); matching through it fails with a message that names the
// file and the remedy, and nothing else is disturbed.
TEST_F(UseDatabaseTest, DamagedIndexFileIsNamedWhenItIsUsed) {
  write(Edition::Full, demo());
  ASSERT_EQ(run(Edition::Full), app::UseDatabaseResult::Ready);
  std::ofstream(dir(Edition::Full) / "index_lm.nsx", std::ios::binary | std::ios::trunc) << "not an index";
  ASSERT_EQ(run(Edition::Full), app::UseDatabaseResult::Ready);
  QueryState query;
  query.attach(state, database);
  ASSERT_TRUE(spec::addLigandRecord(query, database, 1, dialogs));
  EXPECT_EQ(match::matchSpecifications(query, dialogs), match::MatchResult::Failed);
  ASSERT_FALSE(dialogs.shown.empty());
  EXPECT_NE(dialogs.shown.back().find("index_lm.nsx"), std::string::npos) << dialogs.shown.back();
  EXPECT_NE(dialogs.shown.back().find("Reindex"), std::string::npos) << dialogs.shown.back();
  EXPECT_TRUE(query.experiments.empty());
}
