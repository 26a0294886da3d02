// Loading and unloading plug-in modules, and installing module files.

#include <algorithm>
#include <cctype>
#include <system_error>

#include "host/modules/ClockImport.h"
#include "host/modules/Dropped.h"
#include "host/modules/ModuleLoader.h"
#include "host/modules/Plugins.h"
#include "host/world/ProcessorClock.h"

namespace sim {
namespace {

const char* const kReplacedMarker = ".replaced-";

// Plug-in names become file names: letters, digits, '_' and '-' only.
bool ValidPluginName(const std::string& name) {
  if (name.empty() || name.size() > 64) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
  });
}

// Linux lets a file take the name of a loaded module; Windows refuses to
// replace or delete a loaded module's file but lets it be renamed. So a file
// that cannot be replaced is first moved aside, as NAME.replaced-N, and
// removed once it is no longer loaded.
void MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to,
                   std::error_code& error) {
  std::filesystem::rename(from, to, error);
  std::error_code ignored;
  if (!error || !std::filesystem::exists(to, ignored)) return;
  std::filesystem::path aside;
  for (int n = 1; aside.empty() || std::filesystem::exists(aside, ignored); ++n)
    aside = to.string() + kReplacedMarker + std::to_string(n);
  std::error_code asideError;
  std::filesystem::rename(to, aside, asideError);
  if (asideError) return;  // the first error stands
  std::filesystem::rename(from, to, error);
  if (error) std::filesystem::rename(aside, to, ignored);
}

// Removes the moved-aside module files that nothing has loaded any more.
void RemoveReplacedModules(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> replaced;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->path().filename().string().find(kReplacedMarker) != std::string::npos)
      replaced.push_back(it->path());
  }
  for (const auto& file : replaced) std::filesystem::remove(file, error);
}

}  // namespace

Plugins::Plugins(World& ofWorld, PluginsClient& owner, std::filesystem::path pluginsFolder)
    : world(ofWorld),
      composer(owner),
      folder(std::move(pluginsFolder)),
      hostHandle(&owner, nullptr),
      hostCvarManager(std::make_shared<CVarManagerWrapper>(HostHandleAddress())),
      hostGame(std::make_shared<GameWrapper>(HostHandleAddress())) {}

PluginRecord* Plugins::Find(const std::string& pluginName) const {
  HostLock lock(world.mutex);
  for (const auto& record : records) {
    if (record->name == pluginName) return record.get();
  }
  return nullptr;
}

// The module's clock() is the host's to decide; the load says so when the host
// could not point it at its own: the module's readings then do not follow the
// simulated processor clock.
void Plugins::ReportUnwrittenClockSlots(const std::string& pluginName, const ClockRedirection& clock) {
  if (clock.unwritten == 0) return;
  composer.Log("Plug-in " + pluginName + " reads the process's own clock(): the host pointed " +
               std::to_string(clock.redirected) + " of its " +
               std::to_string(clock.redirected + clock.unwritten) +
               " import slots of clock() at its own, and could not write the others (" + clock.reason + ")");
}

GameWrapper* Plugins::GameWrapperOf(PluginRecord* owner) const {
  return owner && owner->gameWrapper ? owner->gameWrapper.get() : hostGame.get();
}

bool Plugins::Load(const std::string& pluginName) {
  if (!ValidPluginName(pluginName)) {
    composer.Log("Invalid plug-in name \"" + pluginName + "\"");
    return false;
  }
  // Plug-ins are loaded on the game thread: from any other, the load is handed
  // to it as the console command would be.
  if (!world.OnGameThread()) {
    composer.HandToGameThread("plugin load " + pluginName);
    return true;
  }
  if (Find(pluginName)) {
    composer.Log("Plug-in " + pluginName + " is already loaded");
    return true;
  }
  const std::string fileName = ModuleFileName(pluginName);
  const std::filesystem::path file = folder / fileName;
  auto fail = [&](const std::string& reason) {
    composer.Log("Cannot load plug-in " + pluginName + ": " + reason);
    return false;
  };
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return fail("no file plugins/" + fileName);

  BusyScope busy(*this);  // an unload asked for while loading waits until the load is over
  std::string openError;
  void* module = OpenModule(file, openError);
  if (!module) return fail(openError);
  ReportUnwrittenClockSlots(pluginName, RedirectClockImport(module, &PluginProcessorClock));
  auto* info = static_cast<PluginDescriptor*>(ModuleSymbol(module, "exports"));
  auto closeAndFail = [&](const std::string& reason) {
    CloseModule(module);
    return fail(reason);
  };
  if (!info) return closeAndFail("no exports record");
  if (info->sdkVersion != CORVANE_SDK_VERSION)
    return closeAndFail("built for SDK " + std::to_string(info->sdkVersion) + ", this host runs " +
                        std::to_string(CORVANE_SDK_VERSION));
  if (!info->getPluginFn || !info->deleteMeFn || !info->pluginClass || !info->displayName ||
      !info->versionText)
    return closeAndFail("incomplete exports record");

  auto record = std::make_unique<PluginRecord>();
  record->name = pluginName;
  record->file = file;
  record->module = module;
  record->descriptor = info;
  // getPlugin gives the address of the module's shared pointer to its plug-in
  // class, read here as one to the SDK's base class: the same object pointer,
  // since that base comes first in a plug-in class (Glimmerfade checks its own
  // at compile time, glimmerfade/plugin/Exports.cpp).
  uintptr_t instanceAddress = 0;
  Guarded(record.get(), "getPlugin", "", [&] { instanceAddress = info->getPluginFn(); });
  if (instanceAddress)
    // NOLINTNEXTLINE(performance-no-int-to-ptr): getPlugin gives the plug-in's shared_ptr as an address
    record->plugin = *reinterpret_cast<std::shared_ptr<Corvane::Plugin::CorvanePlugin>*>(instanceAddress);
  if (!record->plugin) return closeAndFail("getPlugin gave no plug-in");

  record->handle = handles.emplace_back(std::make_unique<HostHandle>(&composer, record.get())).get();
  const auto handleAddress = reinterpret_cast<uintptr_t>(record->handle);
  record->cvarManager = std::make_shared<CVarManagerWrapper>(handleAddress);
  record->gameWrapper = std::make_shared<GameWrapper>(handleAddress);
  record->plugin->cvarManager = record->cvarManager;
  record->plugin->gameWrapper = record->gameWrapper;

  record->listed = std::make_shared<Corvane::Plugin::LoadedPlugin>();
  record->listed->_details = info;
  record->listed->_plugin = record->plugin;
  record->listed->_module = module;
  record->listed->_filename = file.string();
  PluginRecord* loaded = record.get();
  {
    HostLock lock(world.mutex);  // the render thread lists the plug-ins whose pages it draws
    loadedPlugins.push_back(record->listed);
    records.push_back(std::move(record));
  }

  bool completed = false;
  Guarded(loaded, "onLoad", "", [&] {
    loaded->plugin->onLoad();
    completed = true;
  });
  if (!completed) {
    UnloadNow(loaded);
    return fail("onLoad failed");
  }
  composer.Loaded(*loaded);
  composer.Log("Loaded plug-in " + pluginName + ": " + info->displayName + " " + info->versionText);
  return true;
}

bool Plugins::Unload(const std::string& pluginName) {
  // Plug-ins are unloaded on the game thread: from any other, the unload is
  // handed to it as the console command would be.
  if (!world.OnGameThread()) {
    if (!Find(pluginName)) return false;
    composer.HandToGameThread("plugin unload " + pluginName);
    return true;
  }
  PluginRecord* record = Find(pluginName);
  if (!record) {
    composer.Log("Plug-in " + pluginName + " is not loaded");
    return false;
  }
  // Plug-in code of this client on the game thread's stack: the game thread
  // unloads once it is free.
  if (busyDepth > 0) {
    HostLock lock(world.mutex);
    if (!record->unloadRequested) deferredUnloads.push_back(record);
    record->unloadRequested = true;
    unloadsDeferred = true;
    return true;
  }
  UnloadNow(record);
  composer.Log("Unloaded plug-in " + pluginName);
  return true;
}

// Game thread, outside every plug-in call of its own.
void Plugins::RunDeferredUnloads() {
  while (unloadsDeferred) {
    PluginRecord* record = nullptr;
    {
      HostLock lock(world.mutex);
      unloadsDeferred = deferredUnloads.size() > 1;
      if (deferredUnloads.empty()) return;
      record = deferredUnloads.front();
      deferredUnloads.erase(deferredUnloads.begin());
    }
    const std::string pluginName = record->name;
    UnloadNow(record);
    composer.Log("Unloaded plug-in " + pluginName);
  }
}

// Game thread. No other thread runs plug-in code of this client meanwhile.
void Plugins::UnloadNow(PluginRecord* record) {
  UnloadScope unloading(*this);
  BusyScope busy(*this);
  {
    HostLock lock(world.mutex);
    record->unloadRequested = true;
    deferredUnloads.erase(std::remove(deferredUnloads.begin(), deferredUnloads.end(), record),
                          deferredUnloads.end());
    unloadsDeferred = !deferredUnloads.empty();
  }
  Guarded(record, "onUnload", "", [&] { record->plugin->onUnload(); });

  std::weak_ptr<Corvane::Plugin::CorvanePlugin> watch = record->plugin;
  std::shared_ptr<Corvane::Plugin::CorvanePlugin> instance;
  {
    HostLock lock(world.mutex);
    loadedPlugins.erase(std::remove(loadedPlugins.begin(), loadedPlugins.end(), record->listed),
                        loadedPlugins.end());
    record->listed.reset();
    instance = std::move(record->plugin);
  }
  instance.reset();  // may destroy the plug-in object: not under the lock
  Guarded(record, "deleteMe", "", [&] { record->descriptor->deleteMeFn(); });
  record->handle->revoked.store(true, std::memory_order_release);
  composer.DropRegistrations(record);
  ForgetCallingPlugin(record);
  record->cvarManager.reset();
  record->gameWrapper.reset();
  // The weak reference's control block belongs to the module: let go of it first.
  const bool released = watch.expired();
  watch.reset();
  if (released) {
    CloseModule(record->module);
    RemoveReplacedModules(folder);
  } else {
    composer.Log("Plug-in " + record->name + " is still referenced; its module stays in memory");
  }
  std::unique_ptr<PluginRecord> gone;
  HostLock lock(world.mutex);
  auto found =
      std::find_if(records.begin(), records.end(), [&](const auto& each) { return each.get() == record; });
  gone = std::move(*found);
  records.erase(found);
}

void Plugins::UnloadAll() {
  while (!records.empty()) UnloadNow(records.back().get());
}

void Plugins::ForgetDeferredUnloads() {
  deferredUnloads.clear();
  unloadsDeferred = false;
}

bool Plugins::InstallFile(const std::string& pluginName, const std::string& fromModule) {
  if (!ValidPluginName(pluginName) || !ValidPluginName(fromModule)) return false;
  const std::string fileName = ModuleFileName(pluginName);
  const std::filesystem::path source = world.moduleDir / ModuleFileName(fromModule);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  RemoveReplacedModules(folder);
  // Copy next to the target, then give the copy the target's name: a loaded
  // module keeps running from its old file.
  std::filesystem::path temporary = folder / (fileName + ".part");
  std::filesystem::copy_file(source, temporary, std::filesystem::copy_options::overwrite_existing, error);
  if (!error) MoveIntoPlace(temporary, folder / fileName, error);
  if (error) {
    composer.Log("Cannot install plug-in file " + fileName + ": " + error.message());
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace sim
