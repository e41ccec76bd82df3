#include "platform/WinFiles.h"

#include <io.h>

#include <fcntl.h>

#include <QDir>
#include <cerrno>
#include <mutex>
#include <unordered_map>

namespace files::win {

namespace {

std::mutex pathsMutex;
std::unordered_map<int, std::wstring>& Paths() {
  static std::unordered_map<int, std::wstring> paths;
  return paths;
}

std::wstring LongForm(std::wstring path) {
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  const bool absolute = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
  const bool unc = path.rfind(L"\\\\", 0) == 0 && path.rfind(L"\\\\?\\", 0) != 0;
  if (path.size() >= MAX_PATH - 12) {
    if (absolute) return L"\\\\?\\" + path;
    if (unc) return L"\\\\?\\UNC\\" + path.substr(2);
  }
  return path;
}

}  // namespace

std::wstring Wide(const QByteArray& diskPath) {
  return Wide(QString::fromUtf8(diskPath));
}

std::wstring Wide(const QString& path) {
  return LongForm(path.toStdWString());
}

QByteArray Utf8(const wchar_t* name, int length) {
  return QString::fromWCharArray(name, length).toUtf8();
}

int Adopt(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE) return -1;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
  if (fd < 0) CloseHandle(handle);
  return fd;
}

HANDLE HandleOf(int fd) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

void RememberPath(int fd, const std::wstring& path) {
  if (fd < 0) return;
  std::lock_guard lock(pathsMutex);
  Paths()[fd] = path;
}

void ForgetPath(int fd) {
  std::lock_guard lock(pathsMutex);
  Paths().erase(fd);
}

std::wstring PathOf(int fd) {
  {
    std::lock_guard lock(pathsMutex);
    const auto found = Paths().find(fd);
    if (found != Paths().end()) return found->second;
  }
  std::wstring path(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD n = GetFinalPathNameByHandleW(HandleOf(fd), path.data(), DWORD(path.size()), FILE_NAME_NORMALIZED);
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(n + 1);
  }
  return {};
}

std::wstring Join(const std::wstring& path, const QString& name) {
  std::wstring joined = path;
  if (!joined.empty() && joined.back() != L'\\') joined += L'\\';
  joined += name.toStdWString();
  // Past MAX_PATH only the long-path form reaches it.
  if (joined.size() >= MAX_PATH - 12 && joined.rfind(L"\\\\?\\", 0) != 0) return LongForm(joined);
  return joined;
}

void SetErrnoFromLastError() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      errno = ENOENT;
      break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      errno = EEXIST;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      errno = EACCES;
      break;
    case ERROR_DIRECTORY:
      errno = ENOTDIR;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      errno = ENOSPC;
      break;
    default:
      errno = EIO;
  }
}

bool HeldByAnother() {
  const DWORD error = GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

bool NamesAnother(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  const size_t cut = path.find_last_of(L"\\/");
  const std::wstring name = cut == std::wstring::npos ? path : path.substr(cut + 1);
  return CompareStringOrdinal(found.cFileName, -1, name.c_str(), -1, TRUE) != CSTR_EQUAL;
}

}  // namespace files::win
