#include "platform/FileIdentity.h"

#include <windows.h>

#include "platform/WinFiles.h"

namespace files {

FileId IdentityOf(const QString& path) {
  if (path.isEmpty()) return {};
  const HANDLE handle = CreateFileW(win::Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (!known) return {};
  // The volume's serial number and the file's index on it.
  return FileId{quint64(info.dwVolumeSerialNumber), (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow, true};
}

}  // namespace files
