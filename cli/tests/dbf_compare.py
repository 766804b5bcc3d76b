"""Reads every table of a database folder with an independent dBase reader
(Debian's python3-dbfread) and compares record counts and field values with
the dump the engine wrote. Exit status 0 when they agree."""
import glob
import os
import sys

from dbfread import DBF


def canonical(field, value):
    if value is None:
        return ""
    if field.type == "N":
        return "%.6f" % float(value)
    if field.type == "L":
        return "True" if value else "False"
    if field.type == "M":
        return value.replace("\r", "\\r").replace("\n", "\\n")
    return str(value).rstrip(" ")


def main(folder, dump_folder):
    failures = []
    tables = sorted(glob.glob(os.path.join(folder, "*.dbf")))
    if not tables:
        print("no tables in " + folder)
        return 1
    for path in tables:
        name = os.path.basename(path)
        table = DBF(path, encoding="cp1252", char_decode_errors="strict", load=True)
        ours = open(os.path.join(dump_folder, name + ".txt"), encoding="cp1252", newline="\n").read().split("\n")[:-1]
        theirs = ["\x1f".join(canonical(f, rec[f.name]) for f in table.fields) for rec in table.records]
        if len(ours) != len(theirs):
            failures.append("%s: %d records read by the engine, %d by dbfread" % (name, len(ours), len(theirs)))
            continue
        for i, (a, b) in enumerate(zip(ours, theirs)):
            if a != b:
                failures.append("%s record %d:\n  engine:  %r\n  dbfread: %r" % (name, i + 1, a, b))
                break
    for f in failures:
        print(f)
    print("%d tables compared" % len(tables))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
