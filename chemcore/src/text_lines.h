// Lines of a molfile or stored structure text, shared by the reader and the
// writer side of the chemistry core.
#pragma once

#include <string_view>
#include <vector>

namespace chemcore::detail {

// Lines of a text (LF or CR LF), each cut at width characters.
inline std::vector<std::string_view> splitLines(std::string_view text, std::size_t width) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line.substr(0, width));
    start = end + 1;
  }
  return lines;
}

}  // namespace chemcore::detail
