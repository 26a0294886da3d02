#pragma once

// Trimming the lines of a page as Dear ImGui logs them, for the window's
// reading of its page (SettingsWindowText.cpp) and its finding of rows
// (SettingsWindowLayout.cpp).

#include <string>

namespace sim {

inline std::string TrimRight(const std::string& text) {
  const size_t end = text.find_last_not_of(" \t\r");
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

}  // namespace sim
