// The text index: one text per record, kept in an .ia file; verification of a
// record text against a pattern.
//
// Handles are small positive integers; a negative result is a failure, with
// the message (naming the file) in FtsLastError().
#pragma once

#include <string>

namespace xbase {

// Creates or replaces the index file. caseFold 1 makes verification ignore
// letter case, 0 compares as stored. The other arguments are accepted for the
// callers' sake (block size, kind, sort) and do not change the result.
int FtsCreate(const char* file, int blockSize, int kind, int caseFold, int sort);
// Adds the text of the next record; returns the running number of the entry
// (1 for the first), negative on failure.
int FtsAdd(int handle, const char* text);
// Completes and closes the file (created) or releases the handle (opened).
int FtsClose(int handle);
// Opens an index for verification; negative when the file is missing, foreign
// or damaged.
int FtsOpen(const char* file, int cacheSize, int mode);
// 1 when text matches pattern, 0 when not, negative on a bad handle.
// Mode 3: the pattern occurs anywhere in the text. Mode 1: the text begins
// with the pattern. A "*" in the pattern matches any run of characters, "?"
// any one character.
int FtsVerify(int handle, const char* text, const char* pattern, int mode);
// Number of entries of an open index, negative on a bad handle.
int FtsCount(int handle);
const std::string& FtsLastError();

}  // namespace xbase
