#pragma once

#include <memory>
#include <optional>
#include <string>

#include "pluginsdk.h"
#include "visibility/EnforcementPass.h"

class NetcodeManager;

// The Glimmerfade plug-in object: hides chosen players' cars from chosen viewers.
class Shroudweave : public Corvane::Plugin::CorvanePlugin, public Corvane::Plugin::PluginSettingsWindow {
 public:
  std::shared_ptr<NetcodeManager> netcode;

  void onLoad() override;

  // Settings window (plugin/SettingsPanel.cpp)
  void DrawSettingsPanel() override;
  std::string GetDisplayName() override;
  void AttachImGuiContext(uintptr_t ctx) override;

  // Visibility (visibility/)
  void EnforceVisibility();
  void onInvisJsonChanged(std::string oldValue, CVarWrapper variable);
  void onNetcodeMessage(const std::string& message, PriWrapper sender);

  // The "invis_json" text whose wrong shape was last reported, so that the
  // enforcement pass reports a value once, not on every pass.
  std::optional<std::string> reportedMalformedInvisJson;
  // The last table decode and names buffers, reused by the next pass.
  EnforcementPassMemory enforcementPassMemory;
  // Game-thread tasks hold this weakly and do nothing once the object is gone.
  std::shared_ptr<int> aliveToken = std::make_shared<int>(0);
};
