// Tables: creation, writing and reading back, memo files of three kinds,
// deleted records, navigation, open modes and damaged files.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "helpers.h"
#include "xbase/table.h"

using namespace xbtest;
using xbase::Access;
using xbase::Environment;
using xbase::Share;
using xbase::Table;

namespace {

std::string le16(unsigned v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string le32(unsigned v) { return le16(v & 0xFFFF) + le16(v >> 16); }
std::string be32(unsigned v) {
  return std::string{static_cast<char>(v >> 24), static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                     static_cast<char>(v & 0xFF)};
}

struct RawField {
  std::string name;
  char type;
  int width;
};

// A table file written byte by byte; records are given without the flag byte.
std::string rawDbf(unsigned char version, const std::vector<RawField>& fields, const std::vector<std::string>& records) {
  unsigned headerLen = 32 + 32 * static_cast<unsigned>(fields.size()) + 1;
  unsigned recLen = 1;
  for (const auto& f : fields) recLen += static_cast<unsigned>(f.width);
  std::string b;
  b += static_cast<char>(version);
  b += std::string{static_cast<char>(124), 1, 1};
  b += le32(static_cast<unsigned>(records.size()));
  b += le16(headerLen);
  b += le16(recLen);
  b += std::string(20, '\0');
  for (const auto& f : fields) {
    std::string d(32, '\0');
    std::memcpy(d.data(), f.name.data(), f.name.size());
    d[11] = f.type;
    d[16] = static_cast<char>(f.width);
    b += d;
  }
  b += '\x0D';
  for (const auto& r : records) {
    std::string rec = " " + r;
    rec.resize(recLen, ' ');
    b += rec;
  }
  b += '\x1A';
  return b;
}

}  // namespace

TEST(TableWrite, EveryFieldTypeRoundTrips) {
  TempDir dir;
  std::string p = dir.file("types.dbf");
  makeTable(p,
            {{"NAME", 'C', 10}, {"AMOUNT", 'N', 8, 3}, {"FLAG", 'L', 1}, {"WHEN", 'D', 8}, {"NOTE", 'M', 10}},
            {{"Glycine", "3.5", "T", "19840101", "first memo"},
             {"Ac\xe9tate", "-999.999", "n", "20011231", ""},
             {"abcdefghijklmn", "12", "y", "", std::string(1300, 'x') + "end"}});
  std::string bytes = readBytes(p);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x83);  // dBase III with memo
  EXPECT_EQ(bytes[4], 3);
  EXPECT_EQ(bytes.back(), '\x1A');
  EXPECT_TRUE(std::filesystem::exists(dir.file("types.dbt")));

  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(p)) << t.lastError();
  EXPECT_EQ(t.recordCount(), 3);
  EXPECT_EQ(t.recNo(), 1);
  EXPECT_EQ(t.field("name"), "Glycine   ");
  EXPECT_EQ(t.field("AMOUNT"), "     3.5");
  EXPECT_EQ(t.field("Flag"), "True");
  EXPECT_EQ(t.field("WHEN"), "19840101");
  EXPECT_EQ(t.field("NOTE"), "first memo");
  t.skip();
  EXPECT_EQ(t.field(1), "Ac\xe9tate   ");  // bytes kept as stored
  EXPECT_EQ(t.field(2), "-999.999");
  EXPECT_EQ(t.field(3), "False");
  EXPECT_EQ(t.field(4), "20011231");
  EXPECT_EQ(t.field(5), "");
  t.skip();
  EXPECT_EQ(t.field(1), "abcdefghij");
  EXPECT_EQ(t.field(2), "      12");
  EXPECT_EQ(t.field(3), "True");
  EXPECT_EQ(t.field(4), "        ");
  EXPECT_EQ(t.field(5), std::string(1300, 'x') + "end");
  EXPECT_EQ(t.rawField(2), "      12");
}

TEST(TableWrite, LogicalAndNumericReplaceRules) {
  TempDir dir;
  std::string p = dir.file("rules.dbf");
  makeTable(p, {{"L", 'L', 1}, {"N", 'N', 8, 3}}, {});
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(p, Share::Exclusive, Access::ReadWrite));
  struct Case {
    const char* logical;
    const char* shown;
  } logicals[] = {{"T", "True"}, {"t", "True"}, {"Y", "True"}, {"y", "True"}, {"True", "True"},
                  {"F", "False"}, {"N", "False"}, {"x", "False"}, {"", "False"}};
  for (const auto& c : logicals) {
    ASSERT_TRUE(t.appendBlank());
    ASSERT_TRUE(t.replace("L", c.logical));
    EXPECT_EQ(t.field("L"), c.shown) << c.logical;
  }
  struct NumCase {
    const char* in;
    const char* stored;
    bool ok;
  } numbers[] = {{"1", "       1", true},
                 {" 2.25 ", "    2.25", true},
                 {"-999.999", "-999.999", true},
                 {"3.14159265", "   3.142", true},  // too wide as typed: formatted with the decimals
                 {"123456789", "********", false}};
  for (const auto& c : numbers) {
    ASSERT_TRUE(t.appendBlank());
    EXPECT_EQ(t.replace("N", c.in), c.ok) << c.in;
    EXPECT_EQ(t.field("N"), c.stored) << c.in;
  }
  EXPECT_FALSE(t.replace("NOSUCH", "x"));
  EXPECT_NE(t.lastError().find("NOSUCH"), std::string::npos);
}

TEST(TableWrite, ManyAppendsSurviveReopen) {
  TempDir dir;
  std::string p = dir.file("many.dbf");
  makeTable(p, {{"EXPNO", 'N', 7}, {"TEXT", 'C', 200}, {"K", 'N', 8, 3}}, {});
  {
    Environment env;
    Table t(env);
    ASSERT_TRUE(t.open(p, Share::Exclusive, Access::ReadWrite));
    for (int i = 1; i <= 6000; ++i) {  // more than one write-behind chunk
      ASSERT_TRUE(t.appendBlank());
      ASSERT_TRUE(t.replace("EXPNO", std::to_string(i)));
      ASSERT_TRUE(t.replace("TEXT", "row " + std::to_string(i)));
      ASSERT_TRUE(t.replace("k", std::to_string(i % 7)));
      ASSERT_TRUE(t.commit());
    }
  }  // closed by the destructor
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(p));
  EXPECT_EQ(t.recordCount(), 6000);
  for (int r : {1, 2999, 6000}) {
    ASSERT_TRUE(t.go(r));
    EXPECT_EQ(std::stoi(t.field("EXPNO")), r);
    EXPECT_EQ(t.field("TEXT").substr(0, 9), ("row " + std::to_string(r) + "     ").substr(0, 9));
  }
  EXPECT_EQ(std::filesystem::file_size(p), 32u + 32 * 3 + 1 + 6000u * (1 + 7 + 200 + 8) + 1);
}

TEST(TableWrite, CommitOnASharedTableReachesOtherReaders) {
  TempDir dir;
  std::string p = dir.file("shared.dbf");
  makeTable(p, {{"V", 'C', 4}}, {{"a"}});
  Table writer;
  ASSERT_TRUE(writer.open(p, Share::Shared, Access::ReadWrite));
  ASSERT_TRUE(writer.appendBlank());
  ASSERT_TRUE(writer.replace("V", "new"));
  ASSERT_TRUE(writer.commit());
  Table reader;
  ASSERT_TRUE(reader.open(p, Share::Shared));
  EXPECT_EQ(reader.recordCount(), 2);
  ASSERT_TRUE(reader.go(2));
  EXPECT_EQ(reader.field("V"), "new ");
}

TEST(TableCreate, RejectsBadDefinitions) {
  TempDir dir;
  struct Case {
    const char* name;
    char type;
    int width;
  } bad[] = {{"", 'C', 5}, {"ELEVENCHARSX", 'C', 5}, {"BAD NAME", 'C', 5}, {"C", 'C', 0}, {"C", 'C', 255},
             {"N", 'N', 30}, {"X", 'Q', 4}};
  for (const auto& c : bad) {
    xbase::TableCreator cr(dir.file("bad.dbf"), 1);
    EXPECT_FALSE(cr.addField(c.name, c.type, c.width)) << c.name;
    EXPECT_FALSE(cr.lastError().empty());
  }
  xbase::TableCreator fewer(dir.file("fewer.dbf"), 2);
  ASSERT_TRUE(fewer.addField("A", 'C', 3));
  EXPECT_EQ(fewer.finish(), 0);
  EXPECT_NE(fewer.lastError().find("fewer.dbf"), std::string::npos);
}

TEST(Memo, DBase4MemoFileIsRead) {
  TempDir dir;
  std::string text = "dBase IV memo text";
  // Block size 64: the 512-byte header fills blocks 0-7, the memo is block 8.
  std::string dbt(512, '\0');
  std::memcpy(dbt.data(), le32(10).data(), 4);
  dbt[20] = 64;
  std::string block = std::string("\xFF\xFF\x08\x00", 4) + le32(static_cast<unsigned>(text.size() + 8)) + text;
  block.resize(128, '\0');
  dbt += block;
  writeBytes(dir.file("d4.dbt"), dbt);
  writeBytes(dir.file("d4.dbf"),
             rawDbf(0x8B, {{"ID", 'C', 3}, {"NOTE", 'M', 10}}, {"one         8", "two          ", "thr       999"}));
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(dir.file("d4.dbf"))) << t.lastError();
  EXPECT_EQ(t.field("NOTE"), text);
  t.skip();
  EXPECT_EQ(t.field("NOTE"), "");
  t.skip();
  EXPECT_EQ(t.field("NOTE"), "");  // block beyond the file: empty, no failure
}

TEST(Memo, FoxProMemoFileIsRead) {
  TempDir dir;
  std::string text = "FoxPro memo\r\nsecond line";
  std::string fpt(512, '\0');
  std::memcpy(fpt.data(), be32(9).data(), 4);
  fpt[6] = 0;
  fpt[7] = 64;  // block size, big-endian
  std::string block = be32(1) + be32(static_cast<unsigned>(text.size())) + text;
  block.resize(64, '\0');
  fpt += block;
  writeBytes(dir.file("fox.fpt"), fpt);
  writeBytes(dir.file("fox.dbf"), rawDbf(0xF5, {{"NOTE", 'M', 10}}, {"         8", "  99999999"}));
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(dir.file("fox.dbf"))) << t.lastError();
  EXPECT_EQ(t.field("NOTE"), text);
  t.skip();
  EXPECT_EQ(t.field("NOTE"), "");
}

TEST(Memo, ReplaceAppendsTextAndKeepsOtherMemos) {
  TempDir dir;
  std::string p = dir.file("m.dbf");
  makeTable(p, {{"NOTE", 'M', 10}}, {{"alpha"}, {"beta"}});
  {
    Environment env;
    Table t(env);
    ASSERT_TRUE(t.open(p, Share::Exclusive, Access::ReadWrite));
    ASSERT_TRUE(t.go(1));
    ASSERT_TRUE(t.replace("NOTE", "alpha, longer now"));
    ASSERT_TRUE(t.commit());
  }
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(p));
  EXPECT_EQ(t.field("NOTE"), "alpha, longer now");
  t.skip();
  EXPECT_EQ(t.field("NOTE"), "beta");
}

TEST(Navigation, DeletedRecordsHiddenUnlessShown) {
  TempDir dir;
  std::string p = dir.file("del.dbf");
  makeTable(p, {{"V", 'C', 2}}, {{"a"}, {"b"}, {"c"}, {"d"}, {"e"}});
  markDeleted(p, 2);
  markDeleted(p, 4);
  markDeleted(p, 5);
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(p));
  EXPECT_EQ(t.recordCount(), 5);
  EXPECT_EQ(walk(t), (std::vector<int>{1, 3}));
  EXPECT_EQ(walkBack(t), (std::vector<int>{3, 1}));
  t.last();
  EXPECT_EQ(t.recNo(), 3);
  ASSERT_TRUE(t.go(4));  // go reaches a deleted record
  EXPECT_TRUE(t.deleted());
  EXPECT_EQ(t.field("V"), "d ");
  t.skip();
  EXPECT_TRUE(t.eof());
  EXPECT_EQ(t.recNo(), 6);
  env.showDeleted = true;
  EXPECT_EQ(walk(t), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(Navigation, PhysicalRecordNumbersAndEnds) {
  TempDir dir;
  std::string p = dir.file("nav.dbf");
  makeTable(p, {{"V", 'C', 2}}, {{"a"}, {"b"}, {"c"}, {"d"}});
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(p));
  EXPECT_FALSE(t.bof());
  t.skip(2);
  EXPECT_EQ(t.recNo(), 3);
  t.skip(-2);
  EXPECT_EQ(t.recNo(), 1);
  t.skip(-1);
  EXPECT_TRUE(t.bof());
  EXPECT_EQ(t.recNo(), 1);
  t.skip(10);
  EXPECT_TRUE(t.eof());
  EXPECT_EQ(t.recNo(), 5);
  EXPECT_EQ(t.field("V"), "");
  EXPECT_TRUE(t.rawField(1).empty());
  t.skip(-1);
  EXPECT_EQ(t.recNo(), 4);
  EXPECT_FALSE(t.go(0));
  EXPECT_FALSE(t.go(5));
  EXPECT_EQ(t.recNo(), 4);  // unchanged by a failed go
  EXPECT_TRUE(t.go(2));
  EXPECT_EQ(t.field(1), "b ");
}

TEST(Fields, ByPositionAndName) {
  TempDir dir;
  std::string p = dir.file("f.dbf");
  makeTable(p, {{"LIGANDID", 'C', 4}, {"SORTK1", 'N', 8, 3}, {"IFLAG1", 'L', 1}}, {{"  12", "1.5", "T"}});
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(p));
  EXPECT_EQ(t.fieldCount(), 3);
  EXPECT_EQ(t.fieldName(1), "LIGANDID");
  EXPECT_EQ(t.fieldWidth(1), 4);
  EXPECT_EQ(t.fieldType(2), 'N');
  EXPECT_EQ(t.fieldWidth(2), 8);
  EXPECT_EQ(t.fieldDecimals(2), 3);
  EXPECT_EQ(t.fieldType(3), 'L');
  EXPECT_EQ(t.fieldPos("sortk1"), 2);
  EXPECT_EQ(t.fieldPos("missing"), 0);
  EXPECT_EQ(t.fieldName(0), "");
  EXPECT_EQ(t.fieldName(4), "");
  EXPECT_EQ(t.fieldWidth(9), 0);
  EXPECT_EQ(t.rawField(3), "T");
}

TEST(OpenModes, ConflictsBetweenOpens) {
  TempDir dir;
  std::string p = dir.file("modes.dbf");
  makeTable(p, {{"V", 'C', 2}}, {{"a"}});
  struct Case {
    Share first;
    Share second;
    bool secondOpens;
  } cases[] = {{Share::Shared, Share::Shared, true},
               {Share::Shared, Share::Exclusive, false},
               {Share::Exclusive, Share::Shared, false},
               {Share::Exclusive, Share::Exclusive, false}};
  for (const auto& c : cases) {
    Table a, b;
    ASSERT_TRUE(a.open(p, c.first));
    EXPECT_EQ(b.open(p, c.second), c.secondOpens);
    if (!c.secondOpens) {
      EXPECT_NE(b.lastError().find("modes.dbf"), std::string::npos);
    }
    a.close();
    b.close();
    EXPECT_TRUE(b.open(p, c.second)) << "opens once the other is closed";
  }
}

TEST(OpenModes, ModeOfAnOpenTableCannotChange) {
  TempDir dir;
  std::string p = dir.file("modes.dbf");
  makeTable(p, {{"V", 'C', 2}}, {{"a"}});
  Table t;
  ASSERT_TRUE(t.open(p, Share::Shared, Access::ReadOnly));
  EXPECT_FALSE(t.isExclusive());
  EXPECT_TRUE(t.isReadOnly());
  EXPECT_FALSE(t.open(p, Share::Exclusive, Access::ReadWrite));
  EXPECT_TRUE(t.isReadOnly());
  EXPECT_FALSE(t.appendBlank());
  EXPECT_FALSE(t.replace(1, "x"));
  EXPECT_FALSE(t.createIndex(dir.file("i.nsx"), "V"));
  EXPECT_NE(t.lastError().find("exclusive"), std::string::npos);
  t.close();
  ASSERT_TRUE(t.open(p, Share::Exclusive, Access::ReadWrite));
  EXPECT_TRUE(t.isExclusive());
  EXPECT_FALSE(t.isReadOnly());
}

TEST(OpenModes, LockHeldByAnotherProcessIsHonoured) {
  TempDir dir;
  std::string p = dir.file("locked.dbf");
  makeTable(p, {{"V", 'C', 2}}, {{"a"}});
  // A separate open file description locks exactly as another process would.
  int fd = ::open(p.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  Table t;
  EXPECT_FALSE(t.open(p, Share::Shared));
  EXPECT_FALSE(t.open(p, Share::Exclusive));
  ::flock(fd, LOCK_UN);
  ::close(fd);
  EXPECT_TRUE(t.open(p, Share::Exclusive));
}

TEST(ClosedTable, OperationsDoNothing) {
  Table t;
  EXPECT_FALSE(t.isOpen());
  EXPECT_EQ(t.recordCount(), 0);
  EXPECT_EQ(t.recNo(), 0);
  EXPECT_FALSE(t.go(1));
  t.first();
  t.skip(3);
  EXPECT_TRUE(t.eof());
  EXPECT_EQ(t.fieldCount(), 0);
  EXPECT_EQ(t.field("X"), "");
  EXPECT_EQ(t.field(1), "");
  EXPECT_TRUE(t.rawField(1).empty());
  EXPECT_EQ(t.fieldPos("X"), 0);
  EXPECT_FALSE(t.openIndex("x.nsx"));
  EXPECT_FALSE(t.seek("x"));
  EXPECT_FALSE(t.found());
  EXPECT_EQ(t.locate("X = 'a'"), 0);
  EXPECT_FALSE(t.appendBlank());
  EXPECT_FALSE(t.commit());
  EXPECT_FALSE(t.selectOrder(0));
  EXPECT_EQ(t.orderCount(), 0);
  EXPECT_EQ(t.path(), "");
  t.closeAllIndexes();
  t.closeCurrentIndex();
  t.close();
}

TEST(FileLookup, NamesAreFoundIgnoringCase) {
  TempDir dir;
  makeTable(dir.file("Rref_Win.DBF"), {{"NOTE", 'M', 10}, {"V", 'C', 3}}, {{"memo here", "abc"}});
  std::filesystem::rename(dir.file("Rref_Win.dbt"), dir.file("RREF_WIN.DBT"));
  EXPECT_EQ(xbase::findFile(dir.file("rref_win.dbf")), dir.file("Rref_Win.DBF"));
  EXPECT_TRUE(xbase::fileExists(dir.file("RREF_WIN.dbf")));
  EXPECT_FALSE(xbase::fileExists(dir.file("other.dbf")));
  EXPECT_EQ(xbase::findFile(dir.file("other.dbf")), dir.file("other.dbf"));
  Table t;
  ASSERT_TRUE(t.open(dir.file("RREF_win.dbf"))) << t.lastError();
  EXPECT_EQ(t.path(), dir.file("Rref_Win.DBF"));
  EXPECT_EQ(t.field("NOTE"), "memo here");
}

TEST(BadInput, DamagedTablesFailWithTheFileName) {
  TempDir dir;
  std::string good = dir.file("good.dbf");
  makeTable(good, {{"A", 'C', 5}, {"B", 'N', 4}}, {{"x", "1"}, {"y", "2"}});
  std::string bytes = readBytes(good);
  auto patched = [&](std::size_t at, std::string with) {
    std::string b = bytes;
    b.replace(at, with.size(), with);
    return b;
  };
  struct Case {
    const char* what;
    std::string content;
  } cases[] = {
      {"empty file", ""},
      {"truncated header", bytes.substr(0, 20)},
      {"header cut inside the field list", bytes.substr(0, 50)},
      {"foreign bytes", std::string("\x89PNG\r\n\x1a\n") + std::string(200, 'z')},
      {"text file", std::string(300, 'A')},
      {"record count larger than the file", patched(4, le32(1000))},
      {"header length beyond the file", patched(8, le16(60000))},
      {"fields longer than the record", patched(10, le16(3))},
      {"records cut short", bytes.substr(0, bytes.size() - 5)},
  };
  for (const auto& c : cases) {
    std::string p = dir.file("bad.dbf");
    writeBytes(p, c.content);
    Table t;
    EXPECT_FALSE(t.open(p)) << c.what;
    EXPECT_NE(t.lastError().find("bad.dbf"), std::string::npos) << c.what << ": " << t.lastError();
    EXPECT_FALSE(t.isOpen());
  }
  Table t;
  EXPECT_FALSE(t.open(dir.file("missing.dbf")));
  EXPECT_NE(t.lastError().find("missing.dbf"), std::string::npos);
}

TEST(BadInput, MissingOrTruncatedMemoFile) {
  TempDir dir;
  std::string p = dir.file("memo.dbf");
  makeTable(p, {{"NOTE", 'M', 10}}, {{"text"}});
  std::string dbt = readBytes(dir.file("memo.dbt"));
  writeBytes(dir.file("memo.dbt"), dbt.substr(0, 100));
  Table t;
  EXPECT_FALSE(t.open(p));
  EXPECT_NE(t.lastError().find("memo.dbt"), std::string::npos) << t.lastError();
  std::filesystem::remove(dir.file("memo.dbt"));
  EXPECT_FALSE(t.open(p));
  EXPECT_NE(t.lastError().find("memo.dbt"), std::string::npos) << t.lastError();
}
