// A settings file in INI form: sections, "key=value" lines, comments. Lines
// and sections the program does not know are kept as they stand when the file
// is written back.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvex::app {

class IniFile {
 public:
  // Reads the file. A missing file is an empty settings file. A file with a
  // line that is neither a section, a key line, a comment nor blank fails
  // with a message naming the file and the line.
  bool load(const std::string& path, std::string& error);
  const std::string& path() const { return path_; }

  bool hasSection(std::string_view section) const;
  // Section and key names compare ignoring letter case.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  void setValue(std::string_view section, std::string_view key, std::string_view value);

  // Writes through a temporary file renamed over the old one; fails with a
  // message naming the file.
  bool save(std::string& error) const;

  std::string text() const;

 private:
  struct Line {
    std::string text;     // the line as read (or as written for a new key)
    std::string section;  // the section it belongs to
    std::string key;      // non-empty for key lines
  };
  std::vector<Line> lines_;
  std::string path_;
};

}  // namespace talvex::app
