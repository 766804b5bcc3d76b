// The text index: building, opening, verification modes and bad files.
#include <gtest/gtest.h>

#include "helpers.h"
#include "xbase/fts.h"

using namespace xbtest;

namespace {

std::string buildIndex(const TempDir& dir, const std::string& name, int caseFold, const std::vector<std::string>& texts) {
  std::string p = dir.file(name);
  int h = xbase::FtsCreate(p.c_str(), 20, 2, caseFold, 1);
  EXPECT_GT(h, 0) << xbase::FtsLastError();
  for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(xbase::FtsAdd(h, texts[i].c_str()), static_cast<int>(i) + 1);
  EXPECT_EQ(xbase::FtsClose(h), 1);
  return p;
}

}  // namespace

TEST(Fts, VerifyModesAndCaseFolding) {
  TempDir dir;
  std::string folded = buildIndex(dir, "IndLigEF.IA", 1, {"Glycine", "Acetic acid", ""});
  std::string exact = buildIndex(dir, "Metal32f.IA", 0, {"Cu Copper(II)"});
  int hf = xbase::FtsOpen(dir.file("indligef.ia").c_str(), 16, 3);  // name case ignored
  int he = xbase::FtsOpen(exact.c_str(), 16, 3);
  ASSERT_GT(hf, 0) << xbase::FtsLastError();
  ASSERT_GT(he, 0) << xbase::FtsLastError();
  EXPECT_NE(hf, he);
  EXPECT_EQ(xbase::FtsCount(hf), 3);
  EXPECT_EQ(xbase::FtsCount(he), 1);
  struct Case {
    bool fold;
    int mode;
    const char* text;
    const char* pattern;
    int result;
  } cases[] = {
      {true, 3, "2-Aminoacetic acid", "acetic", 1},
      {true, 3, "Glycine", "GLY", 1},
      {true, 3, "Glycine", "xyz", 0},
      {true, 1, "Glycine", "gly", 1},
      {true, 1, "Glycine", "lyc", 0},
      {true, 1, "Glycine", "Glycine", 1},
      {true, 1, "Gly", "Glycine", 0},
      {true, 3, "Glycine", "l?c", 1},
      {true, 3, "Glycine", "l??c", 0},
      {true, 1, "Glycine", "G*n", 1},
      {true, 1, "Glycine", "*cin", 1},
      {true, 3, "ethylenediamine", "ethyl*amine", 1},
      {true, 3, "ethylenediamine", "amine*ethyl", 0},
      {true, 3, "abc", "", 1},
      {true, 3, "C6H6 benzene   ", "c6h6", 1},
      {false, 3, "Cu Copper(II)", "copper", 0},
      {false, 3, "Cu Copper(II)", "Copper", 1},
      {false, 1, "Cu Copper(II)", "cu", 0},
      {false, 1, "Cu Copper(II)", "Cu", 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(xbase::FtsVerify(c.fold ? hf : he, c.text, c.pattern, c.mode), c.result)
        << c.text << " / " << c.pattern << " mode " << c.mode;
  EXPECT_EQ(xbase::FtsClose(hf), 1);
  EXPECT_EQ(xbase::FtsClose(he), 1);
  EXPECT_LT(xbase::FtsVerify(hf, "a", "a", 3), 0);  // released
  EXPECT_LT(xbase::FtsVerify(9999, "a", "a", 3), 0);
  EXPECT_LT(xbase::FtsCount(-1), 0);
  EXPECT_LT(xbase::FtsAdd(hf, "x"), 0);
}

TEST(Fts, BadFilesFailWithTheFileName) {
  TempDir dir;
  std::string good = readBytes(buildIndex(dir, "good.ia", 1, {"one", "two", "three"}));
  int unfinished = xbase::FtsCreate(dir.file("unfinished.ia").c_str(), 20, 2, 1, 1);
  ASSERT_GT(unfinished, 0);
  ASSERT_EQ(xbase::FtsAdd(unfinished, "text"), 1);
  std::string open = readBytes(dir.file("unfinished.ia"));
  ASSERT_EQ(xbase::FtsClose(unfinished), 1);
  struct Case {
    const char* what;
    std::string content;
  } cases[] = {
      {"empty", ""},
      {"foreign bytes", std::string("FTS32 index") + std::string(21, '\0')},
      {"header only", good.substr(0, 24)},
      {"cut inside a text", good.substr(0, good.size() - 7)},
      {"trailer missing", good.substr(0, good.size() - 4)},
      {"length beyond the end", good.substr(0, 24) + std::string("\xff\xff\xff\x7f", 4) + good.substr(28)},
      {"never closed", open},
  };
  for (const auto& c : cases) {
    std::string p = dir.file("bad.ia");
    writeBytes(p, c.content);
    EXPECT_LT(xbase::FtsOpen(p.c_str(), 16, 3), 0) << c.what;
    EXPECT_NE(xbase::FtsLastError().find("bad.ia"), std::string::npos) << c.what << ": " << xbase::FtsLastError();
    EXPECT_NE(xbase::FtsLastError().find("Reindex"), std::string::npos) << c.what;
  }
  std::string missing = dir.file("missing.ia");
  EXPECT_LT(xbase::FtsOpen(missing.c_str(), 16, 3), 0);
  EXPECT_NE(xbase::FtsLastError().find(missing), std::string::npos);
  EXPECT_LT(xbase::FtsCreate(dir.file("no/such/dir/x.ia").c_str(), 20, 2, 1, 1), 0);
  EXPECT_FALSE(xbase::FtsLastError().empty());
}
