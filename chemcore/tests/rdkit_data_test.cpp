// Real molfiles written elsewhere: SD files of Debian's rdkit-data package,
// read where the package installs them, against RDKit's counts, element
// lists and molecular weights (rdkit_expected.tsv, made by
// make_rdkit_expected.py) on molecules where both chemistry models agree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "chemcore/sdfmol.h"

using namespace chemcore;

namespace {

constexpr const char* kRdkitRoot = "/usr/share/RDKit/";

// The records of an SD file as texts of their own (data items included).
std::vector<std::string> sdRecords(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> records(1);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("$$$$", 0) == 0) records.emplace_back();
    else records.back() += line + "\n";
  }
  return records;
}

}  // namespace

TEST(RdkitDataMolfiles, CountsElementListsAndWeightsAgreeWithRdkit) {
  if (!std::filesystem::exists(kRdkitRoot)) GTEST_SKIP() << "rdkit-data is not installed";
  std::ifstream expected(CHEMCORE_TEST_DATA "/rdkit_expected.tsv");
  ASSERT_TRUE(expected);
  std::map<std::string, std::vector<std::string>> files;
  auto mol = std::make_unique<SdfMol>();
  std::string row;
  int checked = 0;
  while (std::getline(expected, row)) {
    if (row.empty() || row[0] == '#') continue;
    std::istringstream f(row);
    std::string file, elements, field;
    int record = 0, atoms = 0, bonds = 0;
    double weight = 0;
    std::getline(f, file, '\t');
    f >> record >> atoms >> bonds;
    f.ignore();
    std::getline(f, elements, '\t');
    f >> weight;
    auto& records = files[file];
    if (records.empty()) records = sdRecords(kRdkitRoot + file);
    ASSERT_LE(static_cast<std::size_t>(record), records.size()) << file;
    const ReadResult r = ReadSdfText(*mol, file, records[static_cast<std::size_t>(record - 1)], 1, true);
    ASSERT_TRUE(r.ok) << file << " record " << record << ": " << r.message;
    const Structure& s = mol->CurrentStructure;
    EXPECT_EQ(s.A, atoms) << file << " record " << record;
    EXPECT_EQ(s.B, bonds) << file << " record " << record;
    std::string list;
    for (const auto& e : s.ElementList) list += (list.empty() ? "" : " ") + e.symbol + std::to_string(e.count);
    EXPECT_EQ(list, elements) << file << " record " << record;
    // RDKit's atomic weights differ from the element table's in the fourth digit.
    EXPECT_NEAR(s.MolecularWeight, weight, weight * 3e-4) << file << " record " << record;
    ++checked;
  }
  EXPECT_GT(checked, 0);
}
