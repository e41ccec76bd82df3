#include "platform/ReplacingFile.h"

#include <QFileInfo>

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
