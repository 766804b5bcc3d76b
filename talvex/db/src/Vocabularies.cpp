#include "talvex/db/Vocabularies.h"

namespace talvex::db {

namespace {
std::string padded(std::string_view s, std::size_t width) {
  std::string r(s);
  if (r.size() < width) r.append(width - r.size(), ' ');
  return r;
}

template <std::size_t N>
std::array<std::string, N> paddedAll(const std::array<const char*, N>& texts, std::size_t width) {
  std::array<std::string, N> r;
  for (std::size_t i = 0; i < N; ++i) r[i] = padded(texts[i], width);
  return r;
}
}  // namespace

const std::array<std::string, kMethodCount>& methodCodes() {
  static const auto codes = paddedAll<kMethodCount>(
      {"   ANY Method (i.e. cancel)", "gl Glass Electrode", "EMFEMF (not specified)", "ISEIon Selective Electrode",
       "kinKinetic Methods", "vltVoltammetry", "conConductivity", "sp Spectrophotometry", "ix Ion Exchange",
       "solSolubility", "nmrn.m.r./e.s.r.", "calCalorimetry", "disDistribution", "othOther Methods"},
      27);
  return codes;
}

const std::array<std::string, kMediumCount>& mediumCodes() {
  static const auto codes = paddedAll<kMediumCount>(
      {"      ANY Medium (i.e. cancel)", "KCl   KCl", "NaCl  NaCl or LiCl", "KNO3  KNO3", "NaNO3 NaNO3",
       "NaClO4NaClO4 or LiClO4", "R4N.X R4N.X", "oth/unOther/Unknown", "none  None", "diox/wDioxan Mixed Solvents",
       "alc/w MeOH/EtOH/Mixed Solvents", "mixed Other Mixed Solvents", "non-aqNon-Aqueous Solution",
       "a     ANY Aqueous Solution"},
      32);
  return codes;
}

const std::array<std::string, 4>& dataFlagCodes() {
  static const std::array<std::string, 4> codes{
      "TDT  Data at other TEMPERATURES", "IDI  Data with various BACKGROUNDS",
      "HDH  Data for THERMOCHEMICAL quantities", "MMAB Data for TERNARY Complexes"};
  return codes;
}

const std::array<std::string, 10>& evaluationCodes() {
  static const std::array<std::string, 10> codes{
      "NNeg Ed =Negative",   "QQue Ed =Questionable", "SSus Abs=Suspicious", "DDub Abs=Dubious",
      "CCom Abs=Commended",  "AApp Abs=Approved",     "Pos Ed =Positive",    "TTen IUP=Tentative",
      "RRec IUP=Recommended", "    ANY flag"};
  return codes;
}

const std::array<std::string, 12>& monthNames() {
  static const std::array<std::string, 12> names{" January", " February", " March",     " April",
                                                 " May",     " June",     " July",      " August",
                                                 " September", " October", " November", " December"};
  return names;
}

const std::array<std::string, 7>& dayNames() {
  static const std::array<std::string, 7> names{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                "Thursday", "Friday", "Saturday"};
  return names;
}

char methodLetter(int entry) { return entry >= 1 && entry < kMethodCount ? static_cast<char>('A' + entry - 1) : ' '; }

int methodEntry(char letter) {
  const int e = letter - 'A' + 1;
  return e >= 1 && e < kMethodCount ? e : 0;
}

std::string mediumValue(Edition e, int entry) {
  if (entry < 1 || entry >= kMediumCount - 1) return {};
  if (e == Edition::Full) return std::string(1, static_cast<char>('A' + entry - 1));
  return mediumCodes()[entry].substr(0, 6);
}

int mediumEntry(Edition e, std::string_view stored) {
  for (int entry = 1; entry < kMediumCount - 1; ++entry) {
    const std::string v = mediumValue(e, entry);
    std::string_view s = stored;
    if (e == Edition::Full) {
      if (!s.empty() && s[0] == v[0]) return entry;
    } else if (padded(s, 6).substr(0, 6) == v) {
      return entry;
    }
  }
  return 0;
}

bool isAqueousMedium(Edition e, std::string_view stored) {
  if (e == Edition::Full) return !stored.empty() && stored[0] >= 'A' && stored[0] <= 'H';
  const std::string s = padded(stored, 6).substr(0, 6);
  for (int entry = 0; entry < 8; ++entry)
    if (mediumCodes()[entry].substr(0, 6) == s) return true;
  return false;
}

}  // namespace talvex::db
