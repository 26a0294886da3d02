#include "host/console/ConfigFile.h"

#include <fstream>
#include <sstream>
#include <system_error>

namespace sim {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

char Unescaped(char c) {
  switch (c) {
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    default:
      return c;  // \\ and \" and anything else stand for the character itself
  }
}

// Reads "VALUE" starting at the opening quote; false if it is not closed.
bool ReadQuoted(const std::string& line, size_t position, std::string& value) {
  if (position >= line.size() || line[position] != '"') return false;
  for (size_t i = position + 1; i < line.size(); ++i) {
    if (line[i] == '"') return true;
    if (line[i] == '\\' && i + 1 < line.size()) {
      value += Unescaped(line[++i]);
    } else {
      value += line[i];
    }
  }
  return false;
}

bool ParseLine(const std::string& line, std::string& name, std::string& value) {
  size_t nameEnd = 0;
  while (nameEnd < line.size() && !IsSpace(line[nameEnd])) ++nameEnd;
  if (nameEnd == 0) return false;
  size_t valueStart = nameEnd;
  while (valueStart < line.size() && IsSpace(line[valueStart])) ++valueStart;
  name = line.substr(0, nameEnd);
  return ReadQuoted(line, valueStart, value);
}

}  // namespace

std::string EscapeConfigValue(const std::string& value) {
  std::string escaped;
  escaped.reserve(value.size() + 2);
  for (char c : value) {
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '"':
        escaped += "\\\"";
        break;
      case '\n':
        escaped += "\\n";
        break;
      case '\r':
        escaped += "\\r";
        break;
      case '\t':
        escaped += "\\t";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string FormatConfig(const ConfigValues& values) {
  std::string text;
  for (const auto& [name, value] : values) text += name + " \"" + EscapeConfigValue(value) + "\"\n";
  return text;
}

ConfigValues ParseConfig(const std::string& text) {
  ConfigValues values;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string name, value;
    if (ParseLine(line, name, value)) values[name] = value;
  }
  return values;
}

ConfigValues ReadConfigFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return ParseConfig(text.str());
}

bool WriteConfigFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    if (!out.flush()) return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  return !error;
}

}  // namespace sim
