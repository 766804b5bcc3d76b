// The query program's one program-wide state: the four specifications with
// their flags and year range, the experiment list, the prediction, the
// matching state and the summary texts. The main window owns one instance.
#pragma once

#include <cstdint>
#include <string>

#include "talvex/app/TalvexSubs.h"
#include "talvex/db/Database.h"
#include "talvex/match/ExperimentList.h"
#include "talvex/spec/Specifications.h"

namespace talvex {

namespace match {

// The estimate of the list length from the cross-reference tables.
struct Prediction {
  std::int64_t PredictedMetalCount = 0;   // metal numbers above 1
  std::int64_t PredictedProtonCount = 0;  // hydrogen and deuterium
  std::int64_t PredictedCount = 0;        // their sum
  std::int64_t FullDatabaseCount = 0;     // mini edition: the full database's count
  bool fullDatabaseCounted = false;       // FullDatabaseCount was computed (cross-reference present)
  void zero() { *this = Prediction{}; }
};

// What the window does while matching and after the list changed.
struct MatchWindow {
  // Matching starts: show PQuit_Btn, prf_msg and prf_gauge with this maximum.
  virtual void matchStarted(std::int64_t /*gaugeMaximum*/) {}
  virtual void gauge(std::int64_t /*position*/) {}
  // prf_msg: "Found n experiments matching specification".
  virtual void matchMessage(std::string_view /*text*/) {}
  // Matching ended: hide the progress controls.
  virtual void matchEnded() {}
  // The list was discarded: reset display positions, hide both displays.
  virtual void experimentListDiscarded() {}
  virtual ~MatchWindow() = default;
};

}  // namespace match

struct QueryState : spec::Specifications {
  QueryState() = default;

  // Set once "Use Database" has opened the database.
  const app::StartupState* startup = nullptr;
  db::Database* database = nullptr;
  // Binds the state to the opened database (edition, year span) and resets
  // every specification and the list silently.
  void attach(const app::StartupState& s, db::Database& d);

  match::ExperimentList experiments;
  match::Prediction prediction;

  // Matching state.
  bool MatchStopRequested = false;
  bool matching = false;              // the matcher is running
  int MatchYearLow = 0, MatchYearHigh = 0;
  bool condensedShowsBrowsed = false; // the condensed display shows browsed constants

  // Summary texts of the "Experiment List" page.
  std::string LigandSummary, MetalSummary, ReferenceSummary, DetailsSummary;
  std::string SpecSummary = "No specifications made yet";  // PrfMemo

  match::MatchWindow* matchWindow = nullptr;

  // The mini edition's cross-reference of the full database, opened when
  // first needed.
  xbase::Table fullCrossReference;

  bool listEmpty() const { return experiments.empty(); }
  bool noSpecification() const { return AllEmpty; }
  bool readyToMatch() const { return experiments.empty() && !AllEmpty; }
  // Full edition with ligand and metal lists empty.
  bool referenceDriven() const;

  void listChangedByUser(spec::ListKind k) override;
  void detailsChangedByUser() override;
  bool hasExperimentList() const override { return !experiments.empty(); }
  void cancelExperimentListSilently() override;
};

}  // namespace talvex
