// Drawing the match view (host/pictures/MatchView.h). Team 0 defends the left
// goal and team 1 the right one; each team's cars stand in a column in its
// half, in the order the match lists its players.
#include "host/pictures/MatchView.h"

#include <algorithm>
#include <string>

namespace sim {
namespace {
const ImU32 kBackground = IM_COL32(24, 26, 33, 255);
const ImU32 kPitch = IM_COL32(36, 66, 46, 255);
const ImU32 kPitchLines = IM_COL32(255, 255, 255, 70);
const ImU32 kText = IM_COL32(235, 238, 245, 255);
const ImU32 kDimText = IM_COL32(150, 156, 170, 255);
const ImU32 kGlass = IM_COL32(20, 24, 30, 210);
const ImU32 kOwnFrame = IM_COL32(255, 255, 255, 255);
constexpr int kHiddenAlpha = 110;
constexpr float kHeader = 22.0f;
constexpr float kLegend = 24.0f;
constexpr float kMargin = 8.0f;
constexpr float kRounding = 5.0f;

ImU32 TeamColour(int team, int alpha = 255) {
  switch (team) {
    case 0:
      return IM_COL32(74, 144, 226, alpha);
    case 1:
      return IM_COL32(245, 166, 35, alpha);
    default:
      return IM_COL32(170, 170, 170, alpha);
  }
}

// The share of the pitch's width at which a team's column of cars stands.
float ColumnOf(int team) { return team == 0 ? 0.27f : team == 1 ? 0.73f : 0.5f; }

ImRect PitchOf(ImVec2 origin, ImVec2 size) {
  return ImRect(ImVec2(origin.x + kMargin, origin.y + kHeader),
                ImVec2(origin.x + size.x - kMargin, origin.y + size.y - kLegend));
}

ImVec2 TextSize(const ImDrawList& list, const std::string& text) {
  return list._Data->Font->CalcTextSizeA(list._Data->FontSize, FLT_MAX, 0.0f, text.c_str());
}

void CentredText(ImDrawList& list, ImVec2 centre, ImU32 colour, const std::string& text) {
  const ImVec2 size = TextSize(list, text);
  list.AddText(ImVec2(IM_FLOOR(centre.x - size.x * 0.5f), IM_FLOOR(centre.y - size.y * 0.5f)), colour,
               text.c_str());
}

void DrawHeader(ImDrawList& list, const MatchScene& scene, ImVec2 origin, ImVec2 size) {
  const float y = origin.y + 4.0f;
  list.AddText(ImVec2(origin.x + kMargin, y), kText, scene.client.c_str());
  const float after = origin.x + kMargin + TextSize(list, scene.client).x;
  const std::string where = scene.match.empty() ? " in no match"
                            : scene.online      ? " joined " + scene.match + " online"
                                                : " runs " + scene.match;
  list.AddText(ImVec2(after, y), kDimText, where.c_str());
  if (scene.match.empty()) return;
  const std::string viewer =
      scene.viewerTeam == 255 ? "no team" : "viewer team " + std::to_string(scene.viewerTeam);
  list.AddText(ImVec2(origin.x + size.x - kMargin - TextSize(list, viewer).x, y), kDimText, viewer.c_str());
}

void DrawPitch(ImDrawList& list, const ImRect& pitch) {
  constexpr float kCorner = 14.0f;
  list.AddRectFilled(pitch.Min, pitch.Max, kPitch, kCorner);
  list.AddRect(pitch.Min, pitch.Max, kPitchLines, kCorner, 0, 1.5f);
  const ImVec2 centre = pitch.GetCenter();
  list.AddLine(ImVec2(centre.x, pitch.Min.y), ImVec2(centre.x, pitch.Max.y), kPitchLines, 1.5f);
  list.AddCircle(centre, pitch.GetHeight() * 0.16f, kPitchLines, 32, 1.5f);
  const float goal = pitch.GetHeight() * 0.14f;
  list.AddRectFilled(ImVec2(pitch.Min.x, centre.y - goal), ImVec2(pitch.Min.x + 5.0f, centre.y + goal),
                     TeamColour(0, 170));
  list.AddRectFilled(ImVec2(pitch.Max.x - 5.0f, centre.y - goal), ImVec2(pitch.Max.x, centre.y + goal),
                     TeamColour(1, 170));
}

// A car seen from above, facing the other team's goal: body, windscreen, wheels.
void DrawCarBody(ImDrawList& list, const ImRect& body, int team) {
  const float w = body.GetWidth(), h = body.GetHeight();
  const float wheel = h * 0.28f;
  for (const float x : {body.Min.x + w * 0.14f, body.Max.x - w * 0.14f - wheel * 1.6f}) {
    list.AddRectFilled(ImVec2(x, body.Min.y - wheel * 0.35f),
                       ImVec2(x + wheel * 1.6f, body.Max.y + wheel * 0.35f), kGlass, 2.0f);
  }
  list.AddRectFilled(body.Min, body.Max, TeamColour(team), kRounding);
  const bool facesRight = team != 1;
  const float front = facesRight ? body.Max.x - w * 0.42f : body.Min.x + w * 0.18f;
  list.AddRectFilled(ImVec2(front, body.Min.y + h * 0.18f), ImVec2(front + w * 0.24f, body.Max.y - h * 0.18f),
                     kGlass, 3.0f);
}

void DrawCar(ImDrawList& list, const ViewedCar& car, const ImRect& body) {
  if (car.hidden) {
    list.AddRect(body.Min, body.Max, TeamColour(car.team, kHiddenAlpha), kRounding, 0, 1.5f);
    CentredText(list, body.GetCenter(), IM_COL32(235, 238, 245, kHiddenAlpha), "hidden");
  } else {
    DrawCarBody(list, body, car.team);
  }
  const float lineHeight = list._Data->FontSize;
  CentredText(list, ImVec2(body.GetCenter().x, body.Max.y + 3.0f + lineHeight * 0.5f),
              car.hidden ? kDimText : kText, car.name);
  if (!car.own) return;
  constexpr float kPad = 4.0f;
  list.AddRect(ImVec2(body.Min.x - kPad, body.Min.y - kPad), ImVec2(body.Max.x + kPad, body.Max.y + kPad),
               kOwnFrame, kRounding + 2.0f, 0, 2.0f);
  CentredText(list, ImVec2(body.GetCenter().x, body.Min.y - kPad - 2.0f - lineHeight * 0.5f), kOwnFrame,
              "you");
}

// One entry of the legend: its swatch, then its text; returns where the next starts.
float LegendEntry(ImDrawList& list, float x, float y, const char* text, int kind) {
  const ImRect swatch(ImVec2(x, y + 2.0f), ImVec2(x + 20.0f, y + 11.0f));
  if (kind < 2) list.AddRectFilled(swatch.Min, swatch.Max, TeamColour(kind), 3.0f);
  if (kind == 2) list.AddRect(swatch.Min, swatch.Max, TeamColour(1, kHiddenAlpha), 3.0f, 0, 1.5f);
  if (kind == 3) list.AddRect(swatch.Min, swatch.Max, kOwnFrame, 3.0f, 0, 2.0f);
  list.AddText(ImVec2(swatch.Max.x + 5.0f, y), kDimText, text);
  return swatch.Max.x + 5.0f + TextSize(list, text).x + 14.0f;
}

void DrawLegend(ImDrawList& list, ImVec2 origin, ImVec2 size) {
  const float y = origin.y + size.y - kLegend + 6.0f;
  float x = origin.x + kMargin;
  x = LegendEntry(list, x, y, "team 0", 0);
  x = LegendEntry(list, x, y, "team 1", 1);
  x = LegendEntry(list, x, y, "hidden here", 2);
  LegendEntry(list, x, y, "you", 3);
}
}  // namespace

std::vector<ImRect> CarPlaces(const MatchScene& scene, ImVec2 origin, ImVec2 size) {
  const ImRect pitch = PitchOf(origin, size);
  std::vector<ImRect> places(scene.cars.size());
  for (const float column : {ColumnOf(0), ColumnOf(1), ColumnOf(2)}) {
    std::vector<size_t> members;
    for (size_t i = 0; i < scene.cars.size(); ++i) {
      if (ColumnOf(scene.cars[i].team) == column) members.push_back(i);
    }
    const float spacing = pitch.GetHeight() / static_cast<float>(members.size() + 1);
    const float h = std::clamp(spacing * 0.42f, 6.0f, 22.0f);
    const float w = h * 2.3f;
    const float x = pitch.Min.x + pitch.GetWidth() * column;
    for (size_t n = 0; n < members.size(); ++n) {
      const float y = pitch.Min.y + spacing * static_cast<float>(n + 1) - h * 0.3f;
      places[members[n]] = ImRect(ImVec2(x - w * 0.5f, y - h * 0.5f), ImVec2(x + w * 0.5f, y + h * 0.5f));
    }
  }
  return places;
}

void DrawMatchView(ImDrawList& list, const MatchScene& scene, ImVec2 origin, ImVec2 size) {
  const ImVec2 end(origin.x + size.x, origin.y + size.y);
  list.PushClipRect(origin, end, true);
  list.AddRectFilled(origin, end, kBackground);
  DrawHeader(list, scene, origin, size);
  const ImRect pitch = PitchOf(origin, size);
  DrawPitch(list, pitch);
  if (scene.match.empty()) {
    CentredText(list, pitch.GetCenter(), kDimText, "not in a match");
  } else {
    const std::vector<ImRect> places = CarPlaces(scene, origin, size);
    for (size_t i = 0; i < scene.cars.size(); ++i) DrawCar(list, scene.cars[i], places[i]);
  }
  DrawLegend(list, origin, size);
  list.PopClipRect();
}

}  // namespace sim
