#include "platform/ReplacingFile.h"

#include <QFileInfo>

#include "platform/FolderLevel.h"

namespace files {

namespace {

qint64 writeLimit = -1;

}  // namespace

qint64 ReplacingFile::TempFile::writeData(const char* data, qint64 size) {
  if (writeLimit >= 0 && written_ + size > writeLimit) return -1;
  const qint64 n = QFile::writeData(data, size);
  if (n > 0) written_ += n;
  return n;
}

void ReplacingFile::SetWriteLimitForTesting(qint64 bytes) {
  writeLimit = bytes;
}

ReplacingFile::ReplacingFile(QString target) : belowFolder_(false) {
  const QFileInfo info(target);
  folder_ = info.absolutePath();
  levels_ = {info.fileName()};
}

ReplacingFile::ReplacingFile(QString folder, QStringList levels)
    : folder_(std::move(folder)), levels_(std::move(levels)), belowFolder_(true) {}

qint64 ReplacingFile::WriteLimitForTesting() {
  return writeLimit;
}

QIODevice& ReplacingFile::Device() {
  return *file_;
}

int ReplacingFile::OpenFolder(bool makeFolders) {
  int fd = OpenChosenFolder(folder_, makeFolders);
  for (qsizetype i = 0; fd >= 0 && i + 1 < levels_.size(); ++i) {
    const QString& name = levels_.at(i);
    bool made = false;
    const int next = OpenLevel(fd, name, makeFolders, made);
    if (made) made_.push_back(Made{DuplicateFolder(fd), name});
    CloseFolder(fd);
    fd = next;
  }
  return fd;
}

PlaceState StateBelow(const QString& folder, const QStringList& levels) {
  if (levels.isEmpty()) return PlaceState::Missing;
  int fd = OpenChosenFolder(folder, false);
  PlaceState state = PlaceState::Missing;
  for (qsizetype i = 0; fd >= 0; ++i) {
    const QString& name = levels.at(i);
    if (IsLinkBelow(fd, name)) {
      state = PlaceState::Link;
      break;
    }
    if (i + 1 == levels.size()) {
      if (StandsBelow(fd, name)) state = PlaceState::Exists;
      break;
    }
    const int next = OpenLevel(fd, name);
    CloseFolder(fd);
    fd = next;
  }
  if (fd >= 0) CloseFolder(fd);
  return state;
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
