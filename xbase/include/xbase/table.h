// The table engine: dBase III/IV tables (.dbf) with memo files (.dbt, FoxPro
// .fpt read too) and index files in the engine's own .nsx format.
//
// Every operation reports success by its result; nothing is thrown. A failed
// operation leaves a message naming the file in lastError(). Operations on a
// table that is not open do nothing and return 0, false or empty text.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xbase {

// The switches every table of one environment shares. Both seek switches are
// on at start and deleted records are hidden.
//  - softSeek: a seek that misses leaves the table on the next greater key
//    (or at end of file when there is none); with it off a miss goes to end
//    of file.
//  - exact: with exact off, an equality test of a character value against a
//    text in an expression holds when the value begins with that text, and a
//    seek is found when the index key begins with the seek key. With exact
//    on, both compare whole values, trailing blanks ignored.
struct Environment {
  bool softSeek = true;
  bool exact = true;
  bool showDeleted = false;
  static Environment& global();
};

enum class Share { Shared, Exclusive };
enum class Access { ReadOnly, ReadWrite };

struct FieldDef {
  std::string name;   // at most 10 characters, stored in capitals
  char type = 'C';    // C, N, L, D or M
  int width = 0;
  int decimals = 0;
};

// Progress of index building: position and maximum (the record count).
using ProgressHook = std::function<void(std::int64_t position, std::int64_t maximum)>;

class Table {
 public:
  explicit Table(Environment& env = Environment::global());
  ~Table();
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  // Opens the table file (found ignoring the case of its name). Fails when the
  // table is already open (close it first: the mode of an open table cannot
  // change), when the file is missing, not a dBase table or damaged, or when
  // the share mode conflicts with another open of the same file.
  bool open(std::string_view path, Share share = Share::Shared, Access access = Access::ReadOnly);
  void close();
  bool isOpen() const;
  bool isExclusive() const;
  bool isReadOnly() const;
  const std::string& path() const;          // the path as found on disk
  const std::string& lastError() const;     // message of the last failure
  Environment& environment() const;

  // Records: physical record numbers from 1, deleted records included in the
  // count. Navigation follows the current order and skips deleted records
  // unless the environment shows them.
  std::int32_t recordCount() const;
  std::int32_t recNo() const;               // 0 when not open; recordCount()+1 at end of file
  bool go(std::int32_t recNo);              // to a physical record; false when out of range
  void first();
  void last();
  void skip(std::int32_t n = 1);            // n may be negative
  bool eof() const;
  bool bof() const;
  bool deleted() const;                     // the current record carries the deletion mark

  // Fields, by position from 1 or by name in any case.
  int fieldCount() const;
  std::string fieldName(int pos) const;
  int fieldWidth(int pos) const;
  char fieldType(int pos) const;
  int fieldDecimals(int pos) const;
  int fieldPos(std::string_view name) const;  // 0 when there is no such field
  // Field value as text: character fields padded with blanks to their width,
  // numbers as stored (callers trim), logicals "True" / "False", dates as
  // stored (YYYYMMDD), memo fields the memo text. Empty at end of file.
  std::string field(std::string_view name) const;
  std::string field(int pos) const;
  // The stored bytes of a field of the current record (no memo resolution);
  // valid until the record changes. The fast path for scans.
  std::string_view rawField(int pos) const;
  // The text of a memo field of the current record without a copy where the
  // memo file allows it; valid until the next memoText() call, the next
  // record change or the table's closing.
  std::string_view memoText(int pos) const;

  // Indexes. Orders are numbered in the order their index files (and, in a
  // multi-tag file, their tags) were opened: 1 is the first; 0 is record order.
  // A missing file fails with "Index file does not exist.\rFile: " + name.
  bool openIndex(std::string_view path);
  bool selectOrder(int n);
  int order() const;
  int orderCount() const;
  void closeAllIndexes();
  void closeCurrentIndex();
  // Seeks key in the current order (order 0: the key is a record number).
  // Returns found, which stays readable through found() until the next seek.
  bool seek(std::string_view key);
  bool found() const;
  // Forward from the current record (inclusive) in the current order: the
  // first record for which the expression holds becomes current; returns its
  // record number, or 0 (and the table is at end of file).
  std::int32_t locate(std::string_view expression);

  // Builds an index file on the table (open exclusive). Key expressions use
  // field names in any case, "+", Descend(), Lower(), Upper(), SubStr(x, start,
  // length) and Trim(); option 1 keeps only the first record of equal keys;
  // descending reverses the order; a non-empty condition keeps only records
  // for which it holds. The new index becomes the current order.
  bool createIndex(std::string_view path, std::string_view keyExpression, int option = 0,
                   bool descending = false, std::string_view condition = {});
  // Adds (or replaces) a named tag in a multi-tag index file and makes it the
  // current order.
  bool createTag(std::string_view path, std::string_view tagName, std::string_view keyExpression);
  void setProgressHook(ProgressHook hook);  // an empty hook detaches

  // Writing (tables opened read-write): append a blank record and make it
  // current, replace field values of the current record, commit the record
  // and the header to disk. Open indexes follow the changes on commit.
  bool appendBlank();
  bool replace(std::string_view fieldName, std::string_view value);
  bool replace(int pos, std::string_view value);
  bool commit();

  struct Impl;

 private:
  std::unique_ptr<Impl> d;
};

// Creates a new, empty table: create (file, kind, field count), add each
// field, finish. finish() returns non-zero on success; the table is then
// closed and can be opened. A table with a memo field gets its memo file.
// An existing file of that name is replaced.
class TableCreator {
 public:
  TableCreator(std::string_view path, int fieldCount);
  bool addField(std::string_view name, char type, int width, int decimals = 0);
  int finish();
  const std::string& lastError() const;

 private:
  std::string path_;
  int expected_;
  std::vector<FieldDef> fields_;
  std::string error_;
};

// Finds a file in its folder ignoring the case of its name. Returns the path
// as it exists on disk, or the path unchanged when no file matches.
std::string findFile(std::string_view path);
bool fileExists(std::string_view path);  // ignoring the case of the name

// The descending form of a seek key: each character c replaced by 256 - c.
std::string descendKey(std::string_view key);

}  // namespace xbase
