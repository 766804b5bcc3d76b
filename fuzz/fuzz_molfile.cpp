// The molfile / SD file reader on arbitrary text, followed by everything that
// runs on a structure it accepts: implicit hydrogens, element list, query
// table, coordinate extent and a search of the query in itself. The same
// text also goes through the ligand loader as a STRUC memo.
//
// The first byte selects the record number (1-4), the file or memo rules and
// the loader's atom and bond counts.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "chemcore/sdfmol.h"
#include "chemcore/substructure.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static auto mol = std::make_unique<chemcore::SdfMol>();
  static auto work = std::make_unique<chemcore::SearchWorkspace>();
  const std::uint8_t flags = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const int record = 1 + (flags & 3);
  const bool fromFile = (flags & 4) != 0;

  const chemcore::ReadResult r = chemcore::ReadSdfText(*mol, fromFile ? "Molvane.mol" : "ClipBoard", text, record, fromFile);
  const chemcore::Structure& s = mol->CurrentStructure;
  if (r.ok) {
    if (!chemcore::ConnectionTableConsistent(mol->QueryConnectionTable)) __builtin_trap();
    chemcore::CoordinateExtent(s, 1, s.A);
    chemcore::SubstructureMatch(mol->QueryConnectionTable, mol->QueryConnectionTable, (flags & 8) != 0, *work);
  } else if (s.A != 0 || s.B != 0) {
    __builtin_trap();  // a failed read leaves no atoms or bonds
  }

  // The ligand loader with counts from the flag byte.
  const std::string atoms = std::to_string((flags >> 4) * 3);
  const std::string bonds = std::to_string((flags >> 4) * 2 + (flags & 3));
  mol->CurrentStructure.LoadedLigandId.clear();
  chemcore::LoadLigandStructure(*mol, {"F1", atoms, bonds, text}, {});
  return 0;
}
