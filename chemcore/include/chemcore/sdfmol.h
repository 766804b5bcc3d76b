// SDFMOL: the structure record and everything that fills it — the molfile / SD
// file reader, the ligand table's stored structures, implicit hydrogens, the
// element list with the molecular weight, and the query connection table.
//
// Engines show no dialogs: a failing read returns its message text, and the
// ligand loader hands its messages to a callback; the caller shows them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "chemcore/connection_table.h"

namespace chemcore {

inline constexpr int kMaxAtoms = 225;
inline constexpr int kMaxBonds = 225;

struct StructureAtom {
  double X = 0;
  double Y = 0;
  std::string symbol = "?";             // at most 3 characters; "?" when the slot is not in use
  std::uint8_t charge = 0;              // molfile charge code: 1 = +3, 2 = +2, 3 = +1, 4 doublet radical, 5 = -1, 6 = -2, 7 = -3
  std::uint8_t stereoParity = 0;        // as read
  std::uint8_t hydrogens = 0;           // implicit hydrogens, computed after every successful read
  std::array<std::uint8_t, 5> valences{};  // copied from the element's ElementTable row
  std::uint8_t group = 0;
  double atomicWeight = 0;
  std::uint8_t bondOrderSum = 0;        // work value of ComputeImplicitHydrogens
};

struct StructureBond {
  std::uint16_t first = 0;   // atom numbers 1..A
  std::uint16_t second = 0;
  std::uint8_t type = 0;     // 1 single, 2 double, 3 triple, 4 aromatic, 5-7 query types, 8 any
  std::uint8_t stereo = 0;   // 0 none, 1 wedge, 4 either, 6 hash; double bonds: 3 cis/trans either
};

struct ElementCount {
  std::string symbol;  // at most 2 characters
  std::int16_t count = 0;
};

// One structure: the query structure read from a molfile, or a ligand's stored
// structure loaded for display. Atoms and bonds are 1-based.
struct Structure {
  std::uint16_t A = 0;  // atoms
  std::uint16_t B = 0;  // bonds
  std::array<StructureAtom, kMaxAtoms + 1> atoms{};
  std::array<StructureBond, kMaxBonds + 1> bonds{};
  std::string StructureName;
  std::vector<ElementCount> ElementList;  // display order (see BuildElementList)
  double MolecularWeight = 0;
  bool NoStructure = false;    // the current ligand has no usable stored structure
  std::string LoadedLigandId;  // trimmed OLDLIGID of the loaded ligand; empty: nothing cached

  // Every atom and bond slot back to its empty state; A = B = 0.
  void clearSlots();
};

// The module state the programs hold once: the current structure, the query
// table of the last molfile read (it survives later ligand loads), the target
// table of the ligand being searched, and the line list of the ligand loader.
struct SdfMol {
  Structure CurrentStructure;
  ConnectionTable QueryConnectionTable;
  ConnectionTable LigandConnectionTable;
  std::vector<std::string> LineList;
};

// The reader's message for codes 1..23 ("" for any other code). The codes are
// shared by the query program's and the structure editor's readers.
std::string_view ReaderMessage(int code);

enum class MessageKind { None, Error, Information };

struct ReadResult {
  bool ok = false;
  int code = 0;          // reader code 1..23; 0 when none applies
  int line = 0;          // lines consumed when the read stopped
  MessageKind kind = MessageKind::None;
  std::string message;   // for the caller's message box; empty when nothing is to be shown
};

// Source name of the structure viewer's memo (the editor's clipboard hand-off).
inline constexpr std::string_view kClipBoardSource = "ClipBoard";

// Reads record recordNumber (from 1) of a molfile or SD file into
// CurrentStructure; on success the element list, the molecular weight and the
// QueryConnectionTable are rebuilt too. sourceName is a file path, or
// "ClipBoard" to read memoText (the viewer memo's lines) instead.
ReadResult ReadSdfRecord(SdfMol& mol, std::string_view sourceName, int recordNumber, std::string_view memoText = {});

// The reader over text already in memory. fromFile selects the file rules
// (an empty file reads as an empty structure); sourceName only names the
// structure when its header line is empty.
ReadResult ReadSdfText(SdfMol& mol, std::string_view sourceName, std::string_view text, int recordNumber,
                       bool fromFile);

// Messages of the ligand loader: a caption (may be empty) and the text.
using MessageSink = std::function<void(std::string_view caption, std::string_view text)>;
inline constexpr std::string_view kLigandStructureCaption = "Ligand Structure Data";

// The fields of one ligand record that hold its structure, as text.
struct LigandStructureFields {
  std::string_view oldLigId;  // OLDLIGID
  std::string_view atoms;     // ATOMS
  std::string_view bonds;     // BONDS
  std::string_view struc;     // STRUC memo
};

// Loads a ligand's stored structure for display. Returns at once when the
// trimmed OLDLIGID equals LoadedLigandId. ATOMS = 0 sets NoStructure without
// looking at BONDS or STRUC. A bad field or line is reported through sink
// (may be empty) and makes NoStructure true; otherwise the element list is
// rebuilt. The lines of STRUC are kept in LineList.
void LoadLigandStructure(SdfMol& mol, const LigandStructureFields& fields, const MessageSink& sink);

// The same parsing without a table: the lines already in LineList, with A and
// B already set in CurrentStructure (the title window's built-in molecule).
// The element list is not rebuilt.
void LoadLigandStructureFromLineList(SdfMol& mol, const MessageSink& sink);

// Reads the connection-table section of a ligand's STRUC text (after atomCount
// atom lines and bondCount bond lines) into table. False when the sizes or any
// value are not integers, or when the table is not a consistent adjacency
// within the capacity (the search would otherwise index outside it).
bool ReadLigandConnectionTable(ConnectionTable& table, std::string_view struc, int atomCount, int bondCount);
// The same, stopping with false as soon as the sizes line shows fewer than
// minAtoms atoms or minEntries adjacency entries (a table that cannot hold
// the query is not read further).
bool ReadLigandConnectionTableAtLeast(ConnectionTable& table, std::string_view struc, int atomCount, int bondCount,
                                      int minAtoms, int minEntries);
// The reading a sub-structure search does for each ligand: stops with false
// as soon as the table cannot hold the query, by its sizes or because it has
// fewer atoms of some element than the query (the element list is read
// before the neighbour lists).
bool ReadLigandConnectionTableFor(const ConnectionTable& query, ConnectionTable& table, std::string_view struc,
                                  int atomCount, int bondCount);
// Matched atoms carry equal elements: false when the target holds fewer atoms
// of some element than the query.
bool EnoughOfEachElement(const ConnectionTable& query, const ConnectionTable& target);
// The number of independent rings: bonds - atoms + pieces. A structure can
// only contain a query whose number is not larger.
int CycleRank(const ConnectionTable& table);

// True when table is a consistent adjacency: 0 <= N, M <= capacity, AdjEnd
// non-decreasing up to AdjEnd[N] = M, every AdjAtom within 1..N.
bool ConnectionTableConsistent(const ConnectionTable& table);

void ComputeImplicitHydrogens(Structure& s);
void BuildElementList(Structure& s);  // runs ComputeImplicitHydrogens first

// Builds the query table from the structure; a single atom or a structure
// without bonds becomes the fixed H-H query. False (table left cleared) when
// the structure exceeds the table's capacity or a bond names an atom outside
// 1..A.
bool BuildQueryConnectionTable(const Structure& s, ConnectionTable& query);

struct Extent {
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
};
// The extremes of X and Y over atoms first..last (clamped to the slots).
Extent CoordinateExtent(const Structure& s, int firstAtom, int lastAtom);

// Field conversion of the molfile columns: columns first..first+count-1
// (1-based; fewer when the line is shorter) with every blank removed.
std::string FieldText(std::string_view line, int first, int count);
// An empty text gives 0; otherwise the whole text must be an integer / a
// decimal number with "." as separator.
bool FieldInteger(std::string_view text, int& value);
bool FieldReal(std::string_view text, double& value);

}  // namespace chemcore
