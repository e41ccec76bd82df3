#include "platform/ArchiveFile.h"

#include <windows.h>
// After windows.h, which it needs.
#include <io.h>
#include <winternl.h>

#include <algorithm>
#include <string>

namespace storm {

namespace {

// The wide form of a disk path (UTF-8), in the long-path form past MAX_PATH.
std::wstring Wide(const char* path) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, path, -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring wide(size_t(n - 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, path, -1, wide.data(), n);
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  if (wide.size() >= MAX_PATH - 12 && wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\')
    wide.insert(0, L"\\\\?\\");
  return wide;
}

HANDLE HandleOf(int fd) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// 100-nanosecond ticks since 1601 from 1601 to 1970.
constexpr int64_t kTicksTo1970 = 116444736000000000;

// 100-nanosecond ticks since 1601 as nanoseconds since 1970 (counted from
// 1601, nanoseconds would not fit in 64 bits).
int64_t Nanoseconds(int64_t ticks) {
  return (ticks - kTicksTo1970) * 100;
}

int64_t Nanoseconds(const FILETIME& t) {
  return Nanoseconds(int64_t((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime));
}

// The system's single-byte form of a wide name, when every character of it
// has one.
bool SingleByte(const std::wstring& name, std::string& bytes) {
  BOOL lost = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), int(name.size()), nullptr, 0,
                                    nullptr, &lost);
  if (n <= 0 || lost) return false;
  bytes.resize(size_t(n));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), int(name.size()), bytes.data(), n, nullptr,
                      &lost);
  return !lost;
}

}  // namespace

int64_t WallClockNs() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  return Nanoseconds(now);
}

// Taken at every open of an archive, so once per entry while Open sizes a
// mod's entries: the times, the size and the file's index, each asked of the
// open handle alone. The volume's serial number is left out (device stays 0):
// asking for it is a query of the volume, which Wine answers through its
// mount manager in about a millisecond, and the path, the index and both
// times already change when the file is replaced or written.
bool StampOfRegularFile(const char* path, FileStamp& stamp) {
  const HANDLE handle = CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  FILE_BASIC_INFO basic{};
  FILE_STANDARD_INFO standard{};
  FILE_INTERNAL_INFORMATION index{};
  IO_STATUS_BLOCK status{};
  const bool known = GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) &&
                     GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard) &&
                     NT_SUCCESS(NtQueryInformationFile(handle, &status, &index, sizeof index,
                                                       FileInternalInformation));
  CloseHandle(handle);
  if (!known || standard.Directory || (basic.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
    return false;
  stamp.path = path;
  stamp.size = standard.EndOfFile.QuadPart;
  stamp.mtimeNs = Nanoseconds(basic.LastWriteTime.QuadPart);
  stamp.ctimeNs = Nanoseconds(basic.ChangeTime.QuadPart);
  stamp.device = 0;
  stamp.inode = uint64_t(index.IndexNumber.QuadPart);
  return true;
}

int OpenArchiveFile(const char* path) {
  // Shared with writers and renames as the library's own open is: an update
  // may append to the archive and replace it while it is read.
  const HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return -1;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), 0);
  if (fd < 0) CloseHandle(handle);
  return fd;
}

void CloseArchiveFile(int fd) {
  _close(fd);
}

bool ReadArchiveAt(int fd, uint64_t offset, void* buffer, size_t size) {
  const HANDLE handle = HandleOf(fd);
  auto* out = static_cast<char*>(buffer);
  while (size > 0) {
    OVERLAPPED at{};
    at.Offset = DWORD(offset);
    at.OffsetHigh = DWORD(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(handle, out, DWORD(std::min<size_t>(size, 1u << 30)), &got, &at) || got == 0) return false;
    out += got;
    offset += got;
    size -= got;
  }
  return true;
}

bool RegularFileSize(int fd, uint64_t& size) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(HandleOf(fd), &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
    return false;
  size = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return true;
}

std::string LibraryPath(const char* path) {
  // StormLib opens files with CreateFileA: a name whose characters the
  // system's code page lacks reaches it by its short (8.3) form, which is
  // plain ASCII.
  const std::wstring wide = Wide(path);
  std::string bytes;
  if (wide.rfind(L"\\\\?\\", 0) != 0 && SingleByte(wide, bytes)) return bytes;
  std::wstring shortName(MAX_PATH, L'\0');
  DWORD n = GetShortPathNameW(wide.c_str(), shortName.data(), DWORD(shortName.size()));
  if (n >= shortName.size()) {
    shortName.resize(n + 1);
    n = GetShortPathNameW(wide.c_str(), shortName.data(), DWORD(shortName.size()));
  }
  if (n == 0 || n >= shortName.size()) return {};
  shortName.resize(n);
  if (shortName.rfind(L"\\\\?\\", 0) == 0) shortName.erase(0, 4);
  return SingleByte(shortName, bytes) && bytes.size() < MAX_PATH ? bytes : std::string();
}

}  // namespace storm
