// The settings window's context, its pages and the frame loop.
#include "host/settings/SettingsWindow.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace sim {
namespace {
const ImVec2 kDisplaySize(800.0f, 1000.0f);  // unless the caller chooses another
constexpr ImGuiWindowFlags kPageFlags = ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize |
                                        ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings;

ImFontAtlas* BuildFontAtlas() {
  auto* atlas = new ImFontAtlas();
  unsigned char* pixels = nullptr;
  int width = 0;
  int height = 0;
  atlas->GetTexDataAsRGBA32(&pixels, &width, &height);
  return atlas;
}

// Built once for the whole process and shared by every client's context; it
// is never freed, since contexts may outlive any other owner.
ImFontAtlas* SharedFontAtlas() {
  static ImFontAtlas* atlas = BuildFontAtlas();
  return atlas;
}

bool SameIdentity(const std::weak_ptr<const void>& a, const std::weak_ptr<const void>& b) {
  return !a.owner_before(b) && !b.owner_before(a);
}

// Dear ImGui's messages about scopes a page left open, on the client's console.
void LogRecovery(void* user, const char* format, ...) {
  char message[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  static_cast<ClientSettings*>(user)->console.Log(std::string("Settings window: ") + message);
}
}  // namespace

SettingsWindow::SettingsWindow(ClientSettings& owner)
    : client(owner), windowSize(kDisplaySize), mouse(kNoMouse) {
  ImGuiContext* previous = ImGui::GetCurrentContext();
  context = ImGui::CreateContext(SharedFontAtlas());
  ImGui::SetCurrentContext(context);
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;
  io.LogFilename = nullptr;
  io.DisplaySize = windowSize;
  io.SetClipboardTextFn = &SettingsWindow::OnClipboardSet;
  io.GetClipboardTextFn = &SettingsWindow::OnClipboardGet;
  io.ClipboardUserData = this;
  ImGui::SetCurrentContext(previous);
}

SettingsWindow::~SettingsWindow() { ImGui::DestroyContext(context); }

std::optional<SettingsWindow::Page> SettingsWindow::MakePage(PluginRecord* owner,
                                                             std::weak_ptr<const void> identity,
                                                             const std::string& name,
                                                             Corvane::Plugin::CorvanePlugin* plugin) {
  auto* panel = dynamic_cast<Corvane::Plugin::PluginSettingsWindow*>(plugin);
  if (!panel) return std::nullopt;
  Page page{owner, std::move(identity), panel, name, name};
  client.plugins.Guarded(owner, "settings window", "GetDisplayName",
                         [&] { page.title = panel->GetDisplayName(); });
  return page;
}

// The plug-ins stay loaded while the scope is open, so the pages' objects
// live at least as long as the caller's own scope.
std::vector<SettingsWindow::Page> SettingsWindow::Pages() {
  Plugins::BusyScope busy(client.plugins);
  struct Listed {
    PluginRecord* record;
    std::weak_ptr<const void> identity;
    Corvane::Plugin::CorvanePlugin* plugin;
  };
  std::vector<Listed> listed;
  {
    HostLock lock(client.world.mutex);
    for (const auto& record : client.plugins.Records())
      listed.push_back({record.get(), record->listed, record->plugin.get()});
  }
  std::vector<Page> pages;
  for (const Listed& each : listed) {
    if (auto page = MakePage(each.record, each.identity, each.record->name, each.plugin))
      pages.push_back(*page);
  }
  for (const ExtraPage& extra : extraPages) {
    if (auto page = MakePage(nullptr, extra.identity, extra.name, extra.plugin.get())) pages.push_back(*page);
  }
  return pages;
}

void SettingsWindow::AddPage(const std::string& name,
                             std::shared_ptr<Corvane::Plugin::CorvanePlugin> plugin) {
  extraPages.push_back(ExtraPage{name, std::move(plugin), std::make_shared<int>(0)});
}

void SettingsWindow::RemovePage(const std::string& name) {
  extraPages.erase(std::remove_if(extraPages.begin(), extraPages.end(),
                                  [&](const ExtraPage& page) { return page.name == name; }),
                   extraPages.end());
}

std::optional<SettingsWindow::Page> SettingsWindow::FindPage(const std::string& pluginName) {
  for (const Page& page : Pages()) {
    if (page.title == pluginName || page.name == pluginName) return page;
  }
  return std::nullopt;
}

// The context is handed to each plug-in object once, before its first draw
// (before every draw while the host is still loading it), unless the client
// withholds it for now.
void SettingsWindow::AttachOnce(const Page& page) {
  for (const auto& known : attached) {
    if (SameIdentity(known, page.identity)) return;
  }
  if (client.ContextWithheld()) return;
  attached.erase(std::remove_if(attached.begin(), attached.end(), [](const auto& w) { return w.expired(); }),
                 attached.end());
  if (!page.identity.expired()) attached.push_back(page.identity);
  const auto handle = reinterpret_cast<uintptr_t>(context);
  client.plugins.Guarded(page.owner, "settings window", "AttachImGuiContext",
                         [&] { page.panel->AttachImGuiContext(handle); });
}

// One frame: the page's window with the page drawn into it. The page is
// looked up anew each frame, since a plug-in may be unloaded between frames.
SettingsWindow::Frame SettingsWindow::RunFrame(const std::string& pluginName, const Input& input) {
  // Unloads asked for during the frame wait until it is over.
  Plugins::BusyScope busy(client.plugins);
  Frame frame;
  const std::optional<Page> page = FindPage(pluginName);
  if (!page) return frame;
  frame.pageFound = true;
  lastPage = pluginName;
  AttachOnce(*page);

  ImGui::SetCurrentContext(context);
  ImGuiIO& io = ImGui::GetIO();
  io.DisplaySize = windowSize;
  io.DisplayFramebufferScale = ImVec2(input.framebufferScale, input.framebufferScale);
  io.DeltaTime = input.deltaTime;
  io.MousePos = input.mouse;
  io.MouseDown[0] = input.mouseDown;
  ImGui::NewFrame();
  ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
  ImGui::SetNextWindowSize(windowSize);
  ImGui::Begin(page->title.c_str(), nullptr, kPageFlags);
  ImGuiWindow* window = ImGui::GetCurrentWindow();
  frame.windowId = window->ID;
  frame.rect = window->Rect();

  if (input.capture) {
    captured.clear();
    capturing = true;
    ImGui::LogToClipboard(0);  // 0: nodes are logged as they are, not opened for the log
  }
  const int firstPageIndex = window->DrawList->IdxBuffer.Size;  // what Begin drew comes before
  frame.drawn = DrawPanel(*page);
  RecoverScopes(window);
  frame.contentMax = window->DC.CursorMaxPos;
  if (input.capture) {
    frame.cutShort = !GImGui->LogEnabled;  // Dear ImGui ends the log at the End() of any other window
    if (!frame.cutShort) ImGui::LogFinish();
    capturing = false;
    frame.text = captured;
    frame.bands = BandsDrawnSince(*window->DrawList, firstPageIndex);
  }
  ImGui::End();
  ImGui::Render();
  frame.hoveredId = GImGui->HoveredId;
  return frame;
}

bool SettingsWindow::DrawPanel(const Page& page) {
  bool returned = false;
  client.plugins.Guarded(page.owner, "settings window", "DrawSettingsPanel", [&] {
    page.panel->DrawSettingsPanel();
    returned = true;
  });
  return returned;
}

// Closes whatever a page left open (windows, tree nodes, ID scopes), so that a
// page that stopped half-way cannot break the next frame.
void SettingsWindow::RecoverScopes(ImGuiWindow* pageWindow) {
  ImGuiContext& g = *GImGui;
  while (g.CurrentWindow != pageWindow && g.CurrentWindowStack.Size > 1) {
    ImGui::ErrorCheckEndWindowRecover(&LogRecovery, &client);
    if (g.CurrentWindow->Flags & ImGuiWindowFlags_ChildWindow)
      ImGui::EndChild();
    else
      ImGui::End();
  }
  ImGui::ErrorCheckEndWindowRecover(&LogRecovery, &client);
}

// The page drawn last, or else the first page there is, as the user left
// the window: a frame with nothing asked of it.
void SettingsWindow::Redraw() {
  std::string page = lastPage;
  if (page.empty()) {
    const std::vector<Page> pages = Pages();
    if (pages.empty()) return;
    page = pages.front().name;
  }
  Input rest;
  rest.mouse = mouse;
  RunFrame(page, rest);
}

}  // namespace sim
