#include "platform/FolderListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstdlib>

#include "platform/Ansi.h"

namespace files {

namespace {

FileId IdOf(const struct stat& st) {
  return FileId{quint64(st.st_dev), quint64(st.st_ino), true};
}

// The name as text: its UTF-8 as it is, each byte that is no part of it as
// \xNN, so that two names told apart by such a byte look apart too.
QString Shown(const QByteArray& name) {
  QString shown;
  for (qsizetype i = 0; i < name.size();) {
    qsizetype valid = i;
    while (valid < name.size()) {
      const qsizetype next = ansi::utf8Length(name, valid);
      if (next == 0) break;
      valid += next;
    }
    shown += QString::fromUtf8(name.mid(i, valid - i));
    if (valid < name.size())
      shown += QStringLiteral("\\x") + QString::number(uchar(name[valid]), 16).toUpper().rightJustified(2, u'0');
    i = valid + 1;
  }
  return shown;
}

}  // namespace

bool ListFolder(const QByteArray& diskPath, QList<ListedEntry>& entries) {
  entries.clear();
  DIR* dir = ::opendir(diskPath.constData());
  if (!dir) return false;
  const QByteArray below = diskPath.endsWith('/') ? diskPath : diskPath + '/';
  errno = 0;
  while (const dirent* found = ::readdir(dir)) {
    const QByteArray name(found->d_name);
    if (name == "." || name == "..") continue;
    ListedEntry e;
    e.diskName = name;
    e.shown = Shown(name);
    e.mapped = ansi::fromDiskName(name, e.bytes);
    if (!e.mapped) e.bytes.clear();
    const QByteArray path = below + name;
    struct stat own {};
    struct stat st {};
    if (::lstat(path.constData(), &own) == 0) e.link = S_ISLNK(own.st_mode);
    if (::stat(path.constData(), &st) == 0) {
      e.folder = S_ISDIR(st.st_mode);
      e.file = S_ISREG(st.st_mode);
      e.size = qint64(st.st_size);
      e.id = IdOf(st);
      e.readable = ::access(path.constData(), e.folder ? (R_OK | X_OK) : R_OK) == 0;
      if (e.link) e.target = ResolvedDiskPath(path);
    }
    entries.append(e);
    errno = 0;
  }
  const bool whole = errno == 0;
  ::closedir(dir);
  return whole;
}

QByteArray ResolvedDiskPath(const QByteArray& diskPath) {
  char* resolved = ::realpath(diskPath.constData(), nullptr);
  if (!resolved) return {};
  const QByteArray path(resolved);
  std::free(resolved);
  return path;
}

QByteArray DiskPath(const QString& path) {
  return QFile::encodeName(path);
}

QString QtPath(const QByteArray& diskPath) {
  const QString path = QFile::decodeName(diskPath);
  return QFile::encodeName(path) == diskPath ? path : QString();
}

bool ReadDiskFile(const QByteArray& diskPath, QByteArray& bytes) {
  const int fd = ::open(diskPath.constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return false;
  }
  QByteArray read = file.readAll();
  if (file.error() != QFileDevice::NoError) return false;
  bytes = read;
  return true;
}

}  // namespace files
