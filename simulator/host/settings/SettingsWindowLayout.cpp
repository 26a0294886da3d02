// Where a page's widgets are, found as a user finds them: by what is shown.
//
// Dear ImGui's log of a frame gives the lines a page shows, in order, with each
// widget's mark ("[x] " for a box, "> " for a tree node) and four spaces per
// tree level, but not where they are. The frame's draw list tells where the
// page drew: its triangles, grouped into rows that do not overlap vertically.
// When there are as many rows as lines, the n-th line was drawn in the n-th
// row, and a user points at a line's widget at the row's left edge, half-way
// down. Hovering there gives the widget's identity (Dear ImGui's hovered id)
// whatever the page made it from: its label, a pushed number or a pointer.
//
// Where rows and lines differ in number (a picture without text, two lines
// drawn in one row), a line has no place, and the host falls back to the
// identity Dear ImGui gives a widget by default: its labels hashed onto the
// window's identity, one label per tree level.
#include <algorithm>
#include <sstream>

#include "host/settings/PageText.h"
#include "host/settings/SettingsWindow.h"

namespace sim {
namespace {
constexpr size_t kLogIndent = 4;  // spaces per tree level in Dear ImGui's log
// Rows of a default-styled page are 4 pixels apart (item spacing); anti-aliased
// edges reach about a pixel further.
constexpr float kRowGap = 1.0f;
// How far right of a row's left edge the mouse goes: inside the widget drawn
// there, past the anti-aliased fringe.
constexpr float kPointInset = 1.5f;

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// Splits off a widget's mark, as Dear ImGui logs it: boxes "[x] ", radio buttons
// "(x) ", tree nodes "> ", framed nodes "##label##", buttons "[label]".
void ReadMark(const std::string& text, std::string& label, bool& node) {
  node = false;
  label = text;
  for (const char* mark : {"[x] ", "[ ] ", "[~] ", "(x) ", "( ) "}) {
    if (StartsWith(text, mark)) {
      label = text.substr(4);
      return;
    }
  }
  if (text == ">" || StartsWith(text, "> ")) {
    node = true;
    label = text.size() > 2 ? text.substr(2) : "";
  } else if (text.size() >= 4 && StartsWith(text, "##") && text.compare(text.size() - 2, 2, "##") == 0) {
    node = true;
    label = text.substr(2, text.size() - 4);
  } else if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
    label = text.substr(1, text.size() - 2);
  }
}

// "Sam#2" -> {"Sam", 2}; nullopt when the label does not end in "#" and a number.
std::optional<std::pair<std::string, size_t>> NumberedLabel(const std::string& label) {
  const size_t hash = label.rfind('#');
  if (hash == std::string::npos || hash + 1 == label.size() || label.size() - hash > 6) return std::nullopt;
  for (size_t i = hash + 1; i < label.size(); ++i) {
    if (label[i] < '0' || label[i] > '9') return std::nullopt;
  }
  const size_t number = std::stoul(label.substr(hash + 1));
  if (number == 0) return std::nullopt;
  return std::make_pair(label.substr(0, hash), number);
}
}  // namespace

std::vector<SettingsWindow::Band> SettingsWindow::BandsDrawnSince(const ImDrawList& list, int firstIndex) {
  const ImVector<ImDrawIdx>& indices = list.IdxBuffer;
  const ImVector<ImDrawVert>& vertices = list.VtxBuffer;
  if (firstIndex < 0 || firstIndex > indices.Size) return {};
  std::vector<Band> triangles;
  for (int i = firstIndex; i + 2 < indices.Size; i += 3) {
    Band triangle{FLT_MAX, -FLT_MAX, FLT_MAX};
    for (int corner = 0; corner < 3; ++corner) {
      const int index = indices[i + corner];
      if (index >= vertices.Size) return {};  // not a list this reading understands
      const ImVec2 pos = vertices[index].pos;
      triangle.top = std::min(triangle.top, pos.y);
      triangle.bottom = std::max(triangle.bottom, pos.y);
      triangle.left = std::min(triangle.left, pos.x);
    }
    triangles.push_back(triangle);
  }
  std::sort(triangles.begin(), triangles.end(), [](const Band& a, const Band& b) { return a.top < b.top; });
  std::vector<Band> rows;
  for (const Band& triangle : triangles) {
    if (!rows.empty() && triangle.top < rows.back().bottom + kRowGap) {
      Band& row = rows.back();
      row.bottom = std::max(row.bottom, triangle.bottom);
      row.left = std::min(row.left, triangle.left);
    } else {
      rows.push_back(triangle);
    }
  }
  return rows;
}

SettingsWindow::Look SettingsWindow::LookOf(const Frame& frame) {
  Look look;
  look.drawn = frame.drawn;
  look.windowId = frame.windowId;
  std::istringstream text(frame.text);
  for (std::string raw; std::getline(text, raw);) {
    raw = TrimRight(raw);
    if (raw.empty()) continue;
    ShownLine line;
    const size_t indent = raw.find_first_not_of(' ');
    line.indent = indent;
    line.depth = indent / kLogIndent;
    line.text = raw.substr(indent);
    ReadMark(line.text, line.label, line.node);
    look.lines.push_back(std::move(line));
  }
  if (frame.bands.size() == look.lines.size()) {
    for (size_t i = 0; i < look.lines.size(); ++i) {
      const Band& row = frame.bands[i];
      look.lines[i].place = ImVec2(row.left + kPointInset, (row.top + row.bottom) * 0.5f);
    }
  }
  return look;
}

// One frame with the mouse away, so that no tooltip cuts the log short.
SettingsWindow::Look SettingsWindow::LookAt(const std::string& pluginName) {
  Input away;
  away.mouse = kNoMouse;
  away.capture = true;
  return LookOf(RunFrame(pluginName, away));
}

// A label at each level, looked for among the lines of that level under the
// previous one: the first line that shows it, or for "NAME#N" (when no line
// shows that), the N-th line that shows NAME.
std::optional<size_t> SettingsWindow::FindLine(const std::vector<ShownLine>& lines,
                                               const std::vector<std::string>& labelPath) {
  size_t begin = 0, end = lines.size(), depth = 0;
  std::optional<size_t> found;
  for (const std::string& label : labelPath) {
    if (found) {
      if (!lines[*found].node) return std::nullopt;
      depth = lines[*found].depth + 1;
      begin = *found + 1;
      end = begin;
      while (end < lines.size() && lines[end].depth >= depth) ++end;
    }
    found.reset();
    const auto numbered = NumberedLabel(label);
    size_t seen = 0;
    for (size_t i = begin; i < end && !found; ++i) {
      if (lines[i].depth == depth && lines[i].label == label) found = i;
    }
    for (size_t i = begin; i < end && !found && numbered; ++i) {
      if (lines[i].depth == depth && lines[i].label == numbered->first && ++seen == numbered->second)
        found = i;
    }
    if (!found) return std::nullopt;
  }
  return found;
}

// The identity of the widget under the mouse at the line's place; 0 when the
// line has no place, nothing there reacts to the mouse, or the page failed.
ImGuiID SettingsWindow::IdentityAt(const std::string& pluginName, const ShownLine& line) {
  if (!line.place) return 0;
  Input hover;
  hover.mouse = *line.place;
  const Frame frame = RunFrame(pluginName, hover);
  return frame.drawn ? frame.hoveredId : 0;
}

// A node is open when lines of the next level follow it, or when Dear ImGui
// keeps it open under its identity (an open node may show nothing inside).
bool SettingsWindow::IsOpen(const std::string& pluginName, const Look& look, size_t line) {
  const std::vector<ShownLine>& lines = look.lines;
  if (line + 1 < lines.size() && lines[line + 1].depth > lines[line].depth) return true;
  ImGuiID id = look.drawn ? IdentityAt(pluginName, lines[line]) : 0;
  if (id == 0) id = IdOfLabels(look.windowId, LabelsTo(lines, line));
  ImGui::SetCurrentContext(context);
  ImGuiWindow* window = ImGui::FindWindowByID(look.windowId);
  return window && window->StateStorage.GetInt(id, 0) != 0;
}

ImGuiID SettingsWindow::IdOfLabels(ImGuiID windowId, const std::vector<std::string>& labelPath) {
  ImGuiID id = windowId;
  for (const std::string& label : labelPath) id = ImHashStr(label.c_str(), 0, id);
  return id;
}

// The labels of the nodes that enclose a line, outermost first, then its own.
std::vector<std::string> SettingsWindow::LabelsTo(const std::vector<ShownLine>& lines, size_t line) {
  std::vector<std::string> labels{lines[line].label};
  size_t depth = lines[line].depth;
  for (size_t i = line; i-- > 0 && depth > 0;) {
    if (lines[i].depth < depth && lines[i].node) {
      labels.insert(labels.begin(), lines[i].label);
      depth = lines[i].depth;
    }
  }
  return labels;
}

std::optional<bool> SettingsWindow::NodeOpen(const std::string& pluginName,
                                             const std::vector<std::string>& labelPath) {
  const Look look = LookAt(pluginName);
  const std::optional<size_t> line = FindLine(look.lines, labelPath);
  if (!line || !look.lines[*line].node) return std::nullopt;
  return IsOpen(pluginName, look, *line);
}

}  // namespace sim
