// Internal declarations shared by the engine's source files: field layout,
// the expression compiler and evaluator, index keys and tags, and the table
// state behind xbase::Table.
#pragma once

#include "xbase/table.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xbase::detail {

struct Field {
  std::string name;  // upper case
  char type = 'C';
  int width = 0;
  int decimals = 0;
  int offset = 0;  // within the record, after the deletion flag byte
};

// ---------------------------------------------------------------- helpers

std::string upperAscii(std::string_view s);
bool equalsNoCase(std::string_view a, std::string_view b);
std::string_view trimRight(std::string_view s);
std::string_view trimBoth(std::string_view s);
// Parses a number the way xBase reads a numeric field or Val(): leading
// blanks skipped, then the longest number prefix; 0 when there is none.
double parseNumber(std::string_view s);
// Order-preserving 8-byte big-endian encoding of a double.
void encodeNumber(double v, std::uint8_t* out);

// Whole-file read (with the size limit of a std::string); false on failure.
bool readWholeFile(int fd, std::string& out, std::string& why);
// Reads or writes n bytes at offset off, retrying partial transfers;
// false on an error or an early end of file.
bool preadAll(int fd, void* buf, std::size_t n, std::uint64_t off);
bool pwriteAll(int fd, const void* buf, std::size_t n, std::uint64_t off);

// Writes data to path through a temporary file renamed over it.
bool writeFileAtomic(const std::string& path, std::string_view data, std::string& why);
std::uint64_t checksum64(const std::uint8_t* p, std::size_t n);

// ------------------------------------------------------------- expressions

enum class VType : std::uint8_t { Str, Num, Bool };

struct Value {
  VType type = VType::Str;
  std::string s;
  double n = 0;
  bool b = false;
};

// What an expression reads: the record bytes (deletion flag first), its
// number, the exact switch, and a reader of memo texts.
struct RecordView {
  const char* rec = nullptr;
  std::int32_t recno = 0;
  bool exact = true;
  const std::function<std::string(int fieldIndex, const char* rec)>* memo = nullptr;
};

class Expr {
 public:
  enum class Op : std::uint8_t {
    Lit, Field, Call, Add, Sub, Neg, Eq, EqEq, Ne, Lt, Le, Gt, Ge, Contains, And, Or, Not
  };
  enum class Fn : std::uint8_t {
    Lower, Upper, SubStr, Left, Right, Trim, AllTrim, LTrim, Descend, Val, Str, Deleted, Recno, Len
  };
  struct Node {
    Op op = Op::Lit;
    Fn fn = Fn::Lower;
    VType type = VType::Str;
    Value lit;
    int field = -1;
    std::vector<int> args;
  };

  // Compiles the text against the fields, checking operand types. On failure
  // returns false with a message in error.
  bool compile(std::string_view text, const std::vector<Field>& fields, std::string& error);
  VType type() const { return nodes_[root_].type; }
  Value eval(const RecordView& rv) const { return evalNode(root_, rv); }
  bool test(const RecordView& rv) const;
  const Node& node(int i) const { return nodes_[static_cast<std::size_t>(i)]; }
  int root() const { return root_; }

 private:
  friend struct Parser;
  Value evalNode(int i, const RecordView& rv) const;
  std::vector<Node> nodes_;
  const std::vector<Field>* fields_ = nullptr;
  int root_ = -1;
};

// ------------------------------------------------------------------- keys

// A compiled index key. Most keys are concatenations of byte ranges of the
// record, each byte passed through a 256-entry table (Lower, Upper, Descend
// and logical normalisation compose into one table); those are built
// straight from the record bytes. A single numeric or date field (or the
// Descend of one) makes a numeric key. Anything else goes through the
// expression evaluator and is blank-padded to the key width.
class KeyExpr {
 public:
  bool compile(std::string_view text, const std::vector<Field>& fields, std::string& error);
  bool numeric() const { return numeric_; }
  bool negated() const { return negate_; }
  bool fixedWidth() const { return kind_ != Kind::General || numeric_; }
  int width() const { return width_; }      // fixed width, or 0 for general keys
  void setWidth(int w) { width_ = w; }      // general keys: the width of the tag
  // The key text of a record without padding (general keys only).
  std::string generalText(const RecordView& rv) const;
  // Writes width() bytes of the record's key.
  void build(const RecordView& rv, std::uint8_t* out) const;

 private:
  enum class Kind { Segments, NumberField, General };
  struct Segment {
    int offset = 0;  // byte offset within the record (deletion flag is 0)
    int len = 0;
    std::shared_ptr<const std::array<std::uint8_t, 256>> map;
  };
  bool segmentsOf(int node, std::vector<Segment>& out) const;
  Kind kind_ = Kind::General;
  bool numeric_ = false;
  bool negate_ = false;
  int width_ = 0;
  int numOffset_ = 0, numLen_ = 0;
  std::vector<Segment> segs_;
  Expr expr_;
  const std::vector<Field>* fields_ = nullptr;
};

enum TagFlags : std::uint32_t { kUnique = 1, kDescending = 2, kNumeric = 4 };

struct Tag {
  std::string name;
  std::string expr;
  std::string cond;
  int width = 0;
  std::uint32_t flags = 0;
  std::vector<std::uint8_t> keys;  // count * width bytes, in index order
  std::vector<std::int32_t> recs;  // parallel record numbers
  KeyExpr key;
  std::optional<Expr> condExpr;

  std::size_t size() const { return recs.size(); }
  const std::uint8_t* keyAt(std::size_t i) const { return keys.data() + i * static_cast<std::size_t>(width); }
  bool descending() const { return (flags & kDescending) != 0; }
};

struct IndexFile {
  std::string path;
  std::vector<std::unique_ptr<Tag>> tags;
  bool dirty = false;
};

// Serialises / parses the index file format (see index.cpp).
std::string serializeIndex(const IndexFile& f);
// Parses file bytes into tags (keys not compiled). why gets the reason.
bool parseIndex(std::string_view bytes, std::vector<std::unique_ptr<Tag>>& tags, std::string& why);

// ------------------------------------------------------------------ memo

struct MemoFile {
  enum class Kind { None, Dbt3, Dbt4, Fpt };
  Kind kind = Kind::None;
  int fd = -1;
  std::string path;
  std::uint32_t blockSize = 512;
  std::uint64_t size = 0;
  std::uint32_t nextFree = 1;
  // The memo file of a table opened read-only is mapped: reading a memo
  // copies it straight from the map instead of asking the system each time.
  const char* map = nullptr;
};

}  // namespace xbase::detail

namespace xbase {

struct Table::Impl {
  using Field = detail::Field;
  explicit Impl(Environment& e) : env(&e) {}

  Environment* env;
  std::string path;
  std::string error;
  int fd = -1;
  bool isOpen = false;
  bool exclusive = false;
  bool readOnly = true;
  std::uint8_t version = 0x03;
  std::uint32_t headerLen = 0;
  std::uint32_t recLen = 0;
  std::int32_t count = 0;
  std::vector<Field> fields;
  std::string data;  // header followed by the records (tables opened read-write)
  // Tables opened read-only are mapped instead of read: opening costs no
  // copy, and pages are read as records are visited.
  void* map = nullptr;
  std::size_t mapLen = 0;
  const char* base() const { return map ? static_cast<const char*>(map) : data.data(); }
  detail::MemoFile memo;
  std::function<std::string(int, const char*)> memoReader;

  // Position. In an index order pos is the entry index (== size at end of
  // file); offTag marks a current record that has no entry in the tag
  // (pos is then where it would be).
  std::int32_t recno = 0;
  bool eofFlag = true;
  bool bofFlag = true;
  std::size_t pos = 0;
  bool offTag = false;
  bool foundFlag = false;

  std::vector<std::unique_ptr<detail::IndexFile>> files;
  struct Order {
    detail::IndexFile* file;
    detail::Tag* tag;
  };
  std::vector<Order> orders;
  int current = 0;  // 0 = record order

  // Writing.
  bool recDirty = false;
  bool recNew = false;
  std::string origRec;
  std::size_t dirtyLo = SIZE_MAX, dirtyHi = 0;
  bool headerDirty = false;

  ProgressHook hook;

  // table.cpp
  const char* rec(std::int32_t r) const {
    return base() + headerLen + static_cast<std::size_t>(r - 1) * recLen;
  }
  char* recMut(std::int32_t r) { return data.data() + headerLen + static_cast<std::size_t>(r - 1) * recLen; }
  bool hidden(std::int32_t r) const { return !env->showDeleted && rec(r)[0] == '*'; }
  detail::RecordView view(std::int32_t r) const;
  std::string readMemo(int fieldIndex, const char* record) const;
  std::uint64_t memoOffset(int fieldIndex, const char* record) const;
  std::string memoBuffer;  // the last memo read by memoText() when it is not mapped
  bool fail(std::string msg) {
    error = std::move(msg);
    return false;
  }
  void reset();
  bool flushRecord();
  bool flushToDisk();
  void setEof();
  std::size_t orderSize() const;
  std::int32_t recAt(std::size_t p) const;
  void moveTo(std::size_t p);
  void syncPosition();

  // index.cpp
  bool loadIndexFile(const std::string& path, std::string_view shownName);
  bool writeIndexFile(detail::IndexFile& f);
  void closeIndexFile(detail::IndexFile* f);
  bool buildTag(detail::Tag& tag);
  std::size_t lowerBound(const detail::Tag& t, const std::uint8_t* key, std::int32_t recno) const;
  bool findEntry(const detail::Tag& t, const std::uint8_t* key, std::int32_t recno, std::size_t& at) const;
  bool updateIndexesForRecord();
  bool seekIndex(std::string_view key);
};

}  // namespace xbase
