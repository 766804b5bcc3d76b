// The hand-off block from the query program, as the clipboard reader and
// parseHandoff turn it into a problem.
#include <gtest/gtest.h>

#include "fixtures.h"

namespace equivane {
namespace {

// A block of 11 or 20 lines, each ended by CR LF; fields of the experiment
// blocks are padded as the table engine returns them.
std::string block(const char* marker, const char* title, std::vector<std::string> first,
                  std::vector<std::string> second = {}) {
  std::string text = std::string(marker) + "\r\n" + title + "\r\n";
  for (const std::string& line : first) text += line + "\r\n";
  for (const std::string& line : second) text += line + "\r\n";
  return text;
}

const std::vector<std::string> kCopper = {"Cu+2      ", "8.1", "15.0      ", "16.5      ", "          ",
                                          "          ", "          ", " 25 0.1 KNO3 ", " glass el. "};
const std::vector<std::string> kProtonation = {"H+        ", "9.6", "12.0      ", "3.1       ", " 2.0 ",
                                               "          ", "          ", " 25 0.1 ", " potentiometry "};

std::vector<int> coefficients(const SpeciationProblem& p, int j) {
  std::vector<int> c;
  for (int k = 1; k <= p.n; ++k) c.push_back(p.constants[j].coefficients[k]);
  return c;
}

TEST(Handoff, ProtonationExperimentGivesLigandAndHydrogen) {
  SpeciationProblem p;
  const HandoffOutcome h = readClipboardBlock(p, block("MiniOrvale", "Glycine", kProtonation));
  ASSERT_EQ(h.result, HandoffResult::Loaded) << h.message;
  EXPECT_EQ(p.title, "Glycine");
  ASSERT_EQ(p.n, 2);
  EXPECT_EQ(p.reactants[1].name, "ligand");
  EXPECT_EQ(p.reactants[1].totalMmol, 1.0);
  EXPECT_EQ(p.reactants[2].name, "hydrogen");
  EXPECT_EQ(p.reactants[2].symbol, 'H');
  ASSERT_EQ(p.nSpec, 2);
  EXPECT_EQ(p.constants[1].lgText, "9.6");
  EXPECT_EQ(coefficients(p, 1), (std::vector<int>{1, 1}));
  EXPECT_EQ(p.constants[2].lgText, "12.0");
  EXPECT_EQ(coefficients(p, 2), (std::vector<int>{1, 2}));
  EXPECT_EQ(p.nSP, 1);
  EXPECT_FALSE(p.solubilityIncluded);
  EXPECT_TRUE(p.fromDatabase);
  EXPECT_EQ(p.commentLines[0], "3.1             2.0");  // BETA1 as stored, six blanks, BETA2 trimmed
  EXPECT_EQ(p.commentLines[1], std::string(16, ' '));
  EXPECT_EQ(p.commentLines[2], "25 0.1");
  EXPECT_EQ(p.commentLines[3], "potentiometry");
}

TEST(Handoff, MetalExperimentWithProtonationGivesThreeReactantsAndSevenComments) {
  SpeciationProblem p;
  const HandoffOutcome h = readClipboardBlock(p, block("FullOrvale", "Glycine", kCopper, kProtonation));
  ASSERT_EQ(h.result, HandoffResult::Loaded) << h.message;
  ASSERT_EQ(p.n, 3);
  EXPECT_EQ(p.reactants[1].name, "Cu+2");
  EXPECT_EQ(p.reactants[2].name, "ligand");
  EXPECT_EQ(p.reactants[2].totalMmol, 2.0);
  ASSERT_EQ(p.nSpec, 4);
  EXPECT_EQ(coefficients(p, 1), (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(coefficients(p, 2), (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(coefficients(p, 3), (std::vector<int>{0, 1, 1}));
  EXPECT_EQ(coefficients(p, 4), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(p.constants[4].lgText, "12.0");
  EXPECT_EQ(p.commentLines[0], "16.5            ");   // first block: BETA1, six blanks, BETA2
  EXPECT_EQ(p.commentLines[3], "glass el.");
  EXPECT_EQ(p.commentLines[4], "3.1            2.0");  // second block: BETA1, five blanks, BETA2
  EXPECT_EQ(p.commentLines[6], "25 0.1");               // its COMM1; COMM2 is not used
  // The problem solves once its numbers are established.
  ASSERT_EQ(establishValues(p), "");
  EXPECT_EQ(p.constants[1].lgValue, 8.1);
}

TEST(Handoff, HydroxideDeuteriumAndEmptyB2val) {
  struct Case {
    std::string title;
    std::vector<std::string> first;
    std::vector<std::string> names;
    std::vector<std::vector<int>> constants;
  };
  auto with = [](std::vector<std::string> lines, int index, std::string value) {
    lines[static_cast<std::size_t>(index)] = std::move(value);
    return lines;
  };
  const Case cases[] = {
      {"Copper Hydroxide", kCopper, {"Cu+2", "hydrogen"}, {{1, 1}, {1, 2}, {0, -1}}},
      {"Glycine", with(kProtonation, 0, "D+        "), {"ligand", "duterium"}, {{1, 1}, {1, 2}}},
      {"Glycine", with(kCopper, 2, "          "), {"Cu+2", "ligand", "hydrogen"}, {{1, 1, 0}}},
      {"Glycine", with(with(kCopper, 1, " "), 2, ""), {"Cu+2", "ligand", "hydrogen"}, {{0, 0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title + " / " + c.first[0]);
    SpeciationProblem p;
    ASSERT_EQ(readClipboardBlock(p, block("FullOrvale", c.title.c_str(), c.first)).result, HandoffResult::Loaded);
    std::vector<std::string> names;
    for (int k = 1; k <= p.n; ++k) names.push_back(p.reactants[k].name);
    EXPECT_EQ(names, c.names);
    ASSERT_EQ(p.nSpec, static_cast<int>(c.constants.size()));
    for (int j = 1; j <= p.nSpec; ++j) EXPECT_EQ(coefficients(p, j), c.constants[static_cast<std::size_t>(j - 1)]);
  }
  // The hydroxide's last constant is Kw; with no constants at all, "1.0".
  SpeciationProblem p;
  readClipboardBlock(p, block("FullOrvale", "Copper Hydroxide", kCopper));
  EXPECT_EQ(p.constants[3].lgText, "-14.0");
  readClipboardBlock(p, block("FullOrvale", "Glycine", with(with(kCopper, 1, " "), 2, "")));
  EXPECT_EQ(p.constants[1].lgText, "1.0");
}

TEST(Handoff, WrongLineCountsAndOtherClipboardTexts) {
  SpeciationProblem p = newProblem();
  // Twelve lines: refused, nothing loaded.
  std::vector<std::string> twelve = kProtonation;
  twelve.push_back("extra");
  HandoffOutcome h = readClipboardBlock(p, block("FullOrvale", "Glycine", twelve));
  EXPECT_EQ(h.result, HandoffResult::Failed);
  EXPECT_EQ(h.message, "Clipboard error after line 12");
  EXPECT_EQ(p.title, "Title");

  // Only the first 767 characters are read: a block cut in line 15 has 15.
  std::vector<std::string> longField = kProtonation;
  longField[3] = std::string(700, 'x');
  h = readClipboardBlock(p, block("FullOrvale", "Glycine", kCopper, longField));
  EXPECT_EQ(h.result, HandoffResult::Failed);
  EXPECT_EQ(h.message, "Clipboard error after line 15");
  // Counted in characters, not bytes: 350 two-byte letters (700 bytes) fit.
  longField[3].clear();
  for (int i = 0; i < 350; ++i) longField[3] += "\xC3\xA9";
  EXPECT_EQ(readClipboardBlock(p, block("FullOrvale", "Glycine", kCopper, longField)).result,
            HandoffResult::Loaded);

  // A last line without its terminator is still a line.
  std::string text = block("MiniOrvale", "Glycine", kProtonation);
  text.resize(text.size() - 2);
  EXPECT_EQ(readClipboardBlock(p, text).result, HandoffResult::Loaded);

  // Anything that does not begin with a marker is ignored.
  p = newProblem();
  EXPECT_EQ(readClipboardBlock(p, " FullOrvale\r\n").result, HandoffResult::NotHandoff);
  EXPECT_EQ(readClipboardBlock(p, "hello").result, HandoffResult::NotHandoff);
  EXPECT_EQ(p.title, "Title");

  // A constant text that is not a number stops the calculation later.
  std::vector<std::string> bad = kProtonation;
  bad[1] = "ca. 9";
  ASSERT_EQ(readClipboardBlock(p, block("FullOrvale", "Glycine", bad)).result, HandoffResult::Loaded);
  EXPECT_EQ(establishValues(p), "'ca. 9' is not a valid floating point value");
}

}  // namespace
}  // namespace equivane
