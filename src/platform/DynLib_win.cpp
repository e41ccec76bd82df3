#include "platform/DynLib.h"

#include <windows.h>

#include <QDir>

bool DynLib::Load(const QString& fileName) {
  Release();
  if (fileName.isEmpty()) return false;
  const std::wstring name = QDir::toNativeSeparators(fileName).toStdWString();
  // A library missing or unloadable is a failed load, never a box to click.
  DWORD oldMode = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
  HMODULE module;
  if (QDir::isAbsolutePath(fileName)) {
    // The libraries it needs in turn are looked for beside it first.
    module = LoadLibraryExW(name.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  } else {
    // A bare name: beside the program and in the system's folder only, never
    // in the current folder, where anyone's library could lie.
    module = LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR |
                                                       LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  }
  SetThreadErrorMode(oldMode, nullptr);
  handle_ = reinterpret_cast<void*>(module);
  return handle_ != nullptr;
}

void* DynLib::Resolve(const char* name) const {
  if (!handle_ || !name) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void DynLib::Release() {
  if (!handle_) return;
  FreeLibrary(static_cast<HMODULE>(handle_));
  handle_ = nullptr;
}
