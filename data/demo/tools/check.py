#!/usr/bin/python3
"""Consistency checker for the demo database source files.

Run from anywhere:   /usr/bin/python3 data/demo/tools/check.py
Needs only the Python standard library.  Prints every problem found and a
short summary; the exit status is 0 when everything passes, 1 otherwise.
"""
import os
import re
import sys
from collections import Counter, defaultdict

HERE = os.path.dirname(os.path.abspath(__file__))
DEMO = os.path.dirname(HERE)

COLUMNS = {
    "ligands.tsv": "key sh_name full_name acid_form empform cas class oldligid mini smiles",
    "metals.tsv": "number mcode mform",
    "references.tsv": "year initials journal authors",
    "experiments.tsv": "ligand metal year initials method medium temp conc calib k1 k2 b2 "
                       "beta1 beta2 beta3 beta4 comm1 comm2 flags iupac mini",
}
CLASS_CODES = set("3456789ABCDEFGHIJKLMNOPQRSTUVWXY")
MIN_LIGANDS, MIN_METALS, MIN_REFERENCES, MIN_EXPERIMENTS = 45, 32, 70, 520

errors = []


def err(msg):
    errors.append(msg)


def read_tsv(name):
    path = os.path.join(DEMO, name)
    raw = open(path, "rb").read()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        err(f"{name}: not UTF-8 ({e})")
        text = raw.decode("utf-8", "replace")
    try:
        text.encode("cp1252")
    except UnicodeEncodeError as e:
        err(f"{name}: character outside Windows-1252 ({e})")
    if "\r" in text:
        err(f"{name}: carriage return found (use LF line ends)")
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    header = lines[0].split("\t")
    want = COLUMNS[name].split()
    if header != want:
        err(f"{name}: header {header} != {want}")
    rows = []
    for n, line in enumerate(lines[1:], start=2):
        f = line.split("\t")
        if len(f) != len(want):
            err(f"{name}:{n}: {len(f)} columns, want {len(want)}")
            continue
        rows.append((n, dict(zip(want, f))))
    return rows


def width(name, n, row, col, maxw, minw=0):
    v = row[col]
    if not (minw <= len(v) <= maxw):
        err(f"{name}:{n}: {col} '{v}' length {len(v)} not in {minw}..{maxw}")


# ---------------------------------------------------------------- ligands
ligands = read_tsv("ligands.tsv")
lig_keys, lig_mini, oldids = {}, {}, Counter()
for n, r in ligands:
    k = r["key"]
    if not re.fullmatch(r"[a-z0-9_]{1,12}", k):
        err(f"ligands.tsv:{n}: key '{k}' not a short lower-case identifier")
    if k in lig_keys:
        err(f"ligands.tsv:{n}: duplicate key '{k}'")
    lig_keys[k] = n
    width("ligands.tsv", n, r, "sh_name", 15, 1)
    width("ligands.tsv", n, r, "full_name", 96, 1)
    if not re.fullmatch(r"(H\d?)?L", r["acid_form"]):
        err(f"ligands.tsv:{n}: acid_form '{r['acid_form']}' not like L, HL, H2L ...")
    width("ligands.tsv", n, r, "acid_form", 3, 1)
    if not re.fullmatch(r"([A-Z][a-z]?\d*)+", r["empform"]):
        err(f"ligands.tsv:{n}: empform '{r['empform']}' malformed")
    else:
        els = re.findall(r"[A-Z][a-z]?", r["empform"])
        if "C" in els:
            rest = [e for e in els if e not in ("C", "H")]
            order = ["C"] + (["H"] if "H" in els else []) + sorted(rest)
        else:
            order = sorted(els)
        if els != order:
            err(f"ligands.tsv:{n}: empform '{r['empform']}' not in Hill order")
    cas = r["cas"]
    if cas:
        m = re.fullmatch(r"(\d{2,7})-(\d\d)-(\d)", cas)
        if not m:
            err(f"ligands.tsv:{n}: CAS '{cas}' malformed")
        else:
            digits = (m.group(1) + m.group(2))[::-1]
            if sum((i + 1) * int(d) for i, d in enumerate(digits)) % 10 != int(m.group(3)):
                err(f"ligands.tsv:{n}: CAS '{cas}' check digit wrong")
    cls = r["class"]
    if not (1 <= len(cls) <= 2 and set(cls) <= CLASS_CODES and len(set(cls)) == len(cls)):
        err(f"ligands.tsv:{n}: class '{cls}' not one or two class codes")
    if not re.fullmatch(r"[1-9]\d*", r["oldligid"]):
        err(f"ligands.tsv:{n}: oldligid '{r['oldligid']}' not a positive integer")
    oldids[r["oldligid"]] += 1
    if r["mini"] not in ("0", "1"):
        err(f"ligands.tsv:{n}: mini '{r['mini']}' not 0/1")
    lig_mini[k] = r["mini"] == "1"
    if not r["smiles"] or "[H]" in r["smiles"]:
        err(f"ligands.tsv:{n}: smiles empty or with explicit hydrogens")
for o, c in oldids.items():
    if c > 1:
        err(f"ligands.tsv: oldligid {o} used {c} times")
if all(int(r["oldligid"]) - 1000 == i for i, (n, r) in enumerate(ligands, 1)):
    err("ligands.tsv: oldligid simply follows the record number")
if len(ligands) < MIN_LIGANDS:
    err(f"ligands.tsv: {len(ligands)} ligands, need {MIN_LIGANDS}")

# ---------------------------------------------------------------- ligands.sdf
sdf_text = open(os.path.join(DEMO, "ligands.sdf"), encoding="ascii", errors="replace").read()
records = sdf_text.split("$$$$\n")
if records and records[-1] == "":
    records.pop()
if len(records) != len(ligands):
    err(f"ligands.sdf: {len(records)} records, ligands.tsv has {len(ligands)}")
for i, (rec, (n, r)) in enumerate(zip(records, ligands), start=1):
    ls = rec.split("\n")
    if ls[0] != r["key"]:
        err(f"ligands.sdf record {i}: name '{ls[0]}' != key '{r['key']}'")
    if len(ls) < 5 or "V2000" not in ls[3]:
        err(f"ligands.sdf record {i}: no V2000 counts line")
        continue
    na, nb = int(ls[3][0:3]), int(ls[3][3:6])
    if na > 200 or nb > 200 or na < 1:
        err(f"ligands.sdf record {i}: {na} atoms, {nb} bonds")
    for b in ls[4 + na:4 + na + nb]:
        if int(b[6:9]) not in (1, 2, 3):
            err(f"ligands.sdf record {i}: bond type {b[6:9].strip()} (Kekule 1/2/3 only)")
    if any(a[31:34].strip() == "H" for a in ls[4:4 + na]):
        err(f"ligands.sdf record {i}: explicit hydrogen atom")
    if "M  END" not in ls:
        err(f"ligands.sdf record {i}: no M  END")

# ---------------------------------------------------------------- metals
metals = read_tsv("metals.tsv")
metal_nums, mcodes = set(), Counter()
real = [(n, r) for n, r in metals if r["number"] != ""]
for i, (n, r) in enumerate(real):
    if r["number"] != str(i):
        err(f"metals.tsv:{n}: number {r['number']}, expected {i} (consecutive from 0)")
    metal_nums.add(r["number"])
    if len(r["mcode"]) != 2:
        err(f"metals.tsv:{n}: mcode '{r['mcode']}' not exactly 2 characters")
    mcodes[r["mcode"]] += 1
    width("metals.tsv", n, r, "mform", 20, 1)
for c, k in mcodes.items():
    if k > 1:
        err(f"metals.tsv: mcode '{c}' used {k} times")
if metals[:len(real)] != real:
    err("metals.tsv: placeholder rows must follow all real metals")
tail = [r["mform"] for n, r in metals[len(real):]]
if tail[:-1] != ["_Spare"] * (len(tail) - 1) or len(tail) < 3 or not re.fullmatch(r"_Vn \S+", tail[-1] if tail else ""):
    err(f"metals.tsv: after the metals expect '_Spare' rows and a final '_Vn <version>' row, got {tail}")
for n, r in metals[len(real):]:
    if r["mcode"]:
        err(f"metals.tsv:{n}: placeholder row with an mcode")
if real[:2] and (real[0][1]["mform"], real[1][1]["mform"]) != ("H+", "D+"):
    err("metals.tsv: metals 0 and 1 must be H+ and D+")
if len(real) < MIN_METALS:
    err(f"metals.tsv: {len(real)} metals, need {MIN_METALS}")

# ---------------------------------------------------------------- references
refs = read_tsv("references.tsv")
ref_keys = {}
journals = defaultdict(set)
author_refs = Counter()
for n, r in refs:
    if not re.fullmatch(r"(19[4-9]\d|200\d|2010)", r["year"]):
        err(f"references.tsv:{n}: year '{r['year']}' not 1940-2010")
    if not re.fullmatch(r"[A-Z]{2}[a-z]", r["initials"]):
        err(f"references.tsv:{n}: initials '{r['initials']}' not two capitals and a small letter")
    key = r["year"] + r["initials"]
    if key in ref_keys:
        err(f"references.tsv:{n}: duplicate short reference {key}")
    ref_keys[key] = n
    width("references.tsv", n, r, "journal", 40, 1)
    if not re.fullmatch(r".+, .+", r["journal"]):
        err(f"references.tsv:{n}: journal '{r['journal']}' not 'Name, volume, page'")
    journals[r["journal"].split(",")[0]].add(r["year"])
    authors = r["authors"].split("; ")
    if not 1 <= len(authors) <= 4:
        err(f"references.tsv:{n}: {len(authors)} authors (1-4)")
    for a in authors:
        if not re.fullmatch(r"[A-Z][A-Za-z'-]+( [A-Z][A-Za-z'-]+)* ([A-Z][a-z]?\.)+", a):
            err(f"references.tsv:{n}: author '{a}' not 'Surname I.I.'")
        author_refs[a] += 1
    first = authors[0].split(" ")[0].replace("'", "")
    second = authors[1].split(" ")[0].replace("'", "") if len(authors) > 1 else ""
    want = (first[0] + second[0]).upper() if second else first[:2].upper()
    if r["initials"][:2] != want:
        err(f"references.tsv:{n}: initials '{r['initials']}' do not match authors ({want})")
    # letters in order: 'a' first, then 'b' ... within one year+capitals
years_by_prefix = defaultdict(list)
for key in ref_keys:
    years_by_prefix[key[:6]].append(key[6])
for p, letters in years_by_prefix.items():
    if sorted(letters) != [chr(ord("a") + i) for i in range(len(letters))]:
        err(f"references.tsv: {p} uses letters {sorted(letters)} (should be a, b, ...)")
if len(refs) < MIN_REFERENCES:
    err(f"references.tsv: {len(refs)} references, need {MIN_REFERENCES}")
if len({j.lower() for j in journals}) < 12:
    err("references.tsv: fewer than 12 journals")
by_lower = defaultdict(set)
for j in journals:
    by_lower[j.lower()].add(j)
if not any(len(v) > 1 for v in by_lower.values()):
    err("references.tsv: no journal spelled in two letter cases")
jcount = Counter(r["journal"].split(",")[0] for n, r in refs)
if not any(len(journals[j]) == 1 and jcount[j] >= 2 for j in journals):
    err("references.tsv: no journal whose (two or more) references share one year")
acount = Counter(author_refs.values())
if not (1 in acount and 2 in acount and max(acount) >= 5):
    err("references.tsv: authors should have 1, 2 and many references")

# ---------------------------------------------------------------- experiments
exps = read_tsv("experiments.tsv")
NUMTXT = re.compile(r"^(ca\.)?[<>(]?-?\d+(\.\d+)?(-\d+(\.\d+)?)?[)?]?$|^\?$")
BETA = re.compile(r"^\S+=\S+ ?\S*$|^\S+ -?\d")
markers = Counter()
used_refs = Counter()
per_lig = defaultdict(list)
mini_count = 0
triples = defaultdict(list)
for n, r in exps:
    if r["ligand"] not in lig_keys:
        err(f"experiments.tsv:{n}: unknown ligand '{r['ligand']}'")
        continue
    if r["metal"] not in metal_nums:
        err(f"experiments.tsv:{n}: unknown metal number '{r['metal']}'")
    key = r["year"] + r["initials"]
    if key not in ref_keys:
        err(f"experiments.tsv:{n}: unknown reference {key}")
    used_refs[key] += 1
    per_lig[r["ligand"]].append(r)
    triples[(r["ligand"], r["metal"], key)].append(r["temp"])
    if r["method"] not in list("ABCDEFGHIJKLM"):
        err(f"experiments.tsv:{n}: method '{r['method']}'")
    if r["medium"] not in list("ABCDEFGHIJKL"):
        err(f"experiments.tsv:{n}: medium '{r['medium']}'")
    width("experiments.tsv", n, r, "temp", 5, 1)
    width("experiments.tsv", n, r, "conc", 6, 1)
    if r["calib"] not in ("U", "C", "M", "A"):
        err(f"experiments.tsv:{n}: calib '{r['calib']}'")
    for c in ("k1", "k2", "b2"):
        v = r[c]
        width("experiments.tsv", n, r, c, 6, 1 if c == "k1" else 0)
        if v and not NUMTXT.match(v):
            err(f"experiments.tsv:{n}: {c} '{v}' not a constant text")
        if "?" in v: markers["?"] += 1
        if v.startswith("<"): markers["<"] += 1
        if v.startswith(">"): markers[">"] += 1
        if v.startswith("ca."): markers["ca."] += 1
        if v.startswith("("): markers["()"] += 1
        if re.search(r"\d-\d", v): markers["range"] += 1
        if c != "k1" and not v: markers["empty " + c] += 1
    if re.fullmatch(r"-?\d+\.\d+", r["k1"]) and re.fullmatch(r"-?\d+\.\d+", r["k2"]) \
            and re.fullmatch(r"-?\d+\.\d+", r["b2"]):
        if abs(float(r["k1"]) + float(r["k2"]) - float(r["b2"])) > 0.011:
            err(f"experiments.tsv:{n}: b2 {r['b2']} != k1 + k2")
    for c in ("beta1", "beta2", "beta3", "beta4"):
        width("experiments.tsv", n, r, c, 30)
        if r[c] and not BETA.match(r[c]):
            err(f"experiments.tsv:{n}: {c} '{r[c]}' not an equation with a value")
    for a, b in (("beta1", "beta2"), ("beta2", "beta3"), ("beta3", "beta4")):
        if r[b] and not r[a]:
            err(f"experiments.tsv:{n}: {b} given without {a}")
    width("experiments.tsv", n, r, "comm1", 76)
    width("experiments.tsv", n, r, "comm2", 76)
    if r["comm2"] and not r["comm1"]:
        err(f"experiments.tsv:{n}: comm2 without comm1")
    dh = re.search(r"DH\(K1\)(.)(-?\d+(\.\d+)?)", r["comm1"])
    if "DH(K1)" in r["comm1"]:
        if not dh:
            err(f"experiments.tsv:{n}: DH(K1) not followed by one separator and a value")
        elif "H" not in r["flags"]:
            err(f"experiments.tsv:{n}: enthalpy given but flag H missing")
        markers["DH"] += 1
    f = r["flags"]
    if len(f) > 4 or not set(f) <= set("TIHM") or len(set(f)) != len(f):
        err(f"experiments.tsv:{n}: flags '{f}'")
    if r["iupac"] not in ("", "R", "T", "P", "#"):
        err(f"experiments.tsv:{n}: iupac '{r['iupac']}'")
    if r["mini"] not in ("0", "1"):
        err(f"experiments.tsv:{n}: mini '{r['mini']}'")
    if r["mini"] == "1":
        mini_count += 1
        if not lig_mini[r["ligand"]]:
            err(f"experiments.tsv:{n}: mini experiment of non-mini ligand '{r['ligand']}'")
    for c in ("temp",):
        if r[c][:1] in "?<>": markers["temp " + r[c][0]] += 1
    if not re.fullmatch(r"\d+(\.\d+)?", r["conc"]):
        markers["conc marker"] += 1

for key in ref_keys:
    if not used_refs[key]:
        err(f"references.tsv: {key} used by no experiment")
for k in lig_keys:
    rs = per_lig.get(k, [])
    if len(rs) < 3:
        err(f"ligand '{k}': {len(rs)} experiments, need 3")
    if not any(r["metal"] == "0" for r in rs):
        err(f"ligand '{k}': no protonation experiment")
    if lig_mini[k] and not any(r["mini"] == "1" for r in rs):
        err(f"ligand '{k}': mini ligand without mini experiments")
for t, temps in triples.items():
    if len(temps) != len(set(temps)):
        err(f"experiments.tsv: {t} repeated at the same temperature")
if len(exps) < MIN_EXPERIMENTS:
    err(f"experiments.tsv: {len(exps)} experiments, need {MIN_EXPERIMENTS}")
if not 150 <= mini_count <= 210:
    err(f"experiments.tsv: {mini_count} mini experiments (about 180 wanted)")
for m in ("?", "<", ">", "ca.", "()", "range", "empty k2", "empty b2", "DH",
          "temp ?", "temp <", "temp >", "conc marker"):
    if not markers[m]:
        err(f"experiments.tsv: marker '{m}' never occurs")
if not any(r["metal"] == "1" for n, r in exps):
    err("experiments.tsv: no deuterium experiment")
for c in ("beta1", "beta3", "beta4", "comm2"):
    if not any(r[c] for n, r in exps):
        err(f"experiments.tsv: column {c} always empty")
for flag in "TIHM":
    if not any(flag in r["flags"] for n, r in exps):
        err(f"experiments.tsv: flag {flag} never used")
for ev in "RT#":
    if not any(r["iupac"] == ev for n, r in exps):
        err(f"experiments.tsv: evaluation '{ev}' never used")

# ---------------------------------------------------------------- summary
print(f"ligands {len(ligands)} (mini {sum(lig_mini.values())}), metals {len(real)}, "
      f"references {len(refs)} ({len(journals)} journals, {len(author_refs)} authors), "
      f"experiments {len(exps)} (mini {mini_count})")
print("markers: " + ", ".join(f"{k} {v}" for k, v in sorted(markers.items())))
for e in errors:
    print("ERROR:", e)
print("OK" if not errors else f"{len(errors)} error(s)")
sys.exit(1 if errors else 0)
