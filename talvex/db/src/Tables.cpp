#include "talvex/db/Tables.h"

#include <cstdio>

namespace talvex::db {

namespace {
const EditionInfo kFull{"OrvaleQuery", "5.4", "Orvale", 'f'};
const EditionInfo kMini{"Talvex", "5.14", "Mini-Orvale", 'm'};

xbase::FieldDef C(const char* name, int width) { return {name, 'C', width, 0}; }
xbase::FieldDef N(const char* name, int width, int decimals = 0) { return {name, 'N', width, decimals}; }
xbase::FieldDef L(const char* name) { return {name, 'L', 1, 0}; }

std::string rightJustified(int value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%*d", width, value);
  return buf;
}
}  // namespace

const EditionInfo& editionInfo(Edition e) { return e == Edition::Full ? kFull : kMini; }

std::string experimentTableFile(Edition e) { return std::string("Expt32") + editionInfo(e).suffix + ".dbf"; }

std::string ligandTableFile(Edition e, bool withStructures) {
  return std::string("Ligef32") + editionInfo(e).suffix + (withStructures ? "s" : "") + ".dbf";
}

std::string metalTableFile(Edition e) { return std::string("Metal32") + editionInfo(e).suffix + ".dbf"; }

std::vector<xbase::FieldDef> experimentFields(Edition e) {
  const bool full = e == Edition::Full;
  std::vector<xbase::FieldDef> f{C("LIGANDID", kLigandIdWidth), C("METALNUM", kMetalNumWidth)};
  if (full) {
    f.insert(f.end(), {C("REFYR", 4), C("REFIN", 3), C("METHOD", 1), C("MEDIUM", 1)});
  } else {
    f.push_back(C("MEDIUM", 6));
  }
  f.insert(f.end(), {C("TEMP", 5), C("CONC", 6)});
  if (full) f.push_back(C("CALIB", 1));
  f.insert(f.end(), {C("K1VAL", 6), C("K2VAL", 6), C("B2VAL", 6), C("BETA1", 30), C("BETA2", 30),
                     C("BETA3", 30), C("BETA4", 30), C("COMM1", 76)});
  if (full) {
    f.insert(f.end(), {C("COMM2", 76), L("IFLAG1"), L("IFLAG2"), L("IFLAG3"), L("IFLAG4"), C("IUPAC", 1)});
  }
  return f;
}

std::vector<xbase::FieldDef> ligandFields(bool withStructures) {
  std::vector<xbase::FieldDef> f;
  if (!withStructures) f.push_back(N("LIGNUM", 5));
  f.insert(f.end(), {C("EMPFORM", 30), C("FULL_NAME", kFullNameWidth), C("SH_NAME", 20), C("CAS_NO", kCasWidth),
                     C("CLASS", 2), N("COUNT_H", 5), N("COUNT_O", 5), C("OLDLIGID", 6), C("LGUCNM", 60),
                     C("LGUCSN", 20)});
  if (withStructures) f.insert(f.end(), {N("ATOMS", 3), N("BONDS", 3), {"STRUC", 'M', 10, 0}});
  return f;
}

std::vector<xbase::FieldDef> metalFields() { return {C("MCODE", 2), C("MFORM", 20), N("COUNT_M", 5)}; }

std::vector<xbase::FieldDef> referenceFields() {
  return {C("SHRFYR", 4), C("SHRFIN", 3), C("JOURNL", 40), C("AUTHOR", 100)};
}

std::vector<xbase::FieldDef> authorFields() {
  return {C("AUTH_NAM", 30), N("AUTH_CNT", 4), C("AUTH_LIST", 2 * kShortRefWidth), N("AUTH_NUM", 6)};
}

std::vector<xbase::FieldDef> authorRefFields() { return {C("AUTH_LIST", kAuthorRefListWidth)}; }

std::vector<xbase::FieldDef> crossRefFields() {
  return {C("LIG_HIT", kLigandIdWidth), C("MET_HIT", kMetalNumWidth), N("COUNT_LM", 5)};
}

std::vector<xbase::FieldDef> publicationsFields() {
  return {C("JOURNL", 40), N("J_COUNT", 4), N("FROM", 4), N("TO", 4)};
}

int ligandFieldShift(bool structuresAvailable) { return structuresAvailable ? -1 : 0; }

int ligandFieldPosition(LigandField f, int shift) { return 2 + static_cast<int>(f) + shift; }

std::string ligandKey(int ligandNumber) { return rightJustified(ligandNumber, kLigandIdWidth); }
std::string metalKey(int metalNumber) { return rightJustified(metalNumber, kMetalNumWidth); }

}  // namespace talvex::db
