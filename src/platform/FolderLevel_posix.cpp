#include "platform/FolderLevel.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace files {

int OpenChosenFolder(const QString& folder, bool make) {
  if (make && !QFileInfo::exists(folder) && !QDir().mkpath(folder)) return -1;
  return ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int OpenLevel(int fd, const QString& name) {
  return ::openat(fd, QFile::encodeName(name).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

int OpenLevel(int fd, const QString& name, bool make, bool& made) {
  made = false;
  const int opened = OpenLevel(fd, name);
  if (opened >= 0 || errno != ENOENT || !make ||
      ::mkdirat(fd, QFile::encodeName(name).constData(), 0777) != 0)
    return opened;
  made = true;
  return OpenLevel(fd, name);
}

void CloseFolder(int fd) {
  ::close(fd);
}

int DuplicateFolder(int fd) {
  return ::dup(fd);
}

bool IsLinkBelow(int fd, const QString& name) {
  struct stat st {};
  return ::fstatat(fd, QFile::encodeName(name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISLNK(st.st_mode);
}

bool StandsBelow(int fd, const QString& name) {
  struct stat st {};
  return ::fstatat(fd, QFile::encodeName(name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

bool RemoveFolderLevel(int fd, const QString& name) {
  return ::unlinkat(fd, QFile::encodeName(name).constData(), AT_REMOVEDIR) == 0;
}

}  // namespace files
