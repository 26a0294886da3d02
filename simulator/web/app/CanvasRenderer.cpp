#include "CanvasRenderer.h"

#include <cstddef>
#include <cstdint>

namespace {
const char* const kVertexShader = R"(#version 300 es
uniform vec4 place;
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 uv;
layout(location = 2) in vec4 colour;
out vec2 fragmentUv;
out vec4 fragmentColour;
void main() {
  fragmentUv = uv;
  fragmentColour = colour;
  gl_Position = vec4(position * place.xy + place.zw, 0.0, 1.0);
}
)";

const char* const kFragmentShader = R"(#version 300 es
precision mediump float;
uniform sampler2D font;
in vec2 fragmentUv;
in vec4 fragmentColour;
out vec4 colour;
void main() { colour = fragmentColour * texture(font, fragmentUv); }
)";

GLuint CompiledShader(GLenum kind, const char* source) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint compiled = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
  if (compiled) return shader;
  glDeleteShader(shader);
  return 0;
}
}  // namespace

CanvasRenderer::CanvasRenderer(std::string canvas, ImFontAtlas& atlas) : selector(std::move(canvas)) {
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.majorVersion = 2;
  attributes.minorVersion = 0;
  attributes.alpha = false;
  attributes.depth = false;
  attributes.antialias = false;
  // The tests read the pixels back after the frame is shown.
  attributes.preserveDrawingBuffer = true;
  gl = emscripten_webgl_create_context(selector.c_str(), &attributes);
  if (gl <= 0) return;
  emscripten_webgl_make_context_current(gl);
  if (!MakeProgram()) return;
  MakeBuffers();
  UploadFont(atlas);
  ready = true;
}

CanvasRenderer::~CanvasRenderer() {
  if (gl > 0) emscripten_webgl_destroy_context(gl);  // and every object made in it
}

bool CanvasRenderer::MakeProgram() {
  const GLuint vertex = CompiledShader(GL_VERTEX_SHADER, kVertexShader);
  const GLuint fragment = CompiledShader(GL_FRAGMENT_SHADER, kFragmentShader);
  if (!vertex || !fragment) return false;
  program = glCreateProgram();
  glAttachShader(program, vertex);
  glAttachShader(program, fragment);
  glLinkProgram(program);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint linked = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  placeUniform = glGetUniformLocation(program, "place");
  return linked == GL_TRUE;
}

// Dear ImGui's vertices: position and uv as floats, colour as 4 bytes.
void CanvasRenderer::MakeBuffers() {
  glGenVertexArrays(1, &vertexArray);
  glGenBuffers(1, &vertices);
  glGenBuffers(1, &indices);
  glBindVertexArray(vertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, vertices);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices);
  const GLsizei stride = sizeof(ImDrawVert);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(ImDrawVert, pos)));
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(ImDrawVert, uv)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                        reinterpret_cast<void*>(offsetof(ImDrawVert, col)));
}

void CanvasRenderer::UploadFont(ImFontAtlas& atlas) {
  unsigned char* pixels = nullptr;
  int width = 0, height = 0;
  atlas.GetTexDataAsRGBA32(&pixels, &width, &height);
  glGenTextures(1, &font);
  glBindTexture(GL_TEXTURE_2D, font);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  atlas.SetTexID(reinterpret_cast<ImTextureID>(static_cast<intptr_t>(font)));
}

ImVec2 CanvasRenderer::Size() const {
  int width = 0, height = 0;
  emscripten_get_canvas_element_size(selector.c_str(), &width, &height);
  return ImVec2(static_cast<float>(width), static_cast<float>(height));
}

void CanvasRenderer::SetHeight(int height) {
  emscripten_set_canvas_element_size(selector.c_str(), static_cast<int>(Size().x), height);
}

void CanvasRenderer::Render(const ImDrawData* frame) {
  if (!ready) return;
  emscripten_webgl_make_context_current(gl);
  const ImVec2 pixels = Size();
  glViewport(0, 0, static_cast<GLsizei>(pixels.x), static_cast<GLsizei>(pixels.y));
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0.09f, 0.1f, 0.13f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  if (!frame || frame->DisplaySize.x <= 0.0f || frame->DisplaySize.y <= 0.0f) return;
  glEnable(GL_BLEND);
  glBlendEquation(GL_FUNC_ADD);
  glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_SCISSOR_TEST);
  glUseProgram(program);
  // Display units to clip space, the display's top left corner at (-1, 1).
  const float scaleX = 2.0f / frame->DisplaySize.x, scaleY = -2.0f / frame->DisplaySize.y;
  glUniform4f(placeUniform, scaleX, scaleY, -1.0f - frame->DisplayPos.x * scaleX,
              1.0f - frame->DisplayPos.y * scaleY);
  glBindVertexArray(vertexArray);
  glActiveTexture(GL_TEXTURE0);
  for (int i = 0; i < frame->CmdListsCount; ++i) DrawList(*frame->CmdLists[i], *frame, pixels);
}

// Each command draws its triangles with its texture, clipped to its
// rectangle, which is in display units from the display's top left corner.
void CanvasRenderer::DrawList(const ImDrawList& list, const ImDrawData& frame, ImVec2 pixels) {
  glBufferData(GL_ARRAY_BUFFER, list.VtxBuffer.Size * static_cast<GLsizeiptr>(sizeof(ImDrawVert)),
               list.VtxBuffer.Data, GL_STREAM_DRAW);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, list.IdxBuffer.Size * static_cast<GLsizeiptr>(sizeof(ImDrawIdx)),
               list.IdxBuffer.Data, GL_STREAM_DRAW);
  const float toPixelsX = pixels.x / frame.DisplaySize.x, toPixelsY = pixels.y / frame.DisplaySize.y;
  const GLenum indexType = sizeof(ImDrawIdx) == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT;
  for (const ImDrawCmd& command : list.CmdBuffer) {
    if (command.UserCallback || command.ElemCount == 0) continue;
    const float left = (command.ClipRect.x - frame.DisplayPos.x) * toPixelsX;
    const float top = (command.ClipRect.y - frame.DisplayPos.y) * toPixelsY;
    const float right = (command.ClipRect.z - frame.DisplayPos.x) * toPixelsX;
    const float bottom = (command.ClipRect.w - frame.DisplayPos.y) * toPixelsY;
    if (right <= left || bottom <= top) continue;
    glScissor(static_cast<GLint>(left), static_cast<GLint>(pixels.y - bottom),
              static_cast<GLsizei>(right - left), static_cast<GLsizei>(bottom - top));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(reinterpret_cast<intptr_t>(command.GetTexID())));
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(command.ElemCount), indexType,
                   reinterpret_cast<void*>(command.IdxOffset * sizeof(ImDrawIdx)));
  }
}
