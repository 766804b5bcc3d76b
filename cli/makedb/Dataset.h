// The content of a database before it is written as tables: the demo data read
// from its source files, or a synthetic data set made from a seed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chemcore/connection_table.h"
#include "talvex/db/Tables.h"

namespace orvale::makedb {

struct Ligand {
  std::string key;          // source identifier
  std::string shortName;
  std::string fullName;     // without the acid form
  std::string acidForm;     // "H2L", "HL", "L"
  std::string empForm;
  std::string cas;          // empty when unknown
  std::string classCodes;
  std::string oldLigId;
  bool mini = false;
  bool hasStructure = false;
  chemcore::MolRecord structure;
};

struct Metal {
  std::string code;         // MCODE
  std::string formula;      // MFORM; "_Spare" and "_Vn ..." mark the closing records
};

struct Reference {
  std::string year;
  std::string initials;
  std::string journal;
  std::vector<std::string> authors;
};

struct Experiment {
  int ligand = 0;           // 1-based position in Dataset::ligands
  int metal = 0;            // metal number
  std::string year, initials;
  char method = ' ';        // 'A'..'M'
  char medium = ' ';        // 'A'..'L'
  std::string temp, conc;
  char calib = 'U';
  std::string k1, k2, b2;
  std::string beta[4];
  std::string comm1, comm2;
  bool flags[4] = {false, false, false, false};
  char iupac = ' ';
  bool mini = false;
};

struct Dataset {
  std::vector<Ligand> ligands;
  std::vector<Metal> metals;          // metal number = index; closing records last
  std::vector<Reference> references;  // any order; written newest first
  std::vector<Experiment> experiments;
};

// Reads ligands.tsv, ligands.sdf, metals.tsv, references.tsv and
// experiments.tsv from a folder. Returns false with a message naming the file
// and line.
bool readDemoData(const std::string& folder, Dataset& data, std::string& error);

// The mini edition's share of a full data set: the ligands and experiments
// marked mini, ligands renumbered in their order, no references.
Dataset miniSubset(const Dataset& full);

// A small data set for tests: the first n ligands with their experiments and
// the references those cite; all metals.
Dataset firstLigands(const Dataset& full, int n);

struct SyntheticSize {
  int experiments = 120000;
  int ligands = 12000;
  int metals = 200;
  int references = 30000;
  int authors = 20000;
};
SyntheticSize syntheticSizeFor(int experiments);

// A full-scale data set, the same for the same seed and sizes. Structures are
// built from the demo ligands' structures (templates) with added chains.
Dataset syntheticData(std::uint64_t seed, const SyntheticSize& size, const std::vector<Ligand>& templates);

// The upper-case start-of-name form of a name: leading locants, stereo and
// position prefixes and punctuation removed.
std::string startOfNameForm(const std::string& name);

}  // namespace orvale::makedb
