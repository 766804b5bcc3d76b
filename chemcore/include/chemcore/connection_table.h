// The adjacency form of a structure used by the sub-structure search, and its
// stored text form in the ligand table's STRUC memo.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace chemcore {

inline constexpr int kConnectionCapacity = 210;  // atoms and adjacency entries

// 1-based arrays: the neighbours of atom k are the adjacency entries
// (k == 1 ? 1 : AdjEnd[k-1] + 1) .. AdjEnd[k]. Every bond occurs twice.
struct ConnectionTable {
  std::int32_t N = 0;  // atoms
  std::int32_t M = 0;  // adjacency entries (twice the bonds)
  std::array<std::int32_t, kConnectionCapacity + 1> AdjEnd{};
  std::array<std::int32_t, kConnectionCapacity + 1> AdjAtom{};
  std::array<std::int32_t, kConnectionCapacity + 1> Element{};
  std::array<std::int32_t, kConnectionCapacity + 1> AdjBond{};
};

// One molfile record as its lines: name (header line 1), atom and bond lines as
// they stand (cut at 80 characters).
struct MolRecord {
  std::string name;
  std::vector<std::string> atomLines;
  std::vector<std::string> bondLines;
};

// Splits the text of an SD file (or one molfile) into records. Each record is
// three header lines, the counts line, the atom and bond blocks, then anything
// up to "$$$$" (or the end). Returns false with a message naming the record
// and line on a malformed counts, atom or bond line.
bool splitSdRecords(std::string_view text, std::vector<MolRecord>& records, std::string& error);

// Builds the adjacency of a record: atoms in order (element = ElementTable row
// of the symbol in columns 32-34, 0 when unknown), then for each atom k the
// bonds in stored order, (second atom, type) for bonds starting at k and
// (first atom, type) for bonds ending at k. Fails, with a message, when a
// bond names an atom outside 1..A or the table would exceed its capacity.
bool buildConnectionTable(const MolRecord& record, ConnectionTable& table, std::string& error);

// The stored text of a ligand structure: the atom lines, the bond lines, the
// sizes line "N,M", then the lists AdjEnd, AdjAtom, Element and AdjBond, each
// starting on a new line, ten values a line, every value followed by a comma.
// Lines end in CR LF.
std::string storedStructureText(const MolRecord& record, const ConnectionTable& table);

}  // namespace chemcore
