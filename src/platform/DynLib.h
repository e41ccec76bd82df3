#pragma once
// A library loaded at run time: load by file name or path, look up exports by
// their exact names, release. Owns what it loaded; moving transfers it.
#include <QString>

class DynLib {
 public:
  DynLib() = default;
  ~DynLib() { Release(); }
  DynLib(DynLib&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  DynLib& operator=(DynLib&& other) noexcept;
  DynLib(const DynLib&) = delete;
  DynLib& operator=(const DynLib&) = delete;

  // Releases what is held, then loads fileName (a bare name goes through the
  // system's search for libraries). False, holding nothing, when it fails.
  bool Load(const QString& fileName);
  // The export of that exact name, or null.
  void* Resolve(const char* name) const;
  void Release();
  bool IsLoaded() const { return handle_ != nullptr; }

 private:
  void* handle_ = nullptr;
};
