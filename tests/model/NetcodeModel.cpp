// NetcodePlugin as the simulator offers it, and Glimmerfade's bridge to it:
// finding it, its log level, sending, and what a received message writes.

#include <cstdlib>

#include "model/ModelLines.h"

namespace model {
namespace {
constexpr double kRetrySeconds = 2.0;
constexpr int kLookingPasses = 19;
const char* const kMissingVariable = "NetcodePlugin is loaded, but could not find cvar ";

std::string Guard(const std::string& function) {
  return "NetcodeManager function (NetcodeManager::" + function + ") failed. NetcodePlugin is not loaded.";
}

// The level the bridge's bound integer holds: the value's leading whole number.
long LevelOf(const ClientState& client) { return std::strtol(client.netcodeLevel.c_str(), nullptr, 10); }

// "[CLASS]CONTENT" from a sender becomes "[CLASS][SENDER]CONTENT"; nothing
// for a text without a leading bracketed class name. The address of the
// sender's entry is the simulator's; any number other than 0 stands for it.
std::optional<std::string> IncomingEnvelope(const std::string& payload, bool hasSender) {
  const size_t close = payload.find(']');
  if (payload.empty() || payload[0] != '[' || close == std::string::npos) return std::nullopt;
  return payload.substr(0, close) + "][" + (hasSender ? "1" : "0") + "]" + payload.substr(close + 1);
}
}  // namespace

std::optional<NetcodeVariant> NetcodeVariantNamed(const std::string& name) {
  static const NetcodeVariant kVariants[] = {
      {"standard", true, true, true, true},     {"wrong-case", false, true, true, true},
      {"longer-name", false, true, true, true}, {"no-level", true, false, true, true},
      {"no-in", true, true, false, true},       {"no-out", true, true, true, false},
  };
  for (const NetcodeVariant& variant : kVariants)
    if (variant.name == name) return variant;
  return std::nullopt;
}

// Its variables are registered when it first loads (a variable registered
// before keeps its value; a saved one takes the value in the settings file)
// and stay with the host.
void WorldModel::LoadNetcode(ClientState& client) {
  if (client.netcodeLoaded || !client.netcodeFile) return;
  client.netcodeLoaded = true;
  const NetcodeVariant& variant = client.variant;
  if (variant.level && client.netcodeVariables.insert(kLogLevel).second)
    client.netcodeLevel = client.savedLevel.value_or("1");
  if (variant.in) client.netcodeVariables.insert(kMessageIn);
  if (variant.out) client.netcodeVariables.insert(kMessageOut);
}

// A value of "NETCODE_Message_Out" travels to the match's other clients, when
// the loaded NetcodePlugin registered that variable (and so listens to it);
// the network loses some on the way, as the simulator's rule says.
void WorldModel::CarryOut(ClientState& client, const std::string& payload) {
  if (!client.netcodeLoaded || !client.variant.out || !client.inMatch) return;
  const Owner* own =
      client.hasController && !client.controlled.empty() ? FindPlayer(client.controlled) : nullptr;
  const int senderId = own ? playerIds.at(own->name) : 0;
  const uint64_t message = messagesSent++;
  for (size_t i = 0; i < clients.size(); ++i) {
    ClientState& other = clients[i];
    if (&other == &client || !other.inMatch || networkLoss.Drops(message, i)) continue;
    other.inbox.push_back({Now() + networkDelay, payload, senderId});
  }
}

// The receiver's NetcodePlugin writes what arrives into "NETCODE_Message_In" while that exists.
void WorldModel::Deliver(ClientState& client, const ClientState::Delivery& delivery) {
  if (!client.netcodeLoaded || !client.netcodeVariables.count(kMessageIn)) return;
  const std::optional<std::string> incoming = IncomingEnvelope(delivery.payload, delivery.senderId != 0);
  if (incoming) Receive(client, *incoming, SenderName(client, delivery.senderId));
}

// Looks for NetcodePlugin among the loaded plug-ins; until it is there, has the
// host load it (file present) or install it, and looks again 2 s later, 19
// passes at most.
void WorldModel::DetectionPass(ClientState& client, bool reset) {
  if (client.bridgeReady) return;
  Require(client, Guard("NetcodeLoadLoop"));
  client.detectionPasses = reset ? 1 : client.detectionPasses + 1;
  if (client.detectionPasses > kLookingPasses) return;
  if (client.netcodeLoaded && client.variant.listed && !client.nullPluginManager) {
    Detected(client);
    return;
  }
  if (client.netcodeFile) {
    LoadNetcode(client);
  } else {
    InstallNetcode(client);
  }
  AddTimer(client, kRetrySeconds, ClientState::TimerKind::Detection);
}

// The variables are looked up once; a missing one leaves the bridge not ready for good.
void WorldModel::Detected(ClientState& client) {
  const auto has = [&](const char* name) { return client.netcodeVariables.count(name) != 0; };
  if (!has(kLogLevel)) {
    Require(client, kMissingVariable + std::string(kLogLevel));
    return;
  }
  const bool aLines = LevelOf(client) > 0;
  for (const char* name : {kMessageIn, kMessageOut}) {
    if (has(name)) continue;
    if (aLines) RequireAtLevel(client, kMissingVariable + std::string(name));
    return;
  }
  client.bridgeReady = true;
  if (aLines)
    RequireAtLevel(client,
                   "NetcodeManager has successfully detected that NetcodePlugin is loaded. Ready to go.");
}

// The game-thread task: through a ready bridge into "NETCODE_Message_Out".
void WorldModel::Send(ClientState& client, const std::string& message) {
  if (!client.bridgeReady) {
    Require(client, Guard("SendNewMessage"));
    return;
  }
  const std::string envelope = std::string("[") + kClassName + "]" + message;
  client.expected.lines.insert("Sending NetcodeManager message: " + envelope);
  CarryOut(client, envelope);
}

// A change of "NETCODE_Message_In": only a ready bridge listens; only an
// online client applies the table.
void WorldModel::Receive(ClientState& client, const std::string& incoming,
                         const std::optional<std::string>& sender) {
  if (!client.glimmerfadeLoaded || !client.bridgeReady) return;
  client.expected.prefixes.insert("Receiving message: ");
  const std::optional<std::string> content = ContentFor(incoming, kClassName);
  if (!content) return;
  if (sender && LevelOf(client) > 2)
    RequireAtLevel(client, "Parsed message:\nPluginClassName: " + std::string(kClassName) +
                               "\nSender: " + *sender + "\nMessageContent: " + *content);
  else
    client.expected.prefixes.insert("Parsed message:\n");
  if (!client.IsOnline()) return;
  const std::optional<Table> table = ReceivedTable(*content);
  if (!table) return;
  SetInvisJson(client, EncodeTable(*table));
  ++tablesApplied;
}

}  // namespace model
