#include "chemcore/ligand_table.h"

#include "xbase/table.h"

namespace chemcore {

namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

LigandTableFields::LigandTableFields(const xbase::Table& table)
    : table_(table),
      atoms_(table.fieldPos("ATOMS")),
      bonds_(table.fieldPos("BONDS")),
      struc_(table.fieldPos("STRUC")),
      oldLigId_(table.fieldPos("OLDLIGID")),
      class_(table.fieldPos("CLASS")) {}

void LigandTableFields::LoadLigandStructure(SdfMol& mol, const MessageSink& sink) const {
  if (!hasStructures() || table_.eof()) {
    mol.CurrentStructure.A = 0;
    mol.CurrentStructure.B = 0;
    mol.CurrentStructure.NoStructure = true;
    return;
  }
  const std::string id(trimmed(table_.rawField(oldLigId_)));
  if (!id.empty() && id == mol.CurrentStructure.LoadedLigandId) return;
  const std::string atoms(table_.rawField(atoms_));
  int a = 0;
  if (!FieldInteger(trimmed(atoms), a) || a <= 0) {
    chemcore::LoadLigandStructure(mol, {id, atoms, {}, {}}, sink);
    return;
  }
  const std::string bonds(table_.rawField(bonds_));
  const std::string struc = table_.field(struc_);
  chemcore::LoadLigandStructure(mol, {id, atoms, bonds, struc}, sink);
}

bool LigandTableFields::ReadLigandConnectionTable(SdfMol& mol) const {
  if (!hasStructures() || table_.eof()) return false;
  int a = 0, b = 0;
  if (!FieldInteger(trimmed(table_.rawField(atoms_)), a) || !FieldInteger(trimmed(table_.rawField(bonds_)), b))
    return false;
  return chemcore::ReadLigandConnectionTable(mol.LigandConnectionTable, table_.memoText(struc_), a, b);
}

bool LigandTableFields::LigandMatches(SdfMol& mol, std::string_view key, bool exactBonds,
                                      SearchWorkspace& work) const {
  if (table_.eof()) return false;
  if (key != "@") {
    if (!class_) return false;
    return chemcore::LigandMatches(mol, key, {table_.rawField(class_), {}, {}, {}}, exactBonds, work);
  }
  if (!hasStructures()) return false;
  const std::string_view atoms = table_.rawField(atoms_);
  const std::string_view bonds = table_.rawField(bonds_);
  int a = 0, b = 0;
  // The cheap rejections before the memo is read.
  if (!FieldInteger(trimmed(atoms), a) || !FieldInteger(trimmed(bonds), b) || a <= 0 || b <= 0) return false;
  return chemcore::LigandMatches(mol, key, {{}, atoms, bonds, table_.memoText(struc_)}, exactBonds, work);
}

}  // namespace chemcore
