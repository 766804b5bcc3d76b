// The fixed vocabularies of the query program: method, medium, data-flag and
// evaluation codes, month and day names.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "talvex/db/Tables.h"

namespace talvex::db {

// Method codes: three characters of code, then the description, padded to 27
// characters. Entry 0 is "ANY"; entries 1..13 belong to the METHOD letters
// "A".."M".
inline constexpr int kMethodCount = 14;
const std::array<std::string, kMethodCount>& methodCodes();

// Medium codes: six characters of code, then the description, padded to 32
// characters. Entry 0 is "ANY", entries 1..12 belong to the full edition's
// MEDIUM letters "A".."L" ("A".."H" aqueous), the last entry is "a" (any
// aqueous medium).
inline constexpr int kMediumCount = 14;
const std::array<std::string, kMediumCount>& mediumCodes();

// Data flags (code letter, column title, description) and evaluation flags
// (code letter, then the text), as shown in the details lists.
const std::array<std::string, 4>& dataFlagCodes();
const std::array<std::string, 10>& evaluationCodes();

// " January" .. " December" (with the leading blank), "Sunday" .. "Saturday".
const std::array<std::string, 12>& monthNames();
const std::array<std::string, 7>& dayNames();

// The METHOD letter of a method entry (1..13 → 'A'..'M') and back (0 when the
// letter is not a method letter).
char methodLetter(int entry);
int methodEntry(char letter);
// The stored MEDIUM value of a medium entry (1..12): the full edition stores
// the letter 'A'..'L', the mini edition the entry's six-character code.
std::string mediumValue(Edition e, int entry);
// The medium entry of a stored MEDIUM value, 0 when unknown.
int mediumEntry(Edition e, std::string_view stored);
// True when the stored MEDIUM value is an aqueous medium: full edition "A".."H",
// mini edition one of the first eight codes of the medium table (blank code
// included).
bool isAqueousMedium(Edition e, std::string_view stored);

}  // namespace talvex::db
