// Writes the seed corpora of the fuzz targets: make_seeds <folder> creates
// <folder>/table, <folder>/nsx and <folder>/ia with small valid inputs built
// through the engine itself.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_common.h"
#include "xbase/fts.h"
#include "xbase/table.h"

namespace fs = std::filesystem;

namespace {

std::string readAll(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void put(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Table target input: length of the table part, memo kind, table, memo file.
std::string tableInput(const std::string& dbf, const std::string& memo, bool fox) {
  std::string out;
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<char>((dbf.size() >> (8 * k)) & 0xFF));
  out.push_back(fox ? 1 : 0);
  return out + dbf + memo;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <folder>\n");
    return 2;
  }
  fs::path root = argv[1];
  for (const char* sub : {"table", "nsx", "ia"}) fs::create_directories(root / sub);
  std::string work = fuzzsupport::workDir();

  // Tables: plain, with memo, with deleted records.
  {
    std::string p = work + "/plain.dbf";
    xbase::TableCreator c(p, 4);
    c.addField("NAME", 'C', 8);
    c.addField("K", 'N', 6, 2);
    c.addField("F", 'L', 1);
    c.addField("D", 'D', 8);
    if (!c.finish()) return 1;
    xbase::Environment env;
    xbase::Table t(env);
    t.open(p, xbase::Share::Exclusive, xbase::Access::ReadWrite);
    for (const char* n : {"alpha", "Beta", "gamma"}) {
      t.appendBlank();
      t.replace(1, n);
      t.replace(2, "-1.5");
      t.replace(3, "T");
      t.replace(4, "19991231");
    }
    t.close();
    put(root / "table" / "plain", tableInput(readAll(p), "", false));
    std::string del = readAll(p);
    del[32 + 32 * 4 + 1] = '*';
    put(root / "table" / "deleted", tableInput(del, "", false));
  }
  {
    std::string p = work + "/memo.dbf";
    xbase::TableCreator c(p, 2);
    c.addField("ID", 'C', 3);
    c.addField("NOTE", 'M', 10);
    if (!c.finish()) return 1;
    xbase::Environment env;
    xbase::Table t(env);
    t.open(p, xbase::Share::Exclusive, xbase::Access::ReadWrite);
    t.appendBlank();
    t.replace(1, "one");
    t.replace(2, "a memo text");
    t.appendBlank();
    t.replace(1, "two");
    t.replace(2, "second");
    t.close();
    put(root / "table" / "memo", tableInput(readAll(p), readAll(work + "/memo.dbt"), false));
    // The same records read through a FoxPro memo file of 64-byte blocks.
    std::string dbf = readAll(p);
    dbf[0] = static_cast<char>(0xF5);
    std::string fpt(512, '\0');
    fpt[3] = 10;
    fpt[7] = 64;
    std::string text = "a memo text";
    std::string block = std::string("\0\0\0\1\0\0\0", 7) + static_cast<char>(text.size()) + text;
    block.resize(64, '\0');
    put(root / "table" / "foxpro", tableInput(dbf, fpt + block, true));
  }

  // Indexes on the index target's table.
  {
    std::string p = work + "/expt.dbf";
    if (!fuzzsupport::makeIndexTable(p)) return 1;
    xbase::Environment env;
    xbase::Table t(env);
    if (!t.open(p, xbase::Share::Exclusive, xbase::Access::ReadOnly)) return 1;
    struct Seed {
      const char* name;
      const char* key;
      int option;
      bool descending;
      const char* cond;
    } seeds[] = {{"lm", "LIGANDID+METALNUM+Descend(REFYR)", 0, false, ""},
                 {"numeric", "K1", 0, true, ""},
                 {"unique", "Lower(NAME)", 1, false, ""},
                 {"general", "Trim(NAME)+REFYR", 0, false, "K1 > 0"}};
    for (const auto& s : seeds) {
      std::string ip = work + "/" + s.name + ".nsx";
      if (!t.createIndex(ip, s.key, s.option, s.descending, s.cond)) return 1;
      put(root / "nsx" / s.name, readAll(ip));
    }
    std::string mp = work + "/multi.nsx";
    t.createTag(mp, "LM", "LIGANDID+METALNUM");
    t.createTag(mp, "YEAR", "Descend(REFYR)");
    put(root / "nsx" / "multi", readAll(mp));
  }

  // Text indexes.
  {
    std::string p = work + "/names.ia";
    int h = xbase::FtsCreate(p.c_str(), 20, 2, 1, 1);
    for (const char* s : {"Glycine", "2-aminoacetic acid", "", "C6H6 benzene"}) xbase::FtsAdd(h, s);
    xbase::FtsClose(h);
    put(root / "ia" / "names", readAll(p));
  }
  std::printf("seeds written to %s\n", root.string().c_str());
  return 0;
}
