// The two cleaners of number texts, used wherever a typed or stored number is
// read: matching, rendering, the calculators and the hand-off.
#pragma once

#include <string>
#include <string_view>

namespace talvex::spec {

// Every "O" becomes "0", every "I" becomes "1", and every "?", "<" and ">"
// becomes a blank. Nothing is trimmed.
std::string CleanNumberText(std::string_view text);

// The numeric part of a stored or typed constant text: CleanNumberText; "Ca."
// and "ca." removed, then "Ca" and "ca"; what follows the first "=" (trimmed);
// a leading "<" or "(" dropped; a final ")", then a final "?", then a final
// "(" dropped; cut at the first remaining "("; a range a-b gives a. Trimmed.
std::string CleanConstantText(std::string_view text);

// True when the text is not empty and consists only of digits, "+", "-" and ".".
bool isPlainNumberText(std::string_view text);

// The value of a plain number text; false when it forms no number (such as
// "1.2.3" or a lone ".").
bool readPlainNumber(std::string_view text, double& value);

// A whole number as the details page reads it: leading blanks skipped, an
// optional sign and the digits that follow, up to the first other character
// ("25.5" reads 25, a text beginning with no digit reads 0).
int readWholeNumber(std::string_view text);

// Fixed-point text with two decimals ("4.50", "-0.25"), locale-free.
std::string fixed2(double value);

// Blank-trimmed copies.
std::string trimmed(std::string_view text);

}  // namespace talvex::spec
