// How the console splits a typed line: the command word, the rest trimmed, and
// a value's one pair of surrounding quotes. Header-only, so a reader of scripts
// outside the host library splits lines exactly as the console does.

#pragma once

#include <cctype>
#include <string>

namespace sim {

inline std::string TrimSpace(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

// Splits off the first word; rest gets the trimmed remainder.
inline std::string FirstWord(const std::string& text, std::string& rest) {
  size_t end = 0;
  while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
  rest = TrimSpace(text.substr(end));
  return text.substr(0, end);
}

// A value typed as "VALUE" loses one pair of surrounding quotes.
inline std::string Unquoted(const std::string& value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace sim
