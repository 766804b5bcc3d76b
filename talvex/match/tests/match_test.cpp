// Matching on small databases made in the test: strategies, record tests,
// order, year window, capacity, stopping, the prediction texts and the
// summary, and the list commands.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "makedb/Dataset.h"
#include "makedb/WriteDatabase.h"
#include "platform/ScriptedDialogs.h"
#include "talvex/app/UseDatabase.h"
#include "talvex/match/Prf_Code.h"

namespace fs = std::filesystem;
namespace mk = orvale::makedb;
using namespace talvex;
using talvex::db::Edition;
using talvex::match::MatchResult;
using talvex::match::Strategy;
using talvex::spec::ListKind;

namespace {

mk::Experiment exp(int ligand, int metal, const char* year, const char* initials, char medium = 'A',
                   const char* k1 = "", const char* temp = "25", bool mini = true) {
  mk::Experiment e;
  e.ligand = ligand;
  e.metal = metal;
  e.year = year;
  e.initials = initials;
  e.method = 'A';
  e.medium = medium;
  e.temp = temp;
  e.conc = "0.1";
  e.calib = 'C';
  e.k1 = k1;
  e.mini = mini;
  return e;
}

// Ligands 1-3 small (3 cited by nothing); ligand 4 has 4999 experiments with
// metal 2 and one with metal 3. Experiment record numbers follow the order
// below (from 1).
mk::Dataset fixture() {
  mk::Dataset demo;
  std::string error;
  EXPECT_TRUE(mk::readDemoData(ORVALE_DEMO_DATA_DIR, demo, error)) << error;
  mk::Dataset d;
  d.metals = demo.metals;
  const auto ligand = [&](const char* sh, const char* name, bool mini) {
    mk::Ligand l;
    l.key = sh;
    l.shortName = sh;
    l.fullName = name;
    l.acidForm = "HL";
    l.empForm = "C2H5NO2";
    l.mini = mini;
    d.ligands.push_back(l);
  };
  ligand("Gly", "glycine", true);
  ligand("Ala", "alanine", true);
  ligand("Xyz", "unused ligand", true);
  ligand("Big", "many experiments", false);
  for (auto [y, i] : {std::pair{"2001", "ABa"}, {"1995", "CDa"}, {"1993", "ZZa"}, {"1990", "EFa"}, {"1985", "GHa"}})
    d.references.push_back({y, i, "J. Test Chem., 1, 1", {"Author A."}});
  auto& e = d.experiments;
  e.push_back(exp(1, 0, "2001", "ABa", 'A', "9.78"));          // 1
  e.push_back(exp(1, 2, "1990", "EFa", 'H', "4.50"));          // 2
  e.push_back(exp(1, 2, "1995", "CDa", 'I', "4.50"));          // 3
  e.push_back(exp(1, 5, "1990", "EFa", 'B', "4.51"));          // 4
  e.push_back(exp(1, 5, "1985", "GHa", 'L', "3.0"));           // 5
  e.push_back(exp(2, 2, "1995", "CDa", 'A', "4.50"));          // 6
  e.push_back(exp(2, 5, "2001", "ABa", 'E', "2.0"));           // 7
  e.push_back(exp(2, 0, "1990", "EFa", 'C', "9.8"));           // 8
  e.push_back(exp(1, 3, "1993", "ZZa", 'D', "1.0"));           // 9
  e.push_back(exp(2, 2, "1993", "ZZa", 'G', "4.4"));           // 10
  e.push_back(exp(2, 5, "2001", "ABa", 'F', "4.50", "30"));    // 11
  for (int n = 0; n < 4999; ++n) e.push_back(exp(4, 2, "1985", "GHa", 'K', "1.5", "25", false));  // 12..5010
  e.push_back(exp(4, 3, "1985", "GHa", 'K', "1.5", "25", false));                                  // 5011
  return d;
}

// Both editions written and opened once for the whole binary.
struct Databases {
  fs::path start;
  mk::Dataset full;
  app::StartupState state[2];
  db::Database db[2];
  platform::SilentDialogs silent;

  Databases() {
    start = fs::temp_directory_path() / ("orvale-match-" + std::to_string(::getpid()));
    fs::remove_all(start);
    fs::create_directories(start);
    full = fixture();
    const mk::Dataset mini = mk::miniSubset(full);
    std::string error;
    mk::WriteOptions fo;
    fo.withStructures = false;
    EXPECT_TRUE(mk::writeDatabase(full, (start / "OrvaleQuery").string(), fo, error)) << error;
    mk::WriteOptions mo;
    mo.edition = Edition::Mini;
    mo.withStructures = false;
    mo.fullForCrossReference = &full;
    EXPECT_TRUE(mk::writeDatabase(mini, (start / "Talvex").string(), mo, error)) << error;
    for (int i = 0; i < 2; ++i) {
      const Edition e = i == 0 ? Edition::Full : Edition::Mini;
      db::SilentIndexProgress progress;
      app::initStartup(state[i], e, start.string() + "/", "help", (start / "norwell.ini").string(), silent);
      EXPECT_EQ(app::useDatabase(state[i], db[i], progress, silent, app::SystemLocale{}), app::UseDatabaseResult::Ready);
    }
  }
  ~Databases() {
    for (auto& d : db) d.closeAll();
    fs::remove_all(start);
  }
};

Databases& databases() {
  static Databases d;
  return d;
}

class MatchTest : public ::testing::Test {
 protected:
  void open(Edition e) {
    Databases& d = databases();
    const int i = e == Edition::Full ? 0 : 1;
    q = std::make_unique<QueryState>();
    q->attach(d.state[i], d.db[i]);
  }
  void SetUp() override { open(Edition::Full); }

  void ligands(std::initializer_list<int> records) {
    for (int r : records) ASSERT_TRUE(spec::addLigandRecord(*q, *q->database, r, dialogs)) << r;
    q->ligands.SpecText = "  by number";
  }
  void metals(std::initializer_list<int> numbers) {
    for (int m : numbers) ASSERT_TRUE(spec::addMetalRecord(*q, *q->database, m));
  }
  // References by short reference; the table holds them newest first.
  void references(std::initializer_list<const char*> shortRefs) {
    xbase::Table& t = q->database->references;
    for (const char* s : shortRefs)
      for (int r = 1; r <= t.recordCount(); ++r) {
        t.go(r);
        if (t.field("SHRFYR") + t.field("SHRFIN") == s) {
          ASSERT_TRUE(spec::addReferenceRecord(*q, *q->database, r, dialogs));
        }
      }
  }
  void details(const spec::DetailsPage& page) {
    spec::DetailsPage p = page;
    ASSERT_TRUE(match::detailsPageLeft(*q, p));
  }
  std::vector<std::int32_t> list() const { return q->experiments.entries; }

  std::unique_ptr<QueryState> q;
  platform::ScriptedDialogs dialogs;
};

TEST_F(MatchTest, OneLigandWithAnyMetalIon) {
  ligands({1});
  q->AnyMetalIon = true;
  Strategy s{};
  EXPECT_EQ(match::runMatcher(*q, dialogs, &s), MatchResult::Complete);
  EXPECT_EQ(s, Strategy::LigandsAnyMetal);
  // Metal numbers above 1 only, in ligand + metal order.
  EXPECT_EQ(list(), (std::vector<std::int32_t>{2, 3, 9, 4, 5}));
  EXPECT_EQ(q->experiments.ListOrder, 1);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(MatchTest, LigandsMetalsReferencesInOrderWithinTheYearWindow) {
  ligands({2, 1});
  metals({5, 2});
  references({"1995CDa", "1990EFa"});
  EXPECT_EQ(match::matchSpecifications(*q, dialogs), MatchResult::Complete);
  // Ligand, metal, newest year first; 1993ZZa lies in the window but is not listed.
  EXPECT_EQ(list(), (std::vector<std::int32_t>{3, 2, 4, 6}));
  EXPECT_EQ(q->MatchYearLow, 1990);
  EXPECT_EQ(q->MatchYearHigh, 1995);
  EXPECT_EQ(q->SpecSummary.rfind("Experiment list contains 4 experiments for \r\n 2 ligands : Gly, Ala\r\n"
                                 " 2 metals : Li+, Rb+\r\n 2 references : 1995CDa, 1990EFa\r\n",
                                 0),
            0u)
      << q->SpecSummary;

  // References alone drive the reference index, in the reference list's order.
  open(Edition::Full);
  references({"1995CDa", "1990EFa"});
  Strategy s{};
  match::runMatcher(*q, dialogs, &s);
  EXPECT_EQ(s, Strategy::References);
  EXPECT_EQ(list(), (std::vector<std::int32_t>{3, 6, 2, 4, 8}));
}

TEST_F(MatchTest, AnyAqueousMediumInTheFullEdition) {
  spec::DetailsPage p;
  p.mediumEntry = 13;
  details(p);
  Strategy s{};
  match::runMatcher(*q, dialogs, &s);
  EXPECT_EQ(s, Strategy::FullScan);
  // Media A-H pass; I, K and L do not.
  EXPECT_EQ(list(), (std::vector<std::int32_t>{1, 2, 4, 6, 7, 8, 9, 10, 11}));

  // A single medium uses its index.
  p.mediumEntry = 5;  // E
  details(p);
  match::runMatcher(*q, dialogs, &s);
  EXPECT_EQ(s, Strategy::Medium);
  EXPECT_EQ(list(), (std::vector<std::int32_t>{7}));
}

TEST_F(MatchTest, ConstantRangeWithEqualEndsSeeksTwoDecimals) {
  spec::DetailsPage p;
  p.constantName = 1;
  p.constKind = spec::RangeKind::Exact;
  p.loConstText = "4.5";
  details(p);
  Strategy s{};
  match::runMatcher(*q, dialogs, &s);
  EXPECT_EQ(s, Strategy::Constant);
  std::vector<std::int32_t> got = list();
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, (std::vector<std::int32_t>{2, 3, 6, 11}));

  // Combined with a temperature the constant still drives; the record test adds the rest.
  p.tempKind = spec::RangeKind::Exact;
  p.loTempText = "30";
  details(p);
  match::runMatcher(*q, dialogs, &s);
  EXPECT_EQ(s, Strategy::Constant);
  EXPECT_EQ(list(), (std::vector<std::int32_t>{11}));
}

TEST_F(MatchTest, TheListHoldsAtMost4999AndThePredictionSaysSo) {
  ligands({4});
  metals({2});
  match::refreshSummary(*q);
  EXPECT_EQ(q->prediction.PredictedCount, 4999);
  EXPECT_NE(q->SpecSummary.find("\r\nThe list for these specifications will contain 4999 experiments "),
            std::string::npos)
      << q->SpecSummary;
  EXPECT_EQ(q->SpecSummary.find("(but you cannot have more than"), std::string::npos);

  metals({3});
  match::refreshSummary(*q);
  EXPECT_EQ(q->prediction.PredictedCount, 5000);
  EXPECT_NE(q->SpecSummary.find("\r\n (but you cannot have more than 4999 experiments in the list)"), std::string::npos)
      << q->SpecSummary;

  EXPECT_EQ(match::matchSpecifications(*q, dialogs), MatchResult::Full);
  EXPECT_EQ(q->experiments.count(), 4999);
  EXPECT_FALSE(q->experiments.contains(5011)) << "the 5000th is never stored";
  EXPECT_EQ(dialogs.shown,
            std::vector<std::string>{"The experiment list is full - you cannot have more than 4999 experiments in the list"});
}

TEST_F(MatchTest, AStoppedMatchKeepsWhatItFound) {
  ligands({4});
  q->AnyMetalIon = true;
  dialogs.yields = 0;
  dialogs.onYield = [&] {
    if (dialogs.yields == 10) q->MatchStopRequested = true;
  };
  EXPECT_EQ(match::matchSpecifications(*q, dialogs), MatchResult::Stopped);
  EXPECT_EQ(q->experiments.count(), 10);
  EXPECT_FALSE(q->matching);
  EXPECT_EQ(q->SpecSummary.rfind("Experiment list contains 10 experiments for ", 0), 0u);
  const match::ListCommands c = match::listCommands(*q);
  EXPECT_TRUE(c.FullDisplay && c.CondensedDisplay && c.SaveExperimentList && c.CancelExperimentList &&
              c.ExperimentDataToPrinter && c.SortExperimentList && c.ProtonateExperimentList);

  // Cancelling asks, keeps the specifications and says so.
  dialogs.answerYes();
  EXPECT_TRUE(match::cancelExperimentList(*q, dialogs));
  EXPECT_TRUE(q->experiments.empty());
  EXPECT_EQ(dialogs.shown.back(),
            "This has not cleared the specifications, so if you do not want to use them, click on Clear All "
            "Specifications now, or clear them individually");
  const match::ListCommands e = match::listCommands(*q);
  EXPECT_TRUE(e.MatchSpecifications && e.ReloadExperimentList && e.CancelListAllSpecifications);
  EXPECT_FALSE(e.FullDisplay || e.SaveExperimentList || e.CancelExperimentList || e.SortExperimentList);
}

TEST_F(MatchTest, NothingToMatch) {
  EXPECT_EQ(match::matchSpecifications(*q, dialogs), MatchResult::NoSpecification);
  EXPECT_EQ(dialogs.shown.back(),
            "You must specify either ligands or metals or references or experimental details first\r\n");
  EXPECT_FALSE(match::listCommands(*q).MatchSpecifications);

  q->yearRange = {true, 1990, 1995, "1990-1995"};
  EXPECT_EQ(match::matchSpecifications(*q, dialogs), MatchResult::NoSpecification);
  EXPECT_EQ(dialogs.shown.back(), "You have no specification to match !");
  EXPECT_TRUE(q->experiments.empty());

  // A year range applies to what else is specified.
  ligands({1});
  EXPECT_EQ(match::matchSpecifications(*q, dialogs), MatchResult::Complete);
  EXPECT_EQ(list(), (std::vector<std::int32_t>{2, 3, 9, 4}));
}

TEST_F(MatchTest, EmptyResultAndPredictionTexts) {
  ligands({2});
  metals({3});
  match::refreshSummary(*q);
  EXPECT_NE(q->SpecSummary.find("\r\nThe experiment list for these specifications would be empty !\r\n"),
            std::string::npos);
  EXPECT_EQ(match::matchSpecifications(*q, dialogs), MatchResult::Empty);
  EXPECT_EQ(dialogs.shown.back(), "No experiments match this specification");

  open(Edition::Full);
  ligands({1});
  match::refreshSummary(*q);
  EXPECT_NE(q->SpecSummary.find("will contain 6 experiments  (1 for hydrogen/deuterium and 5 for metal ions)\r\n"),
            std::string::npos)
      << q->SpecSummary;

  open(Edition::Full);
  references({"2001ABa"});
  match::refreshSummary(*q);
  EXPECT_NE(q->SpecSummary.find("The length of the experiment list for these specifications cannot be predicted"),
            std::string::npos);
}

TEST_F(MatchTest, MiniEditionCountsTheFullDatabase) {
  open(Edition::Mini);
  ligands({1});
  match::refreshSummary(*q);
  EXPECT_EQ(q->prediction.FullDatabaseCount, 6);
  EXPECT_NE(q->SpecSummary.find("\r\n (with Orvale, there are currently 6 matching experiments\r\n      for this "
                                "ligand/metal list)"),
            std::string::npos)
      << q->SpecSummary;
  EXPECT_EQ(q->SpecSummary.find("references"), std::string::npos);

  // The mini edition adds an uncited ligand without highlighting it.
  EXPECT_TRUE(spec::addLigandRecord(*q, *q->database, 3, dialogs));
  EXPECT_TRUE(q->ligands.highlighted(1));
  EXPECT_FALSE(q->ligands.highlighted(2));

  EXPECT_EQ(match::matchSpecifications(*q, dialogs), MatchResult::Complete);
  EXPECT_EQ(q->experiments.count(), 6);
  const match::ListCommands c = match::listCommands(*q);
  EXPECT_FALSE(c.SortVisible || c.ProtonateVisible || c.SortExperimentList);
}

}  // namespace
