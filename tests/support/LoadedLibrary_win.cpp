#include "LoadedLibrary.h"

#include <windows.h>

#include <QDir>
#include <QString>

namespace fixtures {

namespace {

HMODULE Loaded(const char* file) {
  return GetModuleHandleW(QDir::toNativeSeparators(QString::fromLocal8Bit(file)).toStdWString().c_str());
}

}  // namespace

bool isLoaded(const char* file) {
  return Loaded(file) != nullptr;
}

void* loadedExport(const char* file, const char* name) {
  const HMODULE module = Loaded(file);
  return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

}  // namespace fixtures
