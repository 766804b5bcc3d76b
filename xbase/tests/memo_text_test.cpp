// Memo texts read without a copy agree with the copies, read-only or not.
#include <gtest/gtest.h>

#include "helpers.h"

using namespace xbtest;

TEST(MemoText, AgreesWithTheFieldTextInEveryMode) {
  TempDir dir;
  const std::string path = dir.file("notes.dbf");
  const std::string longText(3000, 'x');
  makeTable(path, {{"NAME", 'C', 8}, {"NOTE", 'M', 10}},
            {{"a", "first line\r\nsecond line"}, {"b", ""}, {"c", longText}});
  for (const auto access : {xbase::Access::ReadOnly, xbase::Access::ReadWrite}) {
    xbase::Table t;
    ASSERT_TRUE(t.open(path, xbase::Share::Shared, access)) << t.lastError();
    const int note = t.fieldPos("note");
    std::vector<std::string> texts;
    for (t.first(); !t.eof(); t.skip()) {
      EXPECT_EQ(t.memoText(note), t.field(note));
      texts.emplace_back(t.memoText(note));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"first line\r\nsecond line", "", longText}));
    EXPECT_EQ(t.memoText(t.fieldPos("NAME")), "");  // not a memo field
    t.close();
    EXPECT_EQ(t.memoText(note), "");
  }
}
