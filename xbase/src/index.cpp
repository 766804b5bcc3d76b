// Index files (.nsx) in the engine's own format, index orders and seeking.
//
// File layout (all integers little-endian):
//   header, 32 bytes:
//     0   8  magic "ORVLNSX\x1A"
//     8   4  format version (1)
//     12  4  number of tags (1 to 1024)
//     16  8  total file length in bytes
//     24  8  zero
//   then each tag:
//     2 + n  tag name (length, bytes)
//     2 + n  key expression text
//     2 + n  condition text (length 0 when none)
//     2      key width in bytes (1 to 4096; 8 for numeric keys)
//     4      flags: 1 unique, 2 descending, 4 numeric
//     4      entry count
//     count entries of (key width bytes, 4-byte record number), in index
//     order: keys ascending (descending with flag 2), equal keys by record
//     number
//   trailer: 8-byte checksum of everything before it.
// Numeric keys hold an order-preserving encoding of the value: the IEEE
// double, big-endian, sign bit flipped for positive values and all bits
// flipped for negative ones.
//
// A tag is loaded whole into two contiguous arrays (keys, record numbers), so
// a seek is one binary search. Commits update the arrays; a changed file is
// written back when it is closed.
#include "internal.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace xbase {

using detail::IndexFile;
using detail::Tag;

namespace {

constexpr char kMagic[8] = {'O', 'R', 'V', 'L', 'N', 'S', 'X', '\x1A'};
constexpr std::uint32_t kVersion = 1;
constexpr int kMaxWidth = 4096;
constexpr std::int64_t kProgressStep = 4096;

std::string reindexHint(const std::string& name) {
  return ".\rFile: " + name + "\rReindex Database Files rebuilds it.";
}

struct Reader {
  std::string_view b;
  std::size_t at = 0;
  bool ok = true;
  std::uint64_t u(int n) {
    if (!ok || b.size() - at < static_cast<std::size_t>(n)) {
      ok = false;
      return 0;
    }
    std::uint64_t v = 0;
    for (int k = n - 1; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(k)]);
    at += static_cast<std::size_t>(n);
    return v;
  }
  std::string text(std::size_t maxLen) {
    std::size_t n = static_cast<std::size_t>(u(2));
    if (!ok || n > maxLen || b.size() - at < n) {
      ok = false;
      return {};
    }
    std::string s(b.substr(at, n));
    at += n;
    return s;
  }
};

void putU(std::string& out, std::uint64_t v, int n) {
  for (int k = 0; k < n; ++k) {
    out.push_back(static_cast<char>(v & 0xFF));
    v >>= 8;
  }
}

void putText(std::string& out, const std::string& s) {
  putU(out, s.size(), 2);
  out += s;
}

std::string baseName(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
  return name;
}

// Order of entry (a, ra) against (b, rb) in the tag's order.
inline bool entryLess(const Tag& t, const std::uint8_t* a, std::int32_t ra, const std::uint8_t* b, std::int32_t rb) {
  int c = std::memcmp(a, b, static_cast<std::size_t>(t.width));
  if (c != 0) return t.descending() ? c > 0 : c < 0;
  return ra < rb;
}

}  // namespace

namespace detail {

std::string serializeIndex(const IndexFile& f) {
  std::size_t total = 32 + 8;
  for (const auto& t : f.tags)
    total += 6 + t->name.size() + t->expr.size() + t->cond.size() + 10 + t->keys.size() + 4 * t->recs.size();
  std::string out;
  out.reserve(total);
  out.append(kMagic, 8);
  putU(out, kVersion, 4);
  putU(out, f.tags.size(), 4);
  putU(out, total, 8);
  putU(out, 0, 8);
  for (const auto& t : f.tags) {
    putText(out, t->name);
    putText(out, t->expr);
    putText(out, t->cond);
    putU(out, static_cast<std::uint64_t>(t->width), 2);
    putU(out, t->flags, 4);
    putU(out, t->recs.size(), 4);
    std::size_t w = static_cast<std::size_t>(t->width);
    std::size_t base = out.size();
    out.resize(base + t->recs.size() * (w + 4));
    char* p = out.data() + base;
    for (std::size_t i = 0; i < t->recs.size(); ++i) {
      std::memcpy(p, t->keyAt(i), w);
      std::uint32_t r = static_cast<std::uint32_t>(t->recs[i]);
      p[w] = static_cast<char>(r & 0xFF);
      p[w + 1] = static_cast<char>((r >> 8) & 0xFF);
      p[w + 2] = static_cast<char>((r >> 16) & 0xFF);
      p[w + 3] = static_cast<char>((r >> 24) & 0xFF);
      p += w + 4;
    }
  }
  putU(out, checksum64(reinterpret_cast<const std::uint8_t*>(out.data()), out.size()), 8);
  return out;
}

bool parseIndex(std::string_view bytes, std::vector<std::unique_ptr<Tag>>& tags, std::string& why) {
  tags.clear();
  if (bytes.size() < 40) return why = "file too short", false;
  if (std::memcmp(bytes.data(), kMagic, 8) != 0) return why = "not an index file of this program", false;
  Reader r{bytes, 8};
  if (r.u(4) != kVersion) return why = "unknown format version", false;
  std::uint64_t tagCount = r.u(4);
  std::uint64_t total = r.u(8);
  r.u(8);
  if (tagCount < 1 || tagCount > 1024) return why = "bad tag count", false;
  if (total != bytes.size()) return why = "file length does not match its header", false;
  std::size_t body = bytes.size() - 8;
  std::uint64_t sum = 0;
  for (int k = 7; k >= 0; --k) sum = (sum << 8) | static_cast<unsigned char>(bytes[body + static_cast<std::size_t>(k)]);
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION  // let fuzzers reach the checks below
  if (sum != checksum64(reinterpret_cast<const std::uint8_t*>(bytes.data()), body))
    return why = "checksum mismatch", false;
#else
  (void)sum;
#endif
  r.b = bytes.substr(0, body);
  for (std::uint64_t k = 0; k < tagCount; ++k) {
    auto t = std::make_unique<Tag>();
    t->name = r.text(255);
    t->expr = r.text(4096);
    t->cond = r.text(4096);
    std::uint64_t width = r.u(2);
    std::uint64_t flags = r.u(4);
    std::uint64_t count = r.u(4);
    if (!r.ok) return why = "tag header cut short", false;
    if (t->name.empty() || t->expr.empty()) return why = "tag without name or key", false;
    if (width < 1 || width > kMaxWidth) return why = "bad key width", false;
    if (flags & ~std::uint64_t{7}) return why = "unknown tag flags", false;
    if ((flags & kNumeric) && width != 8) return why = "bad numeric key width", false;
    if (count > 0x7FFFFFFFu || count * (width + 4) > body - r.at) return why = "entries beyond the end of the file", false;
    t->width = static_cast<int>(width);
    t->flags = static_cast<std::uint32_t>(flags);
    std::size_t w = static_cast<std::size_t>(width);
    t->keys.resize(static_cast<std::size_t>(count) * w);
    t->recs.resize(static_cast<std::size_t>(count));
    const char* p = bytes.data() + r.at;
    for (std::size_t i = 0; i < count; ++i) {
      std::memcpy(t->keys.data() + i * w, p, w);
      const auto* q = reinterpret_cast<const unsigned char*>(p + w);
      t->recs[i] = static_cast<std::int32_t>(static_cast<std::uint32_t>(q[0]) | (static_cast<std::uint32_t>(q[1]) << 8) |
                                             (static_cast<std::uint32_t>(q[2]) << 16) |
                                             (static_cast<std::uint32_t>(q[3]) << 24));
      p += w + 4;
    }
    r.at += static_cast<std::size_t>(count) * (w + 4);
    tags.push_back(std::move(t));
  }
  if (r.at != body) return why = "extra bytes after the last tag", false;
  return true;
}

}  // namespace detail

// ------------------------------------------------------------ Impl part

std::size_t Table::Impl::lowerBound(const Tag& t, const std::uint8_t* key, std::int32_t r) const {
  std::size_t lo = 0, hi = t.size();
  while (lo < hi) {
    std::size_t mid = lo + (hi - lo) / 2;
    if (entryLess(t, t.keyAt(mid), t.recs[mid], key, r))
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

bool Table::Impl::findEntry(const Tag& t, const std::uint8_t* key, std::int32_t r, std::size_t& at) const {
  at = lowerBound(t, key, r);
  return at < t.size() && t.recs[at] == r && std::memcmp(t.keyAt(at), key, static_cast<std::size_t>(t.width)) == 0;
}

bool Table::Impl::writeIndexFile(IndexFile& f) {
  std::string why;
  if (!detail::writeFileAtomic(f.path, detail::serializeIndex(f), why)) {
    error = "Cannot write the index file (" + why + ").\rFile: " + f.path;
    return false;
  }
  f.dirty = false;
  return true;
}

void Table::Impl::closeIndexFile(IndexFile* f) {
  if (f->dirty) writeIndexFile(*f);
  detail::Tag* cur = current > 0 ? orders[static_cast<std::size_t>(current - 1)].tag : nullptr;
  std::vector<Order> kept;
  for (const auto& o : orders)
    if (o.file != f) kept.push_back(o);
  orders = std::move(kept);
  current = 0;
  for (std::size_t i = 0; i < orders.size(); ++i)
    if (orders[i].tag == cur) current = static_cast<int>(i) + 1;
  for (auto it = files.begin(); it != files.end(); ++it)
    if (it->get() == f) {
      files.erase(it);
      break;
    }
  syncPosition();
}

bool Table::Impl::loadIndexFile(const std::string& file, std::string_view shownName) {
  std::string shown(shownName);
  int fdi = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fdi < 0) return fail("Index file does not exist.\rFile: " + shown);
  std::string bytes, why;
  bool read = detail::readWholeFile(fdi, bytes, why);
  ::close(fdi);
  if (!read) return fail("Cannot read the index file (" + why + ")" + reindexHint(shown));
  auto f = std::make_unique<IndexFile>();
  f->path = file;
  if (!detail::parseIndex(bytes, f->tags, why)) return fail("Index file is damaged (" + why + ")" + reindexHint(shown));
  bytes.clear();
  bytes.shrink_to_fit();
  for (auto& tp : f->tags) {
    Tag& t = *tp;
    std::string err;
    if (!t.key.compile(t.expr, fields, err))
      return fail("Index file does not fit this table (key " + t.expr + " of tag " + t.name + ")" + reindexHint(shown));
    if (t.key.numeric() != ((t.flags & detail::kNumeric) != 0) || (t.key.fixedWidth() && t.key.width() != t.width))
      return fail("Index file does not fit this table (key width of tag " + t.name + ")" + reindexHint(shown));
    if (!t.key.fixedWidth()) t.key.setWidth(t.width);
    if (!t.cond.empty()) {
      t.condExpr.emplace();
      if (!t.condExpr->compile(t.cond, fields, err) || t.condExpr->type() != detail::VType::Bool)
        return fail("Index file does not fit this table (condition of tag " + t.name + ")" + reindexHint(shown));
    }
    bool unique = (t.flags & detail::kUnique) != 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
      if (t.recs[i] < 1 || t.recs[i] > count)
        return fail("Index file is damaged (record number out of range in tag " + t.name + ")" + reindexHint(shown));
      if (i > 0) {
        const std::uint8_t* a = t.keyAt(i - 1);
        const std::uint8_t* b = t.keyAt(i);
        bool ordered = entryLess(t, a, t.recs[i - 1], b, t.recs[i]);
        if (!ordered || (unique && std::memcmp(a, b, static_cast<std::size_t>(t.width)) == 0))
          return fail("Index file is damaged (entries out of order in tag " + t.name + ")" + reindexHint(shown));
      }
    }
  }
  IndexFile* raw = f.get();
  files.push_back(std::move(f));
  int firstOrder = static_cast<int>(orders.size()) + 1;
  for (auto& tp : raw->tags) orders.push_back(Order{raw, tp.get()});
  current = firstOrder;
  syncPosition();
  return true;
}

// Builds the entries of a tag whose key (and condition) are compiled.
bool Table::Impl::buildTag(Tag& t) {
  std::int64_t total = count;
  auto progress = [&](std::int64_t p) {
    if (hook) hook(p, total);
  };
  bool general = !t.key.fixedWidth();
  std::vector<std::int32_t> rows;  // record numbers included, ascending
  rows.reserve(static_cast<std::size_t>(count));
  std::vector<std::string> texts;
  std::size_t w = static_cast<std::size_t>(t.key.width());
  for (std::int32_t r = 1; r <= count; ++r) {
    detail::RecordView rv = view(r);
    if (!t.condExpr || t.condExpr->test(rv)) {
      rows.push_back(r);
      if (general) {
        texts.push_back(t.key.generalText(rv));
        w = std::max(w, texts.back().size());
      }
    }
    if (r % kProgressStep == 0) progress(r);
  }
  if (general) {
    if (w == 0) w = 1;
    if (w > static_cast<std::size_t>(kMaxWidth)) return fail("The index key is longer than 4096 bytes.\rFile: " + path);
    t.key.setWidth(static_cast<int>(w));
  }
  t.width = static_cast<int>(w);
  std::size_t m = rows.size();
  std::vector<std::uint8_t> keys(m * w);
  for (std::size_t i = 0; i < m; ++i) {
    if (general) {
      const std::string& s = texts[i];
      std::memcpy(keys.data() + i * w, s.data(), s.size());
      std::memset(keys.data() + i * w + s.size(), ' ', w - s.size());
    } else {
      t.key.build(view(rows[i]), keys.data() + i * w);
    }
  }
  texts.clear();
  // Stable least-significant-byte radix sort of row positions; rows start in
  // record order, so equal keys stay ordered by record number.
  std::vector<std::uint32_t> perm(m), tmp(m);
  for (std::size_t i = 0; i < m; ++i) perm[i] = static_cast<std::uint32_t>(i);
  bool desc = t.descending();
  for (std::size_t b = w; b-- > 0;) {
    std::size_t cnt[256] = {};
    for (std::size_t i = 0; i < m; ++i) ++cnt[keys[i * w + b]];
    bool single = false;
    for (std::size_t c = 0; c < 256; ++c)
      if (cnt[c] == m) single = true;
    if (single) continue;
    std::size_t off[256];
    std::size_t run = 0;
    for (std::size_t k = 0; k < 256; ++k) {
      std::size_t c = desc ? 255 - k : k;
      off[c] = run;
      run += cnt[c];
    }
    for (std::size_t i = 0; i < m; ++i) {
      std::uint32_t row = perm[i];
      tmp[off[keys[row * w + b]]++] = row;
    }
    perm.swap(tmp);
  }
  tmp.clear();
  tmp.shrink_to_fit();
  bool unique = (t.flags & detail::kUnique) != 0;
  t.keys.clear();
  t.recs.clear();
  t.keys.reserve(m * w);
  t.recs.reserve(m);
  const std::uint8_t* prev = nullptr;
  for (std::size_t i = 0; i < m; ++i) {
    const std::uint8_t* k = keys.data() + static_cast<std::size_t>(perm[i]) * w;
    if (unique && prev && std::memcmp(prev, k, w) == 0) continue;
    t.keys.insert(t.keys.end(), k, k + w);
    t.recs.push_back(rows[perm[i]]);
    prev = k;
  }
  progress(total);
  return true;
}

bool Table::Impl::updateIndexesForRecord() {
  if (files.empty()) return true;
  detail::RecordView nv = view(recno);
  detail::RecordView ov = nv;
  if (!recNew) ov.rec = origRec.data();
  for (auto& f : files) {
    for (auto& tp : f->tags) {
      Tag& t = *tp;
      std::size_t w = static_cast<std::size_t>(t.width);
      std::vector<std::uint8_t> newKey(w), oldKey(w);
      t.key.build(nv, newKey.data());
      bool newIn = !t.condExpr || t.condExpr->test(nv);
      bool oldIn = false;
      if (!recNew) {
        t.key.build(ov, oldKey.data());
        oldIn = !t.condExpr || t.condExpr->test(ov);
        if (oldIn && newIn && oldKey == newKey) continue;
      }
      std::size_t at = 0;
      if (oldIn && findEntry(t, oldKey.data(), recno, at)) {
        t.keys.erase(t.keys.begin() + static_cast<std::ptrdiff_t>(at * w),
                     t.keys.begin() + static_cast<std::ptrdiff_t>((at + 1) * w));
        t.recs.erase(t.recs.begin() + static_cast<std::ptrdiff_t>(at));
        f->dirty = true;
      }
      if (newIn) {
        at = lowerBound(t, newKey.data(), recno);
        if (t.flags & detail::kUnique) {
          std::size_t first = lowerBound(t, newKey.data(), 0);
          if (first < t.size() && std::memcmp(t.keyAt(first), newKey.data(), w) == 0) continue;
        }
        t.keys.insert(t.keys.begin() + static_cast<std::ptrdiff_t>(at * w), newKey.begin(), newKey.end());
        t.recs.insert(t.recs.begin() + static_cast<std::ptrdiff_t>(at), recno);
        f->dirty = true;
      }
    }
  }
  syncPosition();
  return true;
}

bool Table::Impl::seekIndex(std::string_view key) {
  const Tag& t = *orders[static_cast<std::size_t>(current - 1)].tag;
  std::size_t w = static_cast<std::size_t>(t.width);
  std::vector<std::uint8_t> probe;
  std::size_t len = w;
  bool over = false;  // the seek key is longer than the key, with more than blanks
  if (t.key.numeric()) {
    probe.resize(8);
    double v = detail::parseNumber(key);
    detail::encodeNumber(t.key.negated() ? -v : v, probe.data());
  } else {
    std::string_view k = key;
    if (k.size() > w) {
      for (std::size_t i = w; i < k.size(); ++i)
        if (k[i] != ' ') over = true;
      k = k.substr(0, w);
    }
    probe.assign(k.begin(), k.end());
    if (env->exact)
      probe.resize(w, ' ');
    else
      len = probe.size();
  }
  bool desc = t.descending();
  std::size_t lo = 0, hi = t.size();
  while (lo < hi) {
    std::size_t mid = lo + (hi - lo) / 2;
    int c = len ? std::memcmp(t.keyAt(mid), probe.data(), len) : 0;
    bool before = desc ? c > 0 : (c < 0 || (c == 0 && over));
    if (before)
      lo = mid + 1;
    else
      hi = mid;
  }
  std::size_t p = lo;
  while (p < t.size() && hidden(t.recs[p])) ++p;
  foundFlag = p < t.size() && !over && (len == 0 || std::memcmp(t.keyAt(p), probe.data(), len) == 0);
  bofFlag = false;
  if (foundFlag || env->softSeek)
    moveTo(p);
  else
    setEof();
  return foundFlag;
}

// --------------------------------------------------------------- Table

bool Table::openIndex(std::string_view pathArg) {
  if (!d->isOpen) return false;
  try {
    d->flushRecord();
    std::string found = findFile(pathArg);
    if (!fileExists(found)) return d->fail("Index file does not exist.\rFile: " + std::string(pathArg));
    for (std::size_t i = 0; i < d->orders.size(); ++i)
      if (d->orders[i].file->path == found) {
        d->current = static_cast<int>(i) + 1;
        d->syncPosition();
        return true;
      }
    return d->loadIndexFile(found, pathArg);
  } catch (const std::bad_alloc&) {
    return d->fail("Out of memory while opening the index" + reindexHint(std::string(pathArg)));
  } catch (...) {
    return d->fail("Cannot open the index" + reindexHint(std::string(pathArg)));
  }
}

bool Table::selectOrder(int n) {
  if (!d->isOpen) return false;
  try {
    if (n < 0 || n > static_cast<int>(d->orders.size()))
      return d->fail("Order " + std::to_string(n) + " is not open.\rFile: " + d->path);
    d->flushRecord();
    d->current = n;
    d->syncPosition();
    return true;
  } catch (...) {
    return false;
  }
}

int Table::order() const { return d->isOpen ? d->current : 0; }
int Table::orderCount() const { return d->isOpen ? static_cast<int>(d->orders.size()) : 0; }

void Table::closeAllIndexes() {
  if (!d->isOpen) return;
  try {
    d->flushRecord();
    for (auto& f : d->files)
      if (f->dirty) d->writeIndexFile(*f);
    d->orders.clear();
    d->files.clear();
    d->current = 0;
    d->syncPosition();
  } catch (...) {
  }
}

void Table::closeCurrentIndex() {
  if (!d->isOpen || d->current == 0) return;
  try {
    d->flushRecord();
    d->closeIndexFile(d->orders[static_cast<std::size_t>(d->current - 1)].file);
    d->current = 0;
    d->syncPosition();
  } catch (...) {
  }
}

bool Table::seek(std::string_view key) {
  if (!d->isOpen) return false;
  try {
    d->flushRecord();
    d->foundFlag = false;
    if (d->current == 0) {
      std::string_view k = detail::trimBoth(key);
      std::int64_t n = 0;
      bool digits = !k.empty() && k.size() < 12;
      for (char c : k) {
        if (c < '0' || c > '9') digits = false;
        else n = n * 10 + (c - '0');
      }
      if (digits && n >= 1 && n <= d->count) {
        d->recno = static_cast<std::int32_t>(n);
        d->eofFlag = d->bofFlag = false;
        d->syncPosition();
        d->foundFlag = true;
      } else {
        d->setEof();
      }
      return d->foundFlag;
    }
    return d->seekIndex(key);
  } catch (...) {
    d->foundFlag = false;
    return false;
  }
}

bool Table::found() const { return d->isOpen && d->foundFlag; }

bool Table::createIndex(std::string_view pathArg, std::string_view keyExpression, int option, bool descending,
                        std::string_view condition) {
  if (!d->isOpen) return false;
  try {
    if (!d->exclusive) return d->fail("Building an index needs the table open exclusive.\rFile: " + d->path);
    if (!d->flushRecord()) return false;
    auto tag = std::make_unique<Tag>();
    std::string file = findFile(pathArg);
    tag->name = baseName(file);
    if (tag->name.empty() || tag->name.size() > 255) return d->fail("Bad index file name.\rFile: " + file);
    tag->expr = std::string(detail::trimBoth(keyExpression));
    tag->cond = std::string(detail::trimBoth(condition));
    std::string err;
    if (tag->expr.empty() || tag->expr.size() > 4096) return d->fail("Empty or too long key expression.\rFile: " + file);
    if (!tag->key.compile(tag->expr, d->fields, err)) return d->fail(err + "\rFile: " + file);
    if (!tag->cond.empty()) {
      if (tag->cond.size() > 4096) return d->fail("Condition too long.\rFile: " + file);
      tag->condExpr.emplace();
      if (!tag->condExpr->compile(tag->cond, d->fields, err)) return d->fail(err + "\rFile: " + file);
      if (tag->condExpr->type() != detail::VType::Bool)
        return d->fail("The index condition \"" + tag->cond + "\" is not a condition.\rFile: " + file);
    }
    tag->flags = (option == 1 ? detail::kUnique : 0u) | (descending ? detail::kDescending : 0u) |
                 (tag->key.numeric() ? detail::kNumeric : 0u);
    if (!d->buildTag(*tag)) return false;
    for (auto& f : d->files)
      if (f->path == file) {
        f->dirty = false;  // replaced below
        d->closeIndexFile(f.get());
        break;
      }
    auto f = std::make_unique<IndexFile>();
    f->path = file;
    f->tags.push_back(std::move(tag));
    if (!d->writeIndexFile(*f)) return false;
    IndexFile* raw = f.get();
    d->files.push_back(std::move(f));
    d->orders.push_back(Impl::Order{raw, raw->tags.front().get()});
    d->current = static_cast<int>(d->orders.size());
    first();
    return true;
  } catch (const std::bad_alloc&) {
    return d->fail("Out of memory while building the index.\rFile: " + std::string(pathArg));
  } catch (...) {
    return d->fail("Cannot build the index.\rFile: " + std::string(pathArg));
  }
}

bool Table::createTag(std::string_view pathArg, std::string_view tagName, std::string_view keyExpression) {
  if (!d->isOpen) return false;
  try {
    if (!d->exclusive) return d->fail("Building an index needs the table open exclusive.\rFile: " + d->path);
    if (!d->flushRecord()) return false;
    std::string file = findFile(pathArg);
    std::string name(detail::trimBoth(tagName));
    if (name.empty() || name.size() > 255) return d->fail("Bad tag name.\rFile: " + file);
    auto tag = std::make_unique<Tag>();
    tag->name = name;
    tag->expr = std::string(detail::trimBoth(keyExpression));
    std::string err;
    if (tag->expr.empty() || tag->expr.size() > 4096) return d->fail("Empty or too long key expression.\rFile: " + file);
    if (!tag->key.compile(tag->expr, d->fields, err)) return d->fail(err + "\rFile: " + file);
    tag->flags = tag->key.numeric() ? detail::kNumeric : 0u;
    if (!d->buildTag(*tag)) return false;
    // Close the file if this table has it open (writing back its changes).
    for (auto& f : d->files)
      if (f->path == file) {
        d->closeIndexFile(f.get());
        break;
      }
    IndexFile out;
    out.path = file;
    if (fileExists(file)) {
      int fdi = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
      std::string bytes, why;
      if (fdi >= 0) {
        if (detail::readWholeFile(fdi, bytes, why)) {
          std::vector<std::unique_ptr<Tag>> old;
          // A damaged file is rebuilt with the new tag only.
          if (detail::parseIndex(bytes, old, why)) out.tags = std::move(old);
        }
        ::close(fdi);
      }
    }
    bool replaced = false;
    for (auto& t : out.tags)
      if (detail::equalsNoCase(t->name, name)) {
        t = std::move(tag);
        replaced = true;
        break;
      }
    if (!replaced) {
      if (out.tags.size() >= 1024) return d->fail("Too many tags in the index file.\rFile: " + file);
      out.tags.push_back(std::move(tag));
    }
    if (!d->writeIndexFile(out)) return false;
    if (!d->loadIndexFile(file, file)) return false;
    for (std::size_t i = 0; i < d->orders.size(); ++i)
      if (d->orders[i].file->path == file && detail::equalsNoCase(d->orders[i].tag->name, name))
        d->current = static_cast<int>(i) + 1;
    first();
    return true;
  } catch (const std::bad_alloc&) {
    return d->fail("Out of memory while building the index.\rFile: " + std::string(pathArg));
  } catch (...) {
    return d->fail("Cannot build the index.\rFile: " + std::string(pathArg));
  }
}

}  // namespace xbase
