#include <gtest/gtest.h>

#include "talvex/db/Tables.h"
#include "talvex/db/Vocabularies.h"

using namespace talvex::db;

TEST(Editions, FileNamesAndProgramNames) {
  EXPECT_STREQ(editionInfo(Edition::Full).programName, "OrvaleQuery");
  EXPECT_STREQ(editionInfo(Edition::Full).version, "5.4");
  EXPECT_STREQ(editionInfo(Edition::Mini).programName, "Talvex");
  EXPECT_STREQ(editionInfo(Edition::Mini).version, "5.14");
  EXPECT_EQ(experimentTableFile(Edition::Full), "Expt32f.dbf");
  EXPECT_EQ(experimentTableFile(Edition::Mini), "Expt32m.dbf");
  EXPECT_EQ(ligandTableFile(Edition::Full, true), "Ligef32fs.dbf");
  EXPECT_EQ(ligandTableFile(Edition::Mini, false), "Ligef32m.dbf");
  EXPECT_EQ(metalTableFile(Edition::Mini), "Metal32m.dbf");
}

// The same description reaches the same field in both ligand tables.
TEST(LigandTable, FieldShiftReachesTheSameField) {
  const auto plain = ligandFields(false);
  const auto withStructures = ligandFields(true);
  const std::pair<LigandField, const char*> cases[] = {
      {LigandField::EmpForm, "EMPFORM"}, {LigandField::FullName, "FULL_NAME"}, {LigandField::ShortName, "SH_NAME"},
      {LigandField::CasNo, "CAS_NO"},    {LigandField::Class, "CLASS"},        {LigandField::UcShortName, "LGUCSN"}};
  for (const auto& [f, name] : cases) {
    EXPECT_EQ(plain[ligandFieldPosition(f, ligandFieldShift(false)) - 1].name, name);
    EXPECT_EQ(withStructures[ligandFieldPosition(f, ligandFieldShift(true)) - 1].name, name);
  }
  EXPECT_EQ(withStructures.back().type, 'M');
}

TEST(ExperimentTable, EditionsDifferInTheirFields) {
  const auto has = [](const std::vector<xbase::FieldDef>& f, const char* name) {
    for (const auto& d : f)
      if (d.name == name) return d.width;
    return 0;
  };
  const auto full = experimentFields(Edition::Full), mini = experimentFields(Edition::Mini);
  EXPECT_EQ(has(full, "MEDIUM"), 1);
  EXPECT_EQ(has(mini, "MEDIUM"), 6);
  for (const char* fullOnly : {"REFYR", "REFIN", "METHOD", "CALIB", "COMM2", "IFLAG1", "IFLAG4", "IUPAC"}) {
    EXPECT_GT(has(full, fullOnly), 0) << fullOnly;
    EXPECT_EQ(has(mini, fullOnly), 0) << fullOnly;
  }
  EXPECT_EQ(has(full, "LIGANDID"), 4);
  EXPECT_EQ(has(mini, "METALNUM"), 3);
}

TEST(Keys, RightJustified) {
  EXPECT_EQ(ligandKey(12), "  12");
  EXPECT_EQ(ligandKey(1499), "1499");
  EXPECT_EQ(metalKey(0), "  0");
  EXPECT_EQ(metalKey(10), " 10");
}

TEST(Vocabularies, PaddedCodeTables) {
  for (const auto& m : methodCodes()) EXPECT_EQ(m.size(), 27u) << m;
  for (const auto& m : mediumCodes()) EXPECT_EQ(m.size(), 32u) << m;
  EXPECT_EQ(methodCodes()[1].substr(0, 3), "gl ");
  EXPECT_EQ(methodCodes()[13].substr(0, 3), "oth");
  EXPECT_EQ(mediumCodes()[5].substr(0, 6), "NaClO4");
  EXPECT_EQ(mediumCodes()[13].substr(0, 6), "a     ");
  EXPECT_EQ(monthNames()[0], " January");
  EXPECT_EQ(monthNames()[11], " December");
  EXPECT_EQ(dayNames()[0], "Sunday");
  EXPECT_EQ(dataFlagCodes()[3].substr(0, 4), "MMAB");
  EXPECT_EQ(evaluationCodes()[8], "RRec IUP=Recommended");
}

TEST(Vocabularies, MethodAndMediumCodesOfBothEditions) {
  EXPECT_EQ(methodLetter(1), 'A');
  EXPECT_EQ(methodLetter(13), 'M');
  EXPECT_EQ(methodEntry('M'), 13);
  EXPECT_EQ(methodEntry('N'), 0);
  EXPECT_EQ(mediumValue(Edition::Full, 1), "A");
  EXPECT_EQ(mediumValue(Edition::Mini, 1), "KCl   ");
  EXPECT_EQ(mediumValue(Edition::Mini, 12), "non-aq");
  EXPECT_EQ(mediumEntry(Edition::Mini, "NaClO4"), 5);
  EXPECT_EQ(mediumEntry(Edition::Mini, "KCl"), 1);
  EXPECT_EQ(mediumEntry(Edition::Full, "L"), 12);
}

TEST(Vocabularies, AqueousMedia) {
  struct Case { Edition e; const char* stored; bool aqueous; };
  const Case cases[] = {
      {Edition::Full, "A", true},       {Edition::Full, "H", true},      {Edition::Full, "I", false},
      {Edition::Full, "L", false},      {Edition::Full, "", false},      {Edition::Mini, "KCl   ", true},
      {Edition::Mini, "oth/un", true},  {Edition::Mini, "      ", true}, {Edition::Mini, "none  ", false},
      {Edition::Mini, "diox/w", false}, {Edition::Mini, "NaClO4", true},
  };
  for (const auto& c : cases) EXPECT_EQ(isAqueousMedium(c.e, c.stored), c.aqueous) << c.stored;
}
