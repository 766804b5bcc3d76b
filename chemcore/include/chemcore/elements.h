// The element table: 103 elements in order of atomic number. The row number is
// the atomic number and serves as the element code of connection tables.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace chemcore {

struct Element {
  const char* symbol;               // case as in the periodic table
  const char* name;                 // English name
  std::array<std::uint8_t, 5> valences;  // slot 0 is 0; slots 1-4 the allowed valences ascending
  std::uint8_t group;               // short-form periodic table group
  double atomicWeight;
};

inline constexpr int kElementCount = 103;

// Row 1..103; row 0 is an empty placeholder so that indexes are atomic numbers.
const std::array<Element, kElementCount + 1>& ElementTable();

// Atomic number of a symbol (exact, case-sensitive comparison), 0 when unknown.
int elementNumber(std::string_view symbol);

}  // namespace chemcore
