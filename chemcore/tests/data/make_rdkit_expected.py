"""Writes rdkit_expected.tsv: atom and bond counts, element list and molecular
weight that RDKit (Debian's python3-rdkit) gives for molecules of the SD files
shipped by Debian's rdkit-data package. Only molecules on which RDKit's
chemistry and the element list's agree are kept: neutral, no radicals or
isotopes, Kekule bonds (types 1-3), common elements at their usual valence.

    /usr/bin/python3 chemcore/tests/data/make_rdkit_expected.py > chemcore/tests/data/rdkit_expected.tsv
"""
from rdkit import Chem, RDLogger
from rdkit.Chem import Descriptors

ROOT = "/usr/share/RDKit/"
FILES = [
    "Projects/DbCLI/testData/bzr.sdf",
    "Data/NCI/first_200.props.sdf",
    "Contrib/Fastcluster/testdata/cdk2.sdf",
]
USUAL = {"C": 4, "N": 3, "O": 2, "S": 2, "P": 3, "F": 1, "Cl": 1, "Br": 1, "I": 1, "H": 1}
PER_FILE = 40


def records(path):
    text = open(path, encoding="latin-1").read().replace("\r", "")
    rec = []
    for line in text.split("\n"):
        if line.startswith("$$$$"):
            yield "\n".join(rec) + "\n"
            rec = []
        else:
            rec.append(line)


def element_list(counts):
    # Carbon, hydrogen, then the rest by symbol (every kept molecule has carbon).
    order = ["C"] + (["H"] if counts.get("H") else []) + sorted(s for s in counts if s not in ("C", "H"))
    return " ".join(f"{s}{counts[s]}" for s in order)


def main():
    RDLogger.DisableLog("rdApp.*")
    print("# file\trecord\tatoms\tbonds\telements\tweight")
    for f in FILES:
        kept = 0
        for i, block in enumerate(records(ROOT + f), start=1):
            if kept >= PER_FILE or "V2000" not in block:
                continue
            lines = block.split("\n")
            a, b = int(lines[3][0:3]), int(lines[3][3:6])
            if any(int(l[6:9]) not in (1, 2, 3) for l in lines[4 + a : 4 + a + b]):
                continue
            m = Chem.MolFromMolBlock(block, removeHs=False)
            if m is None or m.GetNumAtoms() != a:
                continue
            ok = True
            counts = {}
            for at in m.GetAtoms():
                s = at.GetSymbol()
                if (s not in USUAL or at.GetFormalCharge() or at.GetNumRadicalElectrons() or at.GetIsotope()
                        or at.GetTotalValence() != USUAL[s] or (s in ("Br", "I") and at.GetTotalNumHs())):
                    ok = False
                    break
                counts[s] = counts.get(s, 0) + 1
                if at.GetTotalNumHs():
                    counts["H"] = counts.get("H", 0) + at.GetTotalNumHs()
            if not ok or "C" not in counts:
                continue
            print(f"{f}\t{i}\t{a}\t{b}\t{element_list(counts)}\t{Descriptors.MolWt(m):.4f}")
            kept += 1


if __name__ == "__main__":
    main()
