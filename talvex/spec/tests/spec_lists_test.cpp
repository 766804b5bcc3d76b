// The specification lists: ordered insert, duplicates, capacities, rejecting,
// clearing, the edition rules of adding ligands, progress and summary texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ScriptedDialogs.h"
#include "talvex/spec/Specifications.h"

using namespace talvex::spec;
using talvex::db::Edition;

namespace {

// Counts what the lists tell the rest of the program.
struct Recorder : Specifications {
  std::vector<ListKind> changed;
  int cancels = 0;
  bool listExists = false;
  void listChangedByUser(ListKind k) override { changed.push_back(k); }
  bool hasExperimentList() const override { return listExists; }
  void cancelExperimentListSilently() override { ++cancels; }
};

void fill(SpecificationList& l, std::vector<int> numbers) {
  for (int n : numbers) l.add("line " + std::to_string(n), n);
}

TEST(SpecificationList, InsertsInOrderWithLinesHighlightsAndReferenceKeys) {
  for (ListKind k : {ListKind::Ligand, ListKind::Metal, ListKind::Reference}) {
    Specifications s;
    SpecificationList& l = s.list(k);
    fill(l, {3, 9, 12});
    l.setHighlighted(2, true);  // 9
    l.ListChanged = false;
    EXPECT_EQ(l.add("line 7", 7), SpecificationList::AddResult::Added);
    EXPECT_EQ(l.entries(), (std::vector<std::int32_t>{3, 7, 9, 12}));
    EXPECT_EQ(l.line(2), "line 7");
    EXPECT_FALSE(l.highlighted(2));
    EXPECT_TRUE(l.highlighted(3)) << "the highlight moves with its entry";
    EXPECT_TRUE(l.ListChanged);
    EXPECT_EQ(l.find(9), 3);
    EXPECT_EQ(l.find(8), 0);
    EXPECT_EQ(l.insertionPosition(8), 3);
    EXPECT_EQ(l.insertionPosition(13), 5);
  }
  ReferenceList r;
  fill(r, {120, 5, 33});
  EXPECT_EQ(r.ReferenceKeyString(), "     5    33   120");
  r.setHighlighted(1, true);
  r.setHighlighted(3, true);
  r.keepHighlighted();
  EXPECT_EQ(r.ReferenceKeyString(), "     5   120");
}

TEST(SpecificationList, DuplicateChangesNothing) {
  LigandList l;
  fill(l, {4, 8});
  l.setHighlighted(2, true);
  l.ListChanged = false;
  EXPECT_EQ(l.add("other", 8), SpecificationList::AddResult::Duplicate);
  EXPECT_EQ(l.count(), 2);
  EXPECT_EQ(l.line(2), "line 8");
  EXPECT_TRUE(l.highlighted(2));
  EXPECT_FALSE(l.ListChanged);

  Specifications s;
  platform::ScriptedDialogs dialogs;
  EXPECT_TRUE(addFoundLigand(s, {8, "x", 1, 0}, dialogs));
  EXPECT_FALSE(addFoundLigand(s, {8, "x", 1, 0}, dialogs)) << "not counted as added";
}

TEST(SpecificationList, CapacityIsNeverExceededAndTheMessageNamesIt) {
  struct Case {
    ListKind kind;
    int capacity;
    std::string message;
  };
  for (const Case& c : {Case{ListKind::Ligand, 1499, kLigandListFullText},
                        Case{ListKind::Metal, 99, kMetalListFullText},
                        Case{ListKind::Reference, 1999, kReferenceListFullText}}) {
    Specifications s;
    platform::ScriptedDialogs dialogs;
    SpecificationList& l = s.list(c.kind);
    for (int n = 1; n <= c.capacity; ++n) ASSERT_EQ(l.add("x", 2 * n), SpecificationList::AddResult::Added);
    EXPECT_EQ(l.add("x", 1), SpecificationList::AddResult::Full);
    EXPECT_EQ(l.count(), c.capacity);
    EXPECT_FALSE(l.contains(1));
    summarizeSearch(s, c.kind, 0, "  name : x", dialogs);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0], c.message);
  }
  EXPECT_NE(std::string(kLigandListFullText).find("1499"), std::string::npos);
  EXPECT_NE(std::string(kReferenceListFullText).find("1999"), std::string::npos);
}

TEST(SpecificationList, RejectNonHighlighted) {
  struct Case {
    const char* name;
    ListKind kind;
    std::vector<bool> highlights;
    int answers;  // -1 none, 0 No, 1 Yes
    std::vector<std::int32_t> left;
    std::string summary;
    const char* question;
  };
  const std::vector<Case> cases = {
      {"all highlighted", ListKind::Ligand, {true, true, true, true, true}, -1, {1, 2, 3, 4, 5}, "", nullptr},
      {"none, Yes", ListKind::Ligand, {false, false, false, false, false}, 1, {}, "List contains 0 selected ligands",
       "No ligands highlighted - do you really want to clear the ligand list ? Confirm by clicking Yes now ..."},
      {"none, No", ListKind::Metal, {false, false, false, false, false}, 0, {1, 2, 3, 4, 5}, "",
       "No metals highlighted - do you really want to clear the metal list ? Confirm by clicking Yes now ..."},
      {"three of five", ListKind::Ligand, {true, false, true, false, true}, -1, {1, 3, 5},
       "List contains 3 selected ligands", nullptr},
      {"one of five", ListKind::Reference, {false, true, false, false, false}, -1, {2},
       "List contains 1 selected reference", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Recorder s;
    platform::ScriptedDialogs dialogs;
    SpecificationList& l = s.list(c.kind);
    fill(l, {1, 2, 3, 4, 5});
    for (int i = 0; i < 5; ++i) l.setHighlighted(i + 1, c.highlights[static_cast<std::size_t>(i)]);
    l.ListChanged = false;
    if (c.answers == 1) dialogs.answerYes();
    if (c.answers == 0) dialogs.answerNo();
    const bool changed = rejectNonHighlighted(s, c.kind, dialogs);
    EXPECT_EQ(l.entries(), c.left);
    EXPECT_EQ(l.highlightedCount(), 0);
    EXPECT_EQ(l.summaryText, c.summary);
    EXPECT_EQ(changed, !c.summary.empty());
    EXPECT_EQ(l.ListChanged, l.count() < 5);
    EXPECT_EQ(s.changed.size(), changed ? 1u : 0u) << "the experiment list is discarded after a reject";
    if (c.question) EXPECT_EQ(dialogs.asked, std::vector<std::string>{c.question});
    else EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_TRUE(dialogs.unexpected.empty());
    // The lines stay with their entries.
    for (int i = 1; i <= l.count(); ++i) EXPECT_EQ(l.line(i), "line " + std::to_string(l.entry(i)));
  }
}

TEST(SpecificationList, ClearAsksAndNoKeepsListAndHighlights) {
  Recorder s;
  platform::ScriptedDialogs dialogs;
  fill(s.ligands, {2, 4});
  s.ligands.setHighlighted(2, true);
  s.updateAllEmpty();
  dialogs.answerNo();
  EXPECT_FALSE(clearListByUser(s, ListKind::Ligand, dialogs));
  EXPECT_EQ(dialogs.asked, std::vector<std::string>{"Clear ligand list ? Confirm by clicking Yes now ..."});
  EXPECT_EQ(s.ligands.count(), 2);
  EXPECT_TRUE(s.ligands.highlighted(2));
  EXPECT_FALSE(s.AllEmpty);

  dialogs.answerYes();
  EXPECT_TRUE(clearListByUser(s, ListKind::Ligand, dialogs));
  EXPECT_TRUE(s.ligands.empty());
  EXPECT_EQ(s.ligands.summaryText, "The ligand list is empty");
  EXPECT_TRUE(s.AllEmpty);
  EXPECT_TRUE(s.ligands.ListChanged);

  // NoConfirm asks nothing.
  fill(s.references, {7});
  s.NoConfirm = true;
  EXPECT_TRUE(clearListByUser(s, ListKind::Reference, dialogs));
  EXPECT_EQ(dialogs.asked.size(), 2u);
  EXPECT_EQ(s.references.summaryText, "The reference list is empty");
}

TEST(SpecificationList, ClearAllSpecifications) {
  {  // Nothing specified and no list: nothing is asked.
    Recorder s;
    platform::ScriptedDialogs dialogs;
    EXPECT_TRUE(clearAllSpecifications(s, dialogs));
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(s.cancels, 1);
  }
  {  // A specification: asked; No keeps everything.
    Recorder s;
    platform::ScriptedDialogs dialogs;
    fill(s.metals, {2, 3});
    s.updateAllEmpty();
    dialogs.answerNo();
    EXPECT_FALSE(clearAllSpecifications(s, dialogs));
    EXPECT_EQ(dialogs.asked,
              std::vector<std::string>{
                  "Do you really want to clear all the specifications ? Confirm by clicking Yes now ..."});
    EXPECT_EQ(s.metals.count(), 2);
  }
  {  // An experiment list: the other question; Yes clears all without further questions.
    Recorder s;
    platform::ScriptedDialogs dialogs;
    s.listExists = true;
    fill(s.ligands, {1});
    fill(s.metals, {2});
    fill(s.references, {3});
    s.details.DetailsKey = std::string(22, '?');
    s.details.empty = false;
    s.AnyMetalIon = true;
    s.yearRange.active = true;
    s.updateAllEmpty();
    dialogs.answerYes();
    EXPECT_TRUE(clearAllSpecifications(s, dialogs));
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{"Do you really want to clear the experiment list and all the "
                                                      "specifications ? Confirm by clicking Yes now ..."});
    EXPECT_TRUE(s.AllEmpty);
    EXPECT_FALSE(s.AnyMetalIon);
    EXPECT_FALSE(s.yearRange.active);
    EXPECT_FALSE(s.NoConfirm);
    EXPECT_TRUE(dialogs.unexpected.empty());
  }
}

TEST(SpecificationList, HighlightAllNoneInvert) {
  Specifications s;
  fill(s.metals, {1, 2, 3});
  s.metals.setHighlighted(2, true);
  invertHighlights(s, ListKind::Metal);
  EXPECT_EQ(s.metals.highlightedCount(), 2);
  EXPECT_FALSE(s.metals.highlighted(2));
  highlightAll(s, ListKind::Metal);
  EXPECT_EQ(s.metals.highlightedCount(), 3);
  highlightNone(s, ListKind::Metal);
  EXPECT_EQ(s.metals.highlightedCount(), 0);
}

TEST(AddLigand, EditionRulesAndProgressText) {
  struct Case {
    Edition edition;
    int countH, countO;
    bool added, highlighted;
  };
  for (const Case& c : {Case{Edition::Full, 0, 0, false, false}, Case{Edition::Full, 0, 3, true, false},
                        Case{Edition::Mini, 0, 0, true, false}, Case{Edition::Mini, 2, 0, true, true}}) {
    Specifications s;
    s.edition = c.edition;
    platform::ScriptedDialogs dialogs;
    EXPECT_EQ(addFoundLigand(s, {5, "line", c.countH, c.countO}, dialogs), c.added);
    EXPECT_EQ(s.ligands.contains(5), c.added);
    EXPECT_EQ(s.ligands.highlighted(1), c.highlighted);
  }

  Specifications s;
  platform::ScriptedDialogs dialogs;
  s.ligands.summaryText = "Searching";
  addFoundLigand(s, {5, "a", 1, 0}, dialogs);
  EXPECT_EQ(s.ligands.summaryText, "Searching (found 1)");
  addFoundLigand(s, {2, "b", 1, 0}, dialogs);
  EXPECT_EQ(s.ligands.summaryText, "Searching (found 2)");
  EXPECT_EQ(dialogs.yields, 2);
  s.QuietMode = true;
  addFoundLigand(s, {9, "c", 1, 0}, dialogs);
  EXPECT_EQ(s.ligands.summaryText, "Searching (found 2)");
  EXPECT_EQ(dialogs.yields, 2);

  s.QuietMode = false;
  addReference(s, 40, "r", dialogs);
  addReference(s, 10, "r", dialogs);
  EXPECT_EQ(s.references.summaryText, "Reference specification is being matched (found 2)");
}

TEST(SummaryAfterSearch, Texts) {
  struct Case {
    ListKind kind;
    std::vector<int> before, found;
    std::string specBefore, text;
    std::string memo;
    std::vector<std::string> shown;
  };
  const std::vector<Case> cases = {
      {ListKind::Ligand, {1, 2, 3, 4}, {9}, "  name : x", "  name : y", "List contains 5 ligands for  name : x  name : y (added 1)", {}},
      {ListKind::Ligand, {}, {9}, "", "  name : y", "List contains 1 ligand for  name : y", {}},
      {ListKind::Ligand, {}, {9, 11}, "", "  CAS : 1", "List contains 2 ligands for  CAS : 1", {}},
      {ListKind::Ligand, {}, {}, "", "  name : q", "List contains no ligands for  name : q",
       {"No ligands were added to the list for  name : q"}},
      {ListKind::Ligand, {3}, {3}, "  name : x", "  name : x", "List contains 1 ligand for  name : x  name : x (added none)",
       {"No new ligands were added to the list for  name : x (if any matched, they were already in the list)"}},
      {ListKind::Reference, {5}, {}, "  journal : a", "  journal : b",
       "List contains 1 reference for  journal : a  journal : b (added none)",
       {"No new references were added to the list for  journal : b (if any matched, they were already in the list)"}},
      {ListKind::Metal, {2}, {}, " name : Cu", " name : Zn", "List contains 1 metal for name : Cu  &  name : Zn (added none)",
       {"No metals were added to the list"}},
      {ListKind::Metal, {}, {2, 3}, "", " name : Cu", "List contains 2 metals for name : Cu", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.memo);
    Specifications s;
    platform::ScriptedDialogs dialogs;
    SpecificationList& l = s.list(c.kind);
    fill(l, c.before);
    l.SpecText = c.specBefore;
    const int c0 = l.count();
    fill(l, c.found);
    summarizeSearch(s, c.kind, c0, c.text, dialogs);
    EXPECT_EQ(l.summaryText, c.memo);
    EXPECT_EQ(dialogs.shown, c.shown);
  }
}

TEST(SpecificationList, DisplayLines) {
  EXPECT_EQ(LigandLine("   56-40-6", "C2H5NO2", "Gly", "glycine "),
            "56-40-6      C2H5NO2               Gly              glycine");
  EXPECT_EQ(LigandLine("", "C12H22O11Verylongformula", "x", "y").substr(13, 25), "C12H22O11Verylongformulax");
  EXPECT_EQ(ReferenceLine("1984", "PEa", "J. Chem.", "Smith").size(), 91u);
  EXPECT_EQ(ReferenceLine("1984", "PEa", "J. Chem.", "Smith").substr(0, 12), "1984PEa  J. ");
}

}  // namespace
