// The molfile reader, the ligand loader, implicit hydrogens, the element list
// and the query connection table.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "chemcore/connection_table.h"
#include "chemcore/sdfmol.h"
#include "mol_text.h"

using namespace chemcore;
using namespace chemcore::testing;

namespace {

std::unique_ptr<SdfMol> read(const std::string& text, ReadResult& r, int record = 1, const char* source = "q.mol") {
  auto mol = std::make_unique<SdfMol>();
  r = ReadSdfText(*mol, source, text, record, true);
  return mol;
}

// C-C-O with the given atom line replacing atom 2 or bond line replacing bond 1.
std::string ethanolWith(const std::string& atom2, const std::string& bond1) {
  return molfile("ethanol", {atom("C"), atom2.empty() ? atom("C") : atom2, atom("O")},
                 {bond1.empty() ? bond(1, 2) : bond1, bond(2, 3)});
}

}  // namespace

TEST(ReadSdfRecord, EveryBadFieldGivesItsCodeMessageAndLine) {
  const std::string goodAtom = atom("C");
  auto withColumns = [&](int first, const std::string& text) {
    std::string l = goodAtom;
    l.replace(static_cast<std::size_t>(first - 1), text.size(), text);
    return l;
  };
  struct Case {
    std::string text;
    int code;
    int line;
    const char* message;
  } cases[] = {
      {header("x") + " x1  2\n", 1, 4, "Incorrect number of atoms: line 4"},
      {header("x") + "  3 -2\n", 2, 4, "Incorrect number of bonds: line 4"},
      {ethanolWith(withColumns(1, "  1.2.3   "), ""), 10, 6, "Incorrect atom coordinate: line 6"},
      {ethanolWith(withColumns(11, "      1e5x"), ""), 10, 6, "Incorrect atom coordinate: line 6"},
      {ethanolWith(withColumns(37, " +x"), ""), 13, 6, "Incorrect mass difference in atom description: line 6"},
      {ethanolWith(withColumns(40, "  p"), ""), 14, 6, "Incorrect atom stereo parity in atom description: line 6"},
      {ethanolWith(withColumns(43, "1-1"), ""), 15, 6, "Incorrect hydrogen count in atom description: line 6"},
      {ethanolWith(withColumns(32, "CL "), ""), 23, 6, "Unknown atom symbol in atom description: line 6"},
      {ethanolWith("", "  a  2  1  0"), 11, 8, "Incorrect atom number in bond description: line 8"},
      {ethanolWith("", "  1  4  1  0"), 11, 8, "Incorrect atom number in bond description: line 8"},
      {ethanolWith("", "  0  2  1  0"), 11, 8, "Incorrect atom number in bond description: line 8"},
      {ethanolWith("", "  1  2  s  0"), 12, 8, "Incorrect bond type in bond description: line 8"},
      {ethanolWith("", "  1  2  1  w"), 21, 8, "Incorrect bond stereo in bond description: line 8"},
      // The file ends inside the atom block: the missing line has no symbol.
      {header("x") + "  3  0\n" + atom("C") + "\n", 23, 6, "Unknown atom symbol in atom description: line 6"},
  };
  for (const auto& c : cases) {
    ReadResult r;
    auto mol = read(c.text, r);
    EXPECT_FALSE(r.ok) << c.message;
    EXPECT_EQ(r.code, c.code) << c.message;
    EXPECT_EQ(r.kind, MessageKind::Error);
    EXPECT_EQ(r.message, c.message);
    EXPECT_EQ(mol->CurrentStructure.A, 0);
    EXPECT_EQ(mol->CurrentStructure.B, 0);
  }
}

TEST(ReadSdfRecord, FieldsAreReadWithEveryBlankRemoved) {
  ReadResult r;
  // Counts "  6  5" and "1 2  0": every blank goes, so the second is 12 atoms.
  std::vector<std::string> six(6, atom("C")), twelve(12, atom("C"));
  std::vector<std::string> five{bond(1, 2), bond(2, 3), bond(3, 4), bond(4, 5), bond(5, 6)};
  auto mol = read(header("hex") + "  6  5\n" + join(six) + join(five), r);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(mol->CurrentStructure.A, 6);
  EXPECT_EQ(mol->CurrentStructure.B, 5);
  mol = read(header("twelve") + "1 2  0\n" + join(twelve), r);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(mol->CurrentStructure.A, 12);

  // " Cl" and "Cl " are chlorine; a line that ends after the symbol reads with
  // charge, parity and hydrogen count 0; hydrogen count 1 is stored as 0.
  std::string shortLine = atom("O").substr(0, 34);
  std::string leading = atom("C");
  leading.replace(31, 3, " Cl");
  mol = read(molfile("x", {atom("Cl"), leading, shortLine}, {bond(1, 3), bond(2, 3)}), r);
  ASSERT_TRUE(r.ok) << r.message;
  const Structure& s = mol->CurrentStructure;
  EXPECT_EQ(s.atoms[1].symbol, "Cl");
  EXPECT_EQ(s.atoms[2].symbol, "Cl");
  EXPECT_EQ(s.atoms[3].symbol, "O");
  EXPECT_EQ(s.atoms[3].charge, 0);
  EXPECT_EQ(s.atoms[3].stereoParity, 0);
  EXPECT_DOUBLE_EQ(s.atoms[1].atomicWeight, 35.453);
  EXPECT_EQ(s.atoms[1].group, 7);
  EXPECT_EQ(s.atoms[4].symbol, "?");  // unused slots

  double x = 0;
  EXPECT_TRUE(FieldReal("-1.2500", x));
  EXPECT_DOUBLE_EQ(x, -1.25);
  EXPECT_FALSE(FieldReal("1,25", x));
  EXPECT_FALSE(FieldReal("nan", x));
  int v = 7;
  EXPECT_TRUE(FieldInteger("", v));
  EXPECT_EQ(v, 0);
  EXPECT_EQ(FieldText("  1 2  3", 1, 6), "12");
}

TEST(ReadSdfRecord, RecordsSourcesAndNames) {
  const std::string two = molfile("first", {atom("C"), atom("O")}, {bond(1, 2, 2)}) + "$$$$\n" +
                          molfile("", {atom("N"), atom("N")}, {bond(1, 2, 3)}) + "$$$$\n";
  ReadResult r;
  auto mol = read(two, r, 2, "/home/u/MOLVANE/q.sdf");
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(mol->CurrentStructure.atoms[1].symbol, "N");
  EXPECT_EQ(mol->CurrentStructure.StructureName, "Molvane struc");

  mol = read(two, r, 3);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.kind, MessageKind::Information);
  EXPECT_EQ(r.message, "Your data are not in this file !");

  mol = read(two, r, 1, "isisdraw.mol");
  EXPECT_EQ(mol->CurrentStructure.StructureName, "first");
  mol = read(molfile("", {atom("C"), atom("O")}, {bond(1, 2)}), r, 1, "IsIs.mol");
  EXPECT_EQ(mol->CurrentStructure.StructureName, "IsisDraw struc");
  mol = read(molfile("", {atom("C"), atom("O")}, {bond(1, 2)}), r, 1, "other.mol");
  EXPECT_EQ(mol->CurrentStructure.StructureName, "");

  // An empty file is an empty structure; a record with no atoms and no bonds
  // is no structure, without a message.
  mol = read("", r);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(mol->CurrentStructure.A, 0);
  mol = read(header("none") + "  0  0\nM  END\n", r);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.message.empty());

  // From a file on disk and from the viewer memo.
  SdfMol fromFile;
  r = ReadSdfRecord(fromFile, CHEMCORE_TEST_DATA "/two_records.sdf", 1);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(fromFile.CurrentStructure.StructureName, "acetate");
  r = ReadSdfRecord(fromFile, CHEMCORE_TEST_DATA "/no_such_file.mol", 1);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.message.empty());
  r = ReadSdfRecord(fromFile, "ClipBoard", 1, "\r\n\r\nStructure from Molvane\r\n" + counts(2, 1) + "\r\n" + atom("C") +
                                                 "\r\n" + atom("N") + "\r\n" + bond(1, 2) + "\r\nM  END\r\n");
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(fromFile.CurrentStructure.atoms[2].symbol, "N");
  EXPECT_EQ(fromFile.QueryConnectionTable.N, 2);
  EXPECT_EQ(fromFile.QueryConnectionTable.Element[2], 7);
}

TEST(ReadSdfRecord, RecordsBeyondTheCapacitiesAreRefused) {
  ReadResult r;
  auto mol = read(header("big") + counts(226, 0) + "\n", r);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "Too many atoms in structure (at most 225): line 4");
  mol = read(header("big") + counts(2, 226) + "\n", r);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "Too many bonds in structure (at most 225): line 4");
  // 106 bonds need 212 adjacency entries: more than the search table holds.
  std::vector<std::string> atoms(107, atom("C")), bonds;
  for (int i = 1; i <= 106; ++i) bonds.push_back(bond(i, i + 1));
  mol = read(molfile("chain", atoms, bonds), r);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("too large"), std::string::npos) << r.message;
  EXPECT_EQ(mol->CurrentStructure.A, 0);
}

TEST(ImplicitHydrogens, CasesOfTheValenceRules) {
  struct Case {
    const char* what;
    std::vector<std::string> atoms;
    std::vector<std::string> bonds;
    std::vector<int> hydrogens;
  } cases[] = {
      {"aromatic benzene", std::vector<std::string>(6, atom("C")),
       {bond(1, 2, 4), bond(2, 3, 4), bond(3, 4, 4), bond(4, 5, 4), bond(5, 6, 4), bond(6, 1, 4)},
       {0, 0, 0, 0, 0, 0}},
      {"Kekule benzene", std::vector<std::string>(6, atom("C")),
       {bond(1, 2, 1), bond(2, 3, 2), bond(3, 4, 1), bond(4, 5, 2), bond(5, 6, 1), bond(6, 1, 2)},
       {1, 1, 1, 1, 1, 1}},
      {"R-NH3+", {atom("C"), atom("N", 3)}, {bond(1, 2)}, {3, 3}},
      {"R-O-", {atom("C"), atom("O", 5)}, {bond(1, 2)}, {3, 0}},
      {"formaldehyde", {atom("C"), atom("O")}, {bond(1, 2, 2)}, {2, 0}},
      {"nitro-like N with five bonds", {atom("N"), atom("O"), atom("O"), atom("C")},
       {bond(1, 2, 2), bond(1, 3, 2), bond(1, 4)}, {0, 0, 0, 3}},
      {"copper amine", {atom("Cu", 2), atom("N"), atom("N")}, {bond(1, 2), bond(1, 3)}, {0, 2, 2}},
      {"carbanion", {atom("C", 5), atom("C")}, {bond(1, 2)}, {2, 3}},
  };
  for (const auto& c : cases) {
    ReadResult r;
    auto mol = read(molfile(c.what, c.atoms, c.bonds), r);
    ASSERT_TRUE(r.ok) << c.what << ": " << r.message;
    for (std::size_t i = 0; i < c.hydrogens.size(); ++i)
      EXPECT_EQ(mol->CurrentStructure.atoms[i + 1].hydrogens, c.hydrogens[i]) << c.what << " atom " << i + 1;
  }
  // A lone neutral O takes its first valence.
  Structure s;
  s.A = 1;
  s.atoms[1].symbol = "O";
  s.atoms[1].valences = {0, 2, 0, 0, 0};
  s.atoms[1].atomicWeight = 15.9994;
  ComputeImplicitHydrogens(s);
  EXPECT_EQ(s.atoms[1].hydrogens, 2);
}

TEST(ElementList, OrderAndMolecularWeight) {
  struct Case {
    const char* what;
    std::vector<std::string> atoms;
    std::vector<std::string> bonds;
    const char* list;
  } cases[] = {
      {"lone O", {atom("O")}, {}, "O1 H2"},
      {"O-Br", {atom("O"), atom("Br")}, {bond(1, 2)}, "O1 Br1 H1"},
      {"ethanol drawn from O", {atom("O"), atom("C"), atom("C")}, {bond(1, 2), bond(2, 3)}, "C2 H6 O1"},
      {"CCl4", {atom("Cl"), atom("C"), atom("Cl"), atom("Cl"), atom("Cl")},
       {bond(1, 2), bond(2, 3), bond(2, 4), bond(2, 5)}, "C1 Cl4"},
      // An unbonded Na takes its valence in hydrogens like any light atom.
      {"glycinate with Na", {atom("Na"), atom("O", 5), atom("C"), atom("C"), atom("N"), atom("O")},
       {bond(2, 3), bond(3, 4), bond(4, 5), bond(3, 6, 2)}, "C2 H5 N1 Na1 O2"},
      // Hydrogen alone: the entry stays in place.
      {"H-H", {atom("H"), atom("H")}, {bond(1, 2)}, "H2"},
      {"H-O-H", {atom("H"), atom("O"), atom("H")}, {bond(1, 2), bond(2, 3)}, "O1 H2"},
  };
  for (const auto& c : cases) {
    ReadResult r;
    auto mol = read(molfile(c.what, c.atoms, c.bonds), r);
    ASSERT_TRUE(r.ok) << c.what << ": " << r.message;
    std::string list;
    for (const auto& e : mol->CurrentStructure.ElementList)
      list += (list.empty() ? "" : " ") + e.symbol + std::to_string(e.count);
    EXPECT_EQ(list, c.list) << c.what;
  }
  ReadResult r;
  auto mol = read(molfile("ethanol", {atom("C"), atom("C"), atom("O")}, {bond(1, 2), bond(2, 3)}), r);
  EXPECT_NEAR(mol->CurrentStructure.MolecularWeight, 2 * 12.011 + 6 * 1.0079 + 15.9994, 1e-9);
}

TEST(QueryConnectionTable, BuiltInAtomThenBondOrderOrTheFixedHydrogenPair) {
  ReadResult r;
  auto mol = read(molfile("glycine", {atom("N"), atom("C"), atom("C"), atom("O"), atom("O")},
                          {bond(1, 2), bond(2, 3), bond(3, 4, 2), bond(3, 5)}),
                  r);
  ASSERT_TRUE(r.ok);
  // The same adjacency as the stored tables of the database.
  MolRecord rec;
  for (int i = 1; i <= 5; ++i) rec.atomLines.push_back(atom(mol->CurrentStructure.atoms[static_cast<std::size_t>(i)].symbol.c_str()));
  rec.bondLines = {bond(1, 2), bond(2, 3), bond(3, 4, 2), bond(3, 5)};
  ConnectionTable stored;
  std::string error;
  ASSERT_TRUE(buildConnectionTable(rec, stored, error));
  const ConnectionTable& q = mol->QueryConnectionTable;
  EXPECT_EQ(q.N, stored.N);
  EXPECT_EQ(q.M, stored.M);
  EXPECT_EQ(q.AdjEnd, stored.AdjEnd);
  EXPECT_EQ(q.AdjAtom, stored.AdjAtom);
  EXPECT_EQ(q.AdjBond, stored.AdjBond);
  EXPECT_EQ(q.Element, stored.Element);

  for (const std::string& text : {molfile("one", {atom("C")}, {}), molfile("two", {atom("C"), atom("O")}, {})}) {
    mol = read(text, r);
    ASSERT_TRUE(r.ok);
    const ConnectionTable& h = mol->QueryConnectionTable;
    EXPECT_EQ(h.N, 2);
    EXPECT_EQ(h.M, 2);
    EXPECT_EQ(h.Element[1], 1);
    EXPECT_EQ(h.Element[2], 1);
    EXPECT_EQ(h.AdjEnd[1], 1);
    EXPECT_EQ(h.AdjEnd[2], 2);
    EXPECT_EQ(h.AdjAtom[1], 2);
    EXPECT_EQ(h.AdjAtom[2], 1);
    EXPECT_EQ(h.AdjBond[1], 1);
    EXPECT_EQ(h.AdjBond[2], 1);
  }
}

TEST(CoordinateExtent, ExtremesOverTheRange) {
  ReadResult r;
  auto mol = read(molfile("x", {atom("C", 0, 1, 1), atom("C", 0, -2, 5), atom("C", 0, 4, -3), atom("C", 0, 9, 9)},
                          {bond(1, 2), bond(2, 3), bond(3, 4)}),
                  r);
  ASSERT_TRUE(r.ok);
  const Extent e = CoordinateExtent(mol->CurrentStructure, 1, 3);
  EXPECT_DOUBLE_EQ(e.minX, -2);
  EXPECT_DOUBLE_EQ(e.maxX, 4);
  EXPECT_DOUBLE_EQ(e.minY, -3);
  EXPECT_DOUBLE_EQ(e.maxY, 5);
  const Extent one = CoordinateExtent(mol->CurrentStructure, 4, 4);
  EXPECT_DOUBLE_EQ(one.minX, 9);
  EXPECT_DOUBLE_EQ(one.maxY, 9);
}

// ---- the ligand table's stored structures ----

namespace {

struct Messages {
  std::vector<std::pair<std::string, std::string>> seen;
  MessageSink sink() {
    return [this](std::string_view caption, std::string_view text) { seen.emplace_back(caption, text); };
  }
};

std::string stored(const std::vector<std::string>& atoms, const std::vector<std::string>& bonds) {
  MolRecord rec;
  rec.atomLines = atoms;
  rec.bondLines = bonds;
  ConnectionTable ct;
  std::string error;
  if (!buildConnectionTable(rec, ct, error)) return {};
  return storedStructureText(rec, ct);
}

}  // namespace

TEST(LoadLigandStructure, LoadsCachesAndSkipsLigandsWithoutAtoms) {
  auto mol = std::make_unique<SdfMol>();
  Messages m;
  const std::string text = stored({atom("C"), atom("C"), atom("O")}, {bond(1, 2), bond(2, 3)});
  LoadLigandStructure(*mol, {"  L12 ", "  3", "  2", text}, m.sink());
  const Structure& s = mol->CurrentStructure;
  EXPECT_TRUE(m.seen.empty());
  EXPECT_FALSE(s.NoStructure);
  EXPECT_EQ(s.LoadedLigandId, "L12");
  EXPECT_EQ(s.A, 3);
  EXPECT_EQ(s.B, 2);
  ASSERT_EQ(s.ElementList.size(), 3u);
  EXPECT_EQ(s.ElementList[1].count, 6);

  // The same ligand again: nothing is parsed, whatever the other fields hold.
  LoadLigandStructure(*mol, {"L12", "  1", "  0", "garbage"}, m.sink());
  EXPECT_EQ(s.A, 3);
  EXPECT_TRUE(m.seen.empty());

  // ATOMS = 0: no structure, BONDS and STRUC are not looked at.
  LoadLigandStructure(*mol, {"L13", "  0", "bad", "bad"}, m.sink());
  EXPECT_TRUE(s.NoStructure);
  EXPECT_EQ(s.A, 0);
  EXPECT_TRUE(m.seen.empty());

  // A cleared cache forces a reload.
  mol->CurrentStructure.LoadedLigandId.clear();
  LoadLigandStructure(*mol, {"L13", "  3", "  2", text}, m.sink());
  EXPECT_FALSE(s.NoStructure);
  EXPECT_EQ(s.A, 3);
}

TEST(LoadLigandStructure, EachBadFieldAndLineIsReported) {
  auto mol = std::make_unique<SdfMol>();
  Messages m;
  std::string badAtom = atom("C");
  badAtom.replace(0, 10, "  1. 2.3  ");  // coordinate: "1.2.3" once the blanks are gone
  badAtom.replace(36, 3, "  x");         // charge
  std::string unknown = atom("C");
  unknown.replace(31, 3, "Xx ");
  const std::string text = atom("C") + "\r\n" + badAtom + "\r\n" + unknown + "\r\n" + bond(1, 2) + "\r\n" +
                           "  2  9  1  0\r\n";
  LoadLigandStructure(*mol, {"L7", "3", "2", text}, m.sink());
  EXPECT_TRUE(mol->CurrentStructure.NoStructure);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Ligand Structure Data", "SDF file read error in text : 1.2.3\r\nIncorrect atom coordinate"},
      {"Ligand Structure Data", "SDF file read error in text : x\r\nIncorrect mass difference in atom description"},
      {"", "SDF File - Error in atom data at line 2 for ligand L7\r\n" + badAtom},
      {"Ligand Structure Data", "SDF file read error in text : Xx\r\nUndefined atom symbol in atom description"},
      {"", "SDF File - Error in atom data at line 3 for ligand L7\r\n" + unknown},
      {"Ligand Structure Data", "SDF file read error in text : 9\r\nIncorrect atom number in bond description"},
      {"", "SDF File - Error in bond data at line 5 for ligand L7\r\n  2  9  1  0"},
  };
  EXPECT_EQ(m.seen, expected);

  // Counts beyond the capacity are refused with a message.
  m.seen.clear();
  LoadLigandStructure(*mol, {"L8", "300", "2", text}, m.sink());
  EXPECT_TRUE(mol->CurrentStructure.NoStructure);
  EXPECT_EQ(mol->CurrentStructure.A, 0);
  ASSERT_EQ(m.seen.size(), 1u);
  EXPECT_NE(m.seen[0].second.find("too large"), std::string::npos);

  // The title window's path: lines already in the line list, A and B set.
  mol->LineList = {atom("N"), atom("C"), bond(1, 2)};
  mol->CurrentStructure.A = 2;
  mol->CurrentStructure.B = 1;
  LoadLigandStructureFromLineList(*mol, m.sink());
  EXPECT_FALSE(mol->CurrentStructure.NoStructure);
  EXPECT_EQ(mol->CurrentStructure.atoms[1].symbol, "N");
  EXPECT_EQ(mol->CurrentStructure.bonds[1].second, 2);
}

TEST(ReadLigandConnectionTable, ReadsWhatTheDatabaseStoresAndRefusesDamage) {
  const std::vector<std::string> atoms{atom("N"), atom("C"), atom("C"), atom("O"), atom("O")};
  const std::vector<std::string> bonds{bond(1, 2), bond(2, 3), bond(3, 4, 2), bond(3, 5)};
  MolRecord rec{"glycine", atoms, bonds};
  ConnectionTable built, read;
  std::string error;
  ASSERT_TRUE(buildConnectionTable(rec, built, error));
  const std::string text = storedStructureText(rec, built);
  ASSERT_TRUE(ReadLigandConnectionTable(read, text, 5, 4));
  EXPECT_EQ(read.N, 5);
  EXPECT_EQ(read.M, 8);
  EXPECT_EQ(read.AdjEnd, built.AdjEnd);
  EXPECT_EQ(read.AdjAtom, built.AdjAtom);
  EXPECT_EQ(read.Element, built.Element);
  EXPECT_EQ(read.AdjBond, built.AdjBond);

  // Eleven atoms: the lists wrap after ten values.
  MolRecord chain{"chain", std::vector<std::string>(11, atom("C")), {}};
  for (int i = 1; i < 11; ++i) chain.bondLines.push_back(bond(i, i + 1));
  ASSERT_TRUE(buildConnectionTable(chain, built, error));
  ASSERT_TRUE(ReadLigandConnectionTable(read, storedStructureText(chain, built), 11, 10));
  EXPECT_EQ(read.AdjEnd[11], 20);
  EXPECT_EQ(read.AdjAtom[20], 10);

  const std::string head = join(atoms) + join(bonds);
  const char* damaged[] = {
      "5 8\r\n",                                                                  // no comma
      "x,8\r\n",                                                                  // N not a number
      "5,8\r\n1,3,6,7,8,\r\n2,1,3,2,4,5,3,y,\r\n7,6,6,8,8,\r\n1,1,1,1,2,1,2,1,\r\n",  // a bad value
      "5,8\r\n1,3,6,7,8,\r\n2,1,3,2,4,5,3,9,\r\n7,6,6,8,8,\r\n1,1,1,1,2,1,2,1,\r\n",  // atom 9 of 5
      "5,8\r\n1,3,9,7,8,\r\n2,1,3,2,4,5,3,3,\r\n7,6,6,8,8,\r\n1,1,1,1,2,1,2,1,\r\n",  // AdjEnd not ascending
      "5,8\r\n1,3,6,7,\r\n",                                                      // lists cut short
      "300,8\r\n",                                                                // beyond the capacity
      "5,-8\r\n",
  };
  for (const char* tail : damaged) EXPECT_FALSE(ReadLigandConnectionTable(read, head + tail, 5, 4)) << tail;
}
