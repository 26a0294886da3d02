#pragma once

#include <memory>
#include <string>

#include "EnforcementPass.h"
#include "LifetimeGuard.h"
#include "Replication.h"
#include "ResendSchedule.h"
#include "WrongShapeReports.h"
#include "pluginsdk.h"

namespace glimmerfade {

class NetcodeManager;

// The plug-in's switch: 1 hooks the vehicle-input event, 0 unhooks it.
inline constexpr char kEnabledCvar[] = "shroudweave_enabled";

// The Glimmerfade plug-in object: hides chosen players' cars from chosen viewers.
// Its work is done by the visibility and bridge code it forwards to; it keeps
// what that code needs from one call to the next.
//
// Threads: the host runs the hook, timers and tasks on the game thread, draws
// the settings page on its render thread, and runs an on-change callback on
// whichever thread set the variable (a click on the page: the render thread).
// What the pass keeps belongs to the game thread; the panel's table to the
// drawing thread. The on-change handlers touch neither: each change queues one
// game-thread task that reads the variable when it runs, so that whatever the
// order of the setters, the last task acts on the final value. A timer of its
// own, once a second on the game thread, sends the table again on the match's
// host when it is due (ResendSchedule.h).
class Shroudweave : public Corvane::Plugin::CorvanePlugin, public Corvane::Plugin::PluginSettingsWindow {
 public:
  // record: the module's information record, whose copy the bridge keeps.
  explicit Shroudweave(const PluginDescriptor& record) : ownRecord(record) {}
  void onLoad() override;

  // Settings window (SettingsPanel.cpp)
  void DrawSettingsPanel() override;
  std::string GetDisplayName() override;
  void AttachImGuiContext(uintptr_t ctx) override;

  // The enforcement pass, run after each vehicle-input event while enabled;
  // on the client that runs the match, a change of its players sends the
  // table again.
  void EnforceVisibility();
  // Replication: the on-change handler of "invis_json" sends the table; the
  // bridge's message callback applies a received one.
  void onInvisJsonChanged(std::string oldValue, CVarWrapper variable);
  void onNetcodeMessage(const std::string& message, PriWrapper sender);
  // Queues a game-thread task that sends the table "invis_json" holds when the
  // task runs (from any thread), as a change.
  void QueueSendCurrentTable();

 private:
  void OnEnabledChanged();
  // Game thread: hooks or unhooks as "shroudweave_enabled" says now.
  void FollowEnabledSwitch();
  // Game thread: sends the table "invis_json" holds now.
  void SendCurrentTable(SendKind kind);
  // Game thread, once a second from load to unload: repeats the table when it
  // is due, or at once when the bridge has just become ready.
  void ScheduleResendCheck();
  void CheckResend();

  const PluginDescriptor ownRecord;
  std::shared_ptr<NetcodeManager> netcode;
  // Wrong-shaped "invis_json" texts already reported; the game thread's alone.
  WrongShapeReports wrongShapeReports;
  // The last table decode, names buffers and roster, reused by the next pass.
  EnforcementPassMemory enforcementPassMemory;
  // The game thread's: when the table goes out again, whether the bridge was
  // ready at the last check, and whether the vehicle-input event is hooked.
  ResendSchedule resendSchedule;
  bool bridgeWasReady = false;
  bool hooked = false;
  // Every callback, hook and task the host keeps goes through it.
  LifetimeGuard<Shroudweave> guard{*this};
};

}  // namespace glimmerfade
