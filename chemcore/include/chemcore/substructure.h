// StrSrchSubs: the sub-structure search. The query table is mapped atom by
// atom into a ligand's table: same element, every query bond present between
// the mapped atoms (optionally of the same type), and no further bond between
// mapped atoms. Depth-first with backtracking, most constrained atom first;
// the candidate lists of every open level share one fixed stack, so a search
// allocates nothing.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "chemcore/connection_table.h"
#include "chemcore/sdfmol.h"

namespace chemcore {

inline constexpr int kCandidateStackSize = 2000;

enum class MatchResult { Yes, No, Over, Err };

// "YES", "NO", "OVER" or "ERR".
std::string_view ResultWord(MatchResult r);

// The working state of one search (1-based arrays). Reusable between searches.
struct SearchWorkspace {
  std::array<std::int32_t, kConnectionCapacity + 1> map{};       // query atom -> target atom
  std::array<std::int32_t, kConnectionCapacity + 1> inv{};       // target atom -> query atom
  std::array<std::uint8_t, kConnectionCapacity + 1> frontier{};  // unmatched query atom with a matched neighbour
  std::array<std::int32_t, kConnectionCapacity + 1> levelQ{};
  std::array<std::int32_t, kConnectionCapacity + 1> levelEnd{};
  std::array<std::int32_t, kConnectionCapacity + 1> levelPtr{};
  std::array<std::int32_t, kConnectionCapacity + 1> nbr{};
  std::array<std::int32_t, kCandidateStackSize + 1> candidates{};
};

// Both tables must be consistent (ConnectionTableConsistent): the readers and
// BuildQueryConnectionTable guarantee it. exactBonds: bond types must be equal.
MatchResult SubstructureMatch(const ConnectionTable& query, const ConnectionTable& target, bool exactBonds,
                              SearchWorkspace& work);

// The fields of one ligand record that the per-ligand test reads.
struct LigandSearchFields {
  std::string_view classText;  // CLASS
  std::string_view atoms;      // ATOMS
  std::string_view bonds;      // BONDS
  std::string_view struc;      // STRUC memo
};

// The per-ligand test of the ligand search. key is a class code (true when it
// occurs in CLASS) or "@" for the structure query: a ligand without atoms or
// bonds, or whose stored table cannot be read, does not match; otherwise the
// query table is searched in the ligand's table (read into
// mol.LigandConnectionTable) and only "YES" matches.
bool LigandMatches(SdfMol& mol, std::string_view key, const LigandSearchFields& fields, bool exactBonds,
                   SearchWorkspace& work);

}  // namespace chemcore
