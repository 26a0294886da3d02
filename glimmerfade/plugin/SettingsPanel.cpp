// The plug-in's page in the host's settings window: the enable switch and, for
// each named player of the match, the three visibility flags of that player.
#include <imgui.h>

#include <exception>
#include <optional>

#include "NamesList.h"
#include "PluginNames.h"
#include "ReplicationMessage.h"
#include "Shroudweave.h"
#include "VisibilityTable.h"
#include "VisibilityTableDecodeCache.h"

namespace glimmerfade {

namespace {
const char* const kEnableLabel = "Enable plugin";
const char* const kEnableTooltip = "Toggle having invisible opponents";
const char* const kFlagLabels[kEntryFlags] = {"Visible to Teammates", "Visible to Opponents",
                                              "Visible to Spectators"};
const char* const kCredit = "Plugin made by Marrowby#0000 - DM me on discord for custom plugin commissions!";

// The panel's own copy of the visibility table, shared by every draw of this
// module: made, every flag true, by the first draw that reaches the player rows
// (both variables exist), whether or not it lists a player; then set by each
// draw to the table in force, and changed by the panel's flag checkboxes.
VisibilityTable& PanelTable() {
  static VisibilityTable table = DefaultVisibilityTable();  // initialised once, thread-safe
  return table;
}

// The page's own decode of "invis_json", decoded again only when the text
// changed. The drawing thread's alone, as the panel's table is: the
// enforcement pass keeps its own on the game thread.
VisibilityTableDecodeCache& PageDecodes() {
  static VisibilityTableDecodeCache decodes;  // initialised once, thread-safe
  return decodes;
}

// The boxes show the table in force: a table of at least 9 entries of at
// least 3 flags in "invis_json" (a saved one after a restart, one typed on
// the console, one received) gives the panel its first 9 x 3 flags, so that a
// click changes that table by one flag. Any other text leaves the panel's
// last copy as it was.
void TakeTableInForce(CVarManagerWrapper& cvarManager, VisibilityTable& table) {
  CVarWrapper invisJson = cvarManager.getCvar(kInvisJsonCvar);
  if (!invisJson) return;
  const VisibilityTableDecodeCache::SharedDecode decoded = PageDecodes().Decode(invisJson.getStringValue());
  if (decoded->outcome != DecodedVisibilityTable::Outcome::Decoded) return;
  const std::optional<ReplicatedFlags> inForce = ReplicatedPart(decoded->table);
  if (!inForce) return;
  for (int slot = 0; slot < kTableEntries; ++slot) {
    for (int flag = 0; flag < kEntryFlags; ++flag) table[slot][flag] = (*inForce)[slot][flag];
  }
}

// Closes a tree node's scope even when the node's contents are left early.
struct TreeNodeScope {
  ~TreeNodeScope() { ImGui::TreePop(); }
};

// Scopes the identities of the widgets emitted while it lives under a slot number.
struct SlotIdScope {
  explicit SlotIdScope(int slot) { ImGui::PushID(slot); }
  ~SlotIdScope() { ImGui::PopID(); }
  SlotIdScope(const SlotIdScope&) = delete;
  SlotIdScope& operator=(const SlotIdScope&) = delete;
};

void DrawEnableCheckbox(CVarWrapper enabled) {
  bool value = enabled.getBoolValue();
  if (ImGui::Checkbox(kEnableLabel, &value)) enabled.setValue(value ? 1 : 0);
  if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s", kEnableTooltip);
}

// One player's node. Its identity is its slot, so that players of the same
// name have nodes and boxes of their own, and its label the whole name, shown
// as it is ("##" and "%" included). Every flag click stores the whole panel
// table, the one shown with that flag changed, so the other clients always
// receive a complete table.
void DrawPlayerNode(CVarManagerWrapper& cvarManager, VisibilityTable& table, const std::string& name,
                    int slot) {
  SlotIdScope id(slot);
  if (!ImGui::TreeNode("player", "%s", name.c_str())) return;
  TreeNodeScope scope;
  for (int flag = 0; flag < kEntryFlags; ++flag) {
    if (ImGui::Checkbox(kFlagLabels[flag], &table[slot][flag])) StoreInvisibilityStates(cvarManager, table);
  }
}

void DrawPanel(CVarManagerWrapper& cvarManager) {
  CVarWrapper enabled = cvarManager.getCvar(kEnabledCvar);
  if (!enabled) return;
  DrawEnableCheckbox(enabled);

  CVarWrapper namesList = cvarManager.getCvar(kNamesListCvar);
  if (!namesList) return;
  const NameSlots names = ReadNamesList(namesList.getStringValue());
  VisibilityTable& table = PanelTable();
  TakeTableInForce(cvarManager, table);
  for (int slot = kFirstListedSlot; slot <= kLastListedSlot; ++slot) {
    if (!names[slot].empty()) DrawPlayerNode(cvarManager, table, names[slot], slot);
  }
  ImGui::Separator();
  ImGui::TextUnformatted(kCredit);
}
}  // namespace

// A host that draws the page before it has handed over its Dear ImGui context
// leaves this module's copy of Dear ImGui without a current context, on which
// every widget call would dereference null: the page then draws nothing.
void Shroudweave::DrawSettingsPanel() {
  if (!cvarManager || !ImGui::GetCurrentContext()) return;
  try {
    DrawPanel(*cvarManager);
  } catch (const std::exception& e) {
    cvarManager->log(std::string("Glimmerfade settings panel stopped: ") + e.what());
  }
}

std::string Shroudweave::GetDisplayName() { return kDisplayName; }

// The host hands its context as a pointer-sized number.
void Shroudweave::AttachImGuiContext(uintptr_t ctx) {
  ImGui::SetCurrentContext(reinterpret_cast<ImGuiContext*>(ctx));  // NOLINT(performance-no-int-to-ptr)
}

}  // namespace glimmerfade
