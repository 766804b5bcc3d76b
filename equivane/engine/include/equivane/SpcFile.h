// The .spc data file of equivane and the hand-off block the query program puts
// on the clipboard (also stored in .spd files).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "equivane/SpeciationProblem.h"

namespace equivane {

// Splits a text into lines at CR LF, LF or CR (terminators removed; a last
// line without terminator is still a line, a final terminator adds none).
std::vector<std::string> splitLines(std::string_view text);

// Rebuilds problem.fileImage from the model: title, n, the reactants besides
// hydrogen (name, total "%11.6f" written from totalMol * 1000, which also
// refreshes totalMmol), nSpec and the constant lines ("7.0, 1, 1"), then the
// solubility count (0 when solubility is not included) and product lines.
void writeImage(SpeciationProblem& problem);
// The file image as file text: every line ended by CR LF.
std::string imageText(const std::vector<std::string>& lines);
// Rebuilds the image and writes it to `path` through a temporary file in the
// same folder renamed over the target. Returns "" or a message.
std::string saveFile(SpeciationProblem& problem, const std::string& path);

struct ReadOutcome {
  bool ok = true;
  std::string message;  // "List index out of bounds (%d)", "Clipboard error after line %d", ...
};

// Loads .spc text (or a stored hand-off block, recognised by "FullOrvale" or
// "MiniOrvale" anywhere in the first line) into the problem. Numbers are read
// leniently; lgValue is established later, when the grids are read back.
// A file shorter than its counts require stops with "List index out of
// bounds (%d)" (the 0-based index of the missing line), keeping what was read.
ReadOutcome readSpcText(SpeciationProblem& problem, std::string_view text);
// Reads the file at `path` with readSpcText and remembers its name.
ReadOutcome readFile(SpeciationProblem& problem, const std::string& path);

// ---- hand-off block ----

inline constexpr std::size_t kClipboardLimit = 767;  // characters the reader takes

enum class HandoffResult { NotHandoff, Loaded, Failed };

struct HandoffOutcome {
  HandoffResult result = HandoffResult::NotHandoff;
  std::string message;  // "Clipboard error after line " + count on failure
};

// Builds the problem from the lines of a hand-off block (11 or 20 lines).
// A wrong line count leaves the problem untouched and returns the message
// "Clipboard error after line " followed by the count.
HandoffOutcome parseHandoff(SpeciationProblem& problem, const std::vector<std::string>& lines);
// The start-up reader: a clipboard text beginning with "MiniOrvale" or
// "FullOrvale" is cut to its first 767 characters (UTF-8 code points), split
// into lines and handed to parseHandoff; anything else is ignored.
HandoffOutcome readClipboardBlock(SpeciationProblem& problem, std::string_view clipboardText);

}  // namespace equivane
