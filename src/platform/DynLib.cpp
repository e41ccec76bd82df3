#include "platform/DynLib.h"

DynLib& DynLib::operator=(DynLib&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}
