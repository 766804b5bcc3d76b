// The index files of a database, in the order "Use Database" checks and
// builds them. Engine indexes (.nsx) carry a key expression and, for
// multi-tag files, a tag name; text indexes (.ia) name the fields whose
// blank-padded values make each record's text.
#pragma once

#include <string>
#include <vector>

#include "talvex/db/Tables.h"

namespace talvex::db {

enum class IndexedTable { Ligand, Metal, Reference, Author, Experiment, Publications, CrossReference };
enum class IndexKind { Engine, Text };

struct IndexFile {
  std::string file;             // file name in the database folder
  IndexedTable table;
  IndexKind kind;
  std::string tag;              // engine index in a multi-tag file: the tag's name
  std::string key;              // engine index: the key expression
  bool descending = false;
  // Text index: the fields concatenated per record (as stored, blank-padded);
  // fields listed in lowerFields are lower-cased first. caseFold is the flag
  // passed when the index is created.
  std::vector<std::string> textFields;
  std::vector<std::string> lowerFields;
  int caseFold = 0;
  std::string what;             // the words after "Wait - indexing "
};

// Every index file of an edition in build order. The ligand table's combined
// text index is named after the table actually present (structures or not).
// The publications index and the cross-reference index, which depend on
// tables that may be missing, are listed last.
std::vector<IndexFile> indexFiles(Edition e, bool structuresAvailable);

}  // namespace talvex::db
