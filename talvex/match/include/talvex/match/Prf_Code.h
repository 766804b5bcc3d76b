// Experiment matching (module Prf_Code): the summary texts, the prediction of
// the list length, "Match Specifications" with its matcher, cancelling and
// discarding the list, and the list commands of both editions.
#pragma once

#include <string>

#include "platform/Dialogs.h"
#include "talvex/match/QueryState.h"

namespace talvex::match {

// ---- summary texts and prediction -----------------------------------------------

std::string ligandSummary(const QueryState& q);
std::string metalSummary(const QueryState& q);
std::string referenceSummary(const QueryState& q);   // empty in the mini edition
std::string detailsSummary(QueryState& q);           // also sets the details' empty flag

// Recomputes the counts of the prediction from the cross-reference tables as
// the lists stand (the files missing: PredictedCount = ExperimentCount).
void computePrediction(QueryState& q);

// "refresh summary": recomputes the flags, rebuilds the four summaries and
// SpecSummary and, while the list is empty, the prediction and its lines.
void refreshSummary(QueryState& q);

// Leaving a specification page: when its list (or the details) changed, the
// summary and prediction are refreshed.
void pageLeft(QueryState& q, spec::ListKind k);
// Leaving the details page: derives the details from the page values; when
// they changed the experiment list is discarded and the summary refreshed.
// False (nothing changed) when a box could not be read; error says why.
bool detailsPageLeft(QueryState& q, spec::DetailsPage& page, std::string* error = nullptr);
// Entering a page: the ligand page restores ListChanged from its saved copy,
// the others clear theirs.
void pageEntered(QueryState& q, spec::ListKind k);
void detailsPageEntered(QueryState& q);

// ---- matching ---------------------------------------------------------------------

enum class MatchResult {
  NoSpecification,  // the "You must specify ..." / "You have no specification ..." message was shown
  Empty,            // "No experiments match this specification"
  Complete,         // every candidate was tested
  Full,             // the list reached 4999 (message shown)
  Stopped,          // MatchStopRequested: the partial list is kept
  Failed,           // an index could not be opened (message shown)
};

// The strategy the matcher chose, for callers that want to know (tests,
// benchmarks, orvale).
enum class Strategy {
  None,
  References,       // IndExpRi.nsx, each listed reference
  LigandsAnyMetal,  // index_lm.nsx / indexlmr.nsx, ligand keys
  LigandsMetals,    // index_lm.nsx / indexlmr.nsx, ligand + metal keys
  Metals,           // index_mt.nsx
  Constant,         // IndExpK1/K2/B2.nsx
  Temperature,      // IndExpTm.nsx
  Medium,           // IndExpMd.nsx
  Method,           // IndExpMe.nsx
  Calibration,      // IndExpCa.nsx
  IonicStrength,    // every record, text index verify
  Recommendation,   // IndExpRe.nsx
  DataFlag,         // IndExpF1..F4.nsx
  FullScan,         // every record
};
const char* strategyName(Strategy s);
// The row the matcher would take for the current specifications.
Strategy chooseStrategy(const QueryState& q);

// "Match Specifications": checks for a specification, discards an existing
// list, runs the matcher, refreshes the summary, reports an empty result. On
// Complete / Full / Stopped the window opens the displays on the first
// experiment.
MatchResult matchSpecifications(QueryState& q, platform::Dialogs& dialogs);

// The matcher: builds a new experiment list from the specifications. Used by
// "Match Specifications", protonation and the browse views.
MatchResult runMatcher(QueryState& q, platform::Dialogs& dialogs, Strategy* chosen = nullptr);

// "Cancel Experiment List". Returns true when the list was discarded.
bool cancelExperimentList(QueryState& q, platform::Dialogs& dialogs);
// Empties the list silently (any change of a specification does this).
void discardExperimentList(QueryState& q);

// ---- commands -------------------------------------------------------------------

// Which list commands are enabled (and, for the full-edition-only ones,
// visible). The window mirrors it on buttons, menu items and speed buttons.
struct ListCommands {
  bool MatchSpecifications = false;
  bool CancelListAllSpecifications = false;
  bool ReloadExperimentList = false;
  bool SaveExperimentList = false;
  bool ProtonateExperimentList = false;
  bool ProtonateVisible = false;
  bool SortExperimentList = false;
  bool SortVisible = false;
  bool ExperimentDataToPrinter = false;
  bool ExperimentDataToDisk = false;
  bool ExperimentDataToClipboard = false;
  bool CancelExperimentList = false;
  bool FullDisplay = false;
  bool CondensedDisplay = false;
};
ListCommands listCommands(const QueryState& q);

// Message texts.
inline constexpr const char* kNoSpecificationToMatchText = "You have no specification to match !";
inline constexpr const char* kNoExperimentsMatchText = "No experiments match this specification";
inline constexpr const char* kExperimentListFullText =
    "The experiment list is full - you cannot have more than 4999 experiments in the list";
std::string foundText(int count);  // "Found n experiments matching specification"

}  // namespace talvex::match
