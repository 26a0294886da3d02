#pragma once

#include <cstddef>
#include <string>

#include "wrappers/PriWrapper.h"

namespace glimmerfade {

// The envelope of an incoming message, as NetcodePlugin writes it into
// "NETCODE_Message_In": "[CLASS][SENDER]CONTENT". CLASS names the plug-in the
// message is for, SENDER is the address of the sending player's entry in this
// client's game ("0" or nothing: no sender), CONTENT is everything after.
struct NetcodeMessage {
  std::string pluginClassName;
  PriWrapper sender{0};
  std::string messageContent;
};

// Splits an incoming text into its fields. Brackets do not nest, and a field
// that is not closed leaves the sender null and the content the whole text.
NetcodeMessage ParseMessage(const std::string& text);

// The text between the "[" at position and the first "]" after it, with end
// set to that "]" (npos and an empty text when there is none); an empty text
// and end unchanged when there is no "[" at position.
std::string ExtractBracketed(const std::string& text, size_t position, size_t& end);

}  // namespace glimmerfade
