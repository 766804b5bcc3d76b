// locate(): the expression language, exact on and off, and where the search
// starts and ends.
#include <gtest/gtest.h>

#include "helpers.h"
#include "xbase/table.h"

using namespace xbtest;
using xbase::Access;
using xbase::Environment;
using xbase::Share;
using xbase::Table;

namespace {

//  rec EMPFORM    NAME     K1     FLAG
//  1   C6H6       benzene  1.5    T
//  2   C6H5NO2    Nitro    -2     F
//  3   H2O        water    0      T
//  4   C2H4O2     acetic   4.76   F
class LocateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.file("lig.dbf");
    makeTable(path, {{"EMPFORM", 'C', 10}, {"NAME", 'C', 8}, {"K1", 'N', 8, 3}, {"FLAG", 'L', 1}},
              {{"C6H6", "benzene", "1.5", "T"},
               {"C6H5NO2", "Nitro", "-2", "F"},
               {"H2O", "water", "0", "T"},
               {"C2H4O2", "acetic", "4.76", "F"}});
    ASSERT_TRUE(t.open(path, Share::Exclusive, Access::ReadWrite));
  }
  TempDir dir;
  std::string path;
  Environment env;
  Table t{env};
};

}  // namespace

TEST_F(LocateTest, ExpressionForms) {
  struct Case {
    bool exact;
    const char* expr;
    int rec;
  } cases[] = {
      {false, "EMPFORM = \"C6H\"", 1},
      {true, "EMPFORM = \"C6H\"", 0},
      {true, "EMPFORM = \"C6H6\"", 1},
      {true, "empform = 'H2O'", 3},
      {false, "EMPFORM == \"C6H\"", 0},
      {false, "EMPFORM == \"H2O\"", 3},
      {false, "EMPFORM = \"H2O  \"", 3},
      {false, "EMPFORM = \"C6H5 \"", 0},  // the blank typed after the text counts
      {false, "EMPFORM = \"\"", 1},
      {true, "EMPFORM <> \"C6H6\"", 2},
      {true, "EMPFORM # \"C6H6\"", 2},
      {true, "EMPFORM != \"C6H6\"", 2},
      {true, "'NO2' $ EMPFORM", 2},
      {true, "K1 < 0", 2},
      {true, "K1 >= 4", 4},
      {true, "-K1 = 2", 2},
      {true, "K1 + 1 > 5", 4},
      {true, "K1 - 1 = 0.5", 1},
      {true, "FLAG .AND. K1 = 0", 3},
      {true, ".not. FLAG .and. K1 > 0", 4},
      {true, "!FLAG", 2},
      {true, "FLAG = .F.", 2},
      {true, "EMPFORM > \"C6H6\" .OR. K1 = -2", 2},
      {true, "(K1 > 100 .OR. FLAG) .AND. NAME = 'water'", 3},
      {true, "Lower(NAME) = \"nitro\"", 2},
      {true, "Upper(SubStr(NAME, 2, 3)) = \"ATE\"", 3},
      {true, "Trim(NAME) + \"!\" = \"water!\"", 3},
      {true, "AllTrim('  x ') + LTrim(' y') + RTrim('z  ') == 'xyz'", 1},
      {true, "Val(SubStr(EMPFORM, 2, 1)) = 2", 3},
      {true, "Str(K1, 5, 1) = \"  4.8\"", 4},
      {true, "Str(K1) = \"        -2\"", 2},
      {true, "Recno() = 3", 3},
      {true, "Deleted()", 0},
      {true, "Descend(NAME) = Descend('acetic  ')", 4},
  };
  for (const auto& c : cases) {
    env.exact = c.exact;
    t.first();
    EXPECT_EQ(t.locate(c.expr), c.rec) << c.expr << " exact " << c.exact << ": " << t.lastError();
    if (c.rec) {
      EXPECT_EQ(t.recNo(), c.rec) << c.expr;
    } else {
      EXPECT_TRUE(t.eof()) << c.expr;
    }
  }
}

TEST_F(LocateTest, BadExpressionsFailWithAMessage) {
  for (const char* expr : {"EMPFORM =", "NOSUCH = 1", "EMPFORM = 1", "\"abc\"", "Lower(EMPFORM", "EMPFORM .AND. FLAG",
                           "K1 $ 'x'", "SubStr()", "EMPFORM = 'open", "FLAG < .T.", "@"}) {
    t.go(2);
    t.skip(0);
    EXPECT_EQ(t.locate(expr), 0) << expr;
    EXPECT_NE(t.lastError().find("lig.dbf"), std::string::npos) << expr << ": " << t.lastError();
    EXPECT_EQ(t.recNo(), 2) << expr;
  }
}

TEST_F(LocateTest, SearchesForwardFromTheCurrentRecord) {
  ASSERT_TRUE(t.go(2));
  EXPECT_EQ(t.locate("FLAG"), 3);
  EXPECT_EQ(t.locate("FLAG"), 3);  // the current record counts
  t.skip();
  EXPECT_EQ(t.locate("FLAG"), 0);
  EXPECT_TRUE(t.eof());
  // In index order the search follows the order.
  ASSERT_TRUE(t.createIndex(dir.file("name.nsx"), "NAME"));  // Nitro, acetic, benzene, water
  t.first();
  EXPECT_EQ(t.locate("K1 > 0"), 4);
  t.skip();
  EXPECT_EQ(t.locate("K1 > 0"), 1);
}

TEST(LocateDeleted, DeletedRecordsAreSkipped) {
  TempDir dir;
  std::string p = dir.file("d.dbf");
  makeTable(p, {{"V", 'C', 3}}, {{"abc"}, {"abd"}, {"abc"}});
  markDeleted(p, 1);
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(p));
  ASSERT_TRUE(t.go(1));
  EXPECT_EQ(t.locate("V = 'abc'"), 3);
  env.showDeleted = true;
  t.first();
  EXPECT_EQ(t.locate("V = 'abc' .and. Deleted()"), 1);
}
