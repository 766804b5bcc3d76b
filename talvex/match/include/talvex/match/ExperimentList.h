// The experiment list: record numbers of matched experiments in list order.
#pragma once

#include <cstdint>
#include <vector>

namespace talvex::match {

struct ExperimentList {
  static constexpr int kCapacity = 4999;

  std::vector<std::int32_t> entries;  // list order, no number twice
  // 0 unknown, 1 ligand/metal/reference, 2 metal/ligand/reference,
  // 3 ligand/reference/metal, 4 reference/ligand/metal,
  // 5 reference/metal/ligand, 6 lg K1 descending.
  int ListOrder = 0;
  bool fromBrowse = false;            // made from a browsed record
  bool forcedSort = false;

  int count() const { return static_cast<int>(entries.size()); }
  bool empty() const { return entries.empty(); }
  bool full() const { return count() >= kCapacity; }
  bool contains(std::int32_t record) const;  // "in list"
  // 1-based; 0 when out of range.
  std::int32_t entry(int position) const;
  void clear();
};

}  // namespace talvex::match
