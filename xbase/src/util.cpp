// Small helpers of the engine: case-insensitive file lookup, text and number
// conversions, whole-file reading and atomic writing.
#include "internal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace xbase {

namespace {

char lowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool existsExact(const std::string& p) {
  struct stat st{};
  return ::stat(p.c_str(), &st) == 0;
}

std::string findPath(const std::string& p, int depth) {
  if (p.empty() || existsExact(p) || depth > 64) return p;
  std::size_t slash = p.find_last_of('/');
  std::string dir, name;
  if (slash == std::string::npos) {
    dir = ".";
    name = p;
  } else {
    dir = p.substr(0, slash);
    name = p.substr(slash + 1);
    if (dir.empty()) dir = "/";
  }
  if (name.empty()) return p;
  std::string realDir = dir;
  if (slash != std::string::npos && !existsExact(dir)) {
    realDir = findPath(dir, depth + 1);
    if (!existsExact(realDir)) return p;
  }
  std::error_code ec;
  fs::directory_iterator it(realDir, ec), end;
  if (ec) return p;
  for (; it != end; it.increment(ec)) {
    if (ec) break;
    std::string entry = it->path().filename().string();
    if (detail::equalsNoCase(entry, name)) {
      if (slash == std::string::npos) return entry;
      return (realDir == "/" ? std::string("/") : realDir + "/") + entry;
    }
  }
  if (realDir != dir) return (realDir == "/" ? std::string("/") : realDir + "/") + name;
  return p;
}

}  // namespace

std::string findFile(std::string_view path) {
  try {
    return findPath(std::string(path), 0);
  } catch (...) {
    return std::string(path);
  }
}

bool fileExists(std::string_view path) {
  try {
    return existsExact(findFile(path));
  } catch (...) {
    return false;
  }
}

std::string descendKey(std::string_view key) {
  try {
    std::string out(key);
    for (char& c : out) c = static_cast<char>((256 - static_cast<unsigned char>(c)) & 0xFF);
    return out;
  } catch (...) {
    return {};
  }
}

namespace detail {

std::string upperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lowerChar(a[i]) != lowerChar(b[i])) return false;
  return true;
}

std::string_view trimRight(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\0')) --n;
  return s.substr(0, n);
}

std::string_view trimBoth(std::string_view s) {
  s = trimRight(s);
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return s.substr(i);
}

double parseNumber(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  s = s.substr(i);
  if (!s.empty() && s[0] == '+') s = s.substr(1);
  double v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (r.ec != std::errc() || !std::isfinite(v)) {
    // "5." and ".5" forms are accepted by from_chars; anything else is 0.
    return 0;
  }
  return v;
}

void encodeNumber(double v, std::uint8_t* out) {
  if (std::isnan(v) || v == 0) v = 0;  // one zero, no NaN
  std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  if (bits >> 63)
    bits = ~bits;
  else
    bits |= 1ULL << 63;
  for (int i = 7; i >= 0; --i) {
    out[i] = static_cast<std::uint8_t>(bits & 0xFF);
    bits >>= 8;
  }
}

bool preadAll(int fd, void* buf, std::size_t n, std::uint64_t off) {
  auto* p = static_cast<char*>(buf);
  std::size_t done = 0;
  while (done < n) {
    ssize_t r = ::pread(fd, p + done, n - done, static_cast<off_t>(off + done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    done += static_cast<std::size_t>(r);
  }
  return true;
}

bool pwriteAll(int fd, const void* buf, std::size_t n, std::uint64_t off) {
  const auto* p = static_cast<const char*>(buf);
  std::size_t done = 0;
  while (done < n) {
    ssize_t r = ::pwrite(fd, p + done, n - done, static_cast<off_t>(off + done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    done += static_cast<std::size_t>(r);
  }
  return true;
}

bool readWholeFile(int fd, std::string& out, std::string& why) {
  struct stat st{};
  if (::fstat(fd, &st) != 0) {
    why = std::strerror(errno);
    return false;
  }
  if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > (1ULL << 32)) {
    why = "file too large";
    return false;
  }
  out.resize(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  while (done < out.size()) {
    ssize_t n = ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      why = std::strerror(errno);
      return false;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  out.resize(done);
  return true;
}

bool writeFileAtomic(const std::string& path, std::string_view data, std::string& why) {
  std::string tmp = path + ".tmp~";
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    why = std::strerror(errno);
    return false;
  }
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      why = std::strerror(errno);
      ::close(fd);
      ::unlink(tmp.c_str());
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) {
    why = std::strerror(errno);
    ::unlink(tmp.c_str());
    return false;
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    why = std::strerror(errno);
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

std::uint64_t checksum64(const std::uint8_t* p, std::size_t n) {
  // FNV-1a over 8-byte words (then the tail), fast enough for whole files.
  std::uint64_t h = 1469598103934665603ULL;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    h ^= w;
    h *= 1099511628211ULL;
    h ^= h >> 29;
  }
  for (; i < n; ++i) {
    h ^= p[i];
    h *= 1099511628211ULL;
  }
  return h;
}

}  // namespace detail
}  // namespace xbase
