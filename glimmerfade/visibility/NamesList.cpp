#include "NamesList.h"

#include "LeadingInteger.h"

namespace glimmerfade {

namespace {
// One entry a listed slot.
constexpr int kListedEntries = kLastListedSlot - kFirstListedSlot + 1;
static_assert(kLastListedSlot < 10, "slot numbers are written as one digit");

void AppendWithoutSemicolons(std::string& out, const std::string& name) {
  size_t start = 0;
  for (size_t semicolon; (semicolon = name.find(';', start)) != std::string::npos; start = semicolon + 1)
    out.append(name, start, semicolon - start);
  out.append(name, start, std::string::npos);
}

// One entry: "N" or "N,NAME". The name is everything after the first ",".
void ReadEntry(std::string_view entry, NameSlots& slots) {
  const size_t comma = entry.find(',');
  const LeadingInteger number = ReadLeadingInteger(entry.substr(0, comma));
  if (number.status != LeadingInteger::Status::Read) return;
  if (number.value < 0 || number.value >= static_cast<int>(slots.size())) return;
  slots[number.value] = comma == std::string_view::npos ? std::string_view() : entry.substr(comma + 1);
}
}  // namespace

void ComposeNamesListInto(const NameSlots& slots, std::string& list) {
  list.clear();
  for (int n = kFirstListedSlot; n <= kLastListedSlot; ++n) {
    list += static_cast<char>('0' + n);  // one digit
    if (!slots[n].empty()) {
      list += ',';
      AppendWithoutSemicolons(list, slots[n]);
    }
    list += ';';
  }
}

NameSlots ReadNamesList(std::string_view text) {
  NameSlots slots;
  size_t start = 0;
  for (int read = 0; read < kListedEntries && start < text.size(); ++read) {
    size_t end = text.find(';', start);
    if (end == std::string_view::npos) end = text.size();
    ReadEntry(text.substr(start, end - start), slots);
    start = end + 1;
  }
  return slots;
}

}  // namespace glimmerfade
