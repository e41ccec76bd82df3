#include "platform/DynLib.h"

#include <dlfcn.h>

#include <QFile>

bool DynLib::Load(const QString& fileName) {
  Release();
  if (fileName.isEmpty()) return false;
  // Bound now, so a library missing a symbol it needs fails here, not mid-call.
  handle_ = dlopen(QFile::encodeName(fileName).constData(), RTLD_NOW | RTLD_LOCAL);
  return handle_ != nullptr;
}

void* DynLib::Resolve(const char* name) const {
  if (!handle_ || !name) return nullptr;
  return dlsym(handle_, name);
}

void DynLib::Release() {
  if (!handle_) return;
  dlclose(handle_);
  handle_ = nullptr;
}
