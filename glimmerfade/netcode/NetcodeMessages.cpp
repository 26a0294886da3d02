// Sending and receiving through NetcodePlugin's variables, and the parsed message's C line.
#include "NetcodeManager.h"

namespace glimmerfade {

void NetcodeManager::SendNewMessage(const std::string& message) {
  if (!CheckNetcodeLoaded("NetcodeManager::SendNewMessage")) return;
  std::string envelope = std::string("[") + pluginInfo.pluginClass + "]" + message;
  LogFromLevel3("Sending NetcodeManager message: " + envelope);
  cvarManager->getCvar(kNetcodeMessageOutCvar).setValue(envelope);
}

void NetcodeManager::ReceiveMessage() {
  if (!CheckNetcodeLoaded("NetcodeManager::ReceiveMessage")) return;
  std::string text = cvarManager->getCvar(kNetcodeMessageInCvar).getStringValue();
  LogFromLevel3("Receiving message: " + text);

  NetcodeMessage message = ParseMessage(text);
  if (message.pluginClassName != pluginInfo.pluginClass) return;
  LogParsedMessage(message);
  messageCallback(message.messageContent, message.sender);
}

void NetcodeManager::LogParsedMessage(const NetcodeMessage& message) {
  // Checked first: the sender's name is read only when the line is written.
  if (!LevelAbove(2)) return;
  LogFromLevel3("Parsed message:\nPluginClassName: " + message.pluginClassName +
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

}  // namespace glimmerfade
