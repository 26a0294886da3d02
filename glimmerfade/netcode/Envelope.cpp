#include "Envelope.h"

#include <sstream>

namespace glimmerfade {

// Brackets do not nest: the first "]" at or after position closes the field.
std::string ExtractBracketed(const std::string& text, size_t position, size_t& end) {
  if (text.empty() || position >= text.size() || text[position] != '[') return {};
  size_t close = text.find(']', position);
  end = close;
  if (close == std::string::npos) return {};
  return text.substr(position + 1, close - position - 1);
}

// When a field is not closed, end is npos and end + 1 wraps to 0: the sender is
// then read from the start and the content is the whole text.
NetcodeMessage ParseMessage(const std::string& text) {
  NetcodeMessage message;
  size_t end = 0;
  message.pluginClassName = ExtractBracketed(text, 0, end);
  std::string senderText = ExtractBracketed(text, end + 1, end);

  unsigned long long address = 0;
  if (!senderText.empty() && senderText != "0") {
    std::stringstream stream(senderText);
    stream >> address;
  }
  message.sender = PriWrapper(static_cast<uintptr_t>(address));
  // An empty text leaves end at 0, and position 1 lies beyond it: no content.
  if (end + 1 <= text.size()) message.messageContent = text.substr(end + 1);
  return message;
}

}  // namespace glimmerfade
