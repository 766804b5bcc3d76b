// The tables and fields of the query program's database, for both editions.
//
// The edition is fixed per executable but passed around as a value, so that
// one test binary can run both editions.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "xbase/table.h"

namespace talvex::db {

enum class Edition { Full, Mini };

struct EditionInfo {
  const char* programName;   // "OrvaleQuery" / "Talvex": also the database folder's name
  const char* version;       // software version
  const char* databaseName;  // "Orvale" / "Mini-Orvale"
  char suffix;               // 'f' / 'm': the last letter of the edition's table names
};
const EditionInfo& editionInfo(Edition e);

// Table file names as the program opens them (case does not matter on disk).
std::string experimentTableFile(Edition e);                       // "Expt32f.dbf"
std::string ligandTableFile(Edition e, bool withStructures);      // "Ligef32fs.dbf" / "Ligef32f.dbf"
std::string metalTableFile(Edition e);                            // "Metal32f.dbf"
inline constexpr const char* kReferenceTableFile = "Rref_Win.dbf";
inline constexpr const char* kAuthorTableFile = "Auth_Win.dbf";
inline constexpr const char* kAuthorRefTableFile = "Auth_Ref.dbf";
inline constexpr const char* kCrossRefTableFile = "XRefLgMt.dbf";
inline constexpr const char* kFullCrossRefTableFile = "XRefLM_f.dbf";   // mini edition only
inline constexpr const char* kFullCrossRefIndexFile = "indxlm_f.nsx";   // ships with the mini database
inline constexpr const char* kPublicationsTableFile = "Publications.dbf";

// Field layouts. The makers of databases use them; the program only relies on
// the field names (and, for the ligand table, on the positions below).
std::vector<xbase::FieldDef> experimentFields(Edition e);
std::vector<xbase::FieldDef> ligandFields(bool withStructures);
std::vector<xbase::FieldDef> metalFields();
std::vector<xbase::FieldDef> referenceFields();
std::vector<xbase::FieldDef> authorFields();
std::vector<xbase::FieldDef> authorRefFields();
std::vector<xbase::FieldDef> crossRefFields();
std::vector<xbase::FieldDef> publicationsFields();

// The structure-bearing ligand table has every field one position earlier
// than the plain one (it lacks the plain table's leading LIGNUM field): the
// shift is -1 with structures, 0 without.
int ligandFieldShift(bool structuresAvailable);
// Position (from 1) of a ligand field in the plain table; add the shift.
enum class LigandField { EmpForm, FullName, ShortName, CasNo, Class, CountH, CountO, OldLigId, UcName, UcShortName };
int ligandFieldPosition(LigandField f, int shift);

// Widths the program relies on when it builds keys.
inline constexpr int kLigandIdWidth = 4;   // LIGANDID, LIG_HIT
inline constexpr int kMetalNumWidth = 3;   // METALNUM, MET_HIT
inline constexpr int kFullNameWidth = 100; // FULL_NAME: the acid form ("H2L") in its last three characters
inline constexpr int kCasWidth = 11;       // CAS_NO, right-justified
inline constexpr int kShortRefWidth = 7;   // year + initials in author lists
inline constexpr int kAuthorRefListWidth = 252;  // 36 short references per continuation record

// Right-justified key texts.
std::string ligandKey(int ligandNumber);   // "  12"
std::string metalKey(int metalNumber);     // " 10"

}  // namespace talvex::db
