// The ligand table side of the structure code: reads the structure fields of
// the current record of the ligand table (OLDLIGID, ATOMS, BONDS, STRUC,
// CLASS) through the table engine and hands them to the parsers.
#pragma once

#include <string>
#include <string_view>

#include "chemcore/sdfmol.h"
#include "chemcore/substructure.h"

namespace xbase {
class Table;
}

namespace chemcore {

// Field positions of one open ligand table, looked up once.
class LigandTableFields {
 public:
  explicit LigandTableFields(const xbase::Table& table);
  // The table has the structure fields ATOMS, BONDS, STRUC and OLDLIGID.
  bool hasStructures() const { return atoms_ && bonds_ && struc_ && oldLigId_; }

  // LoadLigandStructure with reload true: OLDLIGID is compared with
  // LoadedLigandId before any other field is read; ATOMS = 0 leaves BONDS and
  // STRUC unread.
  void LoadLigandStructure(SdfMol& mol, const MessageSink& sink) const;
  // Reads the current record's stored connection table into
  // mol.LigandConnectionTable.
  bool ReadLigandConnectionTable(SdfMol& mol) const;
  // The per-ligand test of the ligand search on the current record.
  bool LigandMatches(SdfMol& mol, std::string_view key, bool exactBonds, SearchWorkspace& work) const;

 private:
  const xbase::Table& table_;
  int atoms_ = 0, bonds_ = 0, struc_ = 0, oldLigId_ = 0, class_ = 0;
};

}  // namespace chemcore
