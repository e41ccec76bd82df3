#include "platform/ReplacingFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <filesystem>
#include <system_error>

namespace files {

namespace {
qint64 writeLimit = -1;
}

class ReplacingFile::TempFile : public QFile {
 public:
  using QFile::QFile;

 protected:
  qint64 writeData(const char* data, qint64 size) override {
    if (writeLimit >= 0 && written_ + size > writeLimit) return -1;
    const qint64 n = QFile::writeData(data, size);
    if (n > 0) written_ += n;
    return n;
  }

 private:
  qint64 written_ = 0;
};

void ReplacingFile::SetWriteLimitForTesting(qint64 bytes) {
  writeLimit = bytes;
}

ReplacingFile::ReplacingFile(QString target) : target_(std::move(target)) {}

ReplacingFile::~ReplacingFile() {
  if (!file_) return;
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
  file_->close();
  if (!written || file_->error() != QFileDevice::NoError) return false;  // the destructor removes it
  std::error_code error;
  std::filesystem::rename(QFile::encodeName(file_->fileName()).toStdString(),
                          QFile::encodeName(target_).toStdString(), error);
  if (error) return false;
  file_.reset();
  return true;
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
