// Writes a data set as the dBase tables of one edition.
#pragma once

#include <functional>
#include <string>

#include "Dataset.h"

namespace orvale::makedb {

struct WriteOptions {
  talvex::db::Edition edition = talvex::db::Edition::Full;
  bool withStructures = true;   // the structure-bearing ligand table
  bool crossReference = true;   // XRefLgMt.dbf
  // Mini edition: the full data set whose pair counts go into XRefLM_f.dbf
  // (with its index); null for none.
  const Dataset* fullForCrossReference = nullptr;
};

// Writes every table into folder (created when missing); existing tables and
// index files of the edition are replaced. Returns false with a message.
bool writeDatabase(const Dataset& data, const std::string& folder, const WriteOptions& options, std::string& error);

}  // namespace orvale::makedb
