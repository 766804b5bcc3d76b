#include "talvex/db/IndexFiles.h"

namespace talvex::db {

namespace {

IndexFile engine(std::string file, IndexedTable t, std::string key, std::string what, bool descending = false) {
  IndexFile f{std::move(file), t, IndexKind::Engine, {}, std::move(key), descending, {}, {}, 0, std::move(what)};
  return f;
}

IndexFile tag(std::string file, std::string tagName, std::string key, std::string what) {
  IndexFile f = engine(std::move(file), IndexedTable::Experiment, std::move(key), std::move(what));
  f.tag = std::move(tagName);
  return f;
}

IndexFile text(std::string file, IndexedTable t, std::vector<std::string> fields, int caseFold, std::string what,
               std::vector<std::string> lower = {}) {
  IndexFile f{std::move(file), t, IndexKind::Text, {}, {}, false, std::move(fields), std::move(lower), caseFold,
              std::move(what)};
  return f;
}

}  // namespace

std::vector<IndexFile> indexFiles(Edition e, bool structuresAvailable) {
  const bool full = e == Edition::Full;
  using T = IndexedTable;
  std::vector<IndexFile> f;

  std::string ligandTable = ligandTableFile(e, structuresAvailable);
  ligandTable = ligandTable.substr(0, ligandTable.size() - 4) + ".IA";
  f.push_back(text(ligandTable, T::Ligand, {"EMPFORM", "FULL_NAME", "SH_NAME", "CAS_NO", "CLASS"}, 1, "ligand file"));
  f.push_back(text("IndLigEF.IA", T::Ligand, {"EMPFORM"}, 1, "ligand file on emp. formula"));
  f.push_back(engine("IndLigEF.nsx", T::Ligand, "EMPFORM", "ligand file on emp. formula"));
  f.push_back(text("IndLigLN.IA", T::Ligand, {"FULL_NAME"}, 1, "ligand file on full (IUPAC) name"));
  f.push_back(engine("IndLigLN.nsx", T::Ligand, "Lower(FULL_NAME)", "ligand file on full (IUPAC) name"));
  f.push_back(engine("IndLigUL.nsx", T::Ligand, "Lower(LGUCNM)", "ligand file on start of full (IUPAC) name"));
  f.push_back(text("IndLigSN.IA", T::Ligand, {"SH_NAME"}, 1, "ligand file on short name"));
  f.push_back(engine("IndLigSN.nsx", T::Ligand, "Lower(SH_NAME)", "ligand file on short name"));
  f.push_back(engine("IndLigUS.nsx", T::Ligand, "Lower(LGUCSN)", "ligand file on start of short name"));
  f.push_back(text("IndLigCL.IA", T::Ligand, {"CLASS"}, 1, "ligand file on ligand class"));
  f.push_back(engine("IndLigCL.nsx", T::Ligand, "CLASS", "ligand file on ligand class"));
  f.push_back(text("IndLigCS.IA", T::Ligand, {"CAS_NO"}, 1, "ligand file on CAS number"));
  f.push_back(engine("IndLigCS.nsx", T::Ligand, "CAS_NO", "ligand file on CAS number"));

  std::string metalTable = metalTableFile(e);
  metalTable = metalTable.substr(0, metalTable.size() - 4) + ".IA";
  f.push_back(text(metalTable, T::Metal, {"MCODE", "MFORM"}, 0, "metal file"));
  f.push_back(engine("IndMetal.nsx", T::Metal, "MCODE", "metal file"));

  if (full) {
    f.push_back(text("Rref_Win.IA", T::Reference, {"SHRFYR", "SHRFIN", "JOURNL", "AUTHOR"}, 0,
                     "reference file on years", {"JOURNL", "AUTHOR"}));
    f.push_back(engine("IndShRef.nsx", T::Reference, "Descend(SHRFYR)+SHRFIN", "reference file on short refs"));
    f.push_back(engine("IndRefJn.nsx", T::Reference, "Lower(JOURNL)", "reference file on journal names"));
    f.push_back(engine("IndRefAu.nsx", T::Reference, "Lower(SubStr(AUTHOR, 2, 38))", "reference file on author names"));
    f.push_back(text("Auth_Win.IA", T::Author, {"AUTH_NAM"}, 0, "author file", {"AUTH_NAM"}));
    f.push_back(engine("IndAutNm.nsx", T::Author, "Lower(AUTH_NAM)", "author file"));
  }

  if (full) {
    f.push_back(tag("index_lm.nsx", "LMMultiple", "LIGANDID+METALNUM", "expt. file on ligands/metals/references"));
    f.push_back(tag("indexlmr.nsx", "LMRMultiple", "LIGANDID+METALNUM+Descend(REFYR)+REFIN",
                    "expt. file on ligands/metals/references"));
    f.push_back(tag("index_ml.nsx", "MLRMultiple", "METALNUM+LIGANDID+Descend(REFYR)+REFIN",
                    "expt. file on metals/ligands/references"));
    f.push_back(tag("index_rl.nsx", "RLMMultiple", "Descend(REFYR)+REFIN+LIGANDID+METALNUM",
                    "expt. file on references/ligands/metals"));
    f.push_back(tag("index_rm.nsx", "RMLMultiple", "Descend(REFYR)+REFIN+METALNUM+LIGANDID",
                    "expt. file on references/metals/ligands"));
  } else {
    f.push_back(tag("index_lm.nsx", "LMMultiple", "LIGANDID+METALNUM", "expt. file on ligands/metals"));
    f.push_back(tag("index_ml.nsx", "MLMultiple", "METALNUM+LIGANDID", "expt. file on metals/ligands"));
  }
  f.push_back(tag("index_mt.nsx", "Metals", "METALNUM", "expt. file on metals"));

  const auto exp = [&](const char* two, const char* key, const char* what, bool descending = false) {
    f.push_back(engine(std::string("IndExp") + two + ".nsx", T::Experiment, key, std::string("expt. file on ") + what,
                       descending));
  };
  const auto expText = [&](const char* two, std::vector<std::string> fields, const char* what) {
    f.push_back(text(std::string("IndExp") + two + ".IA", T::Experiment, std::move(fields), 1,
                     std::string("expt. file on ") + what));
  };
  if (full) {
    exp("Rf", "REFYR", "reference year");
    exp("Ri", "Descend(RefYr)+RefIn", "short reference");
    exp("Me", "METHOD", "method");
  }
  exp("Md", "MEDIUM", "medium");
  if (full) {
    exp("Ca", "CALIB", "calibration");
    exp("Re", "Descend(IUPAC)", "recommendation");
  }
  expText("Cn", {"CONC"}, "concentration");
  exp("Tm", "TEMP", "temperature");
  if (full)
    for (int k = 1; k <= 4; ++k)
      f.push_back(engine("IndExpF" + std::to_string(k) + ".nsx", T::Experiment, "IFLAG" + std::to_string(k),
                         "expt. file on flags", true));
  exp("K1", "K1VAL", "K1");
  exp("K2", "K2VAL", "K2");
  exp("B2", "B2VAL", "B2");
  expText("Cm", full ? std::vector<std::string>{"COMM1", "COMM2"} : std::vector<std::string>{"COMM1"}, "comment");

  if (full) f.push_back(engine("IndRefUJ.nsx", T::Publications, "Lower(JOURNL)", "publication file"));
  f.push_back(engine("indxrflm.nsx", T::CrossReference, "LIG_HIT + MET_HIT", "cross-reference file on ligand/metal"));
  return f;
}

}  // namespace talvex::db
