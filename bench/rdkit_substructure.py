"""RDKit's sub-structure test over the ligands of a database made by
"orvale makedb", for comparison with bench_substructure.

The molecules are built from the atom and bond lines stored in the STRUC memo
of the ligand table and parsed once; only the HasSubstructMatch loop is timed.
The queries match element and connectivity with any bond type, like the
search's default; RDKit's match is not induced, so its counts may be higher.

    /usr/bin/python3 bench/rdkit_substructure.py DATABASE_FOLDER
"""
import sys
import time
from pathlib import Path

from dbfread import DBF
from rdkit import Chem, RDLogger

QUERIES = {
    "benzene": "[#6]~1~[#6]~[#6]~[#6]~[#6]~[#6]~1",
    "carboxylate": "[#8]~[#6]~[#8]",
    "ethylenediamine": "[#7]~[#6]~[#6]~[#7]",
}


def ligand_table(folder):
    for p in Path(folder).iterdir():
        if p.name.lower() in ("ligef32fs.dbf", "ligef32ms.dbf"):
            return p
    sys.exit(f"no ligand table with structures in {folder}")


def molecules(table):
    mols = []
    for rec in DBF(str(table), encoding="cp1252", char_decode_errors="replace"):
        a, b = int(rec["ATOMS"] or 0), int(rec["BONDS"] or 0)
        if a == 0:
            continue
        lines = (rec["STRUC"] or "").replace("\r", "").split("\n")
        block = "\n\n\n%3d%3d  0  0  0  0  0  0  0  0999 V2000\n" % (a, b)
        block += "\n".join(lines[: a + b]) + "\nM  END\n"
        m = Chem.MolFromMolBlock(block, sanitize=False, removeHs=False)
        if m is None:
            continue
        m.UpdatePropertyCache(strict=False)
        Chem.FastFindRings(m)
        mols.append(m)
    return mols


def main():
    RDLogger.DisableLog("rdApp.*")
    folder = sys.argv[1] if len(sys.argv) > 1 else "/tmp/orvale-bench-seed1/OrvaleQuery"
    mols = molecules(ligand_table(folder))
    print(f"RDKit {Chem.rdBase.rdkitVersion}: {len(mols)} molecules parsed in memory")
    for name, smarts in QUERIES.items():
        q = Chem.MolFromSmarts(smarts)
        best = float("inf")
        for _ in range(5):
            t0 = time.perf_counter()
            found = sum(1 for m in mols if m.HasSubstructMatch(q))
            best = min(best, time.perf_counter() - t0)
        print(f"RDKit HasSubstructMatch {name:16s} {best * 1000:8.2f} ms  matches={found}")


if __name__ == "__main__":
    main()
