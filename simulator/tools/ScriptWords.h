// How a script line is read: trimmed of blanks, then split into words at
// whitespace. Header-only, so whatever reads scripts besides the simulator reads
// them the same way.

#pragma once

#include <sstream>
#include <string>
#include <vector>

inline std::vector<std::string> ScriptWords(const std::string& text) {
  std::istringstream stream(text);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

inline std::string TrimmedScriptLine(const std::string& line) {
  const size_t begin = line.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  return line.substr(begin, line.find_last_not_of(" \t\r") - begin + 1);
}
