/* Loads a plug-in module the way a host written in any language may: with
   dlopen, in a program that did not link the host library. The module pulls the
   host library in; neither may need the static TLS block, which a library
   loaded this way cannot get. Then the plug-in object is made and let go.
   Usage: dlopen_module MODULE_FILE */
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: dlopen_module MODULE_FILE\n");
    return 2;
  }
  void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    fprintf(stderr, "dlopen failed: %s\n", dlerror());
    return 1;
  }
  void* record = dlsym(module, "exports");
  uintptr_t (*getPlugin)(void) = (uintptr_t(*)(void))dlsym(module, "getPlugin");
  void (*deleteMe)(void) = (void (*)(void))dlsym(module, "deleteMe");
  if (!record || !getPlugin || !deleteMe) {
    fprintf(stderr, "the module lacks exports, getPlugin or deleteMe\n");
    return 1;
  }
  if (getPlugin() == 0) {
    fprintf(stderr, "getPlugin returned nothing\n");
    return 1;
  }
  deleteMe();
  if (dlclose(module) != 0) {
    fprintf(stderr, "dlclose failed: %s\n", dlerror());
    return 1;
  }
  printf("loaded, made and let go the plug-in object of %s\n", argv[1]);
  return 0;
}
