#include "platform/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>
#include <atomic>
#include <cerrno>

#include "platform/FolderLevel.h"
#include "platform/FolderSyncs.h"

namespace files {

namespace {

QByteArray Encoded(const QString& name) {
  return QFile::encodeName(name);
}

// Whether the name (file-system bytes) in fd is a link.
bool IsLinkAt(int fd, const QByteArray& name) {
  struct stat st {};
  return ::fstatat(fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

// A name for a file being written. The leading dot keeps a file left by a
// crash out of Add Folder's walks.
QByteArray TempName() {
  return QStringLiteral(".quillforge-%1.part")
      .arg(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFFFFull, 12, 16, QLatin1Char('0'))
      .toLatin1();
}

// A new file under a fresh temporary name in dirFd, with the permissions a
// new file gets there; -1 (name then empty) when the folder refuses one or
// every name tried was taken.
int CreateTempAt(int dirFd, QByteArray& name) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    name = TempName();
    const int fd = ::openat(dirFd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST) break;  // not a clash of names: the folder refuses
  }
  name.clear();
  return -1;
}

}  // namespace

ReplacingFile::~ReplacingFile() {
  if (file_) {
    file_.reset();
    // Removed by name: a file whose last write failed refuses QFile::remove.
    ::unlinkat(dirFd_, Encoded(tempName_).constData(), 0);
    RemoveMadeFolders();
  }
  for (const Made& m : made_) ::close(m.parentFd);
  if (dirFd_ >= 0) ::close(dirFd_);
}

void ReplacingFile::RemoveMadeFolders() {
  // Innermost first; a folder something else was put into meanwhile stays.
  for (auto m = made_.rbegin(); m != made_.rend(); ++m)
    ::unlinkat(m->parentFd, Encoded(m->name).constData(), AT_REMOVEDIR);
}

bool ReplacingFile::Open(bool makeFolders) {
  if (levels_.isEmpty()) return false;
  dirFd_ = OpenFolder(makeFolders);
  if (dirFd_ < 0) return false;
  if (belowFolder_ && IsLinkBelow(dirFd_, levels_.last())) return false;
  // Created new: never an existing file or link under the name.
  QByteArray temp;
  const int fd = CreateTempAt(dirFd_, temp);
  if (fd < 0) return false;
  auto file = std::make_unique<TempFile>();
  if (!file->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    ::unlinkat(dirFd_, temp.constData(), 0);
    return false;
  }
  tempName_ = QString::fromLatin1(temp);
  file_ = std::move(file);
  return true;
}

bool ReplacingFile::Commit(FolderSyncs* syncs) {
  if (!file_) return false;
  bool written = file_->flush() && file_->error() == QFileDevice::NoError;
  // The bytes reach the disk before the name does: after a power loss the
  // target holds the old file or the new one, never an empty one.
  if (written && !syncs) written = ::fdatasync(file_->handle()) == 0;
  file_->close();
  if (!written || file_->error() != QFileDevice::NoError) return false;  // the destructor removes it
  const QByteArray target = Encoded(levels_.last());
  if (::renameat(dirFd_, Encoded(tempName_).constData(), dirFd_, target.constData()) != 0) return false;
  file_.reset();

  // The names: the file's in its folder, and each made folder's in the one
  // above it. The file stands at its place already; a failed sync of a
  // folder only leaves it less sure to outlast a power loss.
  QString path = folder_;
  QStringList folders{path};
  for (qsizetype i = 0; i + 1 < levels_.size(); ++i) folders << (path += QLatin1Char('/') + levels_.at(i));
  if (syncs) {
    syncs->Add(folders.last());
    for (size_t i = 0; i < made_.size(); ++i)
      syncs->Add(folders.at(folders.size() - 1 - qsizetype(made_.size() - i)));
  } else {
    ::fsync(dirFd_);
    for (const Made& m : made_) ::fsync(m.parentFd);
  }
  return true;
}

namespace {

// Whether files without a name can be made and named here; cleared at the
// first sign that the system or the file system does not have them.
std::atomic<bool> unnamedFiles{true};

// Every byte to fd; false when one is refused.
bool WriteAll(int fd, const QByteArray& bytes) {
  const qint64 limit = ReplacingFile::WriteLimitForTesting();
  qint64 size = bytes.size();
  bool whole = true;
  if (limit >= 0 && size > limit) {
    size = limit;
    whole = false;
  }
  for (qint64 done = 0; done < size;) {
    const ssize_t n = ::write(fd, bytes.constData() + done, size_t(size - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += n;
  }
  return whole;
}

// Puts the written file fd (named at temp, or without a name when temp is
// empty) at target in folderFd, over the file standing there.
WriteResult Replace(int folderFd, int fd, QByteArray temp, const QByteArray& target) {
  if (temp.isEmpty()) {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    for (int attempt = 0; attempt < 16 && temp.isEmpty(); ++attempt) {
      temp = TempName();
      if (::linkat(AT_FDCWD, self.constData(), folderFd, temp.constData(), AT_SYMLINK_FOLLOW) == 0) break;
      if (errno != EEXIST) return WriteResult::NotWritten;
      temp.clear();
    }
    if (temp.isEmpty()) return WriteResult::NotWritten;
  }
  if (::renameat(folderFd, temp.constData(), folderFd, target.constData()) == 0) return WriteResult::Written;
  ::unlinkat(folderFd, temp.constData(), 0);
  return WriteResult::NotWritten;
}

// The named way: a new file under a temporary name, renamed over target.
WriteResult WriteNamed(int folderFd, const QByteArray& target, const QByteArray& bytes) {
  QByteArray temp;
  const int fd = CreateTempAt(folderFd, temp);
  if (fd < 0) return WriteResult::NotCreated;
  const bool written = WriteAll(fd, bytes);
  if (::close(fd) != 0 || !written) {
    ::unlinkat(folderFd, temp.constData(), 0);
    return WriteResult::NotWritten;
  }
  return Replace(folderFd, -1, temp, target);
}

}  // namespace

WriteResult WriteFileAt(int folderFd, const QString& name, const QByteArray& bytes) {
  const QByteArray target = Encoded(name);
  if (name.isEmpty() || target.contains('/')) return WriteResult::NotCreated;
  if (unnamedFiles.load(std::memory_order_relaxed)) {
    // Made without a name, the file cannot be seen half written, and a
    // failure leaves nothing to take away; naming it never replaces what
    // stands at the name, so the common case needs no look first.
    const int fd = ::openat(folderFd, ".", O_WRONLY | O_TMPFILE | O_CLOEXEC, 0666);
    if (fd >= 0) {
      if (!WriteAll(fd, bytes)) {
        ::close(fd);
        return WriteResult::NotWritten;
      }
      const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
      if (::linkat(AT_FDCWD, self.constData(), folderFd, target.constData(), AT_SYMLINK_FOLLOW) == 0) {
        if (::close(fd) == 0) return WriteResult::Written;
        ::unlinkat(folderFd, target.constData(), 0);  // the name was new: take it away again
        return WriteResult::NotWritten;
      }
      if (errno == EEXIST) {
        const WriteResult result = IsLinkAt(folderFd, target) ? WriteResult::NotCreated
                                                              : Replace(folderFd, fd, QByteArray(), target);
        ::close(fd);
        return result;
      }
      const int error = errno;
      ::close(fd);
      // The naming goes through /proc: where that is missing or refused,
      // this file and every later one take the named way below. Any other
      // failure (the folder gone, the disk full) is this file's alone.
      if (error == EPERM || error == EACCES || error == EXDEV || error == EOPNOTSUPP ||
          ::access("/proc/self/fd", F_OK) != 0)
        unnamedFiles = false;
    } else if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
      unnamedFiles = false;
    }
  }
  if (IsLinkAt(folderFd, target)) return WriteResult::NotCreated;
  return WriteNamed(folderFd, target, bytes);
}

}  // namespace files
