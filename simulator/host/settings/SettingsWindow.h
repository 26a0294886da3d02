#pragma once

// One client's settings window: a Dear ImGui context of the host's own copy of
// Dear ImGui, run headless, in which the page of each loaded plug-in that has a
// settings window is drawn frame by frame with simulated mouse input. Its
// client's ClientSettings makes it; render thread only.

#include <imgui.h>
#include <imgui_internal.h>

#include <cfloat>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/base/SimApi.h"
#include "host/settings/ClientSettings.h"

namespace sim {

class PictureRenderer;
struct Picture;

// Mouse position meaning "no mouse" to Dear ImGui.
inline const ImVec2 kNoMouse(-FLT_MAX, -FLT_MAX);

class SettingsWindow {
 public:
  explicit SettingsWindow(ClientSettings& owner);
  ~SettingsWindow();
  SettingsWindow(const SettingsWindow&) = delete;
  SettingsWindow& operator=(const SettingsWindow&) = delete;

  // Draws the named page once (every page when the name is empty) and
  // returns what it shows, one line per widget.
  std::string Describe(const std::string& pluginName);
  // Moves the mouse to the widget at the label path, then presses and
  // releases the button on two frames. False when the widget is not shown.
  // Labels are what the page shows; "Sam#2" is the second "Sam" at its level
  // when no widget there shows "Sam#2" itself.
  bool Click(const std::string& pluginName, const std::vector<std::string>& labelPath);
  // Whether the tree node at the label path is open; nullopt when no such node is shown.
  std::optional<bool> NodeOpen(const std::string& pluginName, const std::vector<std::string>& labelPath);
  // Draws the page drawn last (else the first page) once more, the mouse
  // resting where it was: a free-running render thread's frame.
  void Redraw();
  // Saves the named page as a PNG picture of the window as it is drawn now,
  // with the mouse where the last click left it; scale 2 makes a picture
  // twice as large; crop keeps only the part that holds something. Returns ""
  // once the file is written, else why it is not.
  std::string SavePicture(const std::string& pluginName, const std::filesystem::path& file, int scale,
                          bool crop);

  // One frame for a front-end that draws the page itself (the browser page):
  // the mouse and the time since the last frame in; Dear ImGui's draw data
  // and where each shown widget is out.
  struct FrameInput {
    ImVec2 mouse = kNoMouse;
    bool mouseDown = false;
    float deltaTime = 1.0f / 60.0f;
  };
  struct ShownWidget {
    std::vector<std::string> labelPath;  // as Click takes it
    std::string text;                    // as shown, with the widget's mark ("[x] ", "> ")
    bool node = false;                   // a tree node
    std::optional<ImVec2> place;         // where a user points at it, when known
  };
  struct FrameOutput {
    bool drawn = false;                // the page is there and its draw returned
    ImDrawData* drawData = nullptr;    // the whole window; valid until its next frame
    std::vector<ShownWidget> widgets;  // empty when a tooltip covered part of the page
    float neededHeight = 0;            // what the page drew and the window's padding below it
  };
  CORVANE_SIM_API FrameOutput DrawFrame(const std::string& pluginName, const FrameInput& input);
  // The window's size in Dear ImGui's units: 800 x 1000 unless the caller
  // chooses another. Pictures are taken at this size.
  CORVANE_SIM_API void SetSize(ImVec2 size);
  ImVec2 Size() const { return windowSize; }
  // The window's Dear ImGui context, which a renderer of its frames attaches to.
  ImGuiContext* Context() const { return context; }

  // Also draws the settings window of a plug-in object that the host did not
  // load itself (one a test made from a module it opened), under the given
  // name; its calls are guarded as the host's own.
  CORVANE_SIM_API void AddPage(const std::string& name,
                               std::shared_ptr<Corvane::Plugin::CorvanePlugin> plugin);
  CORVANE_SIM_API void RemovePage(const std::string& name);

 private:
  // A plug-in object that has a settings window.
  struct Page {
    PluginRecord* owner = nullptr;  // nullptr: not loaded by the host
    // A host-made object that lives exactly as long as the plug-in object is
    // offered here. Neither it nor the plug-in's own shared pointer is held:
    // the host must stay free to unload the module, whose control block that
    // pointer's is.
    std::weak_ptr<const void> identity;
    Corvane::Plugin::PluginSettingsWindow* panel = nullptr;
    std::string name;   // as in "plugin load NAME"
    std::string title;  // the plug-in's display name
  };
  struct Input {
    ImVec2 mouse;
    bool mouseDown = false;
    float deltaTime = 1.0f / 60.0f;
    bool capture = false;           // record the rendered text
    float framebufferScale = 1.0f;  // pixels per unit of the window, for pictures
  };
  // The vertical extent of one row of what the page drew, and where it starts.
  struct Band {
    float top = 0.0f;
    float bottom = 0.0f;
    float left = 0.0f;
  };
  struct Frame {
    bool pageFound = false;
    bool drawn = false;  // the page's draw returned normally
    ImGuiID windowId = 0;
    ImRect rect;        // the page window
    ImVec2 contentMax;  // lower right corner of what the page drew
    ImGuiID hoveredId = 0;
    std::string text;         // rendered text, when captured
    bool cutShort = false;    // another window (a tooltip) ended the capture early
    std::vector<Band> bands;  // rows of what the page drew, top to bottom, when captured
  };
  // One line of what a page shows, as Dear ImGui logs it, and where it is.
  struct ShownLine {
    size_t indent = 0;            // spaces before the text
    size_t depth = 0;             // tree level
    std::string text;             // without the indentation
    std::string label;            // the text without a widget's mark ("[x] ", "> " ...)
    bool node = false;            // a tree node
    std::optional<ImVec2> place;  // where a user points at it, when its row is known
  };
  struct Look {
    bool drawn = false;
    ImGuiID windowId = 0;
    std::vector<ShownLine> lines;
  };

  // Pages (host/settings/SettingsWindow.cpp)
  std::vector<Page> Pages();
  std::optional<Page> MakePage(PluginRecord* owner, std::weak_ptr<const void> identity,
                               const std::string& name, Corvane::Plugin::CorvanePlugin* plugin);
  std::optional<Page> FindPage(const std::string& pluginName);
  void AttachOnce(const Page& page);
  Frame RunFrame(const std::string& pluginName, const Input& input);
  bool DrawPanel(const Page& page);
  void RecoverScopes(ImGuiWindow* pageWindow);

  // Text (host/settings/SettingsWindowText.cpp)
  std::string DescribePage(const std::string& pluginName);
  static std::string TooltipText(const std::string& hovered, const std::string& unhovered);
  std::string Annotate(const std::string& pluginName, const Look& look);
  static void OnClipboardSet(void* user, const char* text);
  static const char* OnClipboardGet(void* user);

  // Where things are (host/settings/SettingsWindowLayout.cpp)
  static std::vector<Band> BandsDrawnSince(const ImDrawList& list, int firstIndex);
  static Look LookOf(const Frame& frame);
  Look LookAt(const std::string& pluginName);
  static std::optional<size_t> FindLine(const std::vector<ShownLine>& lines,
                                        const std::vector<std::string>& labelPath);
  ImGuiID IdentityAt(const std::string& pluginName, const ShownLine& line);
  bool IsOpen(const std::string& pluginName, const Look& look, size_t line);
  static ImGuiID IdOfLabels(ImGuiID windowId, const std::vector<std::string>& labelPath);
  static std::vector<std::string> LabelsTo(const std::vector<ShownLine>& lines, size_t line);
  // Picture (host/settings/SettingsWindowPicture.cpp)
  std::string MissingPageReason(const std::string& pluginName) const;
  std::string DrawPicture(PictureRenderer& renderer, const std::string& pluginName, int scale, bool crop,
                          Picture& picture);
  ImRect UsedArea(const Frame& frame) const;

  // Mouse (host/settings/SettingsWindowClick.cpp)
  std::optional<ImVec2> FindWidget(const std::string& pluginName, ImGuiID target, const ImRect& rect);
  std::optional<ImVec2> PlaceToClick(const std::string& pluginName,
                                     const std::vector<std::string>& labelPath);

  ClientSettings& client;
  ImGuiContext* context = nullptr;
  ImVec2 windowSize;
  ImVec2 mouse;
  std::vector<std::weak_ptr<const void>> attached;  // identities of pages handed the context
  struct ExtraPage {
    std::string name;
    std::shared_ptr<Corvane::Plugin::CorvanePlugin> plugin;
    std::shared_ptr<const void> identity;
  };
  std::vector<ExtraPage> extraPages;
  std::string lastPage;  // the page of the last frame drawn
  bool capturing = false;
  std::string captured;
  std::string clipboard;
};

}  // namespace sim
