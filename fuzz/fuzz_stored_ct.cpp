// The reader of the connection table stored in a ligand's STRUC memo, and the
// search over whatever table it accepts: fixed queries into the table, and
// the table into itself.
//
// The first two bytes are the ATOMS and BONDS values; the rest is the memo.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "chemcore/sdfmol.h"
#include "chemcore/substructure.h"

namespace {

chemcore::ConnectionTable queryOf(const char* molfile) {
  chemcore::SdfMol mol;
  chemcore::ReadSdfText(mol, "q.mol", molfile, 1, true);
  return mol.QueryConnectionTable;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  static auto work = std::make_unique<chemcore::SearchWorkspace>();
  static auto table = std::make_unique<chemcore::ConnectionTable>();
  static const chemcore::ConnectionTable queries[] = {
      queryOf("ring\n\n\n  6  6\n"
              "         0         0         0 C\n         0         0         0 C\n         0         0         0 C\n"
              "         0         0         0 C\n         0         0         0 C\n         0         0         0 C\n"
              "  1  2  4\n  2  3  4\n  3  4  4\n  4  5  4\n  5  6  4\n  6  1  4\n"),
      queryOf("carboxylate\n\n\n  3  2\n"
              "         0         0         0 C\n         0         0         0 O\n         0         0         0 O\n"
              "  1  2  2\n  1  3  1\n"),
      queryOf("single\n\n\n  1  0\n         0         0         0 C\n"),
  };
  const int atoms = data[0];
  const int bonds = data[1];
  const std::string_view struc(reinterpret_cast<const char*>(data + 2), size - 2);
  if (!chemcore::ReadLigandConnectionTable(*table, struc, atoms, bonds)) return 0;
  if (!chemcore::ConnectionTableConsistent(*table)) __builtin_trap();
  for (const auto& q : queries)
    for (bool exact : {false, true}) chemcore::SubstructureMatch(q, *table, exact, *work);
  chemcore::SubstructureMatch(*table, *table, true, *work);
  return 0;
}
