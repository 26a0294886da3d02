// The page's program: the functions page.js calls. A frame runs alice's
// settings page with the visitor's mouse and draws it and the three match
// views on their canvases; the clock, typed lines and the state the page
// shows go through the other functions. Nothing thrown escapes into
// JavaScript: a failure is written to the browser's console and the page goes on.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "CanvasRenderer.h"
#include "PageMatch.h"
#include "host/pictures/MatchView.h"
#include "host/pictures/MatchViewFrame.h"
#include "host/settings/SettingsWindow.h"

namespace {
const char* const kModules = "/modules";
const char* const kPage = "Glimmerfade";
const char* const kSettingsCanvas = "#settings";
const char* const kViewCanvases[] = {"#view-0", "#view-1", "#view-2"};
const char* const kEnabledCvar = "shroudweave_enabled";

struct View {
  sim::MatchViewFrame frame;
  std::unique_ptr<CanvasRenderer> renderer;
  sim::MatchScene scene;
};

struct Page {
  std::unique_ptr<PageMatch> match;
  std::unique_ptr<CanvasRenderer> settings;
  int settingsHeight = 0;    // as the page made the settings canvas
  float settingsNeeded = 0;  // the height alice's page needs, as its last frame drew it
  std::vector<std::unique_ptr<View>> views;
  std::vector<sim::SettingsWindow::ShownWidget> widgets;  // of the last frame that told them
  std::string text;                                       // the last text handed to JavaScript
};

Page& ThePage() {
  static Page page;
  return page;
}

// The match, once set up: a call before, or after a failed restart, fails as a whole.
PageMatch& Match() {
  if (!ThePage().match) throw std::logic_error("the match is not set up");
  return *ThePage().match;
}

template <class Call>
bool Guarded(const char* what, Call&& call) {
  try {
    call();
    return true;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s failed: %s\n", what, error.what());
  } catch (...) {
    std::fprintf(stderr, "%s failed\n", what);
  }
  return false;
}

const char* Hand(std::string text) {
  Page& page = ThePage();
  page.text = std::move(text);
  return page.text.c_str();
}

sim::Client* Host() {
  const std::vector<sim::Client*> clients = Match().ShownClients();
  return clients.empty() ? nullptr : clients.front();
}

void MakeRenderers(Page& page) {
  sim::Client* host = Host();
  if (!host) throw std::runtime_error("the match has no client");
  ImGuiContext* settingsContext = host->SettingsWindowOnRenderThread().Context();
  page.settings = std::make_unique<CanvasRenderer>(kSettingsCanvas, *settingsContext->IO.Fonts);
  if (!page.settings->Ready()) throw std::runtime_error("no WebGL2 on the settings canvas");
  page.settingsHeight = static_cast<int>(page.settings->Size().y);
  for (const char* canvas : kViewCanvases) {
    auto view = std::make_unique<View>();
    view->renderer = std::make_unique<CanvasRenderer>(canvas, *view->frame.Context()->IO.Fonts);
    if (!view->renderer->Ready()) throw std::runtime_error(std::string("no WebGL2 on ") + canvas);
    page.views.push_back(std::move(view));
  }
}

void DrawSettings(Page& page, const sim::SettingsWindow::FrameInput& input) {
  sim::Client* host = Host();
  if (!host) return page.settings->Render(nullptr);
  sim::SettingsWindow& window = host->SettingsWindowOnRenderThread();
  window.SetSize(page.settings->Size());
  sim::SettingsWindow::FrameOutput frame = window.DrawFrame(kPage, input);
  if (!frame.widgets.empty() || !frame.drawData) page.widgets = std::move(frame.widgets);
  page.settings->Render(frame.drawData);
  // The canvas grows with the page (a node a player), so that nothing is
  // clipped, and shrinks back to the page's first height.
  if (frame.drawn) page.settingsNeeded = frame.neededHeight;
  const int height = std::max(page.settingsHeight, static_cast<int>(std::ceil(frame.neededHeight)));
  if (frame.drawn && height != static_cast<int>(page.settings->Size().y)) page.settings->SetHeight(height);
}

void DrawViews(Page& page) {
  const std::vector<sim::Client*> clients = Match().ShownClients();
  for (size_t i = 0; i < page.views.size(); ++i) {
    View& view = *page.views[i];
    view.scene = i < clients.size() ? clients[i]->Scene() : sim::MatchScene{};
    view.renderer->Render(view.frame.Draw({view.scene}, view.renderer->Size()));
  }
}

nlohmann::json CarsOf(const View& view) {
  nlohmann::json cars = nlohmann::json::array();
  const std::vector<ImRect> places = sim::CarPlaces(view.scene, ImVec2(0, 0), view.renderer->Size());
  for (size_t i = 0; i < view.scene.cars.size(); ++i) {
    const sim::ViewedCar& car = view.scene.cars[i];
    const ImRect& place = places[i];
    cars.push_back({{"name", car.name},
                    {"team", car.team},
                    {"hidden", car.hidden},
                    {"own", car.own},
                    {"x", place.Min.x},
                    {"y", place.Min.y},
                    {"w", place.GetWidth()},
                    {"h", place.GetHeight()}});
  }
  return cars;
}

nlohmann::json ClientsOf(Page& page) {
  nlohmann::json clients = nlohmann::json::array();
  const std::vector<sim::Client*> shown = Match().ShownClients();
  for (size_t i = 0; i < shown.size() && i < page.views.size(); ++i) {
    const std::optional<std::string> enabled = shown[i]->CvarValue(kEnabledCvar);
    clients.push_back({{"name", shown[i]->Name()},
                       {"enabled", enabled ? nlohmann::json(*enabled == "1") : nlohmann::json()},
                       {"consoleLines", shown[i]->ConsoleSize()},
                       {"cars", CarsOf(*page.views[i])}});
  }
  return clients;
}

nlohmann::json WidgetsOf(const Page& page) {
  nlohmann::json widgets = nlohmann::json::array();
  for (const auto& widget : page.widgets) {
    nlohmann::json entry = {{"path", widget.labelPath}, {"text", widget.text}, {"node", widget.node}};
    if (widget.place) entry.update({{"x", widget.place->x}, {"y", widget.place->y}});
    widgets.push_back(entry);
  }
  return widgets;
}
}  // namespace

extern "C" {

// Sets up the match and the canvases' renderers; 1 when the page can run.
EMSCRIPTEN_KEEPALIVE int page_start() {
  return Guarded("page_start", [] {
    Page& page = ThePage();
    page.match = std::make_unique<PageMatch>(kModules);
    MakeRenderers(page);
  });
}

// The match set up afresh, as at the start.
EMSCRIPTEN_KEEPALIVE int page_restart() {
  return Guarded("page_restart", [] {
    Page& page = ThePage();
    page.widgets.clear();
    page.match.reset();
    page.match = std::make_unique<PageMatch>(kModules);
  });
}

EMSCRIPTEN_KEEPALIVE void page_tick(int ticks) {
  Guarded("page_tick", [&] { Match().Tick(ticks); });
}

EMSCRIPTEN_KEEPALIVE double page_now() { return ThePage().match ? ThePage().match->Now() : 0.0; }

// One frame: the mouse in the settings canvas's pixels, the seconds since the last frame.
EMSCRIPTEN_KEEPALIVE void page_frame(float mouseX, float mouseY, int mouseDown, float seconds) {
  Guarded("page_frame", [&] {
    Page& page = ThePage();
    sim::SettingsWindow::FrameInput input;
    if (mouseX >= 0.0f && mouseY >= 0.0f) input.mouse = ImVec2(mouseX, mouseY);
    input.mouseDown = mouseDown != 0;
    input.deltaTime = seconds > 0.0f ? seconds : 1.0f / 60.0f;
    DrawSettings(page, input);
    DrawViews(page);
  });
}

EMSCRIPTEN_KEEPALIVE const char* page_run_line(const char* line) {
  std::string output;
  Guarded("page_run_line", [&] { output = Match().RunLine(line); });
  return Hand(output);
}

EMSCRIPTEN_KEEPALIVE const char* page_prompt() {
  std::string prompt = ">";
  Guarded("page_prompt", [&] { prompt = Match().Current() + ">"; });
  return Hand(prompt);
}

// The last `count` console lines of a shown client, one per line.
EMSCRIPTEN_KEEPALIVE const char* page_console(int client, int count) {
  std::string text;
  Guarded("page_console", [&] {
    const std::vector<sim::Client*> clients = Match().ShownClients();
    if (client < 0 || static_cast<size_t>(client) >= clients.size()) return;
    const std::vector<std::string>& lines = clients[client]->Console();
    const size_t first = lines.size() > static_cast<size_t>(count) ? lines.size() - count : 0;
    for (size_t i = first; i < lines.size(); ++i) text += lines[i] + "\n";
  });
  return Hand(text);
}

// Switches a shown client's "shroudweave_enabled" as its console would.
EMSCRIPTEN_KEEPALIVE void page_set_enabled(int client, int on) {
  Guarded("page_set_enabled", [&] {
    const std::vector<sim::Client*> clients = Match().ShownClients();
    if (client >= 0 && static_cast<size_t>(client) < clients.size())
      clients[client]->RunCommand(std::string(kEnabledCvar) + (on ? " 1" : " 0"));
  });
}

// What the page shows, as JSON: the clock, the current client, each shown
// client's switch, console length and cars (where each is drawn in its view),
// and the widgets of alice's settings page with where they are.
EMSCRIPTEN_KEEPALIVE const char* page_state() {
  std::string text = "{}";
  Guarded("page_state", [&] {
    Page& page = ThePage();
    const nlohmann::json state = {{"now", Match().Now()},
                                  {"current", Match().Current()},
                                  {"clients", ClientsOf(page)},
                                  {"widgets", WidgetsOf(page)},
                                  {"settingsNeededHeight", page.settingsNeeded}};
    text = state.dump();
  });
  return Hand(text);
}

}  // extern "C"
