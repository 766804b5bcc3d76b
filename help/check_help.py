#!/usr/bin/python3
"""Check the help files: required topic anchors present, no anchor id used twice."""
import sys
from html.parser import HTMLParser
from pathlib import Path

REQUIRED = {
    "OrvaleQuery.html": ["Contents", "Overview_of_Orvale", "Getting_started", "Metal_Comparison",
                         "Sub_structure_Searching", "Specifying_Ligands", "Specifying_Metals",
                         "Specifying_References", "Experimental_Details", "Experiment_List",
                         "Stored_Values", "Codes_and_Flags", "Displays", "Browsing",
                         "Printing_and_Export", "List_Files", "Ionic_Strength_Corrections",
                         "Temperature_Corrections", "Speciation_Hand_off"],
    "Talvex.html": ["Contents", "Overview_of_Mini_Orvale", "Getting_started", "Metal_Comparison",
                    "Sub_structure_Searching", "Specifying_Ligands", "Specifying_Metals",
                    "Experimental_Details", "Experiment_List", "Stored_Values", "Displays",
                    "Browsing", "Printing_and_Export", "List_Files", "Ionic_Strength_Corrections",
                    "Temperature_Corrections", "Speciation_Hand_off"],
    "Backgnd.html": ["Contents", "Formation_Constants", "Stepwise_and_Overall", "Protonation_Constants",
                     "Concentration_and_Activity", "Ionic_Strength", "Medium_Effects", "Temperature",
                     "Irving_Williams", "Chelate_Effect"],
}


class Anchors(HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids, self.links = [], []

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if a.get("id"):
            self.ids.append(a["id"])
        if tag == "a" and (a.get("href") or "").startswith("#"):
            self.links.append(a["href"][1:])


def main():
    here = Path(__file__).resolve().parent
    errors = []
    for name, required in REQUIRED.items():
        p = Anchors()
        p.feed((here / name).read_text(encoding="utf-8"))
        p.close()
        seen = set()
        for i in p.ids:
            if i in seen:
                errors.append(f"{name}: anchor '{i}' repeats")
            seen.add(i)
        errors += [f"{name}: anchor '{r}' missing" for r in required if r not in seen]
        errors += [f"{name}: link to missing anchor '#{l}'" for l in p.links if l not in seen]
    for e in errors:
        print(e)
    print("help files OK" if not errors else f"{len(errors)} problem(s)")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
