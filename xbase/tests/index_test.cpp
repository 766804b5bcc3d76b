// Indexes: key expressions, options, multi-tag files, orders, seeking,
// index maintenance on commit and damaged index files.
#include <gtest/gtest.h>

#include <filesystem>

#include "helpers.h"
#include "xbase/table.h"

using namespace xbtest;
using xbase::Access;
using xbase::Environment;
using xbase::Share;
using xbase::Table;

namespace {

//  rec LIGANDID METALNUM REFYR REFIN NAME    AUTHOR    K1     IFLAG1
//  1   "  12"   "  3"    1984  PEa   beta    xSmith    2.5    T
//  2   "   7"   " 10"    1990  ABb   Alpha   ajones    -1.25  F
//  3   "  12"   "  3"    1990  ZZz   GAMMA   Xbrown    -10    T
//  4   "   7"   "  2"    1984  PEa   alpha   yAdams    0      F
//  5   "  12"   "  3"    1984  AAa   Delta   zsmith    100    T
class IndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.file("expt.dbf");
    makeTable(path,
              {{"LIGANDID", 'C', 4}, {"METALNUM", 'C', 3}, {"REFYR", 'C', 4}, {"REFIN", 'C', 3}, {"NAME", 'C', 8},
               {"AUTHOR", 'C', 10}, {"K1", 'N', 8, 3}, {"IFLAG1", 'L', 1}},
              {{"  12", "  3", "1984", "PEa", "beta", "xSmith", "2.5", "T"},
               {"   7", " 10", "1990", "ABb", "Alpha", "ajones", "-1.25", "F"},
               {"  12", "  3", "1990", "ZZz", "GAMMA", "Xbrown", "-10", "T"},
               {"   7", "  2", "1984", "PEa", "alpha", "yAdams", "0", "F"},
               {"  12", "  3", "1984", "AAa", "Delta", "zsmith", "100", "T"}});
  }
  void openExclusive() { ASSERT_TRUE(t.open(path, Share::Exclusive, Access::ReadWrite)) << t.lastError(); }

  TempDir dir;
  std::string path;
  Environment env;
  Table t{env};
};

}  // namespace

TEST_F(IndexTest, KeyExpressionForms) {
  openExclusive();
  struct Case {
    const char* key;
    std::vector<int> order;
  } cases[] = {
      {"LIGANDID+METALNUM", {4, 2, 1, 3, 5}},
      {"LIGANDID+METALNUM+Descend(REFYR)+REFIN", {4, 2, 3, 5, 1}},
      {"NAME", {2, 5, 3, 4, 1}},
      {"Lower(NAME)", {2, 4, 1, 5, 3}},
      {"Upper(name)", {2, 4, 1, 5, 3}},
      {"Lower(SubStr(AUTHOR, 2, 38))", {4, 3, 2, 1, 5}},
      {"SubStr(AUTHOR,1,1)", {3, 2, 1, 4, 5}},
      {"Descend(REFYR)", {2, 3, 1, 4, 5}},
      {"Descend(RefYr)+RefIn", {2, 3, 5, 1, 4}},
      {"refyr + Upper(refin)", {5, 1, 4, 2, 3}},
      {"Trim(METALNUM)+REFIN", {4, 5, 1, 3, 2}},
      {"AllTrim(METALNUM)+REFIN", {2, 4, 5, 1, 3}},
      {"K1", {3, 2, 4, 1, 5}},
      {"Descend(K1)", {5, 1, 4, 2, 3}},
      {"Str(K1, 8, 2)", {4, 1, 2, 3, 5}},
      {"IFLAG1", {2, 4, 1, 3, 5}},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(t.createIndex(dir.file("k.nsx"), c.key)) << c.key << ": " << t.lastError();
    EXPECT_EQ(walk(t), c.order) << c.key;
    std::vector<int> back(c.order.rbegin(), c.order.rend());
    EXPECT_EQ(walkBack(t), back) << c.key;
    // The file reopens to the same order.
    t.closeAllIndexes();
    ASSERT_TRUE(t.openIndex(dir.file("k.nsx"))) << t.lastError();
    EXPECT_EQ(walk(t), c.order) << c.key << " after reopening";
    t.closeAllIndexes();
  }
}

TEST_F(IndexTest, BadKeyExpressionsFail) {
  openExclusive();
  for (const char* key : {"NOSUCH", "Lower(", "LIGANDID+K1", "Frobnicate(NAME)", "NAME +", "\"unclosed"}) {
    EXPECT_FALSE(t.createIndex(dir.file("bad.nsx"), key)) << key;
    EXPECT_FALSE(t.lastError().empty()) << key;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("bad.nsx")));
}

TEST_F(IndexTest, DescendingUniqueAndConditionOptions) {
  openExclusive();
  struct Case {
    const char* key;
    int option;
    bool descending;
    const char* condition;
    std::vector<int> order;
  } cases[] = {
      {"REFYR", 0, true, "", {2, 3, 1, 4, 5}},  // equal keys stay in record order
      {"Lower(NAME)", 1, false, "", {2, 1, 5, 3}},
      {"LIGANDID", 1, true, "", {1, 2}},
      {"K1", 0, true, "", {5, 1, 4, 2, 3}},
      {"NAME", 0, false, "IFLAG1", {5, 3, 1}},
      {"NAME", 0, false, "K1 > 0 .and. REFYR = '1984'", {5, 1}},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(t.createIndex(dir.file("o.nsx"), c.key, c.option, c.descending, c.condition)) << t.lastError();
    EXPECT_EQ(walk(t), c.order) << c.key;
    t.closeAllIndexes();
    ASSERT_TRUE(t.openIndex(dir.file("o.nsx")));
    EXPECT_EQ(walk(t), c.order) << c.key << " after reopening";
    t.closeAllIndexes();
  }
}

TEST_F(IndexTest, MultiTagFilesAndOrders) {
  openExclusive();
  ASSERT_TRUE(t.createTag(dir.file("multi.nsx"), "LMMultiple", "LIGANDID+METALNUM")) << t.lastError();
  EXPECT_EQ(t.orderCount(), 1);
  ASSERT_TRUE(t.createTag(dir.file("multi.nsx"), "MLMultiple", "METALNUM+LIGANDID")) << t.lastError();
  EXPECT_EQ(t.orderCount(), 2);
  EXPECT_EQ(t.order(), 2);
  EXPECT_EQ(walk(t), (std::vector<int>{4, 1, 3, 5, 2}));
  // Replacing a tag keeps the others.
  ASSERT_TRUE(t.createTag(dir.file("MULTI.nsx"), "lmmultiple", "Descend(REFYR)"));
  t.closeAllIndexes();
  EXPECT_EQ(t.order(), 0);
  ASSERT_TRUE(t.openIndex(dir.file("multi.nsx")));
  ASSERT_TRUE(t.createIndex(dir.file("single.nsx"), "NAME"));
  ASSERT_EQ(t.orderCount(), 3);
  EXPECT_EQ(t.order(), 3);
  ASSERT_TRUE(t.selectOrder(1));
  EXPECT_EQ(walk(t), (std::vector<int>{2, 3, 1, 4, 5}));
  ASSERT_TRUE(t.selectOrder(2));
  EXPECT_EQ(walk(t), (std::vector<int>{4, 1, 3, 5, 2}));
  ASSERT_TRUE(t.selectOrder(0));
  EXPECT_EQ(walk(t), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_FALSE(t.selectOrder(4));
  EXPECT_FALSE(t.selectOrder(-1));
  // Closing the current index closes its whole file.
  ASSERT_TRUE(t.selectOrder(2));
  t.closeCurrentIndex();
  EXPECT_EQ(t.orderCount(), 1);
  EXPECT_EQ(t.order(), 0);
  ASSERT_TRUE(t.selectOrder(1));
  EXPECT_EQ(walk(t), (std::vector<int>{2, 5, 3, 4, 1}));
  t.closeAllIndexes();
  EXPECT_EQ(t.orderCount(), 0);
}

TEST_F(IndexTest, SeekExactAndSoftSeek) {
  openExclusive();
  ASSERT_TRUE(t.createIndex(dir.file("lm.nsx"), "LIGANDID+METALNUM"));
  // Index order: 4 "   7  2", 2 "   7 10", 1/3/5 "  12  3".
  struct Case {
    bool exact;
    bool soft;
    const char* key;
    bool found;
    int rec;  // 0 = end of file
  } cases[] = {
      {false, true, "  12", true, 1},
      {true, true, "  12", false, 1},
      {true, true, "  12  3", true, 1},
      {true, true, "  12  3   ", true, 1},
      {false, true, "   7 1", true, 2},
      {false, true, "   8", false, 1},
      {false, false, "   8", false, 0},
      {true, false, "  12", false, 0},
      {false, true, "  99", false, 0},
      {false, true, "", true, 4},
      {true, true, "   7  2", true, 4},
  };
  for (const auto& c : cases) {
    env.exact = c.exact;
    env.softSeek = c.soft;
    t.first();
    EXPECT_EQ(t.seek(c.key), c.found) << "'" << c.key << "' exact " << c.exact << " soft " << c.soft;
    EXPECT_EQ(t.found(), c.found);
    if (c.rec == 0) {
      EXPECT_TRUE(t.eof()) << c.key;
    } else {
      EXPECT_FALSE(t.eof()) << c.key;
      EXPECT_EQ(t.recNo(), c.rec) << c.key;
    }
  }
  // found() stays readable while the table moves, until the next seek.
  env.exact = true;
  env.softSeek = true;
  ASSERT_TRUE(t.seek("   7  2"));
  t.skip();
  t.skip();
  EXPECT_TRUE(t.found());
  EXPECT_EQ(t.recNo(), 1);
}

TEST_F(IndexTest, SeekDescendingKeysWithDescendKey) {
  openExclusive();
  ASSERT_TRUE(t.createIndex(dir.file("ri.nsx"), "Descend(REFYR)+REFIN"));
  env.exact = false;
  EXPECT_TRUE(t.seek(xbase::descendKey("1984") + "PEa"));
  EXPECT_EQ(t.recNo(), 1);
  EXPECT_TRUE(t.seek(xbase::descendKey("1990")));
  EXPECT_EQ(t.recNo(), 2);
  // Newer years lie before: a missing year lands on the next older one.
  EXPECT_FALSE(t.seek(xbase::descendKey("1985")));
  EXPECT_EQ(t.recNo(), 5);
  env.softSeek = false;
  EXPECT_FALSE(t.seek(xbase::descendKey("1985")));
  EXPECT_TRUE(t.eof());
  EXPECT_EQ(xbase::descendKey(std::string("1\x01\x80", 3)), std::string("\xCF\xFF\x80", 3));
  EXPECT_EQ(xbase::descendKey(std::string(1, '\0')), std::string(1, '\0'));
}

TEST_F(IndexTest, NumericKeysSeekByValue) {
  openExclusive();
  ASSERT_TRUE(t.createIndex(dir.file("k1.nsx"), "K1"));
  struct Case {
    const char* key;
    bool found;
    int rec;
  } cases[] = {{"-10", true, 3}, {"-1.25", true, 2}, {" 2.500", true, 1}, {"-5", false, 2}, {"100", true, 5},
               {"0", true, 4},   {"1000", false, 0}, {"-999.999", false, 3}};
  for (const auto& c : cases) {
    EXPECT_EQ(t.seek(c.key), c.found) << c.key;
    if (c.rec) {
      EXPECT_EQ(t.recNo(), c.rec) << c.key;
    } else {
      EXPECT_TRUE(t.eof()) << c.key;
    }
  }
  // The sort index of the experiment list: descending on the value.
  ASSERT_TRUE(t.createIndex(dir.file("sort.nsx"), "K1", 0, true));
  EXPECT_TRUE(t.seek("0"));
  EXPECT_EQ(t.recNo(), 4);
  t.skip();
  EXPECT_EQ(t.recNo(), 2);
  EXPECT_FALSE(t.seek("50"));
  EXPECT_EQ(t.recNo(), 1);  // next in descending order
}

TEST_F(IndexTest, RecordOrderSeeksRecordNumbers) {
  openExclusive();
  EXPECT_TRUE(t.seek("3"));
  EXPECT_EQ(t.recNo(), 3);
  EXPECT_FALSE(t.seek("9"));
  EXPECT_TRUE(t.eof());
}

TEST_F(IndexTest, DeletedRecordsHiddenInIndexOrder) {
  ASSERT_TRUE(t.open(path, Share::Exclusive, Access::ReadWrite));
  ASSERT_TRUE(t.createIndex(dir.file("lm.nsx"), "LIGANDID+METALNUM"));
  t.close();
  markDeleted(path, 1);
  markDeleted(path, 4);
  ASSERT_TRUE(t.open(path));
  ASSERT_TRUE(t.openIndex(dir.file("lm.nsx")));
  EXPECT_EQ(walk(t), (std::vector<int>{2, 3, 5}));
  EXPECT_TRUE(t.seek("  12  3"));
  EXPECT_EQ(t.recNo(), 3);
  env.exact = false;
  EXPECT_TRUE(t.seek("   7"));
  EXPECT_EQ(t.recNo(), 2);
  env.showDeleted = true;
  EXPECT_TRUE(t.seek("  12  3"));
  EXPECT_EQ(t.recNo(), 1);
  EXPECT_EQ(walk(t), (std::vector<int>{4, 2, 1, 3, 5}));
}

TEST_F(IndexTest, GoThenSkipFollowsTheOrder) {
  openExclusive();
  ASSERT_TRUE(t.createIndex(dir.file("lm.nsx"), "LIGANDID+METALNUM"));
  ASSERT_TRUE(t.go(2));
  t.skip();
  EXPECT_EQ(t.recNo(), 1);
  t.skip(-2);
  EXPECT_EQ(t.recNo(), 4);
  ASSERT_TRUE(t.go(3));
  ASSERT_TRUE(t.selectOrder(0));  // the record stays current
  EXPECT_EQ(t.recNo(), 3);
  t.skip();
  EXPECT_EQ(t.recNo(), 4);
}

TEST_F(IndexTest, OpenIndexesFollowCommits) {
  openExclusive();
  ASSERT_TRUE(t.createIndex(dir.file("name.nsx"), "NAME"));
  ASSERT_TRUE(t.createIndex(dir.file("flag.nsx"), "NAME", 0, false, "IFLAG1"));
  ASSERT_TRUE(t.selectOrder(1));
  ASSERT_TRUE(t.appendBlank());
  ASSERT_TRUE(t.replace("NAME", "Aardvark"));
  ASSERT_TRUE(t.replace("IFLAG1", "T"));
  ASSERT_TRUE(t.commit());
  EXPECT_EQ(walk(t), (std::vector<int>{6, 2, 5, 3, 4, 1}));
  ASSERT_TRUE(t.go(1));
  ASSERT_TRUE(t.replace("NAME", "Epsilon"));
  ASSERT_TRUE(t.replace("IFLAG1", "F"));
  ASSERT_TRUE(t.commit());
  EXPECT_EQ(t.recNo(), 1);
  t.skip();
  EXPECT_EQ(t.recNo(), 3);  // "Epsilon" < "GAMMA"
  EXPECT_EQ(walk(t), (std::vector<int>{6, 2, 5, 1, 3, 4}));
  ASSERT_TRUE(t.selectOrder(2));
  EXPECT_EQ(walk(t), (std::vector<int>{6, 5, 3}));
  t.close();
  // The changes reach the files.
  ASSERT_TRUE(t.open(path));
  ASSERT_TRUE(t.openIndex(dir.file("name.nsx")));
  ASSERT_TRUE(t.openIndex(dir.file("flag.nsx")));
  ASSERT_TRUE(t.selectOrder(1));
  EXPECT_EQ(walk(t), (std::vector<int>{6, 2, 5, 1, 3, 4}));
  EXPECT_TRUE(t.seek("Aardvark"));
  EXPECT_EQ(t.recNo(), 6);
  ASSERT_TRUE(t.selectOrder(2));
  EXPECT_EQ(walk(t), (std::vector<int>{6, 5, 3}));
}

TEST(IndexProgress, HookSeesPositionsUpToTheRecordCount) {
  TempDir dir;
  std::string p = dir.file("big.dbf");
  makeTable(p, {{"V", 'C', 6}}, {});
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(p, Share::Exclusive, Access::ReadWrite));
  for (int i = 0; i < 10000; ++i) {
    ASSERT_TRUE(t.appendBlank());
    ASSERT_TRUE(t.replace(1, std::to_string((i * 7919) % 10007)));
  }
  ASSERT_TRUE(t.commit());
  std::vector<std::pair<std::int64_t, std::int64_t>> calls;
  t.setProgressHook([&](std::int64_t pos, std::int64_t max) { calls.emplace_back(pos, max); });
  ASSERT_TRUE(t.createIndex(dir.file("big.nsx"), "V"));
  ASSERT_GE(calls.size(), 3u);
  for (std::size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].second, 10000);
    if (i) {
      EXPECT_GE(calls[i].first, calls[i - 1].first);
    }
  }
  EXPECT_EQ(calls.back().first, 10000);
  t.setProgressHook({});
  calls.clear();
  ASSERT_TRUE(t.createIndex(dir.file("big2.nsx"), "V"));
  EXPECT_TRUE(calls.empty());
  // The keys are in order.
  std::string prev;
  int n = 0;
  for (t.first(); !t.eof(); t.skip(), ++n) {
    std::string v = t.field(1);
    EXPECT_LE(prev, v);
    prev = v;
  }
  EXPECT_EQ(n, 10000);
}

TEST_F(IndexTest, MissingIndexFileMessage) {
  ASSERT_TRUE(t.open(path));
  std::string name = dir.file("nothere.nsx");
  EXPECT_FALSE(t.openIndex(name));
  EXPECT_EQ(t.lastError(), "Index file does not exist.\rFile: " + name);
}

TEST_F(IndexTest, IndexFileNamesIgnoreCase) {
  openExclusive();
  ASSERT_TRUE(t.createIndex(dir.file("IndExpRi.nsx"), "Descend(RefYr)+RefIn"));
  t.closeAllIndexes();
  EXPECT_TRUE(t.openIndex(dir.file("INDEXPRI.NSX")));
  EXPECT_EQ(t.orderCount(), 1);
}

TEST_F(IndexTest, DamagedIndexFilesFailWithReindexHint) {
  openExclusive();
  ASSERT_TRUE(t.createIndex(dir.file("good.nsx"), "LIGANDID+METALNUM"));
  t.closeAllIndexes();
  std::string good = readBytes(dir.file("good.nsx"));
  // An index of another table with more records.
  std::string other = dir.file("other.dbf");
  makeTable(other, {{"LIGANDID", 'C', 4}, {"METALNUM", 'C', 3}},
            {{"1", "1"}, {"2", "2"}, {"3", "3"}, {"4", "4"}, {"5", "5"}, {"6", "6"}});
  {
    Table o;
    ASSERT_TRUE(o.open(other, Share::Exclusive, Access::ReadWrite));
    ASSERT_TRUE(o.createIndex(dir.file("other.nsx"), "LIGANDID+METALNUM"));
  }
  std::string wider = dir.file("wider.dbf");
  makeTable(wider, {{"LIGANDID", 'C', 5}}, {{"1"}});
  {
    Table o;
    ASSERT_TRUE(o.open(wider, Share::Exclusive, Access::ReadWrite));
    ASSERT_TRUE(o.createIndex(dir.file("otherkey.nsx"), "LIGANDID"));
  }
  std::string flipped = good;
  flipped[good.size() / 2] ^= 0x40;
  struct Case {
    const char* what;
    std::string content;
  } cases[] = {
      {"empty", ""},
      {"truncated", good.substr(0, good.size() - 9)},
      {"header only", good.substr(0, 32)},
      {"flipped byte", flipped},
      {"foreign bytes", std::string("NSX\0\0\0garbage", 13) + std::string(100, '\x7f')},
      {"records beyond the table", readBytes(dir.file("other.nsx"))},
      {"key of another width", readBytes(dir.file("otherkey.nsx"))},
  };
  ASSERT_TRUE(t.openIndex(dir.file("good.nsx")));
  for (const auto& c : cases) {
    writeBytes(dir.file("bad.nsx"), c.content);
    EXPECT_FALSE(t.openIndex(dir.file("bad.nsx"))) << c.what;
    EXPECT_NE(t.lastError().find("bad.nsx"), std::string::npos) << c.what << ": " << t.lastError();
    EXPECT_NE(t.lastError().find("Reindex Database Files rebuilds it"), std::string::npos) << c.what;
    EXPECT_EQ(t.orderCount(), 1) << c.what;
  }
  EXPECT_EQ(walk(t), (std::vector<int>{4, 2, 1, 3, 5}));
  // createTag over a damaged file starts the file afresh.
  writeBytes(dir.file("bad.nsx"), flipped);
  ASSERT_TRUE(t.createTag(dir.file("bad.nsx"), "T", "NAME")) << t.lastError();
  EXPECT_EQ(walk(t), (std::vector<int>{2, 5, 3, 4, 1}));
}
