#include "chemcore/substructure.h"

#include <algorithm>


namespace chemcore {

namespace {

using Index = std::size_t;

// Adjacency range of atom k: entries first(k)..end(k).
inline std::int32_t adjFirst(const ConnectionTable& t, std::int32_t k) {
  return k == 1 ? 1 : t.AdjEnd[static_cast<Index>(k - 1)] + 1;
}
inline std::int32_t adjLast(const ConnectionTable& t, std::int32_t k) { return t.AdjEnd[static_cast<Index>(k)]; }
inline std::int32_t degree(const ConnectionTable& t, std::int32_t k) { return adjLast(t, k) - adjFirst(t, k) + 1; }

// Adjacency entry of atom k that leads to atom other, 0 when there is none.
inline std::int32_t findNeighbour(const ConnectionTable& t, std::int32_t k, std::int32_t other) {
  for (std::int32_t e = adjFirst(t, k), last = adjLast(t, k); e <= last; ++e)
    if (t.AdjAtom[static_cast<Index>(e)] == other) return e;
  return 0;
}

bool sizesWithinCapacity(const ConnectionTable& t) {
  return t.N >= 0 && t.N <= kConnectionCapacity && t.M >= 0 && t.M <= kConnectionCapacity;
}

}  // namespace

std::string_view ResultWord(MatchResult r) {
  switch (r) {
    case MatchResult::Yes: return "YES";
    case MatchResult::No: return "NO";
    case MatchResult::Over: return "OVER";
    case MatchResult::Err: return "ERR";
  }
  return "ERR";
}

MatchResult SubstructureMatch(const ConnectionTable& Q, const ConnectionTable& T, bool exactBonds,
                              SearchWorkspace& w) {
  const std::int32_t nq = Q.N, nt = T.N;
  if (nq > nt || Q.M > T.M) return MatchResult::No;
  if ((nq + 1) / 2 + 1 + 4 * nq + nt > kCandidateStackSize) return MatchResult::Over;
  if (!sizesWithinCapacity(Q) || !sizesWithinCapacity(T)) return MatchResult::Err;

  auto& map = w.map;
  auto& inv = w.inv;
  auto& F = w.frontier;
  auto& levelQ = w.levelQ;
  auto& levelEnd = w.levelEnd;
  auto& levelPtr = w.levelPtr;
  auto& nbr = w.nbr;
  auto& C = w.candidates;
  std::fill_n(map.begin(), nq + 1, 0);
  std::fill_n(F.begin(), nq + 1, std::uint8_t{0});
  std::fill_n(levelQ.begin(), nq + 1, 0);
  std::fill_n(inv.begin(), nt + 1, 0);
  levelEnd[0] = 0;
  levelPtr[0] = 0;

  std::int32_t L = 0, matched = 0, frontierCount = 0;

  auto hasMatchedNeighbour = [&](std::int32_t a) {
    for (std::int32_t e = adjFirst(Q, a), last = adjLast(Q, a); e <= last; ++e)
      if (map[static_cast<Index>(Q.AdjAtom[static_cast<Index>(e)])] != 0) return true;
    return false;
  };

  enum class Step { NewLevel, Try, Backtrack, Undo } step = Step::NewLevel;
  for (;;) {
    switch (step) {
      case Step::NewLevel: {
        ++L;
        const Index l = static_cast<Index>(L);
        levelPtr[l] = 0;
        levelEnd[l] = 0;
        const std::int32_t base = levelEnd[l - 1];
        std::int32_t top = base;

        if (frontierCount == 0) {
          // The first atom of a connected piece: the unmatched atom of greatest
          // degree (the lowest-numbered among equals); an atom without bonds is
          // never chosen.
          std::int32_t q = 0, best = 0;
          for (std::int32_t a = 1; a <= nq; ++a)
            if (map[static_cast<Index>(a)] == 0 && degree(Q, a) > best) {
              best = degree(Q, a);
              q = a;
            }
          levelQ[l] = q;
          if (q != 0) {
            const std::int32_t element = Q.Element[static_cast<Index>(q)];
            for (std::int32_t t = 1; t <= nt; ++t) {
              if (inv[static_cast<Index>(t)] == 0 && degree(T, t) >= best && T.Element[static_cast<Index>(t)] == element) {
                if (++top > kCandidateStackSize) return MatchResult::Over;
                C[static_cast<Index>(top)] = t;
              }
            }
          }
          levelEnd[l] = top;
          levelPtr[l] = base + 1;
          step = top == base ? Step::Backtrack : Step::Try;
          break;
        }

        // Extend the match: the frontier atom with the most matched
        // neighbours (the last in atom order among equals), chosen once per level.
        std::int32_t q = levelQ[l];
        if (q == 0) {
          std::int32_t best = -1;
          for (std::int32_t a = 1; a <= nq; ++a) {
            if (!F[static_cast<Index>(a)]) continue;
            std::int32_t count = 0;
            for (std::int32_t e = adjFirst(Q, a), last = adjLast(Q, a); e <= last; ++e)
              if (map[static_cast<Index>(Q.AdjAtom[static_cast<Index>(e)])] != 0) ++count;
            if (count >= best) {
              best = count;
              q = a;
            }
          }
          levelQ[l] = q;
        }
        step = Step::Backtrack;
        if (q == 0) break;
        const std::int32_t need = degree(Q, q);
        const std::int32_t element = Q.Element[static_cast<Index>(q)];

        // The images of q's matched neighbours, in q's adjacency order.
        std::int32_t k = 0;
        for (std::int32_t e = adjFirst(Q, q), last = adjLast(Q, q); e <= last; ++e) {
          const std::int32_t image = map[static_cast<Index>(Q.AdjAtom[static_cast<Index>(e)])];
          if (image != 0) nbr[static_cast<Index>(++k)] = image;
        }
        if (k == 0) break;

        // Candidates: free neighbours of the first image with the element and
        // enough neighbours ...
        for (std::int32_t e = adjFirst(T, nbr[1]), last = adjLast(T, nbr[1]); e <= last; ++e) {
          const std::int32_t t = T.AdjAtom[static_cast<Index>(e)];
          if (inv[static_cast<Index>(t)] == 0 && degree(T, t) >= need && T.Element[static_cast<Index>(t)] == element) {
            if (++top > kCandidateStackSize) return MatchResult::Over;
            C[static_cast<Index>(top)] = t;
          }
        }
        if (top == base) break;

        // ... that are neighbours of every other image too ...
        for (std::int32_t m = 2; m <= k && top > base; ++m) {
          const std::int32_t other = nbr[static_cast<Index>(m)];
          std::int32_t kept = base;
          for (std::int32_t i = base + 1; i <= top; ++i)
            if (findNeighbour(T, other, C[static_cast<Index>(i)]) != 0) C[static_cast<Index>(++kept)] = C[static_cast<Index>(i)];
          top = kept;
        }
        if (top == base) break;

        // ... whose bonds to the images exist (and have the query's types) ...
        {
          std::int32_t kept = base;
          for (std::int32_t i = base + 1; i <= top; ++i) {
            const std::int32_t t = C[static_cast<Index>(i)];
            bool keep = true;
            for (std::int32_t m = 1; m <= k && keep; ++m) {
              const std::int32_t image = nbr[static_cast<Index>(m)];
              const std::int32_t qe = findNeighbour(Q, q, inv[static_cast<Index>(image)]);
              const std::int32_t te = findNeighbour(T, t, image);
              if (qe == 0 || te == 0) return MatchResult::Err;
              if (exactBonds && T.AdjBond[static_cast<Index>(te)] != Q.AdjBond[static_cast<Index>(qe)]) keep = false;
            }
            if (keep) C[static_cast<Index>(++kept)] = t;
          }
          top = kept;
        }
        if (top == base) break;

        // ... and that are bonded to no other matched atom (induced match).
        {
          std::int32_t kept = base;
          for (std::int32_t i = base + 1; i <= top; ++i) {
            const std::int32_t t = C[static_cast<Index>(i)];
            std::int32_t assigned = 0;
            for (std::int32_t e = adjFirst(T, t), last = adjLast(T, t); e <= last; ++e)
              if (inv[static_cast<Index>(T.AdjAtom[static_cast<Index>(e)])] != 0) ++assigned;
            if (assigned == k) C[static_cast<Index>(++kept)] = t;
          }
          top = kept;
        }
        if (top == base) break;
        levelEnd[l] = top;
        levelPtr[l] = base + 1;
        step = Step::Try;
        break;
      }

      case Step::Try: {
        const Index l = static_cast<Index>(L);
        const std::int32_t t = C[static_cast<Index>(levelPtr[l])];
        const std::int32_t q = levelQ[l];
        ++matched;
        map[static_cast<Index>(q)] = t;
        inv[static_cast<Index>(t)] = q;
        if (F[static_cast<Index>(q)]) {
          F[static_cast<Index>(q)] = 0;
          --frontierCount;
        }
        for (std::int32_t e = adjFirst(Q, q), last = adjLast(Q, q); e <= last; ++e) {
          const std::int32_t n = Q.AdjAtom[static_cast<Index>(e)];
          if (map[static_cast<Index>(n)] == 0 && !F[static_cast<Index>(n)]) {
            F[static_cast<Index>(n)] = 1;
            ++frontierCount;
          }
        }
        if (matched >= nq) return MatchResult::Yes;
        step = Step::NewLevel;
        break;
      }

      case Step::Backtrack: {
        const Index l = static_cast<Index>(L);
        if (levelPtr[l] < levelEnd[l]) {
          ++levelPtr[l];
          step = Step::Try;
        } else {
          --L;
          step = Step::Undo;
        }
        break;
      }

      case Step::Undo: {
        if (L < 1) return MatchResult::No;
        const std::int32_t q = levelQ[static_cast<Index>(L)];
        --matched;
        inv[static_cast<Index>(map[static_cast<Index>(q)])] = 0;
        map[static_cast<Index>(q)] = 0;
        for (std::int32_t e = adjFirst(Q, q), last = adjLast(Q, q); e <= last; ++e) {
          const std::int32_t n = Q.AdjAtom[static_cast<Index>(e)];
          if (map[static_cast<Index>(n)] == 0 && F[static_cast<Index>(n)] && !hasMatchedNeighbour(n)) {
            F[static_cast<Index>(n)] = 0;
            --frontierCount;
          }
        }
        if (!F[static_cast<Index>(q)] && hasMatchedNeighbour(q)) {
          F[static_cast<Index>(q)] = 1;
          ++frontierCount;
        }
        step = Step::Backtrack;
        break;
      }
    }
  }
}

bool LigandMatches(SdfMol& mol, std::string_view key, const LigandSearchFields& fields, bool exactBonds,
                   SearchWorkspace& work) {
  if (key != "@") return !key.empty() && fields.classText.find(key) != std::string_view::npos;
  int atoms = 0, bonds = 0;
  auto trim = [](std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
  };
  if (!FieldInteger(trim(fields.atoms), atoms) || !FieldInteger(trim(fields.bonds), bonds)) return false;
  if (atoms <= 0 || bonds <= 0) return false;
  // A table that cannot hold the query (too small, too few atoms of an
  // element) is not read further.
  if (!ReadLigandConnectionTableFor(mol.QueryConnectionTable, mol.LigandConnectionTable, fields.struc, atoms, bonds))
    return false;
  // A ring of the query needs a ring of the ligand. The ligand has at least
  // bonds - atoms + 1 rings, so only a ligand below that is counted exactly.
  const ConnectionTable& target = mol.LigandConnectionTable;
  const int queryRings = CycleRank(mol.QueryConnectionTable);
  if (queryRings > 0 && target.M / 2 - target.N + 1 < queryRings && CycleRank(target) < queryRings) return false;
  return SubstructureMatch(mol.QueryConnectionTable, mol.LigandConnectionTable, exactBonds, work) == MatchResult::Yes;
}

}  // namespace chemcore
