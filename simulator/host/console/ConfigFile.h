#pragma once

// The client's saved console variables, "config.cfg" in its data folder: one
// line per variable, NAME "VALUE", with \\, \", \n, \r and \t escapes in VALUE.

#include <filesystem>
#include <map>
#include <string>

#include "host/base/SimApi.h"

namespace sim {

using ConfigValues = std::map<std::string, std::string>;

CORVANE_SIM_API std::string EscapeConfigValue(const std::string& value);
CORVANE_SIM_API std::string FormatConfig(const ConfigValues& values);
// Lines that are not NAME "VALUE" are skipped.
CORVANE_SIM_API ConfigValues ParseConfig(const std::string& text);

CORVANE_SIM_API ConfigValues ReadConfigFile(const std::filesystem::path& path);
// Writes text (FormatConfig's) through a temporary file and a rename, so a
// reader never sees half a file.
CORVANE_SIM_API bool WriteConfigFile(const std::filesystem::path& path, const std::string& text);

}  // namespace sim
