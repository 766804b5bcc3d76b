// The orvale commands end to end: what a script sees on standard output.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Output {
  int status = -1;
  std::string out;
};

Output orvale(const std::string& arguments) {
  Output r;
  const std::string command = std::string(ORVALE_EXECUTABLE) + " " + arguments + " 2>/dev/null";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.out.append(buffer.data(), n);
  r.status = ::pclose(pipe);
  return r;
}

class Commands : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    start_ = fs::temp_directory_path() / ("orvale-commands-" + std::to_string(::getpid()));
    fs::remove_all(start_);
    ASSERT_EQ(orvale("makedb --tiny " + start_.string()).status, 0);
  }
  static void TearDownTestSuite() { fs::remove_all(start_); }
  static fs::path start_;
};
fs::path Commands::start_;

}  // namespace

TEST_F(Commands, MatchPrintsTheSummaryThenTheExperiments) {
  const Output r = orvale("match --db " + start_.string() + " --ligand 1 --metal 0,1");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Current specifications are :\n Ligand : Gly\n 2 metals : H+, D+\n", 0), 0u) << r.out;
  // After the summary's blank line, one record number a line.
  const std::string numbers = r.out.substr(r.out.find("\n\n", r.out.find("will contain")) + 2);
  std::istringstream lines(numbers);
  int record = 0, count = 0;
  while (lines >> record) ++count;
  EXPECT_GT(count, 0);
  EXPECT_NE(r.out.find("will contain " + std::to_string(count) + " experiments"), std::string::npos) << r.out;
  EXPECT_NE(orvale("match --db " + start_.string() + " --ligand x").status, 0);
}

TEST_F(Commands, MolInfoAndSearch) {
  const std::string ethanol = std::string(ORVALE_SOURCE_DIR) + "/chemcore/tests/data/ethanol.mol";
  const Output info = orvale("mol info " + ethanol);
  ASSERT_EQ(info.status, 0);
  EXPECT_NE(info.out.find("elements: C 2 H 6 O 1"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("molecular weight: 46.0688"), std::string::npos) << info.out;
  const Output search = orvale("mol search " + ethanol + " --db " + start_.string());
  ASSERT_EQ(search.status, 0);
  EXPECT_NE(search.out.find("6 of 6 ligands match"), std::string::npos) << search.out;
}

TEST_F(Commands, SpeciateAMonoproticAcid) {
  const fs::path spc = start_ / "acid.spc";
  std::ofstream(spc, std::ios::binary) << "acid\r\n2\r\nL\r\n1\r\n1\r\n7.0, 1, 1\r\n0\r\n";
  const Output r = orvale("speciate " + spc.string() + " --mode ph --from 2 --to 12 --points 101 --ref 1 --table percent");
  ASSERT_EQ(r.status, 0);
  // Half protonated at pH = lg K.
  EXPECT_NE(r.out.find(" 7.000  50.00     50.00"), std::string::npos) << r.out;
  EXPECT_NE(orvale("speciate " + spc.string() + " --mode ph --from 12 --to 2 --points 101 --ref 1 --table percent").status, 0);
}
