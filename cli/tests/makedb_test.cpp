// The databases written by orvale makedb: real dBase files whose counts agree
// with their experiments, for both editions.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "makedb/Dataset.h"
#include "makedb/WriteDatabase.h"
#include "talvex/db/Tables.h"
#include "xbase/table.h"

namespace fs = std::filesystem;
using namespace orvale::makedb;
using talvex::db::Edition;

namespace {

std::string trim(std::string s) {
  s.erase(0, s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

class MakeDb : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    start_ = fs::temp_directory_path() / ("orvale-makedb-" + std::to_string(::getpid()));
    fs::remove_all(start_);
    const std::string cmd = std::string(ORVALE_EXECUTABLE) + " makedb " + start_.string() + " > /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::string error;
    ASSERT_TRUE(readDemoData(ORVALE_DEMO_DATA_DIR, demo_, error)) << error;
  }
  static void TearDownTestSuite() { fs::remove_all(start_); }

  static std::string full(const std::string& f) { return (start_ / "OrvaleQuery" / f).string(); }
  static std::string mini(const std::string& f) { return (start_ / "Talvex" / f).string(); }

  static fs::path start_;
  static Dataset demo_;
};
fs::path MakeDb::start_;
Dataset MakeDb::demo_;

// Counts of experiments per ligand (protons / others), per metal and per pair.
struct Counts {
  std::map<int, int> h, o, metal;
  std::map<std::pair<int, int>, int> pair;
};

Counts countExperiments(const std::string& path) {
  Counts c;
  xbase::Table t;
  EXPECT_TRUE(t.open(path)) << t.lastError();
  for (t.first(); !t.eof(); t.skip()) {
    const int l = std::stoi(t.field("LIGANDID"));
    const int m = std::stoi(t.field("METALNUM"));
    (m <= 1 ? c.h : c.o)[l]++;
    c.metal[m]++;
    c.pair[{l, m}]++;
  }
  return c;
}

}  // namespace

TEST_F(MakeDb, DemoHasTheRequiredSize) {
  EXPECT_GE(demo_.ligands.size(), 40u);
  EXPECT_GE(demo_.metals.size(), 33u);
  EXPECT_GE(demo_.references.size(), 60u);
  EXPECT_GE(demo_.experiments.size(), 500u);
  std::set<std::string> classes;
  for (const auto& l : demo_.ligands) {
    EXPECT_TRUE(l.hasStructure) << l.key;
    for (char c : l.classCodes) classes.insert(std::string(1, c));
  }
  EXPECT_GE(classes.size(), 15u);
}

TEST_F(MakeDb, CountsAgreeWithTheExperimentsInBothEditions) {
  for (const Edition ed : {Edition::Full, Edition::Mini}) {
    const auto at = [&](const std::string& f) { return ed == Edition::Full ? full(f) : mini(f); };
    const Counts c = countExperiments(at(talvex::db::experimentTableFile(ed)));
    ASSERT_FALSE(c.pair.empty());

    xbase::Table lig;
    ASSERT_TRUE(lig.open(at(talvex::db::ligandTableFile(ed, true)))) << lig.lastError();
    for (lig.first(); !lig.eof(); lig.skip()) {
      const int n = lig.recNo();
      EXPECT_EQ(std::stoi(lig.field("COUNT_H")), c.h.count(n) ? c.h.at(n) : 0) << n;
      EXPECT_EQ(std::stoi(lig.field("COUNT_O")), c.o.count(n) ? c.o.at(n) : 0) << n;
      EXPECT_EQ(lig.field("FULL_NAME").size(), 100u);
      EXPECT_GT(std::stoi(lig.field("ATOMS")), 0);
    }

    xbase::Table met;
    ASSERT_TRUE(met.open(at(talvex::db::metalTableFile(ed))));
    met.last();
    EXPECT_EQ(trim(met.field("MFORM")).substr(0, 4), "_Vn ");
    met.skip(-1);
    EXPECT_EQ(trim(met.field("MFORM")), "_Spare");
    for (met.first(); !met.eof(); met.skip()) {
      if (trim(met.field("MFORM"))[0] == '_') continue;
      const int m = met.recNo() - 1;
      EXPECT_EQ(std::stoi(met.field("COUNT_M")), c.metal.count(m) ? c.metal.at(m) : 0) << m;
    }
    met.go(1);
    EXPECT_EQ(trim(met.field("MFORM")), "H+");

    xbase::Table xref;
    ASSERT_TRUE(xref.open(at(talvex::db::kCrossRefTableFile)));
    EXPECT_EQ(static_cast<std::size_t>(xref.recordCount()), c.pair.size());
    for (xref.first(); !xref.eof(); xref.skip()) {
      const std::pair<int, int> p{std::stoi(xref.field("LIG_HIT")), std::stoi(xref.field("MET_HIT"))};
      EXPECT_EQ(std::stoi(xref.field("COUNT_LM")), c.pair.at(p));
    }
  }
}

TEST_F(MakeDb, MiniEditionCarriesTheFullDatabasesPairCounts) {
  xbase::Table xf;
  ASSERT_TRUE(xf.open(mini(talvex::db::kFullCrossRefTableFile)));
  ASSERT_TRUE(xf.openIndex(mini(talvex::db::kFullCrossRefIndexFile))) << xf.lastError();
  const Counts miniCounts = countExperiments(mini("Expt32m.dbf"));
  // Every mini pair exists in the full database at least as often.
  for (const auto& [p, n] : miniCounts.pair) {
    ASSERT_TRUE(xf.seek(talvex::db::ligandKey(p.first) + talvex::db::metalKey(p.second)));
    EXPECT_GE(std::stoi(xf.field("COUNT_LM")), n);
  }
}

TEST_F(MakeDb, ReferencesNewestFirstAndAuthorListsComplete) {
  xbase::Table ref;
  ASSERT_TRUE(ref.open(full("Rref_Win.dbf")));
  EXPECT_EQ(static_cast<std::size_t>(ref.recordCount()), demo_.references.size());
  std::string previous = "9999";
  std::map<std::string, std::string> journalOf;
  for (ref.first(); !ref.eof(); ref.skip()) {
    EXPECT_LE(ref.field("SHRFYR"), previous);
    previous = ref.field("SHRFYR");
    journalOf[ref.field("SHRFYR") + ref.field("SHRFIN")] = ref.field("JOURNL");
  }
  // Each author's short references: AUTH_LIST holds the latest and the
  // earliest, the continuation record the rest, AUTH_CNT in all.
  xbase::Table auth, lists;
  ASSERT_TRUE(auth.open(full("Auth_Win.dbf")));
  ASSERT_TRUE(lists.open(full("Auth_Ref.dbf")));
  int withContinuation = 0;
  for (auth.first(); !auth.eof(); auth.skip()) {
    const int count = std::stoi(auth.field("AUTH_CNT"));
    std::string all = auth.field("AUTH_LIST");
    const int next = std::stoi(auth.field("AUTH_NUM"));
    if (next > 0) {
      ++withContinuation;
      ASSERT_TRUE(lists.go(next));
      all += lists.field("AUTH_LIST");
    }
    for (int k = 0; k < count; ++k) EXPECT_TRUE(journalOf.count(all.substr(7 * k, 7))) << auth.field("AUTH_NAM") << k;
    if (count > 1) {
      EXPECT_GE(all.substr(0, 4), all.substr(7, 4));
    }
  }
  EXPECT_GT(withContinuation, 0);
}

TEST_F(MakeDb, StoredStructuresEndWithTheirConnectionTable) {
  xbase::Table lig;
  ASSERT_TRUE(lig.open(full("Ligef32fs.dbf")));
  for (lig.first(); !lig.eof(); lig.skip()) {
    const int a = std::stoi(lig.field("ATOMS")), b = std::stoi(lig.field("BONDS"));
    const std::string s = lig.field("STRUC");
    std::size_t pos = 0;
    for (int k = 0; k < a + b; ++k) pos = s.find("\r\n", pos) + 2;
    EXPECT_EQ(s.substr(pos, s.find("\r\n", pos) - pos), std::to_string(a) + "," + std::to_string(2 * b));
  }
}

TEST_F(MakeDb, IndependentReaderFindsTheSameRecords) {
  for (const std::string edition : {"OrvaleQuery", "Talvex"}) {
    const fs::path folder = start_ / edition;
    const fs::path dump = start_ / (edition + "-dump");
    fs::create_directories(dump);
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() != ".dbf") continue;
      xbase::Table t;
      ASSERT_TRUE(t.open(entry.path().string())) << t.lastError();
      std::ofstream out(dump / (entry.path().filename().string() + ".txt"), std::ios::binary);
      for (t.first(); !t.eof(); t.skip()) {
        for (int f = 1; f <= t.fieldCount(); ++f) {
          std::string v = t.field(f);
          const char type = t.fieldType(f);
          if (type == 'N') {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.6f", trim(v).empty() ? 0.0 : std::stod(v));
            v = trim(v).empty() ? "" : buf;
          } else if (type == 'M') {
            std::string e;
            for (char c : v) e += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
            v = e;
          } else {
            v.erase(v.find_last_not_of(' ') + 1);
          }
          out << (f > 1 ? "\x1f" : "") << v;
        }
        out << "\n";
      }
    }
    const std::string cmd = "/usr/bin/python3 " + std::string(ORVALE_TESTS_DIR) + "/dbf_compare.py " + folder.string() + " " +
                            dump.string();
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  }
}

TEST(MakeDbSynthetic, DeterministicAndConsistent) {
  Dataset demo;
  std::string error;
  ASSERT_TRUE(readDemoData(ORVALE_DEMO_DATA_DIR, demo, error)) << error;
  const SyntheticSize size = syntheticSizeFor(3000);
  const Dataset a = syntheticData(42, size, demo.ligands);
  const Dataset b = syntheticData(42, size, demo.ligands);
  ASSERT_EQ(a.experiments.size(), 3000u);
  EXPECT_EQ(a.ligands.size(), 300u);
  for (std::size_t i = 0; i < a.experiments.size(); ++i) {
    ASSERT_EQ(a.experiments[i].ligand, b.experiments[i].ligand);
    ASSERT_EQ(a.experiments[i].k1, b.experiments[i].k1);
  }
  std::set<std::string> refs;
  for (const auto& r : a.references) EXPECT_TRUE(refs.insert(r.year + r.initials).second) << r.year << r.initials;
  for (const auto& e : a.experiments) EXPECT_TRUE(refs.count(e.year + e.initials));
  for (const auto& l : a.ligands) {
    chemcore::ConnectionTable ct;
    EXPECT_TRUE(chemcore::buildConnectionTable(l.structure, ct, error)) << error;
  }
}

TEST(StartOfName, LocantsAndPrefixesGo) {
  const std::pair<const char*, const char*> cases[] = {
      {"2,2'-bipyridine", "BIPYRIDINE"},
      {"1,10-phenanthroline", "PHENANTHROLINE"},
      {"N,N-dimethylglycine", "DIMETHYLGLYCINE"},
      {"L-histidine", "HISTIDINE"},
      {"trans-1,2-diaminocyclohexane-N,N,N',N'-tetraacetic acid", "DIAMINOCYCLOHEXANE-N,N,N',N'-TETRAACETIC ACID"},
      {"(+)-tartaric acid; x", "TARTARIC ACID"},
      {"acetic acid", "ACETIC ACID"},
  };
  for (const auto& [name, form] : cases) EXPECT_EQ(startOfNameForm(name), form) << name;
}
