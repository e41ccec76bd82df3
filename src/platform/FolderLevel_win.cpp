#include "platform/FolderLevel.h"

#include <io.h>
#include <windows.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>

#include "platform/WinFiles.h"

namespace files {

namespace {

// A folder held open without sharing the right to delete it: while it is
// held nobody can rename it, remove it or put a link in its place, so the
// path the levels below are opened by keeps naming the folder checked.
HANDLE OpenFolderHandle(const std::wstring& path, bool followLink) {
  return CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
}

}  // namespace

// The folder at path held open, its path remembered for the levels below it.
int Hold(HANDLE handle, const std::wstring& path) {
  if (handle == INVALID_HANDLE_VALUE) {
    win::SetErrnoFromLastError();
    return -1;
  }
  const int fd = win::Adopt(handle);
  win::RememberPath(fd, path);
  return fd;
}

int OpenChosenFolder(const QString& folder, bool make) {
  if (make && !QFileInfo::exists(folder) && !QDir().mkpath(folder)) return -1;
  const std::wstring path = win::Wide(QDir::toNativeSeparators(QFileInfo(folder).absoluteFilePath()));
  return Hold(OpenFolderHandle(path, true), path);
}

int OpenLevel(int fd, const QString& name) {
  const std::wstring parent = win::PathOf(fd);
  if (parent.empty()) {
    errno = EBADF;
    return -1;
  }
  const std::wstring path = win::Join(parent, name);
  const HANDLE handle = OpenFolderHandle(path, false);
  if (handle == INVALID_HANDLE_VALUE) {
    win::SetErrnoFromLastError();
    return -1;
  }
  // A symbolic link, a junction or any other reparse point is refused as a
  // link is; a file is no folder. The handle may not tell of the reparse
  // point (Wine opens a Unix link to a folder as the folder it leads to, and
  // only the name's own attributes carry the mark): the name is asked too,
  // while the handle held keeps it from being put elsewhere.
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) {
    CloseHandle(handle);
    errno = ENOTDIR;
    return -1;
  }
  const DWORD named = GetFileAttributesW(path.c_str());
  const bool reparse = ((info.dwFileAttributes | (named == INVALID_FILE_ATTRIBUTES ? 0 : named)) &
                        FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (reparse || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    CloseHandle(handle);
    errno = reparse ? ELOOP : ENOTDIR;
    return -1;
  }
  // A name that is only another folder's short name (LONGFO~1 for
  // longfoldername) is that folder: what goes below the one must not land
  // in the other.
  if (win::NamesAnother(path)) {
    CloseHandle(handle);
    errno = EEXIST;
    return -1;
  }
  return Hold(handle, path);
}

int OpenLevel(int fd, const QString& name, bool make, bool& made) {
  made = false;
  const int opened = OpenLevel(fd, name);
  if (opened >= 0 || errno != ENOENT || !make) return opened;
  const std::wstring parent = win::PathOf(fd);
  if (parent.empty() || !CreateDirectoryW(win::Join(parent, name).c_str(), nullptr)) return opened;
  made = true;
  return OpenLevel(fd, name);
}

void CloseFolder(int fd) {
  win::ForgetPath(fd);
  _close(fd);
}

int DuplicateFolder(int fd) {
  HANDLE copy = INVALID_HANDLE_VALUE;
  if (!DuplicateHandle(GetCurrentProcess(), win::HandleOf(fd), GetCurrentProcess(), &copy, 0, FALSE,
                       DUPLICATE_SAME_ACCESS))
    return -1;
  return Hold(copy, win::PathOf(fd));
}

namespace {

DWORD AttributesBelow(int fd, const QString& name) {
  const std::wstring parent = win::PathOf(fd);
  return parent.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(win::Join(parent, name).c_str());
}

}  // namespace

bool IsLinkBelow(int fd, const QString& name) {
  const DWORD attributes = AttributesBelow(fd, name);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool StandsBelow(int fd, const QString& name) {
  return AttributesBelow(fd, name) != INVALID_FILE_ATTRIBUTES;
}

bool RemoveFolderLevel(int fd, const QString& name) {
  const std::wstring parent = win::PathOf(fd);
  if (parent.empty()) return false;
  const std::wstring path = win::Join(parent, name);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  return RemoveDirectoryW(path.c_str()) != 0;
}

}  // namespace files
