#include "platform/ReplacingFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace files {

namespace {
qint64 writeLimit = -1;
}

class ReplacingFile::TempFile : public QFile {
 public:
  using QFile::QFile;
  ~TempFile() override {
    if (fd_ >= 0) {
      close();
      ::close(fd_);
    }
  }

  // A file with no name yet in folder, so that nothing of it is ever seen
  // there until it is whole; false where the file system has no such files.
  bool OpenUnnamed(const QString& folder) {
#ifdef O_TMPFILE
    fd_ = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ < 0) return false;
    if (open(fd_, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) return true;
    ::close(fd_);
    fd_ = -1;
#else
    Q_UNUSED(folder);
#endif
    return false;
  }
  bool Unnamed() const {
    return fd_ >= 0;
  }
  // Gives the unnamed file the name path; false when something is there.
  bool LinkAs(const QString& path) const {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
    return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, QFile::encodeName(path).constData(),
                    AT_SYMLINK_FOLLOW) == 0;
  }

 protected:
  qint64 writeData(const char* data, qint64 size) override {
    if (writeLimit >= 0 && written_ + size > writeLimit) return -1;
    const qint64 n = QFile::writeData(data, size);
    if (n > 0) written_ += n;
    return n;
  }

 private:
  qint64 written_ = 0;
  int fd_ = -1;
};

void ReplacingFile::SetWriteLimitForTesting(qint64 bytes) {
  writeLimit = bytes;
}

ReplacingFile::ReplacingFile(QString target) : target_(std::move(target)) {}

ReplacingFile::~ReplacingFile() {
  if (!file_ || file_->Unnamed()) return;  // an unnamed file goes with its handle
  // Removed by name: a file whose last write failed refuses QFile::remove.
  const QString name = file_->fileName();
  file_.reset();
  QFile::remove(name);
}

bool ReplacingFile::Open(bool makeFolders) {
  const QString folder = QFileInfo(target_).absolutePath();
  if (makeFolders && !QDir().mkpath(folder)) return false;
  // Created new (never an existing file or link under the name) with the
  // permissions a new file gets here. The leading dot keeps a file left by
  // a crash out of Add Folder's walks.
  if (auto unnamed = std::make_unique<TempFile>(); unnamed->OpenUnnamed(folder)) {
    file_ = std::move(unnamed);
    return true;
  }
  for (int attempt = 0; attempt < 16; ++attempt) {
    const QString name =
        QStringLiteral(".quillforge-%1.part")
            .arg(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFFFFull, 12, 16, QLatin1Char('0'));
    auto file = std::make_unique<TempFile>(QDir(folder).filePath(name));
    if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
      file_ = std::move(file);
      return true;
    }
    if (!file->exists()) return false;  // not a clash of names: the folder refuses
  }
  return false;
}

QIODevice& ReplacingFile::Device() {
  return *file_;
}

bool ReplacingFile::Commit() {
  if (!file_) return false;
  const bool written = file_->flush() && file_->error() == QFileDevice::NoError;
  if (file_->Unnamed()) return written && CommitUnnamed();
  file_->close();
  if (!written || file_->error() != QFileDevice::NoError) return false;  // the destructor removes it
  std::error_code error;
  std::filesystem::rename(QFile::encodeName(file_->fileName()).toStdString(),
                          QFile::encodeName(target_).toStdString(), error);
  if (error) return false;
  file_.reset();
  return true;
}

bool ReplacingFile::CommitUnnamed() {
  // Where nothing is yet, the whole file appears at once under its name.
  if (file_->LinkAs(target_)) {
    file_.reset();
    return true;
  }
  if (errno != EEXIST) return false;
  // Something is there: the file gets a hidden name beside it first, and that
  // name is renamed over it.
  const QString folder = QFileInfo(target_).absolutePath();
  for (int attempt = 0; attempt < 16; ++attempt) {
    const QString name = QDir(folder).filePath(
        QStringLiteral(".quillforge-%1.part")
            .arg(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFFFFull, 12, 16, QLatin1Char('0')));
    if (!file_->LinkAs(name)) {
      if (errno == EEXIST) continue;
      return false;
    }
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(name).toStdString(), QFile::encodeName(target_).toStdString(),
                            error);
    if (error) {
      QFile::remove(name);
      return false;
    }
    file_.reset();
    return true;
  }
  return false;
}

bool CopyInto(const QString& path, QIODevice& device) {
  QFile in(path);
  if (!in.open(QIODevice::ReadOnly)) return false;
  char buffer[64 * 1024];
  for (;;) {
    const qint64 n = in.read(buffer, sizeof buffer);
    if (n < 0) return false;
    if (n == 0) return true;
    if (device.write(buffer, n) != n) return false;
  }
}

}  // namespace files
