#!/usr/bin/python3
"""Regenerate ligands.sdf from ligands.tsv (development-time helper).

Run with Debian's interpreter, which has python3-rdkit:

    /usr/bin/python3 data/demo/tools/make_structures.py

For every row of ligands.tsv (in file order) the SMILES is parsed, the
empirical formula in the empform column is checked against the structure
(Hill order: C, H, then alphabetical; without carbon all alphabetical;
a charge is not part of the formula), 2-D coordinates are computed and one
MDL V2000 molfile record is written: line 1 = the ligand key, Kekule bonds,
no explicit hydrogens.  Exits non-zero when a formula disagrees.
"""
import os
import sys
from collections import Counter

from rdkit import Chem
from rdkit.Chem import rdDepictor, rdMolDescriptors

HERE = os.path.dirname(os.path.abspath(__file__))
DEMO = os.path.dirname(HERE)


def hill_formula(mol):
    counts = Counter()
    for atom in mol.GetAtoms():
        counts[atom.GetSymbol()] += 1
        counts["H"] += atom.GetTotalNumHs()
    if counts["H"] == 0:
        del counts["H"]
    if "C" in counts:
        order = ["C"] + (["H"] if "H" in counts else []) + sorted(
            e for e in counts if e not in ("C", "H"))
    else:
        order = sorted(counts)
    return "".join(e + (str(counts[e]) if counts[e] > 1 else "") for e in order)


def rdkit_formula(mol):
    """RDKit's own formula without a trailing charge."""
    f = rdMolDescriptors.CalcMolFormula(mol)
    return f.rstrip("+-0123456789") if f[-1] in "+-" else f


CHARGE_CODE = {3: 1, 2: 2, 1: 3, -1: 5, -2: 6, -3: 7}


def with_atom_line_charges(mol, block):
    """Also write a formal charge as the old-style code in columns 37-39 of the
    atom line (RDKit puts it only in an "M  CHG" line), so that readers which
    look only at the atom block see it too."""
    lines = block.split("\n")
    for atom in mol.GetAtoms():
        q = atom.GetFormalCharge()
        if q:
            i = 4 + atom.GetIdx()
            line = lines[i]
            lines[i] = line[:36] + "%3d" % CHARGE_CODE[q] + line[39:]
    return "\n".join(lines)


def main():
    tsv = os.path.join(DEMO, "ligands.tsv")
    sdf = os.path.join(DEMO, "ligands.sdf")
    with open(tsv, encoding="utf-8") as fh:
        lines = fh.read().splitlines()
    header = lines[0].split("\t")
    col = {name: i for i, name in enumerate(header)}
    errors = 0
    records = []
    for n, line in enumerate(lines[1:], start=2):
        row = line.split("\t")
        key, smiles, empform = row[col["key"]], row[col["smiles"]], row[col["empform"]]
        mol = Chem.MolFromSmiles(smiles)
        if mol is None:
            print(f"line {n}: {key}: SMILES not readable: {smiles}")
            errors += 1
            continue
        hill = hill_formula(mol)
        # same composition as RDKit's formula (RDKit puts H first when there is no C)
        if sorted(hill) != sorted(rdkit_formula(mol)) and Counter(hill) != Counter(rdkit_formula(mol)):
            print(f"line {n}: {key}: internal formula mismatch {hill} / {rdkit_formula(mol)}")
            errors += 1
        if empform != hill:
            print(f"line {n}: {key}: empform {empform} but structure gives {hill}")
            errors += 1
        rdDepictor.Compute2DCoords(mol)
        Chem.Kekulize(mol, clearAromaticFlags=True)
        if mol.GetNumAtoms() > 200 or mol.GetNumBonds() > 200:
            print(f"line {n}: {key}: too many atoms or bonds")
            errors += 1
        mol.SetProp("_Name", key)
        block = with_atom_line_charges(mol, Chem.MolToMolBlock(mol, kekulize=True, forceV3000=False))
        records.append(block.rstrip("\n") + "\n$$$$\n")
    if errors:
        print(f"{errors} error(s); ligands.sdf not written")
        return 1
    with open(sdf, "w", encoding="ascii", newline="\n") as fh:
        fh.write("".join(records))
    print(f"wrote {len(records)} structures to {sdf}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
