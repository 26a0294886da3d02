// The names list reader, used by the settings panel to label its rows, on any
// text of "names_specshortcuts"; and names composed into a list and read back.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

#include "FuzzWorld.h"
#include "visibility/NamesList.h"

using namespace glimmerfade;

namespace {

constexpr int kEntriesRead = 8;

// The grammar read another way: getline splits the entries, strtol reads the
// number. A number that is missing, beyond int, or not a slot skips the entry.
NameSlots ModelRead(const std::string& text) {
  NameSlots slots;
  std::istringstream stream(text);
  std::string entry;
  for (int read = 0; read < kEntriesRead && std::getline(stream, entry, ';'); ++read) {
    const size_t comma = entry.find(',');
    const std::string number = entry.substr(0, comma);
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(number.c_str(), &end, 10);
    if (end == number.c_str() || errno == ERANGE || value < INT_MIN || value > INT_MAX) continue;
    if (value < 0 || value >= static_cast<long>(slots.size())) continue;
    slots[value] = comma == std::string::npos ? std::string() : entry.substr(comma + 1);
  }
  return slots;
}

// Up to 9 names, one per line of the input, for slots 0 to 8.
NameSlots SlotsFromLines(const std::string& input) {
  NameSlots slots;
  std::istringstream stream(input);
  for (std::string& slot : slots)
    if (!std::getline(stream, slot)) break;
  return slots;
}

std::string WithoutSemicolons(std::string name) {
  name.erase(std::remove(name.begin(), name.end(), ';'), name.end());
  return name;
}

void CheckComposedListReadsBack(const NameSlots& names) {
  std::string list;
  ComposeNamesListInto(names, list);
  fuzz::Require(std::count(list.begin(), list.end(), ';') == kEntriesRead,
                "a composed list holds exactly 8 entries");
  const NameSlots read = ReadNamesList(list);
  fuzz::Require(read[0].empty(), "slot 0 is never listed");
  for (size_t n = 1; n < names.size(); ++n)
    fuzz::Require(read[n] == WithoutSemicolons(names[n]), "each listed name reads back, less any \";\"");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = fuzz::AsText(data, size);
  fuzz::Require(ReadNamesList(text) == ModelRead(text), "the reader follows the names-list grammar");
  CheckComposedListReadsBack(SlotsFromLines(text));
  return 0;
}
