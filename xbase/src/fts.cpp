// The text index (.ia files) and pattern verification.
//
// File layout (integers little-endian):
//   0   8  magic "ORVLIA\x1A\0"
//   8   4  format version (1)
//   12  4  case-fold flag (0 or 1)
//   16  4  entry count (0xFFFFFFFF while the file is being written)
//   20  4  zero
//   then each entry: 4-byte length, the text bytes
//   trailer: 4 bytes "END\x1A"
// The count is written last, when the file is closed, so an interrupted
// build is recognised as incomplete.
//
// Verification does not need the stored texts: the callers pass the record
// text and the pattern. Opening checks the whole file and keeps the count and
// the case-fold flag.
#include "xbase/fts.h"

#include "xbase/table.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "internal.h"

namespace xbase {

namespace {

constexpr char kMagic[8] = {'O', 'R', 'V', 'L', 'I', 'A', '\x1A', '\0'};
constexpr char kTrailer[4] = {'E', 'N', 'D', '\x1A'};
constexpr std::uint32_t kVersion = 1;
constexpr std::uint32_t kIncomplete = 0xFFFFFFFFu;

struct Handle {
  bool used = false;
  bool writing = false;
  bool caseFold = false;
  int fd = -1;
  std::string path;
  std::string buffer;
  std::uint64_t written = 0;
  std::uint32_t count = 0;
  bool failed = false;
};

std::vector<Handle>& handles() {
  static std::vector<Handle> h;
  return h;
}

std::string& lastError() {
  static std::string e;
  return e;
}

int failWith(const std::string& msg) {
  lastError() = msg;
  return -1;
}

Handle* handleOf(int h) {
  auto& hs = handles();
  if (h < 1 || h > static_cast<int>(hs.size())) return nullptr;
  Handle& x = hs[static_cast<std::size_t>(h - 1)];
  return x.used ? &x : nullptr;
}

int newHandle() {
  auto& hs = handles();
  for (std::size_t i = 0; i < hs.size(); ++i)
    if (!hs[i].used) {
      hs[i] = Handle{};
      hs[i].used = true;
      return static_cast<int>(i) + 1;
    }
  if (hs.size() >= 4096) return -1;
  hs.emplace_back();
  hs.back().used = true;
  return static_cast<int>(hs.size());
}

void put32(char* p, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) p[k] = static_cast<char>((v >> (8 * k)) & 0xFF);
}

std::uint32_t get32(const char* p) {
  std::uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(p[k]);
  return v;
}


bool flush(Handle& h) {
  if (h.buffer.empty()) return true;
  bool ok = detail::pwriteAll(h.fd, h.buffer.data(), h.buffer.size(), h.written);
  h.written += h.buffer.size();
  h.buffer.clear();
  return ok;
}

std::string damaged(const std::string& file, const std::string& why) {
  return "Text index file is damaged (" + why + ").\rFile: " + file + "\rReindex Database Files rebuilds it.";
}

inline unsigned char fold(unsigned char c, bool f) {
  return (f && c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Wildcard match of the whole text: "*" any run, "?" one character.
bool wildMatch(std::string_view t, std::string_view p, bool f) {
  std::size_t ti = 0, pi = 0, star = std::string_view::npos, mark = 0;
  while (ti < t.size()) {
    if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      mark = ti;
    } else if (pi < p.size() &&
               (p[pi] == '?' || fold(static_cast<unsigned char>(p[pi]), f) == fold(static_cast<unsigned char>(t[ti]), f))) {
      ++pi;
      ++ti;
    } else if (star != std::string_view::npos) {
      pi = star + 1;
      ti = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

}  // namespace

int FtsCreate(const char* file, int, int, int caseFold, int) {
  try {
    if (!file) return failWith("No text index file name given.");
    std::string path = findFile(file);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return failWith(std::string("Cannot create the text index (") + std::strerror(errno) + ").\rFile: " + file);
    int h = newHandle();
    if (h < 0) {
      ::close(fd);
      return failWith("Too many text indexes open.\rFile: " + std::string(file));
    }
    Handle& x = handles()[static_cast<std::size_t>(h - 1)];
    x.writing = true;
    x.caseFold = caseFold != 0;
    x.fd = fd;
    x.path = path;
    x.buffer.assign(24, '\0');
    std::memcpy(x.buffer.data(), kMagic, 8);
    put32(x.buffer.data() + 8, kVersion);
    put32(x.buffer.data() + 12, x.caseFold ? 1 : 0);
    put32(x.buffer.data() + 16, kIncomplete);
    return h;
  } catch (...) {
    return failWith("Cannot create the text index.\rFile: " + std::string(file ? file : ""));
  }
}

int FtsAdd(int handle, const char* text) {
  try {
    Handle* h = handleOf(handle);
    if (!h || !h->writing) return failWith("Bad text index handle.");
    if (h->count >= 0x7FFFFFF0u) return failWith("The text index is full.\rFile: " + h->path);
    std::string_view t = text ? std::string_view(text) : std::string_view();
    if (t.size() > 0x7FFFFFF0u) return failWith("Text too long.\rFile: " + h->path);
    char len[4];
    put32(len, static_cast<std::uint32_t>(t.size()));
    h->buffer.append(len, 4);
    h->buffer.append(t);
    if (h->buffer.size() >= (1u << 16) && !flush(*h)) {
      h->failed = true;
      return failWith(std::string("Cannot write the text index (") + std::strerror(errno) + ").\rFile: " + h->path);
    }
    return static_cast<int>(++h->count);
  } catch (...) {
    return failWith("Out of memory while adding to the text index.");
  }
}

int FtsClose(int handle) {
  try {
    Handle* h = handleOf(handle);
    if (!h) return failWith("Bad text index handle.");
    int result = 1;
    if (h->writing) {
      h->buffer.append(kTrailer, 4);
      bool ok = !h->failed && flush(*h);
      char cnt[4];
      put32(cnt, h->count);
      ok = ok && detail::pwriteAll(h->fd, cnt, 4, 16);
      if (::close(h->fd) != 0) ok = false;
      if (!ok) result = failWith("Cannot write the text index.\rFile: " + h->path);
    }
    *h = Handle{};
    return result;
  } catch (...) {
    return failWith("Cannot close the text index.");
  }
}

int FtsOpen(const char* file, int, int) {
  try {
    if (!file) return failWith("No text index file name given.");
    std::string path = findFile(file);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
      return failWith("Text index file does not exist.\rFile: " + std::string(file) +
                      "\rReindex Database Files rebuilds it.");
    std::string bytes, why;
    bool ok = detail::readWholeFile(fd, bytes, why);
    ::close(fd);
    if (!ok) return failWith(damaged(file, why));
    if (bytes.size() < 28) return failWith(damaged(file, "file too short"));
    if (std::memcmp(bytes.data(), kMagic, 8) != 0) return failWith(damaged(file, "not a text index of this program"));
    if (get32(bytes.data() + 8) != kVersion) return failWith(damaged(file, "unknown format version"));
    std::uint32_t fold = get32(bytes.data() + 12);
    std::uint32_t count = get32(bytes.data() + 16);
    if (fold > 1) return failWith(damaged(file, "bad header"));
    if (count == kIncomplete) return failWith(damaged(file, "incomplete, it was not closed"));
    std::size_t at = 24;
    std::size_t end = bytes.size() - 4;
    for (std::uint32_t i = 0; i < count; ++i) {
      if (end - at < 4 || at > end) return failWith(damaged(file, "cut short"));
      std::uint32_t len = get32(bytes.data() + at);
      at += 4;
      if (len > end - at) return failWith(damaged(file, "cut short"));
      at += len;
    }
    if (at != end || std::memcmp(bytes.data() + end, kTrailer, 4) != 0)
      return failWith(damaged(file, "bad end of file"));
    int h = newHandle();
    if (h < 0) return failWith("Too many text indexes open.\rFile: " + std::string(file));
    Handle& x = handles()[static_cast<std::size_t>(h - 1)];
    x.caseFold = fold == 1;
    x.count = count;
    x.path = path;
    return h;
  } catch (...) {
    return failWith("Cannot open the text index.\rFile: " + std::string(file ? file : ""));
  }
}

int FtsVerify(int handle, const char* text, const char* pattern, int mode) {
  Handle* h = handleOf(handle);
  if (!h) return failWith("Bad text index handle.");
  std::string_view t = text ? std::string_view(text) : std::string_view();
  std::string_view p = pattern ? std::string_view(pattern) : std::string_view();
  try {
    std::string full;
    if (mode == 3) {
      full.reserve(p.size() + 2);
      full = "*";
      full.append(p);
      full += '*';
    } else if (mode == 1) {
      full.assign(p);
      full += '*';
    } else {
      full.assign(p);
    }
    return wildMatch(t, full, h->caseFold) ? 1 : 0;
  } catch (...) {
    return failWith("Out of memory.");
  }
}

int FtsCount(int handle) {
  Handle* h = handleOf(handle);
  if (!h) return failWith("Bad text index handle.");
  return static_cast<int>(h->count);
}

const std::string& FtsLastError() { return lastError(); }

}  // namespace xbase
