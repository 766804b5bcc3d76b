#include "chemcore/sdfmol.h"

#include "text_lines.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

#include "chemcore/elements.h"

namespace chemcore {

namespace {

using detail::splitLines;

constexpr std::size_t kFileLineWidth = 80;    // molfile lines from a file or the memo
constexpr std::size_t kStoredLineWidth = 85;  // lines of the STRUC memo

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}


bool toByte(int v, std::uint8_t& out) {
  if (v < 0 || v > 255) return false;
  out = static_cast<std::uint8_t>(v);
  return true;
}

// Reads lines one after the other; past the end every line is empty. The
// counter is the number of lines consumed, quoted by the messages.
struct LineReader {
  std::vector<std::string_view> lines;
  std::size_t pos = 0;
  int consumed = 0;
  std::string_view next() {
    ++consumed;
    return pos < lines.size() ? lines[pos++] : std::string_view{};
  }
  bool atEnd() const { return pos >= lines.size(); }
};

void copyElement(StructureAtom& atom, int row) {
  const Element& e = ElementTable()[static_cast<std::size_t>(row)];
  atom.valences = e.valences;
  atom.group = e.group;
  atom.atomicWeight = e.atomicWeight;
}

// One atom line into atom; 0 or the code of the first bad field. With
// allFields every field is converted and each bad one reported through bad
// (the ligand loader); otherwise the first error ends the line.
template <typename OnBad>
int parseAtomLine(std::string_view line, StructureAtom& atom, bool allFields, OnBad&& bad) {
  int first = 0;
  auto fail = [&](int code, const std::string& text) {
    if (!first) first = code;
    bad(code, text);
    return !allFields;
  };
  std::string t = FieldText(line, 1, 10);
  if (!FieldReal(t, atom.X) && fail(10, t)) return first;
  t = FieldText(line, 11, 10);
  if (!FieldReal(t, atom.Y) && fail(10, t)) return first;
  const std::string symbol = FieldText(line, 32, 3);
  atom.symbol = symbol;
  int v = 0;
  t = FieldText(line, 37, 3);
  if (!(FieldInteger(t, v) && toByte(v, atom.charge)) && fail(13, t)) return first;
  t = FieldText(line, 40, 3);
  if (!(FieldInteger(t, v) && toByte(v, atom.stereoParity)) && fail(14, t)) return first;
  t = FieldText(line, 43, 3);
  if (FieldInteger(t, v) && toByte(v, atom.hydrogens)) {
    if (atom.hydrogens == 1) atom.hydrogens = 0;
  } else if (fail(15, t)) {
    return first;
  }
  const int row = elementNumber(symbol);
  if (row == 0) {
    fail(23, symbol);
    return first;
  }
  copyElement(atom, row);
  return first;
}

// One bond line; atom numbers must lie within 1..atomCount (code 11).
template <typename OnBad>
int parseBondLine(std::string_view line, StructureBond& bond, int atomCount, bool allFields, OnBad&& bad) {
  int first = 0;
  auto fail = [&](int code, const std::string& text) {
    if (!first) first = code;
    bad(code, text);
    return !allFields;
  };
  int v = 0;
  std::string t = FieldText(line, 1, 3);
  if (FieldInteger(t, v) && v >= 1 && v <= atomCount) bond.first = static_cast<std::uint16_t>(v);
  else if (fail(11, t)) return first;
  t = FieldText(line, 4, 3);
  if (FieldInteger(t, v) && v >= 1 && v <= atomCount) bond.second = static_cast<std::uint16_t>(v);
  else if (fail(11, t)) return first;
  t = FieldText(line, 7, 3);
  if (!(FieldInteger(t, v) && toByte(v, bond.type)) && fail(12, t)) return first;
  t = FieldText(line, 10, 3);
  if (!(FieldInteger(t, v) && toByte(v, bond.stereo)) && fail(21, t)) return first;
  return first;
}

std::string codeMessage(int code, int line) {
  return std::string(ReaderMessage(code)) + ": line " + std::to_string(line);
}

bool containsIgnoringCase(std::string_view text, std::string_view word) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::search(text.begin(), text.end(), word.begin(), word.end(),
                     [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

// Counts of a counts line, or of a skipped record's counts line.
int readCounts(std::string_view line, int& atoms, int& bonds) {
  if (!FieldInteger(FieldText(line, 1, 3), atoms) || atoms < 0) return 1;
  if (!FieldInteger(FieldText(line, 4, 3), bonds) || bonds < 0) return 2;
  return 0;
}

}  // namespace

void Structure::clearSlots() {
  for (auto& a : atoms) a = StructureAtom{};
  for (auto& b : bonds) b = StructureBond{};
  A = 0;
  B = 0;
}

std::string_view ReaderMessage(int code) {
  static constexpr std::string_view kMessages[] = {
      "",
      "Incorrect number of atoms",
      "Incorrect number of bonds",
      "Incorrect number of atom lists",
      "Incorrect number of stext entries",
      "Incorrect number of reaction components",
      "Incorrect number of reactants",
      "Incorrect number of products",
      "Incorrect number of intermediates",
      "Incorrect number of property lines",
      "Incorrect atom coordinate",
      "Incorrect atom number in bond description",
      "Incorrect bond type in bond description",
      "Incorrect mass difference in atom description",
      "Incorrect atom stereo parity in atom description",
      "Incorrect hydrogen count in atom description",
      "Incorrect stereo care box in atom description",
      "Incorrect valence in atom description",
      "Incorrect H0 designator in atom description",
      "Incorrect reaction component type in atom description",
      "Incorrect reaction component number in atom description",
      "Incorrect bond stereo in bond description",
      "Incorrect bond topology in bond description",
      "Unknown atom symbol in atom description",
  };
  if (code < 1 || code > 23) return {};
  return kMessages[code];
}

std::string FieldText(std::string_view line, int first, int count) {
  std::string r;
  if (first < 1 || count < 1) return r;
  const std::size_t from = static_cast<std::size_t>(first - 1);
  const std::size_t to = std::min(line.size(), from + static_cast<std::size_t>(count));
  for (std::size_t i = from; i < to; ++i)
    if (line[i] != ' ') r += line[i];
  return r;
}

bool FieldInteger(std::string_view text, int& value) {
  value = 0;
  if (text.empty()) return true;
  if (text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || p != text.data() + text.size()) {
    value = 0;
    return false;
  }
  return true;
}

bool FieldReal(std::string_view text, double& value) {
  value = 0;
  if (text.empty()) return true;
  if (text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  double v = 0;
  const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || p != text.data() + text.size() || !std::isfinite(v)) return false;
  value = v;
  return true;
}

ReadResult ReadSdfRecord(SdfMol& mol, std::string_view sourceName, int recordNumber, std::string_view memoText) {
  if (sourceName == kClipBoardSource) return ReadSdfText(mol, sourceName, memoText, recordNumber, false);
  std::ifstream in{std::string(sourceName), std::ios::binary};
  if (!in) {
    mol.CurrentStructure.clearSlots();
    ReadResult r;
    r.kind = MessageKind::Error;
    r.message = "Cannot open the file " + std::string(sourceName);
    return r;
  }
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return ReadSdfText(mol, sourceName, text, recordNumber, true);
}

ReadResult ReadSdfText(SdfMol& mol, std::string_view sourceName, std::string_view text, int recordNumber,
                       bool fromFile) {
  Structure& s = mol.CurrentStructure;
  s.clearSlots();
  s.StructureName.clear();
  LineReader in{splitLines(text, kFileLineWidth)};
  ReadResult r;
  auto fail = [&](int code, std::string message) {
    s.clearSlots();
    r.ok = false;
    r.code = code;
    r.line = in.consumed;
    r.kind = MessageKind::Error;
    r.message = std::move(message);
    return r;
  };

  const bool emptyFile = fromFile && in.atEnd();
  if (!emptyFile) {
    for (int record = 1; record < recordNumber; ++record) {
      for (int i = 0; i < 3; ++i) in.next();
      int a = 0, b = 0;
      if (const int code = readCounts(in.next(), a, b)) return fail(code, codeMessage(code, in.consumed));
      for (long i = 0; i < static_cast<long>(a) + b + 2 && !in.atEnd(); ++i) in.next();
      if (in.atEnd()) {
        r.kind = MessageKind::Information;
        r.line = in.consumed;
        r.message = "Your data are not in this file !";
        return r;
      }
    }

    s.StructureName = std::string(trimBlanks(in.next()));
    in.next();
    in.next();
    int a = 0, b = 0;
    if (const int code = readCounts(in.next(), a, b)) return fail(code, codeMessage(code, in.consumed));
    if (a > kMaxAtoms)
      return fail(0, "Too many atoms in structure (at most " + std::to_string(kMaxAtoms) + "): line " +
                         std::to_string(in.consumed));
    if (b > kMaxBonds)
      return fail(0, "Too many bonds in structure (at most " + std::to_string(kMaxBonds) + "): line " +
                         std::to_string(in.consumed));
    if (a == 0 && b == 0) {
      r.line = in.consumed;
      return r;
    }
    auto ignore = [](int, const std::string&) {};
    for (int i = 1; i <= a; ++i) {
      if (const int code = parseAtomLine(in.next(), s.atoms[static_cast<std::size_t>(i)], false, ignore))
        return fail(code, codeMessage(code, in.consumed));
    }
    for (int i = 1; i <= b; ++i) {
      if (const int code = parseBondLine(in.next(), s.bonds[static_cast<std::size_t>(i)], a, false, ignore))
        return fail(code, codeMessage(code, in.consumed));
    }
    s.A = static_cast<std::uint16_t>(a);
    s.B = static_cast<std::uint16_t>(b);
  }

  ConnectionTable query;
  if (!BuildQueryConnectionTable(s, query))
    return fail(0, "Structure too large for the sub-structure search (at most " +
                       std::to_string(kConnectionCapacity) + " atoms and " +
                       std::to_string(kConnectionCapacity / 2) + " bonds)");
  BuildElementList(s);
  mol.QueryConnectionTable = query;
  r.ok = true;
  r.line = in.consumed;
  if (s.StructureName.empty()) {
    if (containsIgnoringCase(sourceName, "Molvane")) s.StructureName = "Molvane struc";
    else if (containsIgnoringCase(sourceName, "Isis")) s.StructureName = "IsisDraw struc";
  }
  return r;
}

namespace {

std::string loaderFieldMessage(int code, std::string_view fieldText) {
  std::string_view m;
  switch (code) {
    case 10: case 11: case 12: case 13: case 14: case 15: case 21: case 22: m = ReaderMessage(code); break;
    case 23: m = "Undefined atom symbol in atom description"; break;
    default: m = "Undefined error in structure data"; break;
  }
  std::string text = "SDF file read error in text : " + std::string(fieldText) + "\r\n" + std::string(m);
  if (text.size() > 255) text.resize(255);
  return text;
}

void parseLigandLines(SdfMol& mol, const MessageSink& sink) {
  Structure& s = mol.CurrentStructure;
  const auto& lines = mol.LineList;
  auto lineAt = [&](int n) -> std::string_view {
    return n >= 1 && static_cast<std::size_t>(n) <= lines.size() ? std::string_view(lines[static_cast<std::size_t>(n - 1)])
                                                                  : std::string_view{};
  };
  auto report = [&](int code, const std::string& text) {
    if (sink) sink(kLigandStructureCaption, loaderFieldMessage(code, text));
  };
  auto lineMessage = [&](const char* what, int n) {
    if (sink)
      sink({}, std::string("SDF File - Error in ") + what + " data at line " + std::to_string(n) + " for ligand " +
                   s.LoadedLigandId + "\r\n" + std::string(lineAt(n)));
  };
  bool bad = false;
  for (int i = 1; i <= s.A; ++i) {
    if (parseAtomLine(lineAt(i), s.atoms[static_cast<std::size_t>(i)], true, report)) {
      bad = true;
      lineMessage("atom", i);
    }
  }
  for (int j = 1; j <= s.B; ++j) {
    if (parseBondLine(lineAt(s.A + j), s.bonds[static_cast<std::size_t>(j)], s.A, true, report)) {
      bad = true;
      lineMessage("bond", s.A + j);
    }
  }
  s.NoStructure = bad;
}

int fieldCount(std::string_view text, bool& ok) {
  int v = 0;
  ok = FieldInteger(trimBlanks(text), v);
  return ok ? v : 0;
}

}  // namespace

void LoadLigandStructure(SdfMol& mol, const LigandStructureFields& fields, const MessageSink& sink) {
  Structure& s = mol.CurrentStructure;
  const std::string id(trimBlanks(fields.oldLigId));
  // An empty identifier cannot be told from "nothing cached": always load it.
  if (!id.empty() && id == s.LoadedLigandId) return;
  s.LoadedLigandId = id;
  s.A = 0;
  s.B = 0;
  bool ok = true;
  const int a = fieldCount(fields.atoms, ok);
  if (a <= 0) {
    s.NoStructure = true;
    return;
  }
  const int b = fieldCount(fields.bonds, ok);
  s.clearSlots();
  if (a > kMaxAtoms || b > kMaxBonds || !ok || b < 0) {
    s.NoStructure = true;
    if (sink)
      sink(kLigandStructureCaption, "Structure of ligand " + id + " too large or damaged: " + std::to_string(a) +
                                        " atoms and " + std::to_string(b) + " bonds (at most " +
                                        std::to_string(kMaxAtoms) + " and " + std::to_string(kMaxBonds) + ")");
    return;
  }
  mol.LineList.clear();
  for (std::string_view line : splitLines(fields.struc, kStoredLineWidth)) mol.LineList.emplace_back(line);
  s.A = static_cast<std::uint16_t>(a);
  s.B = static_cast<std::uint16_t>(b);
  parseLigandLines(mol, sink);
  if (!s.NoStructure) BuildElementList(s);
}

void LoadLigandStructureFromLineList(SdfMol& mol, const MessageSink& sink) {
  Structure& s = mol.CurrentStructure;
  if (s.A > kMaxAtoms || s.B > kMaxBonds) {
    s.A = 0;
    s.B = 0;
    s.NoStructure = true;
    return;
  }
  parseLigandLines(mol, sink);
}

namespace {

// A cursor over the STRUC text that hands out lines (cut at 85 characters)
// without copying; past the end every line is empty.
struct StoredLines {
  std::string_view text;
  std::size_t pos = 0;
  std::string_view next() {
    if (pos >= text.size()) return {};
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line.substr(0, kStoredLineWidth);
  }
  void skip(long n) {
    for (; n > 0 && pos < text.size(); --n) {
      const std::size_t end = text.find('\n', pos);
      pos = end == std::string_view::npos ? text.size() : end + 1;
    }
  }
};

// An integer with optional blanks around it; the whole text must be used.
bool storedInteger(std::string_view t, std::int32_t& value) {
  if (!t.empty() && (t.front() == ' ' || t.back() == ' ' || t.front() == '\t' || t.back() == '\t')) t = trimBlanks(t);
  if (t.empty()) return false;
  bool negative = false;
  if (t.front() == '-' || t.front() == '+') {
    negative = t.front() == '-';
    t.remove_prefix(1);
    if (t.empty()) return false;
  }
  std::int64_t v = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > 0x7fffffff) return false;
  }
  value = static_cast<std::int32_t>(negative ? -v : v);
  return true;
}

bool readList(StoredLines& lines, std::array<std::int32_t, kConnectionCapacity + 1>& values, int count) {
  const int lineCount = count <= 0 ? 1 : (count - 1) / 10 + 1;
  int k = 1;
  for (int l = 0; l < lineCount; ++l) {
    const std::string_view line = lines.next();
    const char* p = line.data();
    const char* const end = p + line.size();
    for (int i = 0; i < 10 && k <= count; ++i) {
      // The usual form in one pass: blanks, a sign, digits, blanks, a comma.
      const char* q = p;
      while (q < end && (*q == ' ' || *q == '\t')) ++q;
      const bool negative = q < end && *q == '-';
      if (q < end && (*q == '-' || *q == '+')) ++q;
      const char* const digits = q;
      std::int64_t v = 0;
      while (q < end && *q >= '0' && *q <= '9' && v <= 0x7fffffff) v = v * 10 + (*q++ - '0');
      const bool number = q > digits && v <= 0x7fffffff;
      while (q < end && (*q == ' ' || *q == '\t')) ++q;
      if (number && q < end && *q == ',') {
        values[static_cast<std::size_t>(k++)] = static_cast<std::int32_t>(negative ? -v : v);
        p = q + 1;
        continue;
      }
      // Anything else: the value is the text up to the next comma, and a line
      // without a further comma ends the list's line.
      const std::string_view rest(p, static_cast<std::size_t>(end - p));
      const std::size_t comma = rest.find(',');
      if (comma == std::string_view::npos) break;
      if (!storedInteger(rest.substr(0, comma), values[static_cast<std::size_t>(k)])) return false;
      ++k;
      p += comma + 1;
    }
  }
  return true;
}

}  // namespace

bool ConnectionTableConsistent(const ConnectionTable& t) {
  if (t.N < 0 || t.N > kConnectionCapacity || t.M < 0 || t.M > kConnectionCapacity) return false;
  std::int32_t previous = 0;
  for (int k = 1; k <= t.N; ++k) {
    const std::int32_t end = t.AdjEnd[static_cast<std::size_t>(k)];
    if (end < previous || end > t.M) return false;
    previous = end;
  }
  if (previous != t.M) return false;
  for (int e = 1; e <= t.M; ++e) {
    const std::int32_t a = t.AdjAtom[static_cast<std::size_t>(e)];
    if (a < 1 || a > t.N) return false;
  }
  return true;
}

bool ReadLigandConnectionTable(ConnectionTable& table, std::string_view struc, int atomCount, int bondCount) {
  return ReadLigandConnectionTableAtLeast(table, struc, atomCount, bondCount, 0, 0);
}

namespace {

// Lines a stored list of count values occupies.
long listLines(int count) { return count <= 0 ? 1 : (count - 1) / 10 + 1; }

bool readConnectionTable(ConnectionTable& table, std::string_view struc, int atomCount, int bondCount, int minAtoms,
                         int minEntries, const ConnectionTable* query) {
  StoredLines lines{struc};
  lines.skip(static_cast<long>(std::max(atomCount, 0)) + std::max(bondCount, 0));
  const std::string_view sizes = lines.next();
  const std::size_t comma = sizes.find(',');
  table.N = 0;
  table.M = 0;
  std::int32_t n = 0, m = 0;
  if (comma == std::string_view::npos || !storedInteger(sizes.substr(0, comma), n) ||
      !storedInteger(sizes.substr(comma + 1, 999), m) || n < 0 || m < 0 || n > kConnectionCapacity ||
      m > kConnectionCapacity || n < minAtoms || m < minEntries)
    return false;
  // Only the entries in use need clearing: the rest are never read.
  std::fill_n(table.AdjEnd.begin(), n + 1, 0);
  std::fill_n(table.Element.begin(), n + 1, 0);
  std::fill_n(table.AdjAtom.begin(), m + 1, 0);
  std::fill_n(table.AdjBond.begin(), m + 1, 0);
  table.N = n;
  table.M = m;
  bool ok = readList(lines, table.AdjEnd, n);
  if (ok && query) {
    // The element list first: most tables that cannot hold the query end here.
    StoredLines elements = lines;
    elements.skip(listLines(m));
    ok = readList(elements, table.Element, n) && EnoughOfEachElement(*query, table);
    ok = ok && readList(lines, table.AdjAtom, m);
    lines.skip(listLines(n));
  } else {
    ok = ok && readList(lines, table.AdjAtom, m) && readList(lines, table.Element, n);
  }
  ok = ok && readList(lines, table.AdjBond, m) && ConnectionTableConsistent(table);
  if (!ok) {
    table.N = 0;
    table.M = 0;
  }
  return ok;
}

}  // namespace

bool ReadLigandConnectionTableAtLeast(ConnectionTable& table, std::string_view struc, int atomCount, int bondCount,
                                      int minAtoms, int minEntries) {
  return readConnectionTable(table, struc, atomCount, bondCount, minAtoms, minEntries, nullptr);
}

bool ReadLigandConnectionTableFor(const ConnectionTable& query, ConnectionTable& table, std::string_view struc,
                                  int atomCount, int bondCount) {
  return readConnectionTable(table, struc, atomCount, bondCount, query.N, query.M, &query);
}

int CycleRank(const ConnectionTable& t) {
  if (t.N <= 0) return 0;
  // Union-find over the atoms; each bond appears twice in the adjacency.
  std::array<std::int32_t, kConnectionCapacity + 1> parent;  // entries 1..N set below
  for (int k = 1; k <= t.N; ++k) parent[static_cast<std::size_t>(k)] = k;
  const auto root = [&parent](std::int32_t a) {
    while (parent[static_cast<std::size_t>(a)] != a) a = parent[static_cast<std::size_t>(a)] = parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(a)])];
    return a;
  };
  int pieces = t.N;
  for (int k = 1, e = 1; k <= t.N; ++k)
    for (; e <= t.AdjEnd[static_cast<std::size_t>(k)]; ++e) {
      const std::int32_t a = root(k), b = root(t.AdjAtom[static_cast<std::size_t>(e)]);
      if (a != b) {
        parent[static_cast<std::size_t>(a)] = b;
        --pieces;
      }
    }
  return t.M / 2 - t.N + pieces;
}

bool EnoughOfEachElement(const ConnectionTable& q, const ConnectionTable& t) {
  std::array<std::int32_t, kElementCount + 2> need{};
  const auto slot = [](std::int32_t e) {
    return static_cast<std::size_t>(e >= 0 && e <= kElementCount ? e : kElementCount + 1);
  };
  for (int k = 1; k <= q.N; ++k) ++need[slot(q.Element[static_cast<std::size_t>(k)])];
  for (int k = 1; k <= t.N; ++k) --need[slot(t.Element[static_cast<std::size_t>(k)])];
  for (int k = 1; k <= q.N; ++k)
    if (need[slot(q.Element[static_cast<std::size_t>(k)])] > 0) return false;
  return true;
}

void ComputeImplicitHydrogens(Structure& s) {
  for (int i = 1; i <= s.A; ++i) {
    StructureAtom& atom = s.atoms[static_cast<std::size_t>(i)];
    int h = 0;
    int sum = 0;
    for (int j = 1; j <= s.B; ++j) {
      const StructureBond& bond = s.bonds[static_cast<std::size_t>(j)];
      if (bond.first != i && bond.second != i) continue;
      switch (bond.type) {
        case 1: sum += 1; break;
        case 2: sum += 2; break;
        case 3: sum += 3; break;
        case 4: case 5: case 6: case 7: sum += 2; break;
        default: break;
      }
    }
    if (atom.atomicWeight < 41) {
      const auto& v = atom.valences;
      auto smallest = [&](int need) {
        for (int k = 1; k <= 4; ++k)
          if (v[static_cast<std::size_t>(k)] != 0 && v[static_cast<std::size_t>(k)] >= need) return static_cast<int>(v[static_cast<std::size_t>(k)]);
        return -1;
      };
      auto largest = [&](int need) {
        for (int k = 4; k >= 1; --k)
          if (v[static_cast<std::size_t>(k)] != 0 && v[static_cast<std::size_t>(k)] >= need) return static_cast<int>(v[static_cast<std::size_t>(k)]);
        return -1;
      };
      const int charge = atom.charge;
      if (charge < 1 || charge > 7) {
        if (sum == 0) {
          h = v[1];
        } else if (const int valence = smallest(sum); valence >= 0) {
          h = valence - sum;
        }
      } else {
        static constexpr int kMagnitude[8] = {0, 3, 2, 1, 1, 1, 2, 3};
        sum += kMagnitude[charge];
        int valence;
        if (charge <= 4) valence = atom.group > 4 ? largest(sum) : smallest(sum);
        else valence = atom.group >= 4 ? smallest(sum) : largest(sum);
        if (valence >= 0) h = valence - sum;
      }
    }
    atom.hydrogens = static_cast<std::uint8_t>(h);
    atom.bondOrderSum = static_cast<std::uint8_t>(std::min(sum, 255));
  }
}

void BuildElementList(Structure& s) {
  ComputeImplicitHydrogens(s);
  auto& list = s.ElementList;
  list.clear();
  for (int i = 1; i <= s.A; ++i) {
    const std::string symbol = s.atoms[static_cast<std::size_t>(i)].symbol.substr(0, 2);
    auto it = std::find_if(list.begin(), list.end(), [&](const ElementCount& e) { return e.symbol == symbol; });
    if (it != list.end()) ++it->count;
    else list.push_back({symbol, 1});
  }
  auto h = std::find_if(list.begin(), list.end(), [](const ElementCount& e) { return e.symbol == "H"; });
  if (h == list.end()) {
    list.push_back({"H", 0});
    h = list.end() - 1;
  }
  for (int i = 1; i <= s.A; ++i) h->count = static_cast<std::int16_t>(h->count + s.atoms[static_cast<std::size_t>(i)].hydrogens);
  if (h->count == 0) list.erase(h);

  s.MolecularWeight = 0;
  for (const auto& e : list) {
    const int row = elementNumber(e.symbol);
    if (row) s.MolecularWeight += e.count * ElementTable()[static_cast<std::size_t>(row)].atomicWeight;
  }

  // Carbon first, hydrogen second, the rest by symbol. Places are 1-based;
  // an exchange with a place the list does not have is left out.
  const std::size_t n = list.size();
  std::size_t c = 1;
  for (std::size_t p = 1; p <= n; ++p) {
    if (list[p - 1].symbol == "C") {
      std::swap(list[p - 1], list[0]);
      ++c;
    }
    if (list[p - 1].symbol == "H") {
      if (n >= 2) std::swap(list[p - 1], list[1]);
      ++c;
    }
  }
  for (std::size_t j = c; j + 1 <= n; ++j) {
    std::size_t best = j;
    for (std::size_t k = j + 1; k <= n; ++k)
      if (list[k - 1].symbol < list[best - 1].symbol) best = k;
    std::swap(list[j - 1], list[best - 1]);
  }
}

bool BuildQueryConnectionTable(const Structure& s, ConnectionTable& query) {
  query = ConnectionTable{};
  if (s.A > 1 && s.B > 0) {
    if (s.A > kConnectionCapacity || 2 * s.B > kConnectionCapacity) return false;
    int m = 0;
    for (int k = 1; k <= s.A; ++k) {
      query.Element[static_cast<std::size_t>(k)] = elementNumber(s.atoms[static_cast<std::size_t>(k)].symbol);
      for (int j = 1; j <= s.B; ++j) {
        const StructureBond& bond = s.bonds[static_cast<std::size_t>(j)];
        if (bond.first < 1 || bond.first > s.A || bond.second < 1 || bond.second > s.A) {
          query = ConnectionTable{};
          return false;
        }
        if (bond.first == k) {
          ++m;
          query.AdjAtom[static_cast<std::size_t>(m)] = bond.second;
          query.AdjBond[static_cast<std::size_t>(m)] = bond.type;
        }
        if (bond.second == k) {
          ++m;
          query.AdjAtom[static_cast<std::size_t>(m)] = bond.first;
          query.AdjBond[static_cast<std::size_t>(m)] = bond.type;
        }
      }
      query.AdjEnd[static_cast<std::size_t>(k)] = m;
    }
    query.N = s.A;
    query.M = m;
    return true;
  }
  // A single atom or no bonds: the fixed H-H query.
  query.N = 2;
  query.M = 2;
  query.Element[1] = 1;
  query.Element[2] = 1;
  query.AdjEnd[1] = 1;
  query.AdjEnd[2] = 2;
  query.AdjAtom[1] = 2;
  query.AdjAtom[2] = 1;
  query.AdjBond[1] = 1;
  query.AdjBond[2] = 1;
  return true;
}

Extent CoordinateExtent(const Structure& s, int firstAtom, int lastAtom) {
  firstAtom = std::clamp(firstAtom, 1, kMaxAtoms);
  lastAtom = std::min(lastAtom, kMaxAtoms);
  const StructureAtom& a = s.atoms[static_cast<std::size_t>(firstAtom)];
  Extent e{a.X, a.X, a.Y, a.Y};
  for (int i = firstAtom + 1; i <= lastAtom; ++i) {
    const StructureAtom& b = s.atoms[static_cast<std::size_t>(i)];
    if (b.X < e.minX) e.minX = b.X;
    if (b.X > e.maxX) e.maxX = b.X;
    if (b.Y < e.minY) e.minY = b.Y;
    if (b.Y > e.maxY) e.maxY = b.Y;
  }
  return e;
}

}  // namespace chemcore
