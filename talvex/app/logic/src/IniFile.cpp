#include "talvex/app/IniFile.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

namespace talvex::app {

namespace {

std::string trimmed(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

bool IniFile::load(const std::string& path, std::string& error) {
  lines_.clear();
  path_ = path;
  std::ifstream in(path, std::ios::binary);
  if (!in) return true;  // no file yet
  std::string line, section;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string t = trimmed(line);
    Line l{line, section, {}};
    if (t.empty() || t[0] == ';' || t[0] == '#') {
      // blank or comment
    } else if (t.front() == '[' && t.back() == ']') {
      section = trimmed(std::string_view(t).substr(1, t.size() - 2));
      l.section = section;
    } else if (const auto eq = t.find('='); eq != std::string::npos && eq > 0) {
      l.key = trimmed(std::string_view(t).substr(0, eq));
    } else {
      error = "The settings file " + path + " is not a valid settings file (line " + std::to_string(number) +
              "). Correct or remove it; until then your settings are not saved.";
      lines_.clear();
      return false;
    }
    lines_.push_back(std::move(l));
  }
  return true;
}

bool IniFile::hasSection(std::string_view section) const {
  for (const auto& l : lines_)
    if (l.key.empty() && sameName(l.section, section) && trimmed(l.text).front() == '[') return true;
  return false;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
  for (const auto& l : lines_)
    if (!l.key.empty() && sameName(l.section, section) && sameName(l.key, key))
      return trimmed(std::string_view(l.text).substr(l.text.find('=') + 1));
  return std::nullopt;
}

void IniFile::setValue(std::string_view section, std::string_view key, std::string_view value) {
  const std::string text = std::string(key) + "=" + std::string(value);
  std::size_t lastOfSection = lines_.size();
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    Line& l = lines_[i];
    if (!sameName(l.section, section)) continue;
    if (!l.key.empty() && sameName(l.key, key)) {
      l.text = text;
      return;
    }
    if (!trimmed(l.text).empty()) lastOfSection = i;
  }
  if (lastOfSection == lines_.size()) {
    if (!lines_.empty() && !trimmed(lines_.back().text).empty()) lines_.push_back({"", lines_.back().section, {}});
    lines_.push_back({"[" + std::string(section) + "]", std::string(section), {}});
    lines_.push_back({text, std::string(section), std::string(key)});
    return;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastOfSection) + 1,
                Line{text, std::string(section), std::string(key)});
}

std::string IniFile::text() const {
  std::string out;
  for (const auto& l : lines_) out += l.text + "\r\n";
  return out;
}

bool IniFile::save(std::string& error) const {
  // A settings file the user made read-only stays as it is.
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0 && (::access(path_.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0)) {
    error = "The settings file " + path_ + " is read-only; your settings are not saved. Make it writable to keep them.";
    return false;
  }
  const std::string temp = path_ + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << text();
    out.flush();
    if (!out) {
      std::remove(temp.c_str());
      error = "Cannot write the settings file " + path_ + ": " + std::strerror(errno) +
              ". Make its folder writable to keep your settings.";
      return false;
    }
  }
  if (std::rename(temp.c_str(), path_.c_str()) != 0) {
    error = "Cannot write the settings file " + path_ + ": " + std::strerror(errno) +
            ". Make it writable to keep your settings.";
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace talvex::app
