// Fuzzes the index reader: a small valid table is opened once, then every
// input is opened as its index file, seeked and walked.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_common.h"
#include "xbase/table.h"

namespace {

xbase::Environment env;

xbase::Table& table() {
  static xbase::Table* t = [] {
    std::string path = fuzzsupport::workDir() + "/expt.dbf";
    if (!fuzzsupport::makeIndexTable(path)) std::abort();
    auto* tab = new xbase::Table(env);
    if (!tab->open(path)) std::abort();
    return tab;
  }();
  return *t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  xbase::Table& t = table();
  std::string nsx = fuzzsupport::workDir() + "/x.nsx";
  fuzzsupport::writeFile(nsx, data, size);
  env.exact = size & 1;
  env.softSeek = size & 2;
  if (!t.openIndex(nsx)) return 0;
  for (int o = 1; o <= t.orderCount(); ++o) {
    t.selectOrder(o);
    for (const char* key : {"  12  3", "   7", "", "1984", "-1.25", "glycine", "\xff\xff"}) {
      (void)t.seek(key);
      t.skip();
      t.skip(-2);
    }
    int n = 0;
    for (t.first(); !t.eof() && n < 100; t.skip(), ++n) (void)t.rawField(1);
    for (t.last(); !t.bof() && n < 200; t.skip(-1), ++n) {
    }
    (void)t.go(3);
    t.skip();
  }
  t.closeAllIndexes();
  return 0;
}
