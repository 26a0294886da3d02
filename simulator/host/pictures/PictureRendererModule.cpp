// Loads the off-screen renderer module (host/pictures) on first use and keeps
// it for the rest of the process: Mesa runs threads of its own and is not made
// to be unloaded. Built where that module is (Linux builds with OSMesa).
#include <dlfcn.h>

#include "host/pictures/PictureRenderer.h"

namespace sim {

std::unique_ptr<PictureRenderer> LoadPictureRenderer(std::string& error) {
  static void* module = nullptr;
  if (!module) module = dlopen(CORVANE_PICTURE_RENDERER, RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    const char* reason = dlerror();
    error = std::string("cannot load the picture renderer: ") + (reason ? reason : "unknown error");
    return nullptr;
  }
  const auto factory = reinterpret_cast<PictureRendererFactory>(dlsym(module, kPictureRendererFactory));
  if (!factory) {
    error = std::string("the picture renderer ") + CORVANE_PICTURE_RENDERER + " has no " +
            kPictureRendererFactory;
    return nullptr;
  }
  std::unique_ptr<PictureRenderer> renderer(factory());
  if (!renderer) error = "the picture renderer could not be made";
  return renderer;
}

}  // namespace sim
