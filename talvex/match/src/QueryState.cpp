#include "talvex/match/QueryState.h"

#include <algorithm>

#include "talvex/match/Prf_Code.h"

namespace talvex {

namespace match {

bool ExperimentList::contains(std::int32_t record) const {
  return std::find(entries.begin(), entries.end(), record) != entries.end();
}

std::int32_t ExperimentList::entry(int position) const {
  return position >= 1 && position <= count() ? entries[static_cast<std::size_t>(position - 1)] : 0;
}

void ExperimentList::clear() {
  entries.clear();
  ListOrder = 0;
  fromBrowse = false;
  forcedSort = false;
}

}  // namespace match

void QueryState::attach(const app::StartupState& s, db::Database& d) {
  startup = &s;
  database = &d;
  edition = s.Edition;
  fullCrossReference.close();
  resetAll();
  yearRange.low = s.OldestYear;
  yearRange.high = s.NewestYear;
  experiments.clear();
  prediction.zero();
  MatchStopRequested = matching = false;
  MatchYearLow = s.OldestYear;
  MatchYearHigh = s.NewestYear;
  condensedShowsBrowsed = false;
  LigandSummary.clear();
  MetalSummary.clear();
  ReferenceSummary.clear();
  DetailsSummary.clear();
  SpecSummary = "No specifications made yet";
}

bool QueryState::referenceDriven() const {
  return edition == db::Edition::Full && ligands.empty() && metals.empty();
}

void QueryState::listChangedByUser(spec::ListKind k) {
  if (!experiments.empty()) match::discardExperimentList(*this);
  if (k != spec::ListKind::Reference) prediction.zero();
}

void QueryState::detailsChangedByUser() {
  if (!experiments.empty()) match::discardExperimentList(*this);
}

void QueryState::cancelExperimentListSilently() {
  match::discardExperimentList(*this);
  match::refreshSummary(*this);
}

}  // namespace talvex
