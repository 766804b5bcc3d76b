// Test helpers: a temporary folder per test and small tables built through
// the engine itself.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "xbase/table.h"

namespace xbtest {

class TempDir {
 public:
  TempDir() {
    static std::atomic<int> seq{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("xbase-test-" + std::to_string(::getpid()) + "-" + std::to_string(stamp) + "-" + std::to_string(seq++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct Col {
  std::string name;
  char type;
  int width;
  int decimals = 0;
};

// Creates a table with the columns and rows (values in column order).
inline void makeTable(const std::string& path, const std::vector<Col>& cols,
                      const std::vector<std::vector<std::string>>& rows) {
  xbase::TableCreator c(path, static_cast<int>(cols.size()));
  for (const auto& col : cols) ASSERT_TRUE(c.addField(col.name, col.type, col.width, col.decimals)) << c.lastError();
  ASSERT_NE(c.finish(), 0) << c.lastError();
  if (rows.empty()) return;
  xbase::Environment env;
  xbase::Table t(env);
  ASSERT_TRUE(t.open(path, xbase::Share::Exclusive, xbase::Access::ReadWrite)) << t.lastError();
  for (const auto& row : rows) {
    ASSERT_TRUE(t.appendBlank());
    for (std::size_t i = 0; i < row.size(); ++i) ASSERT_TRUE(t.replace(static_cast<int>(i) + 1, row[i])) << t.lastError();
    ASSERT_TRUE(t.commit());
  }
  t.close();
}

// Sets the deletion mark of physical record r in a table file.
inline void markDeleted(const std::string& path, int r) {
  std::string b = readBytes(path);
  unsigned headerLen = static_cast<unsigned char>(b[8]) | (static_cast<unsigned char>(b[9]) << 8);
  unsigned recLen = static_cast<unsigned char>(b[10]) | (static_cast<unsigned char>(b[11]) << 8);
  b[headerLen + static_cast<std::size_t>(r - 1) * recLen] = '*';
  writeBytes(path, b);
}

// Record numbers visited from first() to eof().
inline std::vector<int> walk(xbase::Table& t) {
  std::vector<int> out;
  for (t.first(); !t.eof(); t.skip()) out.push_back(t.recNo());
  return out;
}

// Record numbers visited from last() back to bof().
inline std::vector<int> walkBack(xbase::Table& t) {
  std::vector<int> out;
  for (t.last(); !t.bof() && !t.eof(); t.skip(-1)) out.push_back(t.recNo());
  return out;
}

}  // namespace xbtest
