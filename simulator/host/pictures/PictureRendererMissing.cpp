// Builds without the off-screen renderer (Windows and WebAssembly builds:
// Mesa's off-screen OpenGL is not available there) refuse pictures, of
// settings pages and match views alike, and say why.
#include "host/pictures/PictureRenderer.h"

namespace sim {

std::unique_ptr<PictureRenderer> LoadPictureRenderer(std::string& error) {
  error =
      "pictures (of settings pages and match views) are not available in this build "
      "(it has no off-screen OpenGL renderer)";
  return nullptr;
}

}  // namespace sim
