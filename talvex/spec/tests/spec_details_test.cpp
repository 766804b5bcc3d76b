// The cleaners of number texts and the derivation of the details
// specification with its keys.
#include <gtest/gtest.h>

#include "talvex/spec/CleanText.h"
#include "talvex/spec/DetailsSpec.h"

using namespace talvex::spec;
using talvex::db::Edition;

namespace {

TEST(CleanText, NumberAndConstantTexts) {
  EXPECT_EQ(CleanNumberText("O.I?<>"), "0.1   ");
  struct Case {
    const char* in;
    const char* out;
  };
  for (const Case& c : {Case{"4.50", "4.50"}, Case{" ca. 4.5", "4.5"}, Case{"Ca4.5", "4.5"}, Case{"<3.2", "3.2"},
                        Case{"(3.2)", "3.2"}, Case{"3.2?", "3.2"}, Case{"lgK=5.1", "5.1"}, Case{"4.1-4.5", "4.1"},
                        Case{"-4.1-4.5", "-4.1"}, Case{"-2.5", "-2.5"}, Case{"5.2(3)", "5.2"}, Case{"IO.O5", "10.05"},
                        Case{"", ""}}) {
    EXPECT_EQ(CleanConstantText(c.in), c.out) << c.in;
  }
  double v = 0;
  EXPECT_TRUE(readPlainNumber("+0.10", v));
  EXPECT_DOUBLE_EQ(v, 0.1);
  EXPECT_FALSE(readPlainNumber("1.2.3", v));
  EXPECT_FALSE(readPlainNumber(".", v));
  EXPECT_EQ(readWholeNumber("25.5"), 25);
  EXPECT_EQ(readWholeNumber("-7x"), -7);
  EXPECT_EQ(readWholeNumber("x7"), 0);
}

TEST(DetailsSpec, TemperatureForms) {
  struct Case {
    RangeKind kind;
    const char *lo, *hi;
    int low, high;
    const char* key;  // positions 8-13
    bool lowKind, highKind;
  };
  for (const Case& c : {Case{RangeKind::Exact, "25", "", 25, 25, " 25 25", false, false},
                        Case{RangeKind::Approximate, "25", "5", 20, 30, " 20 30", false, false},
                        Case{RangeKind::High, "", "40", -99, 40, "-99 40", false, true},
                        Case{RangeKind::Low, "15", "", 15, 999, " 15999", true, false},
                        Case{RangeKind::None, "40", "10", 10, 40, " 10 40", false, false}}) {
    DetailsSpec d;
    DetailsPage p;
    p.tempKind = c.kind;
    p.loTempText = c.lo;
    p.hiTempText = c.hi;
    EXPECT_TRUE(d.derive(p, Edition::Full));
    EXPECT_EQ(d.tempLow, c.low);
    EXPECT_EQ(d.tempHigh, c.high);
    EXPECT_EQ(d.DetailsKey.substr(7, 6), c.key);
    EXPECT_EQ(d.tempLowKind, c.lowKind);
    EXPECT_EQ(d.tempHighKind, c.highKind);
    EXPECT_FALSE(d.empty);
  }
}

TEST(DetailsSpec, KeyPositionsAndChangeFlag) {
  DetailsSpec d;
  DetailsPage p;
  p.methodEntry = 1;     // gl
  p.mediumEntry = 13;    // any aqueous
  p.concText = "O.1";
  p.calibration = 3;     // Activ.
  p.flags[1] = true;
  p.iupacProvisional = true;
  p.comment = "  polarographic data ";
  p.constantName = 1;
  p.constKind = RangeKind::Exact;
  p.loConstText = "4.5";
  EXPECT_TRUE(d.derive(p, Edition::Full));
  EXPECT_EQ(d.DetailsKey, "AM0.1 M???????1???1yK1");
  EXPECT_EQ(d.medium, "a");
  EXPECT_TRUE(d.concNumeric);
  EXPECT_DOUBLE_EQ(d.concValue, 0.1);
  EXPECT_EQ(d.CommentKey, "polarograp");
  EXPECT_EQ(p.comment, "polarograp");
  EXPECT_EQ(d.ConstRangeKey, "4.50  4.50  ");
  EXPECT_EQ(p.loConstText, "4.50");
  EXPECT_DOUBLE_EQ(d.constLow, 4.5);
  EXPECT_DOUBLE_EQ(d.constHigh, 4.5);
  EXPECT_TRUE(d.ListChanged);

  // Leaving again without a change does not set the flag.
  d.ListChanged = false;
  EXPECT_FALSE(d.derive(p, Edition::Full));
  EXPECT_FALSE(d.ListChanged);

  // Everything cleared: empty.
  DetailsPage none;
  EXPECT_TRUE(d.derive(none, Edition::Full));
  EXPECT_TRUE(d.empty);
  EXPECT_EQ(d.DetailsKey, "");
  EXPECT_EQ(d.ConstRangeKey, std::string(12, ' '));
  EXPECT_EQ(d.CommentKey, std::string(10, ' '));

  // The mini edition: the medium is its code, calibration and flags are not offered.
  DetailsSpec m;
  DetailsPage mp;
  mp.mediumEntry = 2;
  mp.calibration = 2;
  mp.flags[0] = true;
  EXPECT_TRUE(m.derive(mp, Edition::Mini));
  EXPECT_EQ(m.medium, "NaCl  ");
  EXPECT_EQ(m.DetailsKey, "?B????????????????????");
}

TEST(DetailsSpec, ConstantRangesAndUnreadableBoxes) {
  DetailsSpec d;
  DetailsPage p;
  p.constantName = 3;
  p.constKind = RangeKind::Approximate;
  p.loConstText = "10";
  p.hiConstText = "0.5";
  EXPECT_TRUE(d.derive(p, Edition::Full));
  EXPECT_EQ(d.ConstRangeKey, "9.50  10.50 ");
  EXPECT_EQ(d.DetailsKey.substr(20, 2), "B2");

  p.constKind = RangeKind::High;
  p.loConstText = "";
  p.hiConstText = "12";
  EXPECT_TRUE(d.derive(p, Edition::Full));
  EXPECT_DOUBLE_EQ(d.constLow, -99.99);
  EXPECT_DOUBLE_EQ(d.constHigh, 12.0);
  EXPECT_TRUE(d.constHighKind);
  EXPECT_FALSE(d.constLowKind);

  // A box that must hold a number and does not leaves everything as it was.
  const std::string before = d.DetailsKey;
  p.constKind = RangeKind::Approximate;
  p.loConstText = "abc";
  p.hiConstText = "1";
  std::string error;
  EXPECT_FALSE(d.derive(p, Edition::Full, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(d.DetailsKey, before);
  DetailsPage c;
  c.concText = "1.2.3";
  EXPECT_FALSE(d.derive(c, Edition::Full, &error));
  EXPECT_EQ(d.DetailsKey, before);
}

}  // namespace
