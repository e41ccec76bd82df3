#include "platform/FileInUse.h"

#include "platform/WinFiles.h"

namespace files {

bool HeldByAnotherProgram(const QString& path, bool toWrite) {
  const std::wstring name = win::Wide(path);
  if (name.empty()) return false;
  const DWORD access = GENERIC_READ | (toWrite ? GENERIC_WRITE : 0);
  const HANDLE file = CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return false;
  }
  // Access denied means no right to it, not a hold: that is told apart.
  const DWORD error = GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

}  // namespace files
