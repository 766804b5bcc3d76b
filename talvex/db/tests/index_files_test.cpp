#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "talvex/db/IndexFiles.h"

using namespace talvex::db;

namespace {
std::vector<std::string> names(Edition e, bool structures) {
  std::vector<std::string> n;
  for (const auto& f : indexFiles(e, structures)) n.push_back(f.file);
  return n;
}
std::ptrdiff_t at(const std::vector<std::string>& n, const std::string& file) {
  return std::find(n.begin(), n.end(), file) - n.begin();
}
}  // namespace

TEST(IndexFiles, BuildOrderOfBothEditions) {
  const auto full = names(Edition::Full, true);
  const auto mini = names(Edition::Mini, false);
  EXPECT_EQ(full.front(), "Ligef32fs.IA");
  EXPECT_EQ(mini.front(), "Ligef32m.IA");
  EXPECT_EQ(full.back(), "indxrflm.nsx");
  EXPECT_EQ(mini.back(), "indxrflm.nsx");
  // Ligand, metal, reference, author, experiment tags, experiment fields.
  EXPECT_LT(at(full, "IndLigCS.nsx"), at(full, "Metal32f.IA"));
  EXPECT_LT(at(full, "IndMetal.nsx"), at(full, "Rref_Win.IA"));
  EXPECT_LT(at(full, "IndAutNm.nsx"), at(full, "index_lm.nsx"));
  EXPECT_LT(at(full, "index_mt.nsx"), at(full, "IndExpRf.nsx"));
  EXPECT_LT(at(full, "IndExpCn.IA"), at(full, "IndExpTm.nsx"));
  EXPECT_LT(at(full, "IndExpF4.nsx"), at(full, "IndExpK1.nsx"));
  EXPECT_LT(at(full, "IndExpCm.IA"), at(full, "IndRefUJ.nsx"));
  EXPECT_EQ(std::set<std::string>(full.begin(), full.end()).size(), full.size());

  for (const char* fullOnly : {"Rref_Win.IA", "IndShRef.nsx", "indexlmr.nsx", "index_rl.nsx", "index_rm.nsx",
                               "IndExpRf.nsx", "IndExpF1.nsx", "IndRefUJ.nsx"}) {
    EXPECT_LT(at(full, fullOnly), static_cast<std::ptrdiff_t>(full.size())) << fullOnly;
    EXPECT_EQ(at(mini, fullOnly), static_cast<std::ptrdiff_t>(mini.size())) << fullOnly;
  }
  const std::vector<std::string> miniExperimentFields{"IndExpMd.nsx", "IndExpCn.IA", "IndExpTm.nsx", "IndExpK1.nsx",
                                                      "IndExpK2.nsx", "IndExpB2.nsx", "IndExpCm.IA"};
  EXPECT_TRUE(std::equal(miniExperimentFields.begin(), miniExperimentFields.end(), mini.begin() + at(mini, "IndExpMd.nsx")));
}

TEST(IndexFiles, KeysAndTagsOfTheEditions) {
  for (const auto& f : indexFiles(Edition::Mini, true))
    if (f.file == "index_ml.nsx") {
      EXPECT_EQ(f.tag, "MLMultiple");
      EXPECT_EQ(f.key, "METALNUM+LIGANDID");
    }
  int flags = 0;
  for (const auto& f : indexFiles(Edition::Full, true)) {
    if (f.file.rfind("IndExpF", 0) == 0) {
      ++flags;
      EXPECT_TRUE(f.descending);
      EXPECT_EQ(f.key, "IFLAG" + f.file.substr(7, 1));
    }
    if (f.file == "IndExpCm.IA") {
      EXPECT_EQ(f.textFields.size(), 2u);
    }
    if (f.file == "indexlmr.nsx") {
      EXPECT_EQ(f.key, "LIGANDID+METALNUM+Descend(REFYR)+REFIN");
    }
  }
  EXPECT_EQ(flags, 4);
}
