// The message envelope: "[class]content" out, "[class][sender]content" in.
#include <sstream>

#include "NetcodeManager.h"

void NetcodeManager::SendNewMessage(const std::string& message) {
  if (!CheckNetcodeLoaded("NetcodeManager::SendNewMessage")) return;
  std::string envelope = std::string("[") + pluginInfo.pluginClass + "]" + message;
  LogC("Sending NetcodeManager message: " + envelope);
  cvarManager->getCvar(kNetcodeMessageOutCvar).setValue(envelope);
}

void NetcodeManager::ReceiveMessage() {
  if (!CheckNetcodeLoaded("NetcodeManager::ReceiveMessage")) return;
  std::string text = cvarManager->getCvar(kNetcodeMessageInCvar).getStringValue();
  LogC("Receiving message: " + text);

  NetcodeMessage message = ParseMessage(text);
  if (message.pluginClassName != pluginInfo.pluginClass) return;
  LogParsedMessage(message);
  messageCallback(message.messageContent, message.sender);
}

// Brackets do not nest: the first "]" at or after position closes the field.
std::string NetcodeManager::ExtractBracketed(const std::string& text, size_t position, size_t& end) {
  if (text.empty() || position >= text.size() || text[position] != '[') return {};
  size_t close = text.find(']', position);
  end = close;
  if (close == std::string::npos) return {};
  return text.substr(position + 1, close - position - 1);
}

// When a field is not closed, end is npos and end + 1 wraps to 0: the sender is
// then read from the start and the content is the whole text.
NetcodeMessage NetcodeManager::ParseMessage(const std::string& text) {
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

void NetcodeManager::LogParsedMessage(NetcodeMessage message) {
  // Checked first: the sender's name is read only when the line is written.
  if (!LevelAbove(2)) return;
  LogC("Parsed message:\nPluginClassName: " + message.pluginClassName +
       "\nSender: " + SenderName(message.sender) + "\nMessageContent: " + message.messageContent);
}

// The sender address comes from the incoming text, so it may be anything. Its
// name is read only when it is one of the current game's player entries.
std::string NetcodeManager::SenderName(const PriWrapper& sender) {
  if (!IsPlayerOfCurrentGame(sender) || sender.IsNull()) return "NULL";
  UnrealStringWrapper name = sender.GetPlayerName();
  if (name.IsNull()) return "NULL";
  return name.ToString();
}

bool NetcodeManager::IsPlayerOfCurrentGame(const PriWrapper& player) {
  if (player.memory_address == 0) return false;
  ServerWrapper game =
      gameWrapper->IsInOnlineGame() ? gameWrapper->GetOnlineGame() : gameWrapper->GetGameEventAsServer();
  if (game.IsNull()) return false;
  ArrayWrapper<PriWrapper> players = game.GetPRIs();
  if (players.IsNull()) return false;
  for (int i = 0; i < players.Count(); ++i) {
    if (players.Get(i).memory_address == player.memory_address) return true;
  }
  return false;
}
