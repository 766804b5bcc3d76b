// Fuzzes the table reader with its memo file. Input: 4 bytes (little-endian)
// giving the length of the table part, 1 flag byte (1: the memo file is an
// .fpt, 2: deleted records shown, 4: unique index, 8: descending index), the
// table bytes, then the memo file bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_common.h"
#include "xbase/table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  std::size_t dbfLen = static_cast<std::size_t>(data[0]) | (static_cast<std::size_t>(data[1]) << 8) |
                       (static_cast<std::size_t>(data[2]) << 16) | (static_cast<std::size_t>(data[3]) << 24);
  std::uint8_t flags = data[4];
  bool fox = flags & 1;
  data += 5;
  size -= 5;
  if (dbfLen > size) dbfLen = size;
  const std::string& dir = fuzzsupport::workDir();
  std::string dbf = dir + "/t.dbf";
  std::remove((dir + "/t.dbt").c_str());
  std::remove((dir + "/t.fpt").c_str());
  fuzzsupport::writeFile(dbf, data, dbfLen);
  fuzzsupport::writeFile(dir + (fox ? "/t.fpt" : "/t.dbt"), data + dbfLen, size - dbfLen);

  xbase::Environment env;
  env.showDeleted = (flags & 2) != 0;
  xbase::Table t(env);
  if (!t.open(dbf, xbase::Share::Exclusive, xbase::Access::ReadOnly)) return 0;
  int fields = t.fieldCount();
  int visited = 0;
  for (t.first(); !t.eof() && visited < 64; t.skip(), ++visited) {
    for (int f = 1; f <= fields; ++f) {
      (void)t.field(f);
      (void)t.rawField(f);
    }
    (void)t.deleted();
  }
  t.last();
  t.skip(-3);
  (void)t.go(t.recordCount());
  if (fields > 0) {
    std::string name = t.fieldName(1);
    t.first();
    (void)t.locate(name + " = 'A' .or. Recno() > 3");
    // Index building over the stored bytes (in memory only when it fails).
    if (t.createIndex(dir + "/t.nsx", name, (flags >> 2) & 1, (flags & 8) != 0)) {
      (void)t.seek("A");
      for (t.first(); !t.eof(); t.skip()) {
      }
    }
  }
  return 0;
}
