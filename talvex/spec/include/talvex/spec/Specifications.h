// The four specifications with the program-wide flags kept beside them, and
// the operations the list pages start: adding found records, rejecting
// non-highlighted entries, clearing with confirmation, highlights, and the
// summary after a search. Questions and messages go through platform::Dialogs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Dialogs.h"
#include "talvex/db/Database.h"
#include "talvex/spec/DetailsSpec.h"
#include "talvex/spec/SpecLists.h"

namespace talvex::spec {

// The reference page's year range: the range in force and the box text as
// last normalised. Inactive means the full span OldestYear..NewestYear.
struct YearRange {
  bool active = false;
  int low = 0, high = 0;
  std::string text;           // sYearRng
};

// What the window does when the lists change; every member may be left as is.
struct SpecWindow {
  virtual void showPage(ListKind) {}
  virtual void updateListButtons(ListKind) {}
  // The silent clear of a list: the ligand page resets its structure-search
  // state and match mode, the reference page empties the author window,
  // the metal page unchecks its group boxes.
  virtual void listCleared(ListKind) {}
  // The ligand page hides its hint label FullDetailsLabel after a clear.
  virtual void hideFullDetailsLabel() {}
  virtual ~SpecWindow() = default;
};

struct Specifications {
  Specifications() = default;
  Specifications(const Specifications&) = delete;
  Specifications& operator=(const Specifications&) = delete;
  virtual ~Specifications() = default;

  db::Edition edition = db::Edition::Full;
  LigandList ligands;
  MetalList metals;
  ReferenceList references;
  DetailsSpec details;
  bool AnyMetalIon = false;   // metal list empty: any metal except H+/D+
  YearRange yearRange;

  // Program-wide flags.
  bool AllEmpty = true;       // the three lists and the details are empty
  bool NoConfirm = false;     // clearing operations ask nothing
  bool QuietMode = false;     // lists fill without progress texts
  bool AbortRequested = false;

  SpecWindow* window = nullptr;

  SpecificationList& list(ListKind k);
  const SpecificationList& list(ListKind k) const;

  // Recomputes AllEmpty.
  void updateAllEmpty();

  // Called after a user operation (search, reject, clear) changed a list:
  // the experiment list is discarded and, for ligands and metals, the
  // prediction is computed afresh. The query state overrides it.
  virtual void listChangedByUser(ListKind) {}
  // Called when the experimental details are cleared.
  virtual void detailsChangedByUser() {}
  // True while an experiment list exists (the query state overrides it).
  virtual bool hasExperimentList() const { return false; }
  // Discards the experiment list as "Cancel List/All Specifications" does
  // after clearing the specifications (the query state overrides it).
  virtual void cancelExperimentListSilently() {}

  // Every specification back to its start-up state, nothing asked.
  void resetAll();
};

// ---- adding found records ---------------------------------------------------

// A ligand found by a search, with the totals of its record.
struct FoundLigand {
  std::int32_t record = 0;
  std::string line;           // LigandLine of the record
  int countH = 0, countO = 0; // COUNT_H, COUNT_O
};

// Adds a found ligand with the edition's rules: the full edition never adds a
// ligand no experiment cites (COUNT_H + COUNT_O = 0); the mini edition adds
// it and highlights the cited ones. Unless QuietMode is set the progress text
// " (found n)" in the ligand summary is brought up to date and the window is
// given its turn. Returns true when the ligand was added.
bool addFoundLigand(Specifications& s, const FoundLigand& ligand, platform::Dialogs& dialogs);
// The same for a record of the open ligand table.
bool addLigandRecord(Specifications& s, db::Database& database, std::int32_t record, platform::Dialogs& dialogs);

// Adds a metal by its metal number (record number - 1) with its MFORM line.
bool addMetal(Specifications& s, std::int32_t metalNumber, std::string_view mform);
bool addMetalRecord(Specifications& s, db::Database& database, std::int32_t metalNumber);

// Adds a reference; unless QuietMode is set the reference summary reads
// "Reference specification is being matched (found n)" and the window is
// given its turn.
bool addReference(Specifications& s, std::int32_t record, std::string line, platform::Dialogs& dialogs);
bool addReferenceRecord(Specifications& s, db::Database& database, std::int32_t record, platform::Dialogs& dialogs);

// Display lines of records of the open tables.
std::string ligandLineOf(db::Database& database, std::int32_t record);
std::string metalLineOf(db::Database& database, std::int32_t metalNumber);
std::string referenceLineOf(db::Database& database, std::int32_t record);

// ---- operations of the list pages --------------------------------------------

// "Reject non-Highlighted ...". Returns true when the list changed.
bool rejectNonHighlighted(Specifications& s, ListKind k, platform::Dialogs& dialogs);
// "Clear ... list" as the user starts it (and as "Clear ... Specification"
// does after emptying its boxes). Returns true when the list was cleared.
bool clearListByUser(Specifications& s, ListKind k, platform::Dialogs& dialogs);
// "Clear Ligand / Metal / Reference Specification": empties what the page
// keeps besides the list (metals: AnyMetalIon; references: the year range),
// then clears the list as the user does, so the list survives a No.
bool clearSpecification(Specifications& s, ListKind k, platform::Dialogs& dialogs);
// The silent clear: entries, lines and SpecText; recomputes AllEmpty.
void clearListSilently(Specifications& s, ListKind k);
// "Highlight All" / "Highlight None" / "Invert Highlights".
void highlightAll(Specifications& s, ListKind k);
void highlightNone(Specifications& s, ListKind k);
void invertHighlights(Specifications& s, ListKind k);
// "Clear Experimental Details Specification": details reset, ListChanged set.
void clearDetails(Specifications& s);
// "Cancel List/All Specifications". Returns true when it cleared.
bool clearAllSpecifications(Specifications& s, platform::Dialogs& dialogs);

// The summary after a search: countBefore is the count at the start of the
// search, text the search's description (it begins with two blanks). Shows
// the "No ... added" and "list is full" messages, appends text to SpecText
// and sets the list's summaryText.
void summarizeSearch(Specifications& s, ListKind k, int countBefore, std::string_view text,
                     platform::Dialogs& dialogs);

// Message texts.
inline constexpr const char* kLigandListFullText = "The ligand list is full - you cannot have more than 1499 ligands in the list";
inline constexpr const char* kReferenceListFullText =
    "The reference list is full - you cannot have more than 1999 references in the list";
inline constexpr const char* kMetalListFullText = " The metal list is full - you need to tighten your specification !";

}  // namespace talvex::spec
