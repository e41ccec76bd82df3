#include "LoadedLibrary.h"

#include <dlfcn.h>

namespace fixtures {

bool isLoaded(const char* file) {
  void* h = dlopen(file, RTLD_NOW | RTLD_NOLOAD);
  if (h) dlclose(h);
  return h != nullptr;
}

void* loadedExport(const char* file, const char* name) {
  void* h = dlopen(file, RTLD_NOW | RTLD_NOLOAD);
  if (!h) return nullptr;
  void* found = dlsym(h, name);
  // The library stays loaded by whoever loaded it before.
  dlclose(h);
  return found;
}

}  // namespace fixtures
