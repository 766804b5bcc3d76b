// The three specification lists: ligands, metal ions and references. Each is
// an ascending list of record numbers (metal numbers for metals) with one
// display line and one highlight per entry, the text of what it was searched
// for, its change flag and its summary memo text.
//
// Positions are 1-based, as the list boxes number their lines from the top.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talvex::spec {

enum class ListKind { Ligand, Metal, Reference };

class SpecificationList {
 public:
  explicit SpecificationList(ListKind kind);

  ListKind kind() const { return kind_; }
  int capacity() const;                      // 1499 / 99 / 1999
  int count() const { return static_cast<int>(entries_.size()); }
  bool empty() const { return entries_.empty(); }
  bool full() const { return count() >= capacity(); }

  // Entries, lines and highlights in list order.
  const std::vector<std::int32_t>& entries() const { return entries_; }
  const std::vector<std::string>& lines() const { return lines_; }
  std::int32_t entry(int position) const;    // 0 when out of range
  const std::string& line(int position) const;
  bool highlighted(int position) const;
  void setHighlighted(int position, bool on);  // the window mirrors a click here
  int highlightedCount() const;

  // Position of the number, or 0 when absent.
  int find(std::int32_t number) const;
  // Where the number would be inserted: the position of the first entry
  // greater than it, or count + 1.
  int insertionPosition(std::int32_t number) const;
  bool contains(std::int32_t number) const { return find(number) != 0; }

  enum class AddResult { Added, Duplicate, Full };
  // Inserts number and line in order. A number already present changes
  // nothing; a full list stores nothing. Added sets ListChanged.
  AddResult add(std::string line, std::int32_t number, bool highlight = false);
  // Removes the entry and its line when present; sets ListChanged.
  bool remove(std::int32_t number);
  // Empties entries, lines and SpecText; ListChanged is set only when the
  // list was not empty.
  void clear();

  void highlightAll();
  void highlightNone();
  void invertHighlights();
  // Keeps only the highlighted entries (highlights cleared afterwards);
  // returns the number removed.
  int keepHighlighted();

  // The names the messages use: "ligand" / "metal" / "reference".
  const char* noun() const;
  const char* nouns() const;

  std::string SpecText;          // what the list was searched for
  bool ListChanged = false;      // changed since the experiment list was matched
  bool SavedListChanged = false; // ligands: copy taken at the end of a search
  std::string summaryText;       // the memo LigTotal / MetTotal / RefTotal

 protected:
  virtual void inserted(int /*position*/, std::int32_t /*number*/) {}
  virtual void rebuilt() {}

 private:
  ListKind kind_;
  std::vector<std::int32_t> entries_;
  std::vector<std::string> lines_;
  std::vector<char> highlights_;
};

class LigandList : public SpecificationList {
 public:
  static constexpr int kCapacity = 1499;
  LigandList() : SpecificationList(ListKind::Ligand) {}
};

class MetalList : public SpecificationList {
 public:
  static constexpr int kCapacity = 99;
  MetalList() : SpecificationList(ListKind::Metal) {}
};

class ReferenceList : public SpecificationList {
 public:
  static constexpr int kCapacity = 1999;
  ReferenceList() : SpecificationList(ListKind::Reference) {}
  // The entries in order, each right-justified in 6 characters, concatenated.
  const std::string& ReferenceKeyString() const { return keys_; }

 protected:
  void inserted(int position, std::int32_t number) override;
  void rebuilt() override;

 private:
  std::string keys_;
};

// Display lines. Values are trimmed, padded on the right to their column
// width, and kept whole when longer.
// CAS_NO to 13, EMPFORM to 22, SH_NAME to 17, then FULL_NAME.
std::string LigandLine(std::string_view cas, std::string_view empForm, std::string_view shortName,
                       std::string_view fullName);
// The stored MFORM text.
std::string MetalLine(std::string_view mform);
// SHRFYR + SHRFIN to 9, JOURNL to 42, AUTHOR to 40.
std::string ReferenceLine(std::string_view shrfyr, std::string_view shrfin, std::string_view journl,
                          std::string_view author);

}  // namespace talvex::spec
