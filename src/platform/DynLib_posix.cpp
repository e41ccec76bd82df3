#include "platform/DynLib.h"

#include <QFile>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

DynLib& DynLib::operator=(DynLib&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

bool DynLib::Load(const QString& fileName) {
  Release();
  if (fileName.isEmpty()) return false;
#ifdef _WIN32
  handle_ = reinterpret_cast<void*>(LoadLibraryW(reinterpret_cast<LPCWSTR>(fileName.utf16())));
#else
  // Bound now, so a library missing a symbol it needs fails here, not mid-call.
  handle_ = dlopen(QFile::encodeName(fileName).constData(), RTLD_NOW | RTLD_LOCAL);
#endif
  return handle_ != nullptr;
}

void* DynLib::Resolve(const char* name) const {
  if (!handle_ || !name) return nullptr;
#ifdef _WIN32
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
  return dlsym(handle_, name);
#endif
}

void DynLib::Release() {
  if (!handle_) return;
#ifdef _WIN32
  FreeLibrary(static_cast<HMODULE>(handle_));
#else
  dlclose(handle_);
#endif
  handle_ = nullptr;
}
