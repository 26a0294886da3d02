#pragma once

// Reading console lines in tests: whether one is there, how often, and which
// start with a prefix.

#include <algorithm>
#include <string>
#include <vector>

namespace console_lines {

inline bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

inline size_t Count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

inline std::vector<std::string> StartingWith(const std::vector<std::string>& lines,
                                             const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : lines) {
    if (line.rfind(prefix, 0) == 0) found.push_back(line);
  }
  return found;
}

}  // namespace console_lines
