// The sub-structure search and the per-ligand test of the ligand search.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "chemcore/connection_table.h"
#include "chemcore/ligand_table.h"
#include "chemcore/sdfmol.h"
#include "chemcore/substructure.h"
#include "mol_text.h"
#include "xbase/table.h"

using namespace chemcore;
using namespace chemcore::testing;

namespace {

struct Mol {
  std::vector<const char*> atoms;
  std::vector<std::array<int, 3>> bonds;  // first, second, type

  std::vector<std::string> atomLines() const {
    std::vector<std::string> r;
    for (const char* a : atoms) r.push_back(atom(a));
    return r;
  }
  std::vector<std::string> bondLines() const {
    std::vector<std::string> r;
    for (const auto& b : bonds) r.push_back(bond(b[0], b[1], b[2]));
    return r;
  }
  std::string text() const { return molfile("m", atomLines(), bondLines()); }
  // The table as the database stores it and the search reads it back.
  std::string stored() const {
    MolRecord rec{"m", atomLines(), bondLines()};
    ConnectionTable ct;
    std::string error;
    EXPECT_TRUE(buildConnectionTable(rec, ct, error)) << error;
    return storedStructureText(rec, ct);
  }
};

Mol chain(const char* element, int n, int type = 1) {
  Mol m;
  for (int i = 0; i < n; ++i) m.atoms.push_back(element);
  for (int i = 1; i < n; ++i) m.bonds.push_back({i, i + 1, type});
  return m;
}

Mol ring(const char* element, int n, bool aromatic) {
  Mol m = chain(element, n);
  m.bonds.push_back({n, 1, 1});
  for (int i = 0; i < n; ++i) m.bonds[static_cast<std::size_t>(i)][2] = aromatic ? 4 : (i % 2 ? 2 : 1);
  return m;
}

struct Search {
  std::unique_ptr<SdfMol> mol = std::make_unique<SdfMol>();
  std::unique_ptr<SearchWorkspace> work = std::make_unique<SearchWorkspace>();

  std::string operator()(const Mol& query, const Mol& target, bool exact) {
    const ReadResult r = ReadSdfText(*mol, "q.mol", query.text(), 1, true);
    EXPECT_TRUE(r.ok) << r.message;
    const std::string text = target.stored();
    EXPECT_TRUE(ReadLigandConnectionTable(mol->LigandConnectionTable, text, static_cast<int>(target.atoms.size()),
                                          static_cast<int>(target.bonds.size())));
    return std::string(ResultWord(SubstructureMatch(mol->QueryConnectionTable, mol->LigandConnectionTable, exact, *work)));
  }
};

}  // namespace

TEST(SubstructureMatch, CasesOfTheMatchingRules) {
  const Mol propaneCN{{"C", "N", "C"}, {{1, 2, 1}, {2, 3, 1}}};
  const Mol ethylamine{{"C", "C", "N"}, {{1, 2, 1}, {2, 3, 1}}};
  const Mol carbonyl{{"C", "O"}, {{1, 2, 2}}};
  const Mol hydroxyl{{"C", "O"}, {{1, 2, 1}}};
  const Mol ethaneAndO{{"C", "C", "O"}, {{1, 2, 1}}};
  const Mol acetate{{"C", "C", "O", "O"}, {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}}};
  const Mol water{{"O", "H", "H"}, {{1, 2, 1}, {1, 3, 1}}};
  const Mol hydrogen{{"H", "H"}, {{1, 2, 1}}};
  const Mol twoEthanes{{"C", "C", "C", "C"}, {{1, 2, 1}, {3, 4, 1}}};
  struct Case {
    const char* what;
    Mol query, target;
    bool exact;
    const char* word;
  } cases[] = {
      {"identical", acetate, acetate, true, "YES"},
      {"one atom more than the target", chain("C", 4), chain("C", 3), false, "NO"},
      {"C-C in C-N-C", chain("C", 2), propaneCN, false, "NO"},
      {"C-C in C-C-N", chain("C", 2), ethylamine, false, "YES"},
      {"six-carbon chain in cyclohexane", chain("C", 6), ring("C", 6, false), false, "NO"},
      {"six-carbon chain in hexane", chain("C", 6), chain("C", 6), false, "YES"},
      {"six-carbon chain in octane", chain("C", 6), chain("C", 8), false, "YES"},
      {"C=O exact in C=O", carbonyl, acetate, true, "YES"},
      {"C=O exact in C-O", carbonyl, hydroxyl, true, "NO"},
      {"C=O any in C-O", carbonyl, hydroxyl, false, "YES"},
      {"aromatic exact in Kekule benzene", ring("C", 6, true), ring("C", 6, false), true, "NO"},
      {"aromatic any in Kekule benzene", ring("C", 6, true), ring("C", 6, false), false, "YES"},
      {"Kekule exact in Kekule benzene", ring("C", 6, false), ring("C", 6, false), true, "YES"},
      {"a disconnected query atom", ethaneAndO, ethaneAndO, false, "NO"},
      {"single atom (H-H) without hydrogens", Mol{{"O"}, {}}, water, false, "NO"},
      {"single atom (H-H) in H-H", Mol{{"C"}, {}}, hydrogen, false, "YES"},
      {"two pieces in two molecules", twoEthanes, twoEthanes, false, "YES"},
      // Each piece starts without a closure check, so a second piece may lie
      // next to the first; two pieces never share a target atom.
      {"two pieces side by side", twoEthanes, chain("C", 4), false, "YES"},
      {"two pieces need four atoms", twoEthanes, Mol{{"C", "C", "C", "O"}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}}}, false, "NO"},
      {"two pieces in a longer chain", twoEthanes, chain("C", 5), false, "YES"},
      {"ring query in a chain", ring("C", 6, false), chain("C", 8), false, "NO"},
      {"hydrogens count only when drawn", water, Mol{{"O", "C"}, {{1, 2, 1}}}, false, "NO"},
  };
  Search search;
  for (const auto& c : cases) EXPECT_EQ(search(c.query, c.target, c.exact), c.word) << c.what;
}

TEST(SubstructureMatch, CandidateStackOverflowAndInconsistentTables) {
  // A carbon with n single-bonded carbons around it.
  auto star = [](int n) {
    ConnectionTable t;
    t.N = n + 1;
    for (int i = 1; i <= t.N; ++i) t.Element[static_cast<std::size_t>(i)] = 6;
    for (int i = 1; i <= n; ++i) {
      t.AdjAtom[static_cast<std::size_t>(i)] = i + 1;
      t.AdjBond[static_cast<std::size_t>(i)] = 1;
      t.AdjAtom[static_cast<std::size_t>(n + i)] = 1;
      t.AdjBond[static_cast<std::size_t>(n + i)] = 1;
    }
    t.AdjEnd[1] = n;
    for (int i = 2; i <= t.N; ++i) t.AdjEnd[static_cast<std::size_t>(i)] = n + i - 1;
    t.M = 2 * n;
    return t;
  };
  auto work = std::make_unique<SearchWorkspace>();
  const ConnectionTable target = star(105);
  ASSERT_TRUE(ConnectionTableConsistent(target));
  // Every leaf level stacks all free leaves: 104 + 103 + ... passes 2000 at the 22nd.
  EXPECT_EQ(SubstructureMatch(star(15), target, false, *work), MatchResult::Yes);
  EXPECT_EQ(SubstructureMatch(star(30), target, false, *work), MatchResult::Over);

  // Atom 1 lists atom 2, which does not list it back.
  ConnectionTable lopsided;
  lopsided.N = 3;
  lopsided.M = 3;
  lopsided.Element = {0, 6, 6, 6};
  lopsided.AdjEnd = {0, 1, 2, 3};
  lopsided.AdjAtom = {0, 2, 3, 2};
  lopsided.AdjBond = {0, 1, 1, 1};
  ConnectionTable ethane = star(1);
  EXPECT_EQ(SubstructureMatch(ethane, lopsided, false, *work), MatchResult::Err);
}

TEST(LigandMatches, ClassCodesAndStructureFields) {
  auto mol = std::make_unique<SdfMol>();
  auto work = std::make_unique<SearchWorkspace>();
  EXPECT_TRUE(LigandMatches(*mol, "3", {"13", {}, {}, {}}, false, *work));
  EXPECT_TRUE(LigandMatches(*mol, "3", {" 3", {}, {}, {}}, false, *work));
  EXPECT_FALSE(LigandMatches(*mol, "3", {"4 ", {}, {}, {}}, false, *work));

  ASSERT_TRUE(ReadSdfText(*mol, "q.mol", chain("C", 2).text(), 1, true).ok);
  const Mol propane = chain("C", 3);
  const std::string text = propane.stored();
  EXPECT_TRUE(LigandMatches(*mol, "@", {"", "  3", "  2", text}, false, *work));
  EXPECT_FALSE(LigandMatches(*mol, "@", {"", "  0", "  2", text}, false, *work));
  EXPECT_FALSE(LigandMatches(*mol, "@", {"", "  3", "  0", text}, false, *work));
  EXPECT_FALSE(LigandMatches(*mol, "@", {"", "  3", "  2", text.substr(0, text.find("3,4"))}, false, *work));

  // A single-atom ligand never matches, even the fixed H-H query.
  ASSERT_TRUE(ReadSdfText(*mol, "q.mol", Mol{{"H"}, {}}.text(), 1, true).ok);
  EXPECT_FALSE(LigandMatches(*mol, "@", {"", "  1", "  0", Mol{{"H"}, {}}.stored()}, false, *work));
}

// The structure fields read through the table engine.
TEST(LigandTableFields, LoadsAndSearchesTheLigandTable) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("chemcore-ligands-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string path = (dir / "Ligef32fs.dbf").string();
  {
    xbase::TableCreator c(path, 5);
    ASSERT_TRUE(c.addField("CLASS", 'C', 2));
    ASSERT_TRUE(c.addField("OLDLIGID", 'C', 6));
    ASSERT_TRUE(c.addField("ATOMS", 'N', 3));
    ASSERT_TRUE(c.addField("BONDS", 'N', 3));
    ASSERT_TRUE(c.addField("STRUC", 'M', 10));
    ASSERT_NE(c.finish(), 0) << c.lastError();
    xbase::Table t;
    ASSERT_TRUE(t.open(path, xbase::Share::Exclusive, xbase::Access::ReadWrite)) << t.lastError();
    struct Row {
      const char* cls;
      const char* id;
      Mol mol;
    } rows[] = {{"12", "A1", chain("C", 6)}, {"3", "A2", Mol{}}, {"12", "A3", ring("C", 6, false)}};
    for (const auto& r : rows) {
      ASSERT_TRUE(t.appendBlank());
      t.replace("CLASS", r.cls);
      t.replace("OLDLIGID", r.id);
      t.replace("ATOMS", std::to_string(r.mol.atoms.size()));
      t.replace("BONDS", std::to_string(r.mol.bonds.size()));
      if (!r.mol.atoms.empty()) t.replace("STRUC", r.mol.stored());
      ASSERT_TRUE(t.commit()) << t.lastError();
    }
  }
  xbase::Table t;
  ASSERT_TRUE(t.open(path)) << t.lastError();
  const LigandTableFields fields(t);
  ASSERT_TRUE(fields.hasStructures());
  auto mol = std::make_unique<SdfMol>();
  auto work = std::make_unique<SearchWorkspace>();
  std::vector<std::string> messages;
  const MessageSink sink = [&](std::string_view, std::string_view text) { messages.emplace_back(text); };

  t.first();
  fields.LoadLigandStructure(*mol, sink);
  EXPECT_EQ(mol->CurrentStructure.LoadedLigandId, "A1");
  EXPECT_EQ(mol->CurrentStructure.A, 6);
  EXPECT_FALSE(mol->CurrentStructure.NoStructure);
  t.skip();
  fields.LoadLigandStructure(*mol, sink);
  EXPECT_TRUE(mol->CurrentStructure.NoStructure);
  EXPECT_TRUE(messages.empty());

  // A six-carbon chain: in hexane, not in the ring (induced match).
  ASSERT_TRUE(ReadSdfText(*mol, "q.mol", chain("C", 6).text(), 1, true).ok);
  std::vector<std::string> found, byClass;
  for (t.first(); !t.eof(); t.skip()) {
    if (fields.LigandMatches(*mol, "@", false, *work)) found.push_back(t.field("OLDLIGID"));
    if (fields.LigandMatches(*mol, "2", false, *work)) byClass.push_back(t.field("OLDLIGID"));
  }
  EXPECT_EQ(found, std::vector<std::string>{"A1    "});
  EXPECT_EQ(byClass, (std::vector<std::string>{"A1    ", "A3    "}));
  fs::remove_all(dir);
}
