// Summary texts of the "Experiment List" page and the prediction of the list
// length from the cross-reference tables.
#include <string>

#include "talvex/db/Vocabularies.h"
#include "talvex/match/Prf_Code.h"
#include "talvex/spec/CleanText.h"

namespace talvex::match {

using spec::ListKind;
using spec::trimmed;

namespace {

constexpr const char* kBreak = "\r\n";

std::string ligandName(db::Database& d, std::int32_t record) {
  xbase::Table& t = d.ligands;
  if (!t.go(record)) return {};
  const std::string sh = t.field("SH_NAME").substr(0, 15);
  if (!trimmed(sh).empty()) return trimmed(sh);
  std::string full = t.field("FULL_NAME").substr(0, 12);
  for (char& c : full)
    if (c == ';') c = ' ';
  return trimmed(full + "...");
}

std::string metalName(db::Database& d, std::int32_t metal) {
  if (!d.metals.go(metal + 1)) return {};
  return trimmed(d.metals.field("MFORM").substr(0, 10));
}

std::string shortReference(db::Database& d, std::int32_t record) {
  if (!d.references.go(record)) return {};
  return d.references.field("SHRFYR") + d.references.field("SHRFIN");
}

// " n things : a, b, c" with "etc." once the text passes the limit after a separator.
template <class NameOf>
std::string nameList(const spec::SpecificationList& l, const char* nouns, std::size_t limit, NameOf nameOf) {
  std::string s = " " + std::to_string(l.count()) + " " + nouns + " : ";
  for (int i = 1; i <= l.count(); ++i) {
    s += nameOf(l.entry(i));
    if (i == l.count()) break;
    s += ", ";
    if (s.size() > limit) {
      s += "etc.";
      break;
    }
  }
  return s;
}

bool fileThere(const QueryState& q, const char* file) {
  return q.startup && xbase::fileExists(q.startup->DatabaseDir + file);
}

// Sums COUNT_LM of the records that follow a seek of the pair's key while
// both fields still equal the pair. Metal numbers 0 and 1 go to protons.
void addPair(xbase::Table& x, int lig, int met, std::int64_t& protons, std::int64_t& metals) {
  const std::string key = db::ligandKey(lig) + db::metalKey(met);
  x.seek(key);
  const int lp = x.fieldPos("LIG_HIT"), mp = x.fieldPos("MET_HIT"), cp = x.fieldPos("COUNT_LM");
  const std::string ls = std::to_string(lig), ms = std::to_string(met);
  for (; !x.eof(); x.skip(1)) {
    if (trimmed(x.rawField(lp)) != ls || trimmed(x.rawField(mp)) != ms) break;
    const std::int64_t n = spec::readWholeNumber(x.rawField(cp));
    if (met <= 1) protons += n;
    else metals += n;
  }
}

// Every record of a ligand from its first key on, any metal.
void addLigand(xbase::Table& x, int lig, bool anyMetalIon, std::int64_t& total) {
  x.seek(db::ligandKey(lig) + db::metalKey(0));
  const int lp = x.fieldPos("LIG_HIT"), mp = x.fieldPos("MET_HIT"), cp = x.fieldPos("COUNT_LM");
  const std::string ls = std::to_string(lig);
  for (; !x.eof(); x.skip(1)) {
    if (trimmed(x.rawField(lp)) != ls) break;
    if (anyMetalIon && spec::readWholeNumber(x.rawField(mp)) <= 1) continue;
    total += spec::readWholeNumber(x.rawField(cp));
  }
}

void fullDatabaseCount(QueryState& q) {
  q.prediction.FullDatabaseCount = 0;
  q.prediction.fullDatabaseCounted = false;
  if (!fileThere(q, db::kFullCrossRefTableFile) || !fileThere(q, db::kFullCrossRefIndexFile)) return;
  xbase::Table& x = q.fullCrossReference;
  const std::string dir = q.startup->DatabaseDir;
  if (!x.isOpen() && !x.open(dir + db::kFullCrossRefTableFile)) return;
  if (!x.openIndex(dir + db::kFullCrossRefIndexFile)) return;
  q.prediction.fullDatabaseCounted = true;
  std::int64_t protons = 0, metals = 0, total = 0;
  if (!q.ligands.empty() && !q.metals.empty()) {
    for (const auto lig : q.ligands.entries())
      for (const auto met : q.metals.entries()) addPair(x, lig, met, protons, metals);
    total = protons + metals;
  } else if (!q.ligands.empty()) {
    for (const auto lig : q.ligands.entries()) addLigand(x, lig, q.AnyMetalIon, total);
  } else if (!q.metals.empty()) {
    for (const auto met : q.metals.entries())
      for (int lig = 1; lig <= q.startup->LigandCount; ++lig) addPair(x, lig, met, protons, metals);
    total = protons + metals;
  }
  q.prediction.FullDatabaseCount = total;
}

bool fullYearSpan(const QueryState& q) {
  if (!q.yearRange.active || !q.startup) return true;
  return q.yearRange.low <= q.startup->OldestYear && q.yearRange.high >= q.startup->NewestYear;
}

void replaceAll(std::string& s, const std::string& from, const std::string& to) {
  for (std::size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size())) s.replace(p, from.size(), to);
}

}  // namespace

std::string ligandSummary(const QueryState& q) {
  const auto& l = q.ligands;
  if (l.empty() || !q.database) return " (no ligands specified) ";
  if (l.count() == 1) return " Ligand : " + ligandName(*q.database, l.entry(1));
  return nameList(l, "ligands", 45, [&](std::int32_t r) { return ligandName(*q.database, r); });
}

std::string metalSummary(const QueryState& q) {
  const auto& l = q.metals;
  if (l.empty() || !q.database) return q.AnyMetalIon ? " Any metal except H+/D+ " : " (no metals specified) ";
  if (l.count() == 1) return " Metal : " + metalName(*q.database, l.entry(1));
  return nameList(l, "metals", 45, [&](std::int32_t m) { return metalName(*q.database, m); });
}

std::string referenceSummary(const QueryState& q) {
  if (q.edition != db::Edition::Full) return {};
  const auto& l = q.references;
  if (l.empty() || !q.database) {
    if (trimmed(q.yearRange.text).empty() || fullYearSpan(q)) return " (no references specified) ";
    if (q.yearRange.low == q.yearRange.high) return "Year range : " + std::to_string(q.yearRange.low);
    return "Year range : " + std::to_string(q.yearRange.low) + " to " + std::to_string(q.yearRange.high);
  }
  if (l.count() == 1) return " Reference : " + shortReference(*q.database, l.entry(1));
  std::string s = " " + std::to_string(l.count()) + " references : ";
  for (int i = 1; i <= l.count(); ++i) {
    s += shortReference(*q.database, l.entry(i));
    if (i == l.count()) break;
    s += ", ";
    if (s.size() > 35) {
      s += "etc. to " + shortReference(*q.database, l.entry(l.count()));
      break;
    }
  }
  return s;
}

std::string detailsSummary(QueryState& q) {
  spec::DetailsSpec& d = q.details;
  const std::string& key = d.DetailsKey;
  if (key.size() != 22 || key == std::string(22, ' ') || key == std::string(22, '?')) {
    d.empty = true;
    return " (no experimental details specified) ";
  }
  const bool full = q.edition == db::Edition::Full;
  std::string items;
  const auto item = [&](const std::string& text) {
    if (!items.empty()) items += " // ";
    items += text;
  };
  if (key[0] != '?' && key[0] != ' ') {
    const int e = db::methodEntry(key[0]);
    const std::string code = e > 0 ? trimmed(db::methodCodes()[static_cast<std::size_t>(e)].substr(0, 3)) : "";
    item("Mtd=" + code + " (" + key[0] + ")");
  }
  if (key[1] != '?' && key[1] != ' ') {
    if (key[1] == 'M') {
      item("Mdm=Any Aq");
    } else {
      const int e = key[1] - 64;
      const std::string code =
          e >= 1 && e <= 13 ? trimmed(db::mediumCodes()[static_cast<std::size_t>(e)].substr(0, 6)) : "";
      item(full ? "Mdm=" + code + " (" + key[1] + ")" : "Mdm=" + code);
    }
  }
  if (key.substr(2, 4) != "????") item("Conc=" + trimmed(key.substr(2, 4)));
  if (key[6] != '?' && key[6] != ' ') item(key[6] == 'M' ? std::string("Calib=A/M") : "Calib=" + std::string(1, key[6]));
  if (key.substr(7, 6) != "??????") {
    const std::string lo = trimmed(key.substr(7, 3)), hi = trimmed(key.substr(10, 3));
    if (d.tempExact || lo == hi) item("Tmp=" + lo);
    else if (hi == "999") item(lo + "<=Tmp");
    else if (lo == "-99") item("Tmp<=" + hi);
    else item(lo + "<=Tmp<=" + hi);
  }
  {
    std::string f;
    const char* letters[] = {"T/", "I/", "H/", "M/"};
    for (int i = 0; i < 4; ++i)
      if (key[static_cast<std::size_t>(13 + i)] == '1') f += letters[i];
    if (!f.empty()) item("Flags : " + f.substr(0, f.size() - 1));
  }
  {
    std::string r;
    if (key[17] == '1') r += "R/";
    if (key[18] == '1') r += "T/";
    if (!r.empty()) item("Recomm. : " + r.substr(0, r.size() - 1));
  }
  const std::string name = key.substr(20, 2);
  if (name != "??" && name != "  ") {
    const std::string lo = trimmed(d.ConstRangeKey.substr(0, 6));
    const std::string hi = d.ConstRangeKey.size() >= 12 ? trimmed(d.ConstRangeKey.substr(6, 6)) : "";
    if (d.constExact || (!lo.empty() && lo == hi)) {
      item(name + "=" + lo + " ");
    } else {
      const bool highOnly = d.constHighKind && !d.constLowKind;
      const bool lowOnly = d.constLowKind && !d.constHighKind;
      std::string t;
      if (!highOnly && !lo.empty()) t += lo + "<=";
      t += name;
      if (!lowOnly && !hi.empty()) t += "<=" + hi;
      item(t);
    }
  }
  if (key[19] == 'y') item("Com : " + trimmed(d.CommentKey));
  d.empty = false;
  return " Experimental details : " + items;
}

void computePrediction(QueryState& q) {
  Prediction& p = q.prediction;
  p.PredictedMetalCount = p.PredictedProtonCount = p.PredictedCount = 0;
  if (!q.database || !q.startup) return;
  db::Database& d = *q.database;
  const bool anyLigand = !q.ligands.empty(), anyMetal = !q.metals.empty();
  if (anyMetal && !anyLigand) {
    for (const auto met : q.metals.entries()) {
      if (!d.metals.go(met + 1)) continue;
      const std::int64_t n = spec::readWholeNumber(d.metals.field("Count_M"));
      (met > 1 ? p.PredictedMetalCount : p.PredictedProtonCount) += n;
    }
  } else if (anyLigand && !anyMetal) {
    xbase::Table& t = d.ligands;
    const int hp = t.fieldPos("COUNT_H"), op = t.fieldPos("COUNT_O");
    for (const auto lig : q.ligands.entries()) {
      if (!t.go(lig)) continue;
      if (!q.AnyMetalIon) p.PredictedProtonCount += spec::readWholeNumber(t.rawField(hp));
      p.PredictedMetalCount += spec::readWholeNumber(t.rawField(op));
    }
  } else if (anyLigand && anyMetal) {
    xbase::Table& x = d.crossReference;
    if (x.isOpen() && x.openIndex(d.path("indxrflm.nsx")))
      for (const auto lig : q.ligands.entries())
        for (const auto met : q.metals.entries()) addPair(x, lig, met, p.PredictedProtonCount, p.PredictedMetalCount);
  }
  p.PredictedCount = p.PredictedMetalCount + p.PredictedProtonCount;
}

void refreshSummary(QueryState& q) {
  q.updateAllEmpty();
  q.LigandSummary = ligandSummary(q);
  q.MetalSummary = metalSummary(q);
  q.ReferenceSummary = referenceSummary(q);
  q.DetailsSummary = detailsSummary(q);
  q.updateAllEmpty();
  const bool full = q.edition == db::Edition::Full;
  const bool listEmpty = q.experiments.empty();
  std::string s = listEmpty ? std::string("Current specifications are :")
                            : "Experiment list contains " + std::to_string(q.experiments.count()) + " experiments for ";
  s += kBreak + q.LigandSummary + kBreak + q.MetalSummary + kBreak;
  if (full) s += q.ReferenceSummary + kBreak;
  s += q.DetailsSummary + kBreak;

  if (listEmpty && q.startup) {
    Prediction& p = q.prediction;
    const bool crossReference = fileThere(q, db::kCrossRefTableFile) && fileThere(q, "indxrflm.nsx");
    if (!crossReference) {
      p.PredictedMetalCount = p.PredictedProtonCount = 0;
      p.PredictedCount = q.startup->ExperimentCount;
    } else {
      const bool recompute = q.ligands.ListChanged || q.metals.ListChanged || p.PredictedCount == 0;
      if (recompute) computePrediction(q);
      if (!full) fullDatabaseCount(q);
      if (recompute || !full) {
        q.ligands.ListChanged = q.metals.ListChanged = q.references.ListChanged = false;
        q.details.ListChanged = false;
      }
      const bool specified = !q.AllEmpty;
      bool added = false;
      if (p.PredictedCount > 0 && specified) {
        const bool plain = q.details.empty && q.references.empty() && fullYearSpan(q);
        std::string t = std::string(kBreak) + "The list for these specifications will contain " +
                        std::to_string(p.PredictedCount) + (plain ? " experiment " : " experiment at most");
        if (p.PredictedCount == 1) {
          t += p.PredictedMetalCount > 0 ? ", for a metal ion" : ", for hydrogen/deuterium";
          t += kBreak;
        } else {
          replaceAll(t, "experiment ", "experiments ");
          if (p.PredictedMetalCount == 0)
            t += std::string(", for hydrogen/deuterium only") + kBreak;
          else if (p.PredictedProtonCount > 0)
            t += " (" + std::to_string(p.PredictedProtonCount) + " for hydrogen/deuterium and " +
                 std::to_string(p.PredictedMetalCount) + " for metal ions)" + kBreak;
          else
            t += kBreak;
        }
        if (p.PredictedCount > ExperimentList::kCapacity)
          t += std::string(kBreak) + " (but you cannot have more than " + std::to_string(ExperimentList::kCapacity) +
               " experiments in the list)";
        s += t;
        added = true;
      } else if (p.PredictedCount == 0 && specified) {
        s += kBreak;
        s += !q.ligands.empty() || !q.metals.empty()
                 ? "The experiment list for these specifications would be empty !"
                 : "The length of the experiment list for these specifications cannot be predicted";
        s += kBreak;
        added = true;
      }
      if (added && !full && p.fullDatabaseCounted) {
        const std::int64_t n = p.FullDatabaseCount;
        s += kBreak;
        if (n == 0) s += " (even with Orvale, there are currently no matching experiments";
        else if (n == 1) s += " (with Orvale, there is currently 1 matching experiment";
        else if (p.PredictedCount == 0) s += " (with Orvale, there are " + std::to_string(n) + " matching experiments";
        else s += " (with Orvale, there are currently " + std::to_string(n) + " matching experiments";
        s += std::string(kBreak) + "      for this ligand/metal list)";
      }
    }
  }
  q.SpecSummary = s;
}

void pageLeft(QueryState& q, ListKind k) {
  if (q.list(k).ListChanged) refreshSummary(q);
}

bool detailsPageLeft(QueryState& q, spec::DetailsPage& page, std::string* error) {
  std::string why;
  const bool changed = q.details.derive(page, q.edition, &why);
  if (!changed) {
    if (!why.empty() && error) *error = why;
    return false;
  }
  q.updateAllEmpty();
  if (!q.experiments.empty()) discardExperimentList(q);
  refreshSummary(q);
  return true;
}

void pageEntered(QueryState& q, ListKind k) {
  auto& l = q.list(k);
  if (k == ListKind::Ligand) l.ListChanged = l.SavedListChanged;
  else l.ListChanged = false;
}

void detailsPageEntered(QueryState& q) { q.details.ListChanged = false; }

}  // namespace talvex::match
