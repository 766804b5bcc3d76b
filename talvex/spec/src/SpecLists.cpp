#include "talvex/spec/SpecLists.h"

#include <algorithm>
#include <cstdio>

#include "talvex/spec/CleanText.h"

namespace talvex::spec {

namespace {

std::string padded(std::string_view value, std::size_t width) {
  std::string s = trimmed(value);
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

std::string referenceKey(std::int32_t number) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%6d", static_cast<int>(number));
  return std::string(buf).substr(0, 6);
}

}  // namespace

SpecificationList::SpecificationList(ListKind kind) : kind_(kind) {}

int SpecificationList::capacity() const {
  switch (kind_) {
    case ListKind::Ligand: return LigandList::kCapacity;
    case ListKind::Metal: return MetalList::kCapacity;
    case ListKind::Reference: return ReferenceList::kCapacity;
  }
  return 0;
}

const char* SpecificationList::noun() const {
  switch (kind_) {
    case ListKind::Ligand: return "ligand";
    case ListKind::Metal: return "metal";
    case ListKind::Reference: return "reference";
  }
  return "";
}

const char* SpecificationList::nouns() const {
  switch (kind_) {
    case ListKind::Ligand: return "ligands";
    case ListKind::Metal: return "metals";
    case ListKind::Reference: return "references";
  }
  return "";
}

std::int32_t SpecificationList::entry(int position) const {
  return position >= 1 && position <= count() ? entries_[static_cast<std::size_t>(position - 1)] : 0;
}

const std::string& SpecificationList::line(int position) const {
  static const std::string none;
  return position >= 1 && position <= count() ? lines_[static_cast<std::size_t>(position - 1)] : none;
}

bool SpecificationList::highlighted(int position) const {
  return position >= 1 && position <= count() && highlights_[static_cast<std::size_t>(position - 1)] != 0;
}

void SpecificationList::setHighlighted(int position, bool on) {
  if (position >= 1 && position <= count()) highlights_[static_cast<std::size_t>(position - 1)] = on ? 1 : 0;
}

int SpecificationList::highlightedCount() const {
  return static_cast<int>(std::count(highlights_.begin(), highlights_.end(), char{1}));
}

int SpecificationList::find(std::int32_t number) const {
  const auto it = std::lower_bound(entries_.begin(), entries_.end(), number);
  return it != entries_.end() && *it == number ? static_cast<int>(it - entries_.begin()) + 1 : 0;
}

int SpecificationList::insertionPosition(std::int32_t number) const {
  return static_cast<int>(std::upper_bound(entries_.begin(), entries_.end(), number) - entries_.begin()) + 1;
}

SpecificationList::AddResult SpecificationList::add(std::string line, std::int32_t number, bool highlight) {
  if (find(number) != 0) return AddResult::Duplicate;
  if (full()) return AddResult::Full;
  const int pos = insertionPosition(number);
  const auto at = static_cast<std::ptrdiff_t>(pos - 1);
  entries_.insert(entries_.begin() + at, number);
  lines_.insert(lines_.begin() + at, std::move(line));
  highlights_.insert(highlights_.begin() + at, highlight ? 1 : 0);
  ListChanged = true;
  inserted(pos, number);
  return AddResult::Added;
}

bool SpecificationList::remove(std::int32_t number) {
  const int pos = find(number);
  if (pos == 0) return false;
  const auto at = static_cast<std::ptrdiff_t>(pos - 1);
  entries_.erase(entries_.begin() + at);
  lines_.erase(lines_.begin() + at);
  highlights_.erase(highlights_.begin() + at);
  ListChanged = true;
  rebuilt();
  return true;
}

void SpecificationList::clear() {
  if (!entries_.empty()) ListChanged = true;
  entries_.clear();
  lines_.clear();
  highlights_.clear();
  SpecText.clear();
  rebuilt();
}

void SpecificationList::highlightAll() { std::fill(highlights_.begin(), highlights_.end(), char{1}); }
void SpecificationList::highlightNone() { std::fill(highlights_.begin(), highlights_.end(), char{0}); }
void SpecificationList::invertHighlights() {
  for (char& h : highlights_) h = h ? 0 : 1;
}

int SpecificationList::keepHighlighted() {
  std::size_t w = 0;
  for (std::size_t r = 0; r < entries_.size(); ++r) {
    if (!highlights_[r]) continue;
    if (w != r) {
      entries_[w] = entries_[r];
      lines_[w] = std::move(lines_[r]);
    }
    ++w;
  }
  const int removed = static_cast<int>(entries_.size() - w);
  entries_.resize(w);
  lines_.resize(w);
  highlights_.assign(w, 0);
  if (removed > 0) ListChanged = true;
  rebuilt();
  return removed;
}

void ReferenceList::inserted(int position, std::int32_t number) {
  keys_.insert(static_cast<std::size_t>(position - 1) * 6, referenceKey(number));
}

void ReferenceList::rebuilt() {
  keys_.clear();
  for (const std::int32_t n : entries()) keys_ += referenceKey(n);
}

std::string LigandLine(std::string_view cas, std::string_view empForm, std::string_view shortName,
                       std::string_view fullName) {
  return padded(cas, 13) + padded(empForm, 22) + padded(shortName, 17) + trimmed(fullName);
}

std::string MetalLine(std::string_view mform) { return std::string(mform); }

std::string ReferenceLine(std::string_view shrfyr, std::string_view shrfin, std::string_view journl,
                          std::string_view author) {
  return padded(trimmed(shrfyr) + trimmed(shrfin), 9) + padded(journl, 42) + padded(author, 40);
}

}  // namespace talvex::spec
