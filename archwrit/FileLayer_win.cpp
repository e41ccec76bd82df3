#include <windows.h>
// After windows.h:
#include <bcrypt.h>
#include <io.h>

#include <fcntl.h>

#include <algorithm>
#include <vector>

#include "FileLayer.h"

namespace archwrit {

namespace {

// The lock that keeps a second update out lies far past any archive's end:
// Windows locks are binding, and one over the archive's bytes would keep
// readers (the program itself, the game) from reading them.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;
constexpr DWORD kLockOffsetLow = 0;

std::wstring wide(const std::string& path) {
  if (path.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), int(path.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), int(path.size()), out.data(), n);
  return out;
}

HANDLE handleOf(int fd) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// A descriptor owning handle; invalid (handle closed) when none can be had.
UniqueFd adopt(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE) return UniqueFd();
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    return UniqueFd();
  }
  return UniqueFd(fd);
}

bool identityOf(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) {
  return GetFileInformationByHandle(handle, &info) != 0;
}

bool sameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// The file at path itself, opened only to be looked at (a link is not followed).
HANDLE openToLook(const std::wstring& path, bool follow) {
  return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                     nullptr);
}

bool isSeparator(char c) {
  return c == '/' || c == '\\';
}

size_t lastSeparator(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  // "C:name" names name in the drive's current folder.
  if (slash == std::string::npos && path.size() >= 2 && path[1] == ':') return 1;
  return slash;
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

int UniqueFd::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) _close(fd_);
  fd_ = fd;
}

std::string dirName(const std::string& path) {
  const size_t slash = lastSeparator(path);
  if (slash == std::string::npos) return ".";
  if (slash == 0 || (slash == 2 && path[1] == ':' && isSeparator(path[2])) || (slash == 1 && path[1] == ':'))
    return path.substr(0, slash + 1);  // a root: "\", "C:\" or "C:"
  return path.substr(0, slash);
}

std::string baseName(const std::string& path) {
  const size_t slash = lastSeparator(path);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string joinPath(const std::string& dir, const std::string& name) {
  if (!dir.empty() && (isSeparator(dir.back()) || dir.back() == ':')) return dir + name;
  return dir + "\\" + name;
}

bool readAllAt(int fd, void* data, size_t size, uint64_t pos) {
  const HANDLE handle = handleOf(fd);
  auto* out = static_cast<char*>(data);
  while (size > 0) {
    OVERLAPPED at{};
    at.Offset = DWORD(pos);
    at.OffsetHigh = DWORD(pos >> 32);
    DWORD n = 0;
    const DWORD want = DWORD(std::min<size_t>(size, 1u << 30));
    if (!ReadFile(handle, out, want, &n, &at) || n == 0) return false;
    out += n;
    pos += n;
    size -= n;
  }
  return true;
}

bool writeAllAt(int fd, const void* data, size_t size, uint64_t pos) {
  const HANDLE handle = handleOf(fd);
  const auto* in = static_cast<const char*>(data);
  while (size > 0) {
    OVERLAPPED at{};
    at.Offset = DWORD(pos);
    at.OffsetHigh = DWORD(pos >> 32);
    DWORD n = 0;
    const DWORD want = DWORD(std::min<size_t>(size, 1u << 30));
    if (!WriteFile(handle, in, want, &n, &at) || n == 0) return false;
    in += n;
    pos += n;
    size -= n;
  }
  return true;
}

bool readOn(int fd, void* data, size_t size, size_t& got) {
  DWORD n = 0;
  const bool read = ReadFile(handleOf(fd), data, DWORD(std::min<size_t>(size, 1u << 30)), &n, nullptr) != 0;
  got = read ? n : 0;
  return read;
}

bool copyRange(int in, uint64_t inPos, int out, uint64_t outPos, uint64_t length) {
  std::vector<char> buffer(size_t(std::min<uint64_t>(length, 1u << 20)));
  while (length > 0) {
    const size_t n = size_t(std::min<uint64_t>(length, buffer.size()));
    if (!readAllAt(in, buffer.data(), n, inPos) || !writeAllAt(out, buffer.data(), n, outPos)) return false;
    inPos += n;
    outPos += n;
    length -= n;
  }
  return true;
}

bool syncDirectory(const std::string&) {
  // A folder's names are the file system's own to keep: NTFS journals them,
  // and Windows offers no call that syncs a folder.
  return true;
}

bool factsOf(int fd, FileFacts& facts) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!identityOf(handleOf(fd), info)) return false;
  facts.regular = (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
  facts.size = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  facts.writable = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0;
  facts.mode = facts.writable ? 0666 : 0444;
  return true;
}

PathState stateOf(const std::string& path) {
  const std::wstring name = wide(path);
  if (name.empty()) return PathState::Unknown;
  if (GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES) return PathState::Present;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathState::Missing
                                                                           : PathState::Unknown;
}

std::string resolveLink(const std::string& path) {
  const std::wstring name = wide(path);
  const DWORD attributes = name.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
  const HANDLE handle = openToLook(name, true);
  if (handle == INVALID_HANDLE_VALUE) return path;
  std::wstring resolved(MAX_PATH, L'\0');
  DWORD n = GetFinalPathNameByHandleW(handle, resolved.data(), DWORD(resolved.size()), FILE_NAME_NORMALIZED);
  if (n >= resolved.size()) {
    resolved.resize(n + 1);
    n = GetFinalPathNameByHandleW(handle, resolved.data(), DWORD(resolved.size()), FILE_NAME_NORMALIZED);
  }
  CloseHandle(handle);
  if (n == 0 || n >= resolved.size()) return path;
  resolved.resize(n);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, resolved.data(), int(n), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(std::max(bytes, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, resolved.data(), int(n), out.data(), bytes, nullptr, nullptr);
  return out.empty() ? path : out;
}

UniqueFd openAndLock(const std::string& path, FileFacts& facts) {
  const std::wstring name = wide(path);
  if (name.empty()) return UniqueFd();
  for (int attempt = 0; attempt < 8; ++attempt) {
    // Shared with readers and writers (the lock below keeps updates apart)
    // and with renames, so that a packed copy can take its place. Another
    // program that holds the file without sharing it (a scanner looking at
    // a fresh file) often lets go within a moment: that long is waited for.
    HANDLE opened = INVALID_HANDLE_VALUE;
    for (int wait = 0;; ++wait) {
      opened = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
      if (opened != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION || wait == 10) break;
      Sleep(100);
    }
    UniqueFd fd = adopt(opened);
    BY_HANDLE_FILE_INFORMATION held;
    if (!fd.valid() || !identityOf(handleOf(fd.get()), held) || !factsOf(fd.get(), facts) || !facts.regular)
      return UniqueFd();
    OVERLAPPED at{};
    at.Offset = kLockOffsetLow;
    at.OffsetHigh = kLockOffsetHigh;
    if (!LockFileEx(handleOf(fd.get()), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
      return UniqueFd();  // another update is running
    const HANDLE now = openToLook(name, true);
    BY_HANDLE_FILE_INFORMATION there;
    const bool same = now != INVALID_HANDLE_VALUE && identityOf(now, there) && sameFile(held, there);
    if (now != INVALID_HANDLE_VALUE) CloseHandle(now);
    if (same) return fd;
  }
  return UniqueFd();
}

UniqueFd openForReading(const std::string& path) {
  const std::wstring name = wide(path);
  if (name.empty()) return UniqueFd();
  return adopt(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

bool syncData(int fd) {
  return FlushFileBuffers(handleOf(fd)) != 0;
}

bool syncFile(int fd) {
  return FlushFileBuffers(handleOf(fd)) != 0;
}

bool truncateFile(int fd, uint64_t size) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = LONGLONG(size);
  return SetFileInformationByHandle(handleOf(fd), FileEndOfFileInfo, &end, sizeof end) != 0;
}

bool lacksSpace(int fd, uint64_t bytes) {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD n = GetFinalPathNameByHandleW(handleOf(fd), path.data(), DWORD(path.size()), FILE_NAME_NORMALIZED);
  if (n == 0 || n >= path.size()) return false;
  path.resize(n);
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return false;
  path.resize(slash + 1);
  ULARGE_INTEGER free{};
  return GetDiskFreeSpaceExW(path.c_str(), &free, nullptr, nullptr) && free.QuadPart < bytes;
}

bool copyCanReplace(int, int, const std::string&) {
  // Windows renames nothing over a file that is open, and this session holds
  // the archive open (and locked) until it ends: an existing archive is packed
  // in its own file, which keeps it, its links and its permissions as they are.
  return false;
}

size_t randomBytes(unsigned char* data, size_t size) {
  return BCryptGenRandom(nullptr, data, ULONG(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0 ? size : 0;
}

// Held by being open without sharing the right to delete: while this
// process lives no one else can remove or rename it, and once it is gone
// the file is removable again.
UniqueFd createHeld(const std::string& name, uint32_t mode, bool& taken) {
  taken = false;
  const std::wstring path = wide(name);
  if (path.empty()) return UniqueFd();
  const HANDLE handle =
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  CREATE_NEW, (mode & 0222) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    return UniqueFd();
  }
  return adopt(handle);
}

void sweepUnheld(const std::string& dir, const std::function<bool(const std::string&)>& matches) {
  const std::wstring pattern = wide(joinPath(dir, "*"));
  if (pattern.empty()) return;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, found.cFileName, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) continue;
    std::string name(size_t(bytes - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, found.cFileName, -1, name.data(), bytes, nullptr, nullptr);
    if (!matches(name)) continue;
    // A live session's shadow refuses this open; a dead one's is removed as the handle closes.
    const HANDLE file = CreateFileW(wide(joinPath(dir, name)).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

bool isFileAt(int fd, const std::string& name) {
  BY_HANDLE_FILE_INFORMATION held, there;
  const std::wstring path = wide(name);
  if (path.empty() || !identityOf(handleOf(fd), held)) return false;
  const HANDLE now = openToLook(path, false);
  if (now == INVALID_HANDLE_VALUE) return false;
  const bool same = identityOf(now, there) && sameFile(held, there) &&
                    !(there.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
  CloseHandle(now);
  return same;
}

void removeFileAt(int fd, const std::string& name) {
  if (!isFileAt(fd, name)) return;
  // Through the handle that holds it: no one else may delete it.
  FILE_DISPOSITION_INFO dispose{};
  dispose.DeleteFile = TRUE;
  SetFileInformationByHandle(handleOf(fd), FileDispositionInfo, &dispose, sizeof dispose);
}

bool publishFile(int fd, const std::string&, const std::string& to, bool replace, uint32_t mode) {
  const HANDLE handle = handleOf(fd);
  if (!FlushFileBuffers(handle)) return false;
  const std::wstring target = wide(to);
  if (target.empty()) return false;
  // Renamed through its own handle, which alone may move it; the new name is
  // a whole path.
  std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = replace ? TRUE : FALSE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = DWORD(target.size() * sizeof(wchar_t));
  std::copy(target.begin(), target.end(), rename->FileName);
  if (!SetFileInformationByHandle(handle, FileRenameInfo, rename, DWORD(buffer.size()))) return false;
  if (!(mode & 0222)) {
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)) {
      basic.FileAttributes |= FILE_ATTRIBUTE_READONLY;
      SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
    }
  }
  // The rename reaches the disk with the file's own metadata.
  FlushFileBuffers(handle);
  return true;
}

}  // namespace archwrit
