// dBase III/IV tables (.dbf) with memo files: opening with share modes,
// navigation, field access, appending and replacing, and table creation.
//
// A table is read into memory whole when it is opened (the record area is a
// contiguous byte array), so navigation and key building read record bytes
// directly. Writes change the in-memory copy; commit() updates the open
// indexes and marks the changed byte range, which is written to the file in
// large pieces (and at close).
//
// Share modes use flock() on the table file: shared opens take a shared lock,
// exclusive opens an exclusive one, without waiting. flock locks belong to
// the open file description, so two Table objects of one process conflict
// exactly as two processes do.
#include "internal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>

namespace xbase {

using detail::preadAll;
using detail::pwriteAll;

using detail::Field;

namespace {

std::uint32_t le16(const char* p) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(p[0])) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(p[1])) << 8);
}
std::uint32_t le32(const char* p) {
  return le16(p) | (le16(p + 2) << 16);
}
std::uint32_t be32(const unsigned char* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}
void putLe16(char* p, std::uint32_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>((v >> 8) & 0xFF);
}
void putLe32(char* p, std::uint32_t v) {
  putLe16(p, v & 0xFFFF);
  putLe16(p + 2, v >> 16);
}

bool knownVersion(unsigned char v) {
  switch (v) {
    case 0x02: case 0x03: case 0x04: case 0x05: case 0x30: case 0x31: case 0x43: case 0x63:
    case 0x83: case 0x8B: case 0x8E: case 0xCB: case 0xF5: case 0xFB:
      return true;
    default:
      return false;
  }
}

bool foxVersion(unsigned char v) { return v == 0xF5 || v == 0x30 || v == 0x31 || v == 0xFB; }
bool dbase4Version(unsigned char v) { return v == 0x8B || v == 0x8E || v == 0xCB; }

std::string withExtension(const std::string& path, const char* ext) {
  std::size_t slash = path.find_last_of('/');
  std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ext;
  return path.substr(0, dot) + ext;
}


void stampDate(char* header) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  header[1] = static_cast<char>(tm.tm_year % 256);
  header[2] = static_cast<char>(tm.tm_mon + 1);
  header[3] = static_cast<char>(tm.tm_mday);
}

const std::string kEmpty;

constexpr std::size_t kFlushBytes = 1u << 20;  // write-behind threshold

}  // namespace

Environment& Environment::global() {
  static Environment env;
  return env;
}

// ------------------------------------------------------------------ Impl

detail::RecordView Table::Impl::view(std::int32_t r) const {
  detail::RecordView rv;
  rv.rec = rec(r);
  rv.recno = r;
  rv.exact = env->exact;
  rv.memo = &memoReader;
  return rv;
}

// Bytes of the memo file, from its map when it has one.
bool memoRead(const detail::MemoFile& memo, void* buf, std::size_t n, std::uint64_t off) {
  if (!memo.map) return preadAll(memo.fd, buf, n, off);
  if (off > memo.size || n > memo.size - off) return false;
  std::memcpy(buf, memo.map + off, n);
  return true;
}

// Where the memo of a field of a record starts in the memo file; 0 when the
// record has none or its block number is not valid.
std::uint64_t Table::Impl::memoOffset(int fieldIndex, const char* record) const {
  using K = detail::MemoFile::Kind;
  if (memo.kind == K::None || memo.fd < 0) return 0;
  const Field& f = fields[static_cast<std::size_t>(fieldIndex)];
  const char* raw = record + 1 + f.offset;
  std::uint64_t block = 0;
  if (f.width == 4 && foxVersion(version)) {
    block = le32(raw);
  } else {
    std::string_view t = detail::trimBoth(std::string_view(raw, static_cast<std::size_t>(f.width)));
    if (t.empty()) return 0;
    for (char c : t) {
      if (c < '0' || c > '9') return 0;
      block = block * 10 + static_cast<std::uint64_t>(c - '0');
      if (block > (1ULL << 40)) return 0;
    }
  }
  const std::uint64_t off = block * memo.blockSize;
  return off < memo.size ? off : 0;
}

std::string Table::Impl::readMemo(int fieldIndex, const char* record) const {
  using K = detail::MemoFile::Kind;
  const std::uint64_t off = memoOffset(fieldIndex, record);
  if (off == 0) return {};
  std::uint64_t avail = memo.size - off;
  constexpr std::uint64_t kMaxMemo = 64u << 20;
  if (memo.kind == K::Fpt) {
    unsigned char hdr[8];
    if (avail < 8 || !memoRead(memo, hdr, 8, off)) return {};
    std::uint64_t len = be32(hdr + 4);
    len = std::min({len, avail - 8, kMaxMemo});
    std::string out(static_cast<std::size_t>(len), '\0');
    if (len && !memoRead(memo, out.data(), out.size(), off + 8)) return {};
    return out;
  }
  if (memo.kind == K::Dbt4 && avail >= 8) {
    unsigned char hdr[8];
    if (!memoRead(memo, hdr, 8, off)) return {};
    if (hdr[0] == 0xFF && hdr[1] == 0xFF && hdr[2] == 0x08 && hdr[3] == 0x00) {
      std::uint64_t len = static_cast<std::uint64_t>(hdr[4]) | (static_cast<std::uint64_t>(hdr[5]) << 8) |
                          (static_cast<std::uint64_t>(hdr[6]) << 16) | (static_cast<std::uint64_t>(hdr[7]) << 24);
      len = len >= 8 ? len - 8 : 0;
      len = std::min({len, avail - 8, kMaxMemo});
      std::string out(static_cast<std::size_t>(len), '\0');
      if (len && !memoRead(memo, out.data(), out.size(), off + 8)) return {};
      return out;
    }
  }
  // dBase III: text up to the 0x1A end mark.
  if (memo.map) {
    const char* p = memo.map + off;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(avail, kMaxMemo));
    const void* end = std::memchr(p, 0x1A, n);
    return std::string(p, end ? static_cast<std::size_t>(static_cast<const char*>(end) - p) : n);
  }
  std::string out;
  std::uint64_t at = off;
  char buf[4096];
  while (at < memo.size && out.size() < kMaxMemo) {
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof buf, memo.size - at));
    if (!memoRead(memo, buf, n, at)) break;
    const void* end = std::memchr(buf, 0x1A, n);
    if (end) {
      out.append(buf, static_cast<std::size_t>(static_cast<const char*>(end) - buf));
      return out;
    }
    out.append(buf, n);
    at += n;
  }
  return out;
}

void Table::Impl::reset() {
  if (memo.map) ::munmap(const_cast<char*>(memo.map), static_cast<std::size_t>(memo.size));
  if (memo.fd >= 0) ::close(memo.fd);
  memo = detail::MemoFile{};
  if (fd >= 0) ::close(fd);  // releases the lock
  fd = -1;
  isOpen = false;
  fields.clear();
  data.clear();
  data.shrink_to_fit();
  if (map) ::munmap(map, mapLen);
  map = nullptr;
  mapLen = 0;
  files.clear();
  orders.clear();
  current = 0;
  count = 0;
  recno = 0;
  eofFlag = bofFlag = true;
  pos = 0;
  offTag = false;
  foundFlag = false;
  recDirty = recNew = false;
  origRec.clear();
  dirtyLo = SIZE_MAX;
  dirtyHi = 0;
  headerDirty = false;
}

bool Table::Impl::flushToDisk() {
  if (readOnly || fd < 0) return true;
  bool ok = true;
  if (dirtyLo < dirtyHi) {
    ok = pwriteAll(fd, data.data() + dirtyLo, dirtyHi - dirtyLo, dirtyLo) && ok;
    if (dirtyHi == data.size()) {
      char eofMark = 0x1A;
      ok = pwriteAll(fd, &eofMark, 1, data.size()) && ok;
    }
  }
  if (headerDirty) {
    stampDate(data.data());
    putLe32(data.data() + 4, static_cast<std::uint32_t>(count));
    ok = pwriteAll(fd, data.data(), 32, 0) && ok;
  }
  if (memo.fd >= 0 && memo.kind == detail::MemoFile::Kind::Dbt3 && headerDirty) {
    char hdr[4];
    putLe32(hdr, memo.nextFree);
    ok = pwriteAll(memo.fd, hdr, 4, 0) && ok;
  }
  dirtyLo = SIZE_MAX;
  dirtyHi = 0;
  headerDirty = false;
  if (!ok) error = "Cannot write the table.\rFile: " + path;
  return ok;
}

void Table::Impl::setEof() {
  recno = count + 1;
  eofFlag = true;
  pos = orderSize();
  offTag = false;
}

std::size_t Table::Impl::orderSize() const {
  if (current == 0) return static_cast<std::size_t>(count);
  return orders[static_cast<std::size_t>(current - 1)].tag->size();
}

std::int32_t Table::Impl::recAt(std::size_t p) const {
  if (current == 0) return static_cast<std::int32_t>(p) + 1;
  return orders[static_cast<std::size_t>(current - 1)].tag->recs[p];
}

void Table::Impl::moveTo(std::size_t p) {
  pos = p;
  offTag = false;
  if (p >= orderSize()) {
    setEof();
    return;
  }
  recno = recAt(p);
  eofFlag = false;
}

// Finds the position of the current record in the current order.
void Table::Impl::syncPosition() {
  offTag = false;
  if (eofFlag || recno < 1 || recno > count) {
    setEof();
    return;
  }
  if (current == 0) {
    pos = static_cast<std::size_t>(recno - 1);
    return;
  }
  const detail::Tag& t = *orders[static_cast<std::size_t>(current - 1)].tag;
  std::vector<std::uint8_t> key(static_cast<std::size_t>(t.width));
  t.key.build(view(recno), key.data());
  std::size_t at = 0;
  if (findEntry(t, key.data(), recno, at)) {
    pos = at;
  } else {
    pos = lowerBound(t, key.data(), recno);
    offTag = true;
  }
}

bool Table::Impl::flushRecord() {
  if (!recDirty) return true;
  bool ok = updateIndexesForRecord();
  std::size_t lo = headerLen + static_cast<std::size_t>(recno - 1) * recLen;
  dirtyLo = std::min(dirtyLo, lo);
  dirtyHi = std::max(dirtyHi, lo + recLen);
  headerDirty = true;
  recDirty = false;
  recNew = false;
  if (dirtyHi - std::min(dirtyLo, dirtyHi) >= kFlushBytes) ok = flushToDisk() && ok;
  return ok;
}

// ----------------------------------------------------------------- Table

Table::Table(Environment& env) : d(std::make_unique<Impl>(env)) {
  d->memoReader = [impl = d.get()](int f, const char* r) { return impl->readMemo(f, r); };
}

Table::~Table() { close(); }

bool Table::open(std::string_view pathArg, Share share, Access access) {
  try {
    if (d->isOpen) return d->fail("The table is already open; close it before opening it again.\rFile: " + d->path);
    std::string shown(pathArg);
    std::string found = findFile(pathArg);
    struct stat st{};
    if (::stat(found.c_str(), &st) != 0) return d->fail("Table file does not exist.\rFile: " + shown);
    if (!S_ISREG(st.st_mode)) return d->fail("Table file is not a regular file.\rFile: " + shown);
    bool rw = access == Access::ReadWrite;
    int fd = ::open(found.c_str(), (rw ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0)
      return d->fail(std::string("Cannot open the table (") + std::strerror(errno) + ").\rFile: " + found);
    bool excl = share == Share::Exclusive;
    if (::flock(fd, (excl ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
      ::close(fd);
      return d->fail(excl ? "The table is in use and cannot be opened exclusive.\rFile: " + found
                          : "The table is opened exclusive elsewhere.\rFile: " + found);
    }
    d->reset();
    d->fd = fd;
    d->path = found;
    d->exclusive = excl;
    d->readOnly = !rw;
    std::string why;
    auto bad = [&](const std::string& reason) {
      d->reset();
      return d->fail("Table file is damaged or not a dBase table (" + reason + ").\rFile: " + found);
    };
    if (rw) {
      if (!detail::readWholeFile(fd, d->data, why)) {
        d->reset();
        return d->fail("Cannot read the table (" + why + ").\rFile: " + found);
      }
    } else {
      struct stat st{};
      if (::fstat(fd, &st) != 0) {
        d->reset();
        return d->fail(std::string("Cannot read the table (") + std::strerror(errno) + ").\rFile: " + found);
      }
      if (st.st_size > 0) {
        void* m = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (m == MAP_FAILED) {
          d->reset();
          return d->fail(std::string("Cannot read the table (") + std::strerror(errno) + ").\rFile: " + found);
        }
        d->map = m;
        d->mapLen = static_cast<std::size_t>(st.st_size);
      }
    }
    const std::string_view b(d->base(), d->map ? d->mapLen : d->data.size());
    std::uint64_t size = b.size();
    if (size < 32) return bad("file too short for a header");
    unsigned char ver = static_cast<unsigned char>(b[0]);
    if (!knownVersion(ver)) return bad("unknown version byte");
    std::uint32_t cnt = le32(b.data() + 4);
    std::uint32_t hlen = le16(b.data() + 8);
    std::uint32_t rlen = le16(b.data() + 10);
    if (hlen < 32 + 32 + 1) return bad("header length too small");
    if (hlen > size) return bad("header longer than the file");
    if (rlen < 2) return bad("record length too small");
    if (cnt > 0x7FFFFFF0u) return bad("record count out of range");
    std::uint32_t offset = 0;
    for (std::uint32_t at = 32; at + 32 <= hlen && b[at] != 0x0D; at += 32) {
      const char* fdsc = b.data() + at;
      Field f;
      std::size_t nameLen = 0;
      while (nameLen < 11 && fdsc[nameLen] != '\0') ++nameLen;
      f.name = detail::upperAscii(detail::trimRight(std::string_view(fdsc, nameLen)));
      f.type = static_cast<char>(detail::upperAscii(std::string_view(fdsc + 11, 1))[0]);
      f.width = static_cast<unsigned char>(fdsc[16]);
      f.decimals = static_cast<unsigned char>(fdsc[17]);
      if (f.name.empty()) return bad("field without a name");
      if (f.type <= ' ' || static_cast<unsigned char>(f.type) >= 0x7F) return bad("bad field type");
      if (f.width == 0) return bad("field of width 0");
      f.offset = static_cast<int>(offset);
      offset += static_cast<std::uint32_t>(f.width);
      d->fields.push_back(std::move(f));
    }
    if (d->fields.empty()) return bad("no fields");
    if (offset + 1 > rlen) return bad("fields longer than the record");
    if (static_cast<std::uint64_t>(hlen) + static_cast<std::uint64_t>(cnt) * rlen > size)
      return bad("record count larger than the file");
    d->version = ver;
    d->headerLen = hlen;
    d->recLen = rlen;
    d->count = static_cast<std::int32_t>(cnt);
    if (!d->map) d->data.resize(hlen + static_cast<std::size_t>(cnt) * rlen);

    bool hasMemo = false;
    for (const auto& f : d->fields) hasMemo = hasMemo || f.type == 'M';
    if (hasMemo) {
      const char* first = foxVersion(ver) ? ".fpt" : ".dbt";
      const char* second = foxVersion(ver) ? ".dbt" : ".fpt";
      std::string mp = findFile(withExtension(found, first));
      if (!fileExists(mp)) mp = findFile(withExtension(found, second));
      if (!fileExists(mp)) {
        std::string expected = withExtension(found, first);
        d->reset();
        return d->fail("Memo file does not exist.\rFile: " + expected);
      }
      int mfd = ::open(mp.c_str(), (rw ? O_RDWR : O_RDONLY) | O_CLOEXEC);
      if (mfd < 0) {
        d->reset();
        return d->fail(std::string("Cannot open the memo file (") + std::strerror(errno) + ").\rFile: " + mp);
      }
      d->memo.fd = mfd;
      d->memo.path = mp;
      struct stat ms{};
      ::fstat(mfd, &ms);
      d->memo.size = static_cast<std::uint64_t>(ms.st_size);
      if (!rw && d->memo.size > 0) {
        void* m = ::mmap(nullptr, static_cast<std::size_t>(d->memo.size), PROT_READ, MAP_PRIVATE, mfd, 0);
        if (m != MAP_FAILED) d->memo.map = static_cast<const char*>(m);
      }
      unsigned char hdr[32];
      if (d->memo.size < 512 || !preadAll(mfd, hdr, sizeof hdr, 0)) {
        d->reset();
        return d->fail("Memo file is damaged (header too short).\rFile: " + mp);
      }
      std::string ext = detail::upperAscii(mp.substr(mp.size() >= 4 ? mp.size() - 4 : 0));
      if (ext == ".FPT") {
        d->memo.kind = detail::MemoFile::Kind::Fpt;
        std::uint32_t bs = (static_cast<std::uint32_t>(hdr[6]) << 8) | hdr[7];
        d->memo.blockSize = bs ? bs : 512;
        d->memo.nextFree = be32(hdr);
      } else if (dbase4Version(ver)) {
        d->memo.kind = detail::MemoFile::Kind::Dbt4;
        std::uint32_t bs = hdr[20] | (static_cast<std::uint32_t>(hdr[21]) << 8);
        d->memo.blockSize = bs >= 8 ? bs : 512;
        d->memo.nextFree = le32(reinterpret_cast<const char*>(hdr));
      } else {
        d->memo.kind = detail::MemoFile::Kind::Dbt3;
        d->memo.blockSize = 512;
        d->memo.nextFree = le32(reinterpret_cast<const char*>(hdr));
        std::uint64_t blocks = (d->memo.size + 511) / 512;
        if (d->memo.nextFree < blocks) d->memo.nextFree = static_cast<std::uint32_t>(blocks);
      }
    }
    d->isOpen = true;
    d->error.clear();
    first();
    return true;
  } catch (const std::bad_alloc&) {
    d->reset();
    return d->fail("Out of memory while opening the table.\rFile: " + std::string(pathArg));
  } catch (...) {
    d->reset();
    return d->fail("Cannot open the table.\rFile: " + std::string(pathArg));
  }
}

void Table::close() {
  if (!d->isOpen) return;
  try {
    d->flushRecord();
    for (auto& f : d->files)
      if (f->dirty) d->writeIndexFile(*f);
    bool wrote = d->dirtyLo < d->dirtyHi || d->headerDirty;
    d->flushToDisk();
    if (wrote && d->fd >= 0) {
      // Drop anything after the end-of-file mark (a shorter rewrite).
      struct stat st{};
      if (::fstat(d->fd, &st) == 0 && static_cast<std::uint64_t>(st.st_size) > d->data.size() + 1)
        if (::ftruncate(d->fd, static_cast<off_t>(d->data.size() + 1)) != 0) {
        }
    }
  } catch (...) {
  }
  d->reset();
}

bool Table::isOpen() const { return d->isOpen; }
bool Table::isExclusive() const { return d->isOpen && d->exclusive; }
bool Table::isReadOnly() const { return d->isOpen && d->readOnly; }
const std::string& Table::path() const { return d->isOpen ? d->path : kEmpty; }
const std::string& Table::lastError() const { return d->error; }
Environment& Table::environment() const { return *d->env; }

std::int32_t Table::recordCount() const { return d->isOpen ? d->count : 0; }
std::int32_t Table::recNo() const { return d->isOpen ? d->recno : 0; }
bool Table::eof() const { return !d->isOpen || d->eofFlag; }
bool Table::bof() const { return !d->isOpen || d->bofFlag; }

bool Table::deleted() const {
  if (!d->isOpen || d->eofFlag) return false;
  return d->rec(d->recno)[0] == '*';
}

bool Table::go(std::int32_t n) {
  if (!d->isOpen) return false;
  try {
    d->flushRecord();
    if (n < 1 || n > d->count) return d->fail("Record " + std::to_string(n) + " is out of range.\rFile: " + d->path);
    d->recno = n;
    d->eofFlag = false;
    d->bofFlag = false;
    d->syncPosition();
    return true;
  } catch (...) {
    return d->fail("Cannot go to record " + std::to_string(n) + ".\rFile: " + d->path);
  }
}

void Table::first() {
  if (!d->isOpen) return;
  try {
    d->flushRecord();
    std::size_t n = d->orderSize(), p = 0;
    while (p < n && d->hidden(d->recAt(p))) ++p;
    d->moveTo(p);
    d->bofFlag = d->eofFlag;
  } catch (...) {
  }
}

void Table::last() {
  if (!d->isOpen) return;
  try {
    d->flushRecord();
    std::size_t p = d->orderSize();
    while (p > 0 && d->hidden(d->recAt(p - 1))) --p;
    if (p == 0) {
      d->setEof();
      d->bofFlag = true;
      return;
    }
    d->moveTo(p - 1);
    d->bofFlag = false;
  } catch (...) {
  }
}

void Table::skip(std::int32_t n) {
  if (!d->isOpen) return;
  try {
    d->flushRecord();
    std::size_t size = d->orderSize();
    if (n == 0) return;
    if (n > 0) {
      d->bofFlag = false;
      if (d->eofFlag) return;
      std::size_t p = d->pos;
      bool stayFirst = d->offTag;  // off the tag: pos already is the next entry
      for (std::int32_t k = 0; k < n; ++k) {
        if (!(k == 0 && stayFirst)) ++p;
        while (p < size && d->hidden(d->recAt(p))) ++p;
        if (p >= size) break;
      }
      d->moveTo(p);
      return;
    }
    // Backwards; from end of file the first step reaches the last record.
    std::size_t p = d->eofFlag ? size : d->pos;
    for (std::int32_t k = 0; k > n; --k) {
      std::size_t q = p;
      bool hit = false;
      while (q > 0) {
        --q;
        if (!d->hidden(d->recAt(q))) {
          hit = true;
          break;
        }
      }
      if (!hit) {
        // Before the first record: stay on the first visible one.
        first();
        d->bofFlag = true;
        return;
      }
      p = q;
    }
    d->moveTo(p);
    d->bofFlag = false;
  } catch (...) {
  }
}

int Table::fieldCount() const { return d->isOpen ? static_cast<int>(d->fields.size()) : 0; }

std::string Table::fieldName(int pos) const {
  if (!d->isOpen || pos < 1 || pos > static_cast<int>(d->fields.size())) return {};
  return d->fields[static_cast<std::size_t>(pos - 1)].name;
}

int Table::fieldWidth(int pos) const {
  if (!d->isOpen || pos < 1 || pos > static_cast<int>(d->fields.size())) return 0;
  return d->fields[static_cast<std::size_t>(pos - 1)].width;
}

char Table::fieldType(int pos) const {
  if (!d->isOpen || pos < 1 || pos > static_cast<int>(d->fields.size())) return '\0';
  return d->fields[static_cast<std::size_t>(pos - 1)].type;
}

int Table::fieldDecimals(int pos) const {
  if (!d->isOpen || pos < 1 || pos > static_cast<int>(d->fields.size())) return 0;
  return d->fields[static_cast<std::size_t>(pos - 1)].decimals;
}

int Table::fieldPos(std::string_view name) const {
  if (!d->isOpen) return 0;
  std::string_view n = detail::trimBoth(name);
  for (std::size_t i = 0; i < d->fields.size(); ++i)
    if (detail::equalsNoCase(d->fields[i].name, n)) return static_cast<int>(i) + 1;
  return 0;
}

std::string Table::field(std::string_view name) const {
  int p = fieldPos(name);
  if (p == 0) {
    try {
      if (d->isOpen) d->error = "Unknown field " + std::string(name) + ".\rFile: " + d->path;
    } catch (...) {
    }
    return {};
  }
  return field(p);
}

std::string Table::field(int pos) const {
  if (!d->isOpen || d->eofFlag || pos < 1 || pos > static_cast<int>(d->fields.size())) return {};
  try {
    const Field& f = d->fields[static_cast<std::size_t>(pos - 1)];
    const char* r = d->rec(d->recno);
    std::string_view raw(r + 1 + f.offset, static_cast<std::size_t>(f.width));
    if (f.type == 'L') {
      char c = raw[0];
      return (c == 'T' || c == 't' || c == 'Y' || c == 'y') ? "True" : "False";
    }
    if (f.type == 'M') return d->readMemo(pos - 1, r);
    return std::string(raw);
  } catch (...) {
    return {};
  }
}

std::string_view Table::memoText(int pos) const {
  if (!d->isOpen || d->eofFlag || pos < 1 || pos > static_cast<int>(d->fields.size())) return {};
  if (d->fields[static_cast<std::size_t>(pos - 1)].type != 'M') return {};
  const char* r = d->rec(d->recno);
  if (d->memo.map && d->memo.kind == detail::MemoFile::Kind::Dbt3) {
    // Straight from the mapped memo file, up to the end mark.
    const std::uint64_t off = d->memoOffset(pos - 1, r);
    if (off == 0) return {};
    const char* p = d->memo.map + off;
    const std::size_t n = static_cast<std::size_t>(d->memo.size - off);
    const void* end = std::memchr(p, 0x1A, n);
    return std::string_view(p, end ? static_cast<std::size_t>(static_cast<const char*>(end) - p) : n);
  }
  try {
    d->memoBuffer = d->readMemo(pos - 1, r);
  } catch (...) {
    d->memoBuffer.clear();
  }
  return d->memoBuffer;
}

std::string_view Table::rawField(int pos) const {
  if (!d->isOpen || d->eofFlag || pos < 1 || pos > static_cast<int>(d->fields.size())) return {};
  const Field& f = d->fields[static_cast<std::size_t>(pos - 1)];
  return std::string_view(d->rec(d->recno) + 1 + f.offset, static_cast<std::size_t>(f.width));
}

std::int32_t Table::locate(std::string_view expression) {
  if (!d->isOpen) return 0;
  try {
    d->flushRecord();
    detail::Expr e;
    std::string err;
    if (!e.compile(expression, d->fields, err)) {
      d->error = err + "\rFile: " + d->path;
      return 0;
    }
    if (e.type() != detail::VType::Bool) {
      d->error = "The locate expression \"" + std::string(expression) + "\" is not a condition.\rFile: " + d->path;
      return 0;
    }
    if (!d->eofFlag && d->hidden(d->recno)) skip(1);
    while (!d->eofFlag) {
      if (e.test(d->view(d->recno))) return d->recno;
      skip(1);
    }
    return 0;
  } catch (...) {
    d->error = "Locate failed.\rFile: " + d->path;
    return 0;
  }
}

// ------------------------------------------------------------- writing

bool Table::appendBlank() {
  if (!d->isOpen) return false;
  try {
    if (d->readOnly) return d->fail("The table is open read-only.\rFile: " + d->path);
    if (!d->flushRecord()) return false;
    if (d->count >= 0x7FFFFFF0) return d->fail("The table is full.\rFile: " + d->path);
    d->data.append(d->recLen, ' ');
    ++d->count;
    d->recno = d->count;
    d->eofFlag = false;
    d->bofFlag = false;
    d->recDirty = true;
    d->recNew = true;
    d->headerDirty = true;
    // Not in any tag until it is committed.
    d->offTag = true;
    d->pos = d->orderSize();
    if (d->current == 0) {
      d->pos = static_cast<std::size_t>(d->count - 1);
      d->offTag = false;
    }
    return true;
  } catch (...) {
    return d->fail("Out of memory while appending.\rFile: " + d->path);
  }
}

bool Table::replace(std::string_view fieldName, std::string_view value) {
  int p = fieldPos(fieldName);
  if (p == 0) {
    try {
      if (d->isOpen) return d->fail("Unknown field " + std::string(fieldName) + ".\rFile: " + d->path);
    } catch (...) {
    }
    return false;
  }
  return replace(p, value);
}

bool Table::replace(int pos, std::string_view value) {
  if (!d->isOpen) return false;
  try {
    if (d->readOnly) return d->fail("The table is open read-only.\rFile: " + d->path);
    if (d->eofFlag) return d->fail("No current record to replace.\rFile: " + d->path);
    if (pos < 1 || pos > static_cast<int>(d->fields.size()))
      return d->fail("Field " + std::to_string(pos) + " does not exist.\rFile: " + d->path);
    const Field& f = d->fields[static_cast<std::size_t>(pos - 1)];
    if (!d->recDirty) {
      d->origRec.assign(d->rec(d->recno), d->recLen);
      d->recDirty = true;
      d->recNew = false;
    }
    char* dst = d->recMut(d->recno) + 1 + f.offset;
    std::size_t w = static_cast<std::size_t>(f.width);
    bool ok = true;
    switch (f.type) {
      case 'N': case 'F': {
        std::string_view t = detail::trimBoth(value);
        std::string text(t);
        if (text.size() > w) {
          // Too wide as typed: format with the field's decimals.
          double v = detail::parseNumber(text);
          char buf[400];
          int n = std::snprintf(buf, sizeof buf, "%.*f", std::min(f.decimals, 15), v);
          text.assign(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
        }
        if (text.size() > w) {
          std::memset(dst, '*', w);
          ok = d->fail("Value " + std::string(t) + " does not fit field " + f.name + ".\rFile: " + d->path);
        } else {
          std::memset(dst, ' ', w - text.size());
          std::memcpy(dst + (w - text.size()), text.data(), text.size());
        }
        break;
      }
      case 'L': {
        std::string_view t = detail::trimBoth(value);
        char c = t.empty() ? ' ' : t[0];
        *dst = (c == 'T' || c == 't' || c == 'Y' || c == 'y') ? 'T' : (t.empty() ? ' ' : 'F');
        break;
      }
      case 'M': {
        if (d->memo.fd < 0 || d->memo.kind == detail::MemoFile::Kind::None) {
          ok = d->fail("The table has no memo file.\rFile: " + d->path);
          break;
        }
        if (value.empty()) {
          std::memset(dst, ' ', w);
          break;
        }
        // Written dBase III style: text, two end marks, padded to blocks.
        // FoxPro and dBase IV memo files get their own block headers.
        using K = detail::MemoFile::Kind;
        std::string blockData;
        if (d->memo.kind == K::Fpt) {
          blockData.resize(8);
          unsigned char* h = reinterpret_cast<unsigned char*>(blockData.data());
          std::uint32_t len = static_cast<std::uint32_t>(value.size());
          h[0] = h[1] = h[2] = 0;
          h[3] = 1;
          h[4] = static_cast<unsigned char>(len >> 24);
          h[5] = static_cast<unsigned char>(len >> 16);
          h[6] = static_cast<unsigned char>(len >> 8);
          h[7] = static_cast<unsigned char>(len);
          blockData.append(value);
        } else if (d->memo.kind == K::Dbt4) {
          blockData.resize(8);
          blockData[0] = static_cast<char>(0xFF);
          blockData[1] = static_cast<char>(0xFF);
          blockData[2] = 0x08;
          blockData[3] = 0x00;
          putLe32(blockData.data() + 4, static_cast<std::uint32_t>(value.size() + 8));
          blockData.append(value);
        } else {
          blockData.assign(value);
          blockData.append("\x1A\x1A");
        }
        std::uint32_t bs = d->memo.blockSize ? d->memo.blockSize : 512;
        std::uint64_t blocks = (blockData.size() + bs - 1) / bs;
        blockData.resize(static_cast<std::size_t>(blocks * bs), '\0');
        std::uint64_t sizeBlocks = (d->memo.size + bs - 1) / bs;
        std::uint64_t block = std::max<std::uint64_t>({d->memo.nextFree, sizeBlocks, 1});
        if (block + blocks > 0xFFFFFFF0ULL) {
          ok = d->fail("The memo file is full.\rFile: " + d->memo.path);
          break;
        }
        if (!pwriteAll(d->memo.fd, blockData.data(), blockData.size(), block * bs)) {
          ok = d->fail(std::string("Cannot write the memo file (") + std::strerror(errno) + ").\rFile: " +
                       d->memo.path);
          break;
        }
        d->memo.nextFree = static_cast<std::uint32_t>(block + blocks);
        d->memo.size = std::max<std::uint64_t>(d->memo.size, (block + blocks) * bs);
        unsigned char hdr[4];
        if (d->memo.kind == K::Fpt) {
          hdr[0] = static_cast<unsigned char>(d->memo.nextFree >> 24);
          hdr[1] = static_cast<unsigned char>(d->memo.nextFree >> 16);
          hdr[2] = static_cast<unsigned char>(d->memo.nextFree >> 8);
          hdr[3] = static_cast<unsigned char>(d->memo.nextFree);
        } else {
          putLe32(reinterpret_cast<char*>(hdr), d->memo.nextFree);
        }
        pwriteAll(d->memo.fd, hdr, 4, 0);
        if (w == 4 && foxVersion(d->version)) {
          putLe32(dst, static_cast<std::uint32_t>(block));
        } else {
          std::string num = std::to_string(block);
          if (num.size() > w) {
            ok = d->fail("Memo block number too large for field " + f.name + ".\rFile: " + d->path);
            break;
          }
          std::memset(dst, ' ', w - num.size());
          std::memcpy(dst + (w - num.size()), num.data(), num.size());
        }
        break;
      }
      default: {  // C, D and anything else: left-justified, padded with blanks
        std::size_t n = std::min(w, value.size());
        std::memcpy(dst, value.data(), n);
        std::memset(dst + n, ' ', w - n);
        break;
      }
    }
    return ok;
  } catch (...) {
    return d->fail("Replace failed.\rFile: " + d->path);
  }
}

bool Table::commit() {
  if (!d->isOpen) return false;
  try {
    if (d->readOnly) return d->fail("The table is open read-only.\rFile: " + d->path);
    bool ok = d->flushRecord();
    // Others may read a shared table: its changes go to the file at once.
    if (!d->exclusive) ok = d->flushToDisk() && ok;
    return ok;
  } catch (...) {
    return d->fail("Commit failed.\rFile: " + d->path);
  }
}

void Table::setProgressHook(ProgressHook hook) { d->hook = std::move(hook); }

// ------------------------------------------------------------- creator

TableCreator::TableCreator(std::string_view path, int fieldCount) : path_(path), expected_(fieldCount) {}

bool TableCreator::addField(std::string_view name, char type, int width, int decimals) {
  try {
    std::string n = detail::upperAscii(detail::trimBoth(name));
    char t = static_cast<char>(detail::upperAscii(std::string_view(&type, 1))[0]);
    auto bad = [&](const std::string& why) {
      error_ = "Cannot add field " + std::string(name) + ": " + why + ".\rFile: " + path_;
      return false;
    };
    if (n.empty() || n.size() > 10) return bad("a field name has 1 to 10 characters");
    for (char c : n)
      if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return bad("bad character in the name");
    if (n[0] >= '0' && n[0] <= '9') return bad("a field name begins with a letter");
    for (const auto& f : fields_)
      if (f.name == n) return bad("the name is used twice");
    switch (t) {
      case 'C':
        if (width < 1 || width > 254) return bad("width must be 1 to 254");
        decimals = 0;
        break;
      case 'N': case 'F':
        if (width < 1 || width > 20) return bad("width must be 1 to 20");
        if (decimals < 0 || (decimals > 0 && decimals > width - 2)) return bad("too many decimals");
        break;
      case 'L': width = 1; decimals = 0; break;
      case 'D': width = 8; decimals = 0; break;
      case 'M': width = 10; decimals = 0; break;
      default:
        return bad("the type must be C, N, L, D or M");
    }
    if (static_cast<int>(fields_.size()) >= expected_) return bad("more fields than announced");
    fields_.push_back(FieldDef{n, t, width, decimals});
    return true;
  } catch (...) {
    error_ = "Out of memory.\rFile: " + path_;
    return false;
  }
}

int TableCreator::finish() {
  try {
    if (fields_.empty()) {
      error_ = "A table needs at least one field.\rFile: " + path_;
      return 0;
    }
    if (static_cast<int>(fields_.size()) != expected_) {
      error_ = "The table was announced with " + std::to_string(expected_) + " fields but " +
               std::to_string(fields_.size()) + " were added.\rFile: " + path_;
      return 0;
    }
    bool memo = false;
    std::size_t recLen = 1;
    for (const auto& f : fields_) {
      memo = memo || f.type == 'M';
      recLen += static_cast<std::size_t>(f.width);
    }
    if (recLen > 65535) {
      error_ = "The record is too long.\rFile: " + path_;
      return 0;
    }
    std::size_t headerLen = 32 + 32 * fields_.size() + 1;
    std::string h(headerLen + 1, '\0');
    h[0] = static_cast<char>(memo ? 0x83 : 0x03);
    stampDate(h.data());
    putLe32(h.data() + 4, 0);
    putLe16(h.data() + 8, static_cast<std::uint32_t>(headerLen));
    putLe16(h.data() + 10, static_cast<std::uint32_t>(recLen));
    std::size_t at = 32;
    std::uint32_t offset = 1;
    for (const auto& f : fields_) {
      std::memcpy(h.data() + at, f.name.data(), f.name.size());
      h[at + 11] = f.type;
      putLe32(h.data() + at + 12, offset);
      h[at + 16] = static_cast<char>(f.width);
      h[at + 17] = static_cast<char>(f.decimals);
      offset += static_cast<std::uint32_t>(f.width);
      at += 32;
    }
    h[headerLen - 1] = 0x0D;
    h[headerLen] = 0x1A;
    std::string target = findFile(path_);
    std::string why;
    if (!detail::writeFileAtomic(target, h, why)) {
      error_ = "Cannot create the table (" + why + ").\rFile: " + path_;
      return 0;
    }
    if (memo) {
      std::string mp = findFile(withExtension(target, ".dbt"));
      std::string m(512, '\0');
      putLe32(m.data(), 1);
      m[16] = 0x03;
      if (!detail::writeFileAtomic(mp, m, why)) {
        error_ = "Cannot create the memo file (" + why + ").\rFile: " + mp;
        ::unlink(target.c_str());
        return 0;
      }
    }
    error_.clear();
    return 1;
  } catch (...) {
    error_ = "Cannot create the table.\rFile: " + path_;
    return 0;
  }
}

const std::string& TableCreator::lastError() const { return error_; }

}  // namespace xbase
