#include "talvex/spec/Specifications.h"

#include "talvex/spec/CleanText.h"

namespace talvex::spec {

namespace {

std::string selectedText(const SpecificationList& l) {
  return " " + std::to_string(l.count()) + " selected " + (l.count() == 1 ? l.noun() : l.nouns());
}

void afterUserChange(Specifications& s, ListKind k) {
  s.updateAllEmpty();
  s.listChangedByUser(k);
  if (s.window) s.window->updateListButtons(k);
}

}  // namespace

SpecificationList& Specifications::list(ListKind k) {
  switch (k) {
    case ListKind::Metal: return metals;
    case ListKind::Reference: return references;
    case ListKind::Ligand: break;
  }
  return ligands;
}

const SpecificationList& Specifications::list(ListKind k) const {
  return const_cast<Specifications*>(this)->list(k);
}

void Specifications::updateAllEmpty() {
  AllEmpty = ligands.empty() && metals.empty() && references.empty() && details.empty;
}

void Specifications::resetAll() {
  for (ListKind k : {ListKind::Ligand, ListKind::Metal, ListKind::Reference}) {
    SpecificationList& l = list(k);
    l.clear();
    l.ListChanged = false;
    l.SavedListChanged = false;
    l.summaryText.clear();
  }
  details.reset();
  details.ListChanged = false;
  AnyMetalIon = false;
  yearRange = YearRange{};
  NoConfirm = QuietMode = AbortRequested = false;
  updateAllEmpty();
}

// ---- adding -----------------------------------------------------------------

bool addFoundLigand(Specifications& s, const FoundLigand& ligand, platform::Dialogs& dialogs) {
  const bool cited = ligand.countH + ligand.countO != 0;
  if (s.edition == db::Edition::Full && !cited) return false;
  const bool highlight = s.edition == db::Edition::Mini && cited;
  if (s.ligands.add(ligand.line, ligand.record, highlight) != SpecificationList::AddResult::Added) return false;
  if (!s.QuietMode) {
    std::string& memo = s.ligands.summaryText;
    const std::string n = std::to_string(s.ligands.count());
    if (const auto p = memo.find("(found"); p != std::string::npos) {
      const auto q = memo.find("(found ", p);
      if (q != std::string::npos) memo.replace(q + 7, std::string::npos, n + ")");
      else memo.replace(p, std::string::npos, "(found " + n + ")");
    } else {
      memo += " (found " + n + ")";
    }
    dialogs.yieldToUi();
  }
  return true;
}

std::string ligandLineOf(db::Database& database, std::int32_t record) {
  xbase::Table& t = database.ligands;
  if (!t.go(record)) return {};
  return LigandLine(t.field("CAS_NO"), t.field("EMPFORM"), t.field("SH_NAME"), t.field("FULL_NAME"));
}

bool addLigandRecord(Specifications& s, db::Database& database, std::int32_t record, platform::Dialogs& dialogs) {
  xbase::Table& t = database.ligands;
  if (!t.go(record)) return false;
  FoundLigand f;
  f.record = record;
  f.line = LigandLine(t.field("CAS_NO"), t.field("EMPFORM"), t.field("SH_NAME"), t.field("FULL_NAME"));
  f.countH = readWholeNumber(t.field("COUNT_H"));
  f.countO = readWholeNumber(t.field("COUNT_O"));
  return addFoundLigand(s, f, dialogs);
}

bool addMetal(Specifications& s, std::int32_t metalNumber, std::string_view mform) {
  return s.metals.add(MetalLine(mform), metalNumber) == SpecificationList::AddResult::Added;
}

std::string metalLineOf(db::Database& database, std::int32_t metalNumber) {
  if (!database.metals.go(metalNumber + 1)) return {};
  return MetalLine(database.metals.field("MFORM"));
}

bool addMetalRecord(Specifications& s, db::Database& database, std::int32_t metalNumber) {
  if (metalNumber < 0 || !database.metals.go(metalNumber + 1)) return false;
  return addMetal(s, metalNumber, database.metals.field("MFORM"));
}

bool addReference(Specifications& s, std::int32_t record, std::string line, platform::Dialogs& dialogs) {
  if (s.references.add(std::move(line), record) != SpecificationList::AddResult::Added) return false;
  if (!s.QuietMode) {
    s.references.summaryText =
        "Reference specification is being matched (found " + std::to_string(s.references.count()) + ")";
    dialogs.yieldToUi();
  }
  return true;
}

std::string referenceLineOf(db::Database& database, std::int32_t record) {
  xbase::Table& t = database.references;
  if (!t.go(record)) return {};
  return ReferenceLine(t.field("SHRFYR"), t.field("SHRFIN"), t.field("JOURNL"), t.field("AUTHOR"));
}

bool addReferenceRecord(Specifications& s, db::Database& database, std::int32_t record, platform::Dialogs& dialogs) {
  if (!database.references.go(record)) return false;
  return addReference(s, record, referenceLineOf(database, record), dialogs);
}

// ---- list operations ---------------------------------------------------------

bool rejectNonHighlighted(Specifications& s, ListKind k, platform::Dialogs& dialogs) {
  SpecificationList& l = s.list(k);
  if (l.empty()) return false;
  const int highlighted = l.highlightedCount();
  if (highlighted == 0) {
    const std::string q = std::string("No ") + l.nouns() + " highlighted - do you really want to clear the " +
                          l.noun() + " list ? Confirm by clicking Yes now ...";
    if (!dialogs.confirm(q)) return false;
  }
  if (highlighted == l.count()) {
    l.highlightNone();
    return false;
  }
  l.keepHighlighted();
  l.SpecText = selectedText(l);
  l.summaryText = "List contains" + l.SpecText;
  afterUserChange(s, k);
  return true;
}

void clearListSilently(Specifications& s, ListKind k) {
  s.list(k).clear();
  if (k == ListKind::Metal) s.AnyMetalIon = false;
  s.updateAllEmpty();
  if (s.window) s.window->listCleared(k);
}

bool clearListByUser(Specifications& s, ListKind k, platform::Dialogs& dialogs) {
  SpecificationList& l = s.list(k);
  if (!s.NoConfirm && !l.empty()) {
    if (s.window) s.window->showPage(k);
    const std::string q = std::string("Clear ") + l.noun() + " list ? Confirm by clicking Yes now ...";
    if (!dialogs.confirm(q)) return false;
  }
  clearListSilently(s, k);
  l.summaryText = std::string("The ") + l.noun() + " list is empty";
  afterUserChange(s, k);
  if (k == ListKind::Ligand && s.window) s.window->hideFullDetailsLabel();
  if (s.window) s.window->showPage(k);
  return true;
}

bool clearSpecification(Specifications& s, ListKind k, platform::Dialogs& dialogs) {
  if (k == ListKind::Metal) s.AnyMetalIon = false;
  if (k == ListKind::Reference) s.yearRange = YearRange{};
  return clearListByUser(s, k, dialogs);
}

void highlightAll(Specifications& s, ListKind k) {
  s.list(k).highlightAll();
  if (s.window) s.window->showPage(k);
}

void highlightNone(Specifications& s, ListKind k) {
  s.list(k).highlightNone();
  if (s.window) s.window->showPage(k);
}

void invertHighlights(Specifications& s, ListKind k) {
  s.list(k).invertHighlights();
  if (s.window) s.window->showPage(k);
}

void clearDetails(Specifications& s) {
  s.details.reset();
  s.details.ListChanged = true;
  s.updateAllEmpty();
  s.detailsChangedByUser();
}

bool clearAllSpecifications(Specifications& s, platform::Dialogs& dialogs) {
  if (!s.NoConfirm) {
    if (s.hasExperimentList()) {
      if (!dialogs.confirm("Do you really want to clear the experiment list and all the specifications ? "
                           "Confirm by clicking Yes now ..."))
        return false;
    } else if (!s.AllEmpty || s.AnyMetalIon || s.yearRange.active) {
      if (!dialogs.confirm("Do you really want to clear all the specifications ? Confirm by clicking Yes now ..."))
        return false;
    }
  }
  const bool wasSet = s.NoConfirm;
  s.NoConfirm = true;
  clearDetails(s);
  clearSpecification(s, ListKind::Reference, dialogs);
  clearSpecification(s, ListKind::Metal, dialogs);
  clearSpecification(s, ListKind::Ligand, dialogs);
  s.cancelExperimentListSilently();
  s.NoConfirm = wasSet;
  return true;
}

void summarizeSearch(Specifications& s, ListKind k, int countBefore, std::string_view text,
                     platform::Dialogs& dialogs) {
  SpecificationList& l = s.list(k);
  const std::string t(text);
  const int count = l.count();
  if (count == countBefore) {
    if (k == ListKind::Metal)
      dialogs.inform("No metals were added to the list");
    else if (countBefore > 0)
      dialogs.inform(std::string("No new ") + l.nouns() + " were added to the list for" + t +
                     " (if any matched, they were already in the list)");
    else
      dialogs.inform(std::string("No ") + l.nouns() + " were added to the list for" + t);
  }
  if (k == ListKind::Metal && !trimmed(l.SpecText).empty()) l.SpecText += "  & ";
  l.SpecText += t;
  if (l.full()) {
    if (k == ListKind::Ligand) dialogs.inform(kLigandListFullText);
    else if (k == ListKind::Reference) dialogs.inform(kReferenceListFullText);
    else dialogs.inform(kMetalListFullText);
  }
  const std::string head = "List contains ";
  std::string memo;
  if (count >= 2) memo = head + std::to_string(count) + " " + l.nouns() + " for" + l.SpecText;
  else if (count == 1) memo = head + "1 " + l.noun() + " for" + l.SpecText;
  else memo = head + "no " + l.nouns() + " for" + l.SpecText;
  if (countBefore > 0) {
    if (count >= 2) memo += " (added " + std::to_string(count - countBefore) + ")";
    else if (count == 1) memo += " (added none)";
  }
  l.summaryText = memo;
  if (k == ListKind::Ligand) l.SavedListChanged = l.ListChanged;
  if (count != countBefore) afterUserChange(s, k);
  else if (s.window) s.window->updateListButtons(k);
}

}  // namespace talvex::spec
