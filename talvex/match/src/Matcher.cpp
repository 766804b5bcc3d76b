// "Match Specifications", the matcher with its strategies and record tests,
// cancelling and discarding the experiment list, and the list commands.
#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "talvex/db/Vocabularies.h"
#include "talvex/match/Prf_Code.h"
#include "talvex/spec/CleanText.h"
#include "xbase/fts.h"

namespace talvex::match {

using spec::trimmed;

namespace {

std::string_view trimView(std::string_view v) {
  while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
  while (!v.empty() && (v.back() == ' ' || v.back() == '\0')) v.remove_suffix(1);
  return v;
}

std::string upper(std::string_view v) {
  std::string s(v);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

int wholeOf(std::string_view v) {
  int n = 0;
  for (char c : v)
    if (c >= '0' && c <= '9') n = n * 10 + (c - '0');
  return n;
}

// A whole number as text: optional sign and at least one digit, after blanks.
bool readsAsWhole(std::string_view v, int& value) {
  v = trimView(v);
  std::size_t i = 0;
  if (i < v.size() && (v[i] == '-' || v[i] == '+')) ++i;
  if (i >= v.size() || v[i] < '0' || v[i] > '9') return false;
  value = spec::readWholeNumber(v);
  return true;
}

bool logicalTrue(std::string_view raw) {
  return !raw.empty() && (raw[0] == 'T' || raw[0] == 't' || raw[0] == 'Y' || raw[0] == 'y');
}

struct Fields {
  int lig = 0, met = 0, refyr = 0, refin = 0, method = 0, medium = 0, temp = 0, conc = 0, calib = 0, constant = 0,
      comm1 = 0, comm2 = 0, iupac = 0;
  int flag[4] = {0, 0, 0, 0};
  explicit Fields(const xbase::Table& t, const std::string& constantName) {
    lig = t.fieldPos("LIGANDID");
    met = t.fieldPos("METALNUM");
    refyr = t.fieldPos("REFYR");
    refin = t.fieldPos("REFIN");
    method = t.fieldPos("METHOD");
    medium = t.fieldPos("MEDIUM");
    temp = t.fieldPos("TEMP");
    conc = t.fieldPos("CONC");
    calib = t.fieldPos("CALIB");
    if (!constantName.empty()) constant = t.fieldPos(constantName + "VAL");
    comm1 = t.fieldPos("COMM1");
    comm2 = t.fieldPos("COMM2");
    iupac = t.fieldPos("IUPAC");
    for (int k = 0; k < 4; ++k) flag[k] = t.fieldPos("IFLAG" + std::to_string(k + 1));
  }
};

// One run of the matcher over the experiment table.
class Run {
 public:
  Run(QueryState& q, platform::Dialogs& dialogs, Strategy strategy)
      : q_(q),
        d_(*q.database),
        t_(q.database->experiments),
        dialogs_(dialogs),
        f_(t_, q.details.constantName),
        full_(q.edition == db::Edition::Full),
        strategy_(strategy),
        seen_(static_cast<std::size_t>(std::max(0, t_.recordCount())) + 2, 0) {
    const auto& ds = q.details;
    phrase_ = upper(trimmed(ds.CommentKey));
    checkYears_ = full_ && (q.yearRange.active || !q.references.empty());
    checkReferences_ = full_ && !q.references.empty() && strategy != Strategy::References;
  }

  bool ended() const { return ended_; }
  MatchResult result() const { return result_; }

  // Tests the current record, adds it when it passes, yields and advances
  // the gauge. Returns false when every scan must end.
  bool visit(bool candidate = true) {
    if (candidate && test()) {
      const std::int32_t r = t_.recNo();
      q_.experiments.entries.push_back(r);
      seen_[static_cast<std::size_t>(r)] = 1;
      if (q_.matchWindow) q_.matchWindow->matchMessage(foundText(q_.experiments.count()));
      if (q_.experiments.full()) {
        dialogs_.inform(kExperimentListFullText);
        result_ = MatchResult::Full;
        ended_ = true;
      }
    }
    dialogs_.yieldToUi();
    ++gauge_;
    if (q_.matchWindow) q_.matchWindow->gauge(gauge_);
    if (!ended_ && q_.MatchStopRequested) {
      result_ = MatchResult::Stopped;
      ended_ = true;
    }
    return !ended_;
  }

  // Scans the current order from the current record while cond() holds;
  // only records for which candidate() holds are tested.
  template <class Cond, class Candidate>
  void scan(Cond cond, Candidate candidate) {
    while (!ended_ && !t_.eof() && cond()) {
      if (!visit(candidate())) return;
      t_.skip(1);
    }
  }
  template <class Cond>
  void scan(Cond cond) {
    scan(cond, [] { return true; });
  }

  std::string_view raw(int pos) const { return pos ? t_.rawField(pos) : std::string_view{}; }

 private:
  bool test() {
    const std::int32_t r = t_.recNo();
    if (r <= 0 || static_cast<std::size_t>(r) >= seen_.size()) return false;
    // 1. any metal ion
    if (q_.AnyMetalIon && wholeOf(raw(f_.met)) <= 1) return false;
    // 2. year window and reference list
    if (checkYears_) {
      const int year = wholeOf(raw(f_.refyr));
      if (year < q_.MatchYearLow || year > q_.MatchYearHigh) return false;
    }
    if (checkReferences_ && !referenceListed()) return false;
    // 3. details
    if (!q_.details.empty && !detailsPass()) return false;
    // 4. not yet in the list
    return seen_[static_cast<std::size_t>(r)] == 0;
  }

  bool referenceListed() {
    std::string key(raw(f_.refyr));
    key += raw(f_.refin);
    const auto it = refCache_.find(key);
    if (it != refCache_.end()) return it->second;
    xbase::Table& refs = d_.references;
    bool listed = false;
    if (refs.seek(xbase::descendKey(std::string(raw(f_.refyr))) + std::string(raw(f_.refin))))
      listed = q_.references.contains(refs.recNo());
    refCache_.emplace(std::move(key), listed);
    return listed;
  }

  bool detailsPass() const {
    const spec::DetailsSpec& ds = q_.details;
    if (full_ && !ds.method.empty() && trimView(raw(f_.method)) != ds.method) return false;
    if (!ds.medium.empty()) {
      const std::string_view m = raw(f_.medium);
      if (trimmed(ds.medium) == "a") {
        if (full_) {
          const std::string_view v = trimView(m);
          if (v.size() != 1 || v[0] < 'A' || v[0] > 'H') return false;
        } else if (!db::isAqueousMedium(db::Edition::Mini, trimView(m))) {
          return false;
        }
      } else if (trimView(m) != trimView(ds.medium)) {
        return false;
      }
    }
    if (!ds.concText.empty()) {
      const std::string c = trimmed(spec::CleanNumberText(trimView(raw(f_.conc))));
      if (c.empty()) return false;
      if (ds.concNumeric) {
        double v = 0;
        if (!spec::readPlainNumber(c, v) || v != ds.concValue) return false;
      } else if (c != ds.concText) {
        return false;
      }
    }
    if (full_ && !ds.calibration.empty()) {
      const std::string_view c = trimView(raw(f_.calib));
      if (ds.calibration == "M") {
        if (c != "M" && c != "A") return false;
      } else if (c != ds.calibration) {
        return false;
      }
    }
    if (ds.tempGiven) {
      int v = 0;
      if (!readsAsWhole(spec::CleanNumberText(trimView(raw(f_.temp))), v)) return false;
      if (v < ds.tempLow || v > ds.tempHigh) return false;
    }
    if (ds.constantGiven) {
      const std::string_view stored = trimView(raw(f_.constant));
      if (trimmed(spec::CleanNumberText(stored)).empty()) return false;
      double v = 0;
      if (!spec::readPlainNumber(spec::CleanConstantText(stored), v)) return false;
      if (v < ds.constLow || v > ds.constHigh) return false;
    }
    if (ds.commentGiven) {
      std::string c = upper(trimView(raw(f_.comm1)));
      if (full_) c += upper(trimView(raw(f_.comm2)));
      if (c.find(phrase_) == std::string::npos) return false;
    }
    if (full_) {
      for (int k = 0; k < 4; ++k)
        if (ds.flags[k] && !logicalTrue(raw(f_.flag[k]))) return false;
      if (ds.iupacRecommended && trimView(raw(f_.iupac)) != "R") return false;
      if (ds.iupacProvisional && trimView(raw(f_.iupac)) != "T") return false;
    }
    return true;
  }

  QueryState& q_;
  db::Database& d_;
  xbase::Table& t_;
  platform::Dialogs& dialogs_;
  Fields f_;
  bool full_;
  Strategy strategy_;
  std::vector<char> seen_;
  std::string phrase_;
  bool checkYears_ = false, checkReferences_ = false;
  std::unordered_map<std::string, bool> refCache_;
  std::int64_t gauge_ = 0;
  bool ended_ = false;
  MatchResult result_ = MatchResult::Complete;
};

// Restores what the matcher changes on shared tables and switches.
struct Restore {
  xbase::Environment& env;
  bool softSeek, exact;
  xbase::Table& experiments;
  xbase::Table& references;
  int refOrder;
  ~Restore() {
    experiments.selectOrder(0);
    references.selectOrder(refOrder);
    env.softSeek = softSeek;
    env.exact = exact;
  }
};

}  // namespace

std::string foundText(int count) { return "Found " + std::to_string(count) + " experiments matching specification"; }

const char* strategyName(Strategy s) {
  switch (s) {
    case Strategy::None: return "none";
    case Strategy::References: return "references";
    case Strategy::LigandsAnyMetal: return "ligands";
    case Strategy::LigandsMetals: return "ligands and metals";
    case Strategy::Metals: return "metals";
    case Strategy::Constant: return "constant";
    case Strategy::Temperature: return "temperature";
    case Strategy::Medium: return "medium";
    case Strategy::Method: return "method";
    case Strategy::Calibration: return "calibration";
    case Strategy::IonicStrength: return "ionic strength";
    case Strategy::Recommendation: return "recommendation";
    case Strategy::DataFlag: return "data flag";
    case Strategy::FullScan: return "every record";
  }
  return "";
}

Strategy chooseStrategy(const QueryState& q) {
  if (q.AllEmpty) return Strategy::None;
  const bool full = q.edition == db::Edition::Full;
  if (q.referenceDriven() && !q.references.empty()) return Strategy::References;
  if (!q.ligands.empty()) return q.metals.empty() ? Strategy::LigandsAnyMetal : Strategy::LigandsMetals;
  if (!q.metals.empty()) return Strategy::Metals;
  const spec::DetailsSpec& d = q.details;
  if (!d.empty) {
    if (d.constantGiven && d.constLow == d.constHigh) return Strategy::Constant;
    if (d.tempGiven && d.tempLow == d.tempHigh) return Strategy::Temperature;
    if (!d.medium.empty() && trimmed(d.medium) != "a") return Strategy::Medium;
    if (full && !d.method.empty()) return Strategy::Method;
    if (full && !d.calibration.empty()) return Strategy::Calibration;
    if (!d.concText.empty()) return Strategy::IonicStrength;
    if (full && d.anyRecommendation) return Strategy::Recommendation;
    if (full && d.anyFlag) return Strategy::DataFlag;
  }
  return Strategy::FullScan;
}

MatchResult runMatcher(QueryState& q, platform::Dialogs& dialogs, Strategy* chosen) {
  q.updateAllEmpty();
  if (chosen) *chosen = Strategy::None;
  if (q.AllEmpty) {
    dialogs.inform(kNoSpecificationToMatchText);
    return MatchResult::NoSpecification;
  }
  if (!q.database || !q.startup || !q.database->experiments.isOpen()) {
    dialogs.inform("The experiment table is not open");
    return MatchResult::Failed;
  }
  db::Database& d = *q.database;
  xbase::Table& t = d.experiments;
  const bool full = q.edition == db::Edition::Full;

  std::int64_t gaugeMax = q.startup->ExperimentCount;
  if (!q.ligands.empty() || !q.metals.empty()) gaugeMax = q.prediction.PredictedCount;
  else if (!q.references.empty()) gaugeMax = q.references.count();
  q.MatchStopRequested = false;
  q.matching = true;
  if (q.matchWindow) {
    q.matchWindow->matchStarted(gaugeMax);
    q.matchWindow->matchMessage(foundText(0));
  }

  q.experiments.clear();
  q.experiments.ListOrder = 1;

  // Year window: the listed references' years (newest first in the table),
  // else the year range.
  if (full && !q.references.empty() && d.references.isOpen()) {
    d.references.go(q.references.entry(1));
    q.MatchYearHigh = wholeOf(d.references.field("SHRFYR"));
    d.references.go(q.references.entry(q.references.count()));
    q.MatchYearLow = wholeOf(d.references.field("SHRFYR"));
  } else if (q.yearRange.active) {
    q.MatchYearLow = q.yearRange.low;
    q.MatchYearHigh = q.yearRange.high;
  } else {
    q.MatchYearLow = q.startup->OldestYear;
    q.MatchYearHigh = q.startup->NewestYear;
  }

  xbase::Environment& env = t.environment();
  Restore restore{env, env.softSeek, env.exact, t, d.references, d.references.order()};
  env.softSeek = true;
  env.exact = true;

  const Strategy strategy = chooseStrategy(q);
  if (chosen) *chosen = strategy;

  const auto openOrder = [&](xbase::Table& table, const std::string& file) {
    if (table.openIndex(d.path(file))) return true;
    dialogs.inform(table.lastError());
    return false;
  };
  const auto finish = [&](MatchResult r) {
    q.matching = false;
    if (q.matchWindow) q.matchWindow->matchEnded();
    return r;
  };

  if (full && !q.references.empty() && strategy != Strategy::References &&
      !openOrder(d.references, "IndShRef.nsx"))
    return finish(MatchResult::Failed);

  Run run(q, dialogs, strategy);
  const spec::DetailsSpec& ds = q.details;
  const auto fieldEquals = [&](int pos, std::string_view value) { return trimView(run.raw(pos)) == value; };
  const int ligPos = t.fieldPos("LIGANDID"), metPos = t.fieldPos("METALNUM");

  switch (strategy) {
    case Strategy::None: break;
    case Strategy::References: {
      if (!openOrder(t, "IndExpRi.nsx")) return finish(MatchResult::Failed);
      const int yrPos = t.fieldPos("REFYR"), inPos = t.fieldPos("REFIN");
      for (const auto ref : q.references.entries()) {
        if (run.ended()) break;
        if (!d.references.go(ref)) continue;
        const std::string year = d.references.field("SHRFYR"), initials = d.references.field("SHRFIN");
        const std::string y = trimmed(year), i = trimmed(initials);
        t.seek(xbase::descendKey(year) + initials);
        run.scan([&] { return fieldEquals(yrPos, y) && fieldEquals(inPos, i); });
      }
      break;
    }
    case Strategy::LigandsAnyMetal:
    case Strategy::LigandsMetals: {
      const bool withRefs = full && !q.references.empty();
      if (!openOrder(t, withRefs ? "indexlmr.nsx" : "index_lm.nsx")) return finish(MatchResult::Failed);
      if (strategy == Strategy::LigandsAnyMetal) {
        env.exact = false;
        for (const auto lig : q.ligands.entries()) {
          if (run.ended()) break;
          const std::string l = std::to_string(lig);
          t.seek(db::ligandKey(lig));
          run.scan([&] { return fieldEquals(ligPos, l); });
        }
      } else {
        for (const auto lig : q.ligands.entries()) {
          const std::string l = std::to_string(lig), lk = db::ligandKey(lig);
          for (const auto met : q.metals.entries()) {
            if (run.ended()) break;
            const std::string m = std::to_string(met);
            t.seek(lk + db::metalKey(met));
            run.scan([&] { return fieldEquals(ligPos, l) && fieldEquals(metPos, m); });
          }
          if (run.ended()) break;
        }
      }
      break;
    }
    case Strategy::Metals: {
      if (!openOrder(t, "index_mt.nsx")) return finish(MatchResult::Failed);
      q.experiments.ListOrder = 2;
      for (const auto met : q.metals.entries()) {
        if (run.ended()) break;
        const std::string m = std::to_string(met);
        t.seek(db::metalKey(met));
        if (t.eof()) break;
        run.scan([&] { return fieldEquals(metPos, m); });
      }
      break;
    }
    case Strategy::Constant: {
      if (!openOrder(t, "IndExp" + ds.constantName + ".nsx")) return finish(MatchResult::Failed);
      const std::string key = upper(trimmed(spec::fixed2(ds.constLow)));
      const int pos = t.fieldPos(ds.constantName + "VAL");
      t.seek(key);
      run.scan([&] { return spec::CleanConstantText(upper(trimView(run.raw(pos)))) == key; });
      break;
    }
    case Strategy::Temperature: {
      if (!openOrder(t, "IndExpTm.nsx")) return finish(MatchResult::Failed);
      const std::string key = std::to_string(ds.tempLow);
      const int pos = t.fieldPos("TEMP");
      t.seek(key);
      run.scan([&] { return upper(trimView(run.raw(pos))) == key; });
      break;
    }
    case Strategy::Medium: {
      if (!openOrder(t, "IndExpMd.nsx")) return finish(MatchResult::Failed);
      const std::string m = trimmed(ds.medium);
      const int pos = t.fieldPos("MEDIUM");
      t.seek(ds.medium);
      run.scan([&] { return fieldEquals(pos, m); });
      break;
    }
    case Strategy::Method: {
      if (!openOrder(t, "IndExpMe.nsx")) return finish(MatchResult::Failed);
      const int pos = t.fieldPos("METHOD");
      t.seek(ds.method);
      run.scan([&] { return fieldEquals(pos, ds.method); });
      break;
    }
    case Strategy::Calibration: {
      if (!openOrder(t, "IndExpCa.nsx")) return finish(MatchResult::Failed);
      const int pos = t.fieldPos("CALIB");
      const bool activity = ds.calibration == "M";
      t.seek(activity ? std::string("A") : ds.calibration);
      run.scan([&] { return activity || fieldEquals(pos, ds.calibration); });
      break;
    }
    case Strategy::IonicStrength: {
      // The text index only answers whether the typed text occurs in CONC;
      // without it the same test is made directly.
      const int handle = xbase::FtsOpen(d.path("IndExpCn.ia").c_str(), 16, 3);
      const int pos = t.fieldPos("CONC");
      const std::string pattern = ds.concText;
      std::string text;
      t.selectOrder(0);
      t.first();
      run.scan([] { return true; },
               [&] {
                 text.assign(run.raw(pos));
                 if (handle > 0) return xbase::FtsVerify(handle, text.c_str(), pattern.c_str(), 3) == 1;
                 return text.find(pattern) != std::string::npos;
               });
      if (handle > 0) xbase::FtsClose(handle);
      break;
    }
    case Strategy::Recommendation: {
      if (!openOrder(t, "IndExpRe.nsx")) return finish(MatchResult::Failed);
      const int pos = t.fieldPos("IUPAC");
      if (ds.iupacProvisional) t.first();
      else t.seek(xbase::descendKey("R"));
      run.scan([&] { return trimView(run.raw(pos)) != "#"; });
      break;
    }
    case Strategy::DataFlag: {
      int k = 0;
      while (k < 3 && !ds.flags[k]) ++k;
      if (!openOrder(t, "IndExpF" + std::to_string(k + 1) + ".nsx")) return finish(MatchResult::Failed);
      const int pos = t.fieldPos("IFLAG" + std::to_string(k + 1));
      t.first();
      run.scan([&] { return logicalTrue(run.raw(pos)); });
      break;
    }
    case Strategy::FullScan: {
      t.selectOrder(0);
      t.first();
      run.scan([&] { return true; });
      break;
    }
  }
  return finish(run.result());
}


MatchResult matchSpecifications(QueryState& q, platform::Dialogs& dialogs) {
  q.updateAllEmpty();
  // A year range alone passes here; the matcher then finds nothing to match.
  if (q.AllEmpty && !q.yearRange.active) {
    dialogs.inform(q.edition == db::Edition::Full
                       ? "You must specify either ligands or metals or references or experimental details first\r\n"
                       : "You must specify either ligands or metals or experimental details first\r\n");
    return MatchResult::NoSpecification;
  }
  if (!q.experiments.empty()) {
    discardExperimentList(q);
    refreshSummary(q);
  }
  MatchResult r = runMatcher(q, dialogs);
  refreshSummary(q);
  if (r != MatchResult::NoSpecification && r != MatchResult::Failed && q.experiments.empty()) {
    dialogs.inform(kNoExperimentsMatchText);
    r = MatchResult::Empty;
  }
  return r;
}

void discardExperimentList(QueryState& q) {
  q.experiments.clear();
  q.updateAllEmpty();
  if (q.matchWindow) q.matchWindow->experimentListDiscarded();
}

bool cancelExperimentList(QueryState& q, platform::Dialogs& dialogs) {
  if (q.experiments.empty() && !q.NoConfirm) {
    dialogs.inform("No experiment list to cancel");
    return false;
  }
  if (!q.NoConfirm && !dialogs.confirm("Do you really want to clear the experiment list ? Confirm by clicking Yes now ..."))
    return false;
  discardExperimentList(q);
  refreshSummary(q);
  if (q.window)
    for (auto k : {spec::ListKind::Ligand, spec::ListKind::Metal, spec::ListKind::Reference})
      q.window->updateListButtons(k);
  if (!q.AllEmpty && !q.NoConfirm)
    dialogs.inform(
        "This has not cleared the specifications, so if you do not want to use them, click on Clear All "
        "Specifications now, or clear them individually");
  return true;
}

ListCommands listCommands(const QueryState& q) {
  ListCommands c;
  const bool full = q.edition == db::Edition::Full;
  c.ProtonateVisible = c.SortVisible = full;
  if (q.matching) return c;
  const bool specified = !q.AllEmpty || q.yearRange.active;
  if (q.experiments.empty() || q.condensedShowsBrowsed) {
    c.MatchSpecifications = specified;
    c.CancelListAllSpecifications = specified;
    c.ReloadExperimentList = true;
    return c;
  }
  const bool browsed = q.experiments.fromBrowse;
  c.MatchSpecifications = specified && !browsed;
  c.CancelListAllSpecifications = true;
  c.ProtonateExperimentList = full && !browsed;
  c.SortExperimentList = full && !browsed;
  c.ExperimentDataToPrinter = c.ExperimentDataToDisk = c.ExperimentDataToClipboard = true;
  c.SaveExperimentList = c.ReloadExperimentList = c.CancelExperimentList = true;
  c.FullDisplay = c.CondensedDisplay = true;
  return c;
}

}  // namespace talvex::match
