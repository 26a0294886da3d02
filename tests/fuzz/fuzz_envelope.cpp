// The bridge's incoming envelope on any text of "NETCODE_Message_In": the field
// reader, the parser, and the delivery of what is meant for this plug-in.
#include <algorithm>
#include <cstring>
#include <vector>

#include "FuzzWorld.h"
#include "netcode/NetcodeManager.h"
#include "plugin/Exports.h"

using namespace glimmerfade;

namespace {

const std::string kOwnClass = "Shroudweave";
const size_t kUntouched = 12345;

struct Delivery {
  std::string content;
  uintptr_t sender;
};

// A client with NetcodePlugin loaded and a ready bridge of the fuzzer's own
// that records what it delivers; log level 3, so every receive is logged too.
struct BridgeWorld : fuzz::ScratchWorld {
  sim::Client& client = Simulation().AddClient("receiver");
  std::vector<Delivery> deliveries;
  std::shared_ptr<NetcodeManager> bridge;

  BridgeWorld() : ScratchWorld("envelope") {
    client.SetNetcodeAvailability(sim::NetcodeAvailability::Loaded);
    bridge = std::make_shared<NetcodeManager>(client.CvarManager(), client.Game(), exports,
                                              [this](const std::string& content, PriWrapper sender) {
                                                deliveries.push_back({content, sender.memory_address});
                                              });
    // A ready bridge listens to the incoming variable.
    fuzz::Require(client.DescribeCvar(kNetcodeMessageInCvar)->callbacks == 1,
                  "the bridge finds the loaded NetcodePlugin");
    client.SetCvar(kNetcodeLogLevelCvar, "3");
  }
};

void CheckFieldReader(const std::string& text) {
  for (size_t position : {size_t(0), size_t(1), text.size() / 2, text.size(), std::string::npos}) {
    size_t end = kUntouched;
    const std::string field = ExtractBracketed(text, position, end);
    if (position >= text.size() || text[position] != '[') {
      fuzz::Require(field.empty() && end == kUntouched, "no field where no \"[\" opens one");
      continue;
    }
    const size_t close = text.find(']', position);
    fuzz::Require(end == close, "the first \"]\" closes the field");
    fuzz::Require(
        field == (close == std::string::npos ? "" : text.substr(position + 1, close - position - 1)),
        "the field is the text between the brackets");
  }
}

// Class name (first line, less any "]"), a sender from the next 8 bytes, and
// the rest as content.
struct EnvelopeParts {
  std::string className;
  uint64_t sender = 0;
  std::string content;
};

EnvelopeParts PartsFrom(const std::string& input) {
  EnvelopeParts parts;
  const size_t newline = input.find('\n');
  parts.className = input.substr(0, newline);
  parts.className.erase(std::remove(parts.className.begin(), parts.className.end(), ']'),
                        parts.className.end());
  const std::string rest = newline == std::string::npos ? std::string() : input.substr(newline + 1);
  const size_t senderBytes = std::min(rest.size(), sizeof(parts.sender));
  std::memcpy(&parts.sender, rest.data(), senderBytes);
  parts.content = rest.substr(senderBytes);
  return parts;
}

std::string Envelope(const std::string& className, uint64_t sender, const std::string& content) {
  return "[" + className + "][" + std::to_string(sender) + "]" + content;
}

void CheckBuiltEnvelopeParsesBack(const std::string& input) {
  const EnvelopeParts parts = PartsFrom(input);
  const NetcodeMessage parsed = ParseMessage(Envelope(parts.className, parts.sender, parts.content));
  fuzz::Require(parsed.pluginClassName == parts.className, "the class name parses back");
  fuzz::Require(parsed.sender.memory_address == parts.sender, "the sender parses back");
  fuzz::Require(parsed.messageContent == parts.content, "the content parses back");
}

// Delivered once, as parsed, exactly when the class name is this plug-in's.
void CheckDelivery(BridgeWorld& world, const std::string& text) {
  const NetcodeMessage parsed = ParseMessage(text);
  world.deliveries.clear();
  world.client.SetCvar(kNetcodeMessageInCvar, text);
  if (parsed.pluginClassName != kOwnClass) {
    fuzz::Require(world.deliveries.empty(), "a text for another class name is not delivered");
    return;
  }
  fuzz::Require(world.deliveries.size() == 1, "a text for this plug-in is delivered once");
  fuzz::Require(world.deliveries[0].content == parsed.messageContent,
                "the delivered content is the parsed one");
  fuzz::Require(world.deliveries[0].sender == parsed.sender.memory_address,
                "the delivered sender is the parsed one");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = fuzz::AsText(data, size);
  BridgeWorld& world = fuzz::ReusedWorld<BridgeWorld>(20000);
  CheckFieldReader(input);
  CheckBuiltEnvelopeParsesBack(input);
  CheckDelivery(world, input);
  const EnvelopeParts parts = PartsFrom(input);
  CheckDelivery(world, Envelope(kOwnClass, parts.sender, parts.content));
  world.RequireNoFaults();
  return 0;
}
