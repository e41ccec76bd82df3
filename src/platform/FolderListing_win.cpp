#include "platform/FolderListing.h"

#include <windows.h>
#include <io.h>

#include <QFile>

#include "platform/Ansi.h"
#include "platform/WinFiles.h"

namespace files {

namespace {

// A disk path as the walk spells it: '/' between levels, no long-path prefix.
QByteArray Spelt(std::wstring path) {
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    path = L"\\\\" + path.substr(8);
  } else if (path.rfind(L"\\\\?\\", 0) == 0) {
    path = path.substr(4);
  }
  for (wchar_t& c : path)
    if (c == L'\\') c = L'/';
  return win::Utf8(path.c_str(), int(path.size()));
}

// Where the open handle's file or folder is, every link on the way resolved;
// empty when the system does not say.
QByteArray FinalPath(HANDLE handle) {
  std::wstring path(MAX_PATH, L'\0');
  DWORD n = GetFinalPathNameByHandleW(handle, path.data(), DWORD(path.size()), FILE_NAME_NORMALIZED);
  if (n >= path.size()) {
    path.resize(n + 1);
    n = GetFinalPathNameByHandleW(handle, path.data(), DWORD(path.size()), FILE_NAME_NORMALIZED);
  }
  if (n == 0 || n >= path.size()) return {};
  path.resize(n);
  return Spelt(path);
}

// What the handle of an open file or folder tells: its identity, size and
// attributes, and where it is.
bool Facts(const std::wstring& path, bool follow, FileId& id, qint64& size, DWORD& attributes, QByteArray& where) {
  const HANDLE handle = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(handle, &info) != 0;
  where = known ? FinalPath(handle) : QByteArray();
  CloseHandle(handle);
  if (!known) return false;
  id = FileId{quint64(info.dwVolumeSerialNumber), (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow, true};
  size = (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  attributes = info.dwFileAttributes;
  return true;
}

// Whether the file can be opened to read, or the folder listed.
bool Readable(const std::wstring& path, bool folder) {
  const HANDLE handle =
      CreateFileW(path.c_str(), folder ? FILE_LIST_DIRECTORY : GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  folder ? FILE_FLAG_BACKUP_SEMANTICS : 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

}  // namespace

bool ListFolder(const QByteArray& diskPath, QList<ListedEntry>& entries) {
  entries.clear();
  const QByteArray below = diskPath.endsWith('/') ? diskPath : diskPath + '/';
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileExW(win::Wide(below + '*').c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  // The folder itself as the system resolves it, where each entry should be.
  QByteArray here = ResolvedDiskPath(below);
  if (!here.isEmpty() && !here.endsWith('/')) here += '/';
  do {
    const std::wstring wideName(found.cFileName);
    if (wideName == L"." || wideName == L"..") continue;
    ListedEntry e;
    e.diskName = win::Utf8(found.cFileName);
    e.shown = QString::fromWCharArray(found.cFileName);
    e.mapped = ansi::fromDiskName(e.diskName, e.bytes);
    if (!e.mapped) e.bytes.clear();
    const std::wstring path = win::Wide(below + e.diskName);
    // Symbolic links, junctions and every other reparse point count as links.
    e.link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    DWORD attributes = 0;
    QByteArray where;
    if (Facts(path, true, e.id, e.size, attributes, where)) {
      e.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      e.file = !e.folder && !(attributes & FILE_ATTRIBUTE_DEVICE);
      e.readable = Readable(path, e.folder);
      if (e.folder) e.size = 0;
      // Wine lists a Unix link to a file as the plain file it leads to: it
      // shows only in where the opened file turns out to be. Both paths are
      // spelt as the file system keeps them, so letter case counts too: a
      // file outside whose path differs only in case is still outside.
      if (e.file && !e.link && !where.isEmpty() && !here.isEmpty() && where != here + e.diskName) e.link = true;
      if (e.link) e.target = where;
    }
    entries.append(e);
  } while (FindNextFileW(search, &found));
  const bool whole = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  return whole;
}

QByteArray ResolvedDiskPath(const QByteArray& diskPath) {
  const HANDLE handle = CreateFileW(win::Wide(diskPath).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  const QByteArray path = FinalPath(handle);
  CloseHandle(handle);
  return path;
}

QByteArray DiskPath(const QString& path) {
  return path.toUtf8();
}

QString QtPath(const QByteArray& diskPath) {
  const QString path = QString::fromUtf8(diskPath);
  return path.toUtf8() == diskPath ? path : QString();
}

bool ReadDiskFile(const QByteArray& diskPath, QByteArray& bytes) {
  const int fd = win::Adopt(CreateFileW(win::Wide(diskPath).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (fd < 0) return false;
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    _close(fd);
    return false;
  }
  QByteArray read = file.readAll();
  if (file.error() != QFileDevice::NoError) return false;
  bytes = read;
  return true;
}

}  // namespace files
