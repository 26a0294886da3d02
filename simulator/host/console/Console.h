#pragma once

// Console: one client's console. It owns the console's lines and the history
// of commands run, the console variables (their values, on-change callbacks
// and bound integers) and the saved settings file (config.cfg). Any thread
// may log, run a command or set a variable: its data is under the host's
// lock, a command from another thread is handed to the game loop, and a
// variable's callbacks run on the setter's thread through Plugins::Guarded,
// outside the lock. Only the game thread writes the settings file.
// The client composes it and adds the commands of other rooms (AddCommand);
// the wrappers reach it for the SDK's console calls.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/console/CvarImpl.h"
#include "host/loop/GameLoop.h"
#include "host/modules/Dropped.h"
#include "host/modules/Plugins.h"

namespace sim {

// A console line with its place among the lines of every client's console
// (World::consoleLinesWritten): the order in which the host wrote them.
struct NumberedLine {
  uint64_t order = 0;
  std::string text;
};

class Console {
 public:
  Console(World& ofWorld, Plugins& plugins, GameLoop& loop, std::filesystem::path configFile);
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Lines (host/console/Console.cpp); any thread.
  void Log(std::string line);
  std::vector<std::string> Lines() const;
  size_t LineCount() const;
  std::vector<std::string> LinesSince(size_t index) const;
  // Appends the lines from the given place among every client's lines on.
  void AddLinesFrom(uint64_t order, std::vector<NumberedLine>& into) const;
  std::vector<std::string> History() const;
  // Runs a console command on the game thread; from any other thread it is
  // handed to the game loop, which runs it at its next turn (or as soon as it
  // stops waiting for the render thread).
  void ExecuteCommand(const std::string& line, bool echo = false);
  // A command word of another room, tried before the variables' names.
  using Command = std::function<void(const std::string& arguments)>;
  void AddCommand(const std::string& word, Command command);

  // Variables (host/console/CvarRegistry.cpp); any thread.
  Cvar* FindCvar(const std::string& cvarName);
  Cvar& RegisterCvar(const std::string& cvarName, const std::string& defaultValue,
                     const std::string& description, bool searchable, bool hasMin, float min, bool hasMax,
                     float max, bool saved);
  // Sets the value, updates bound ints, then runs the on-change callbacks on
  // this thread, whichever it is.
  void SetCvarValue(Cvar& cvar, std::string value);
  std::string CvarValueOf(const Cvar& cvar) const {
    HostLock lock(world.mutex);
    return cvar.value;
  }
  // An on-change callback and a bound integer, each belonging to the plug-in
  // whose code runs on this thread now (none: the host's or a test's).
  void AddCallback(Cvar& cvar, std::function<void(std::string, CVarWrapper)> callback);
  void BindInt(Cvar& cvar, std::shared_ptr<int> target);
  std::optional<CvarInfo> Describe(const std::string& cvarName);
  // Applies saved values to the variables a plug-in registered while loading.
  void RestoreSavedValues(PluginRecord& record);

  // The settings file (host/console/CvarRegistry.cpp).
  void LoadConfig();
  // Writes config.cfg on the game thread, outside the lock; on any other
  // thread it leaves the write to the game thread's next turn.
  void SaveConfig();
  void SaveConfigIfChanged();

  // Under the lock: what the variables hold, for the client's registrations and holdings.
  size_t CallbackCount() const;
  size_t BoundIntCount() const;
  template <class Holder>
  void AddHoldings(Holder&& holder) const;
  // Under the lock: takes the owner's callbacks and bound integers out (an
  // unload), or every variable and saved value (a restart), to be let go of
  // after the lock.
  void TakeOwned(PluginRecord* owner, Dropped& dropped);
  void TakeAll(Dropped& dropped);

 private:
  World& world;
  Plugins& plugins;
  GameLoop& loop;
  const std::filesystem::path configPath;
  std::vector<std::string> lines;
  std::vector<uint64_t> lineOrders;  // each line's place among every client's lines
  std::vector<std::string> commandHistory;
  std::map<std::string, Command> commands;  // filled while the client is made
  std::map<std::string, std::unique_ptr<Cvar>> cvars;
  // Variables dropped by a restart: kept, not freed, since a wrapper copy may
  // still hold one's address.
  std::vector<std::unique_ptr<Cvar>> retiredCvars;
  std::map<std::string, std::string> savedValues;  // config file contents, kept current
  std::atomic<bool> configDirty{false};            // changed under the lock
};

template <class Holder>
void Console::AddHoldings(Holder&& holder) const {
  for (const auto& [cvarName, cvar] : cvars) {
    for (const auto& callback : cvar->callbacks) holder(callback->owner).cvarCallbacks.push_back(cvarName);
    for (const BoundInt& bound : cvar->boundInts) holder(bound.owner).boundInts.push_back(cvarName);
  }
}

}  // namespace sim
