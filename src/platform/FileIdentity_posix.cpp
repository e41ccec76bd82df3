#include "platform/FileIdentity.h"

#include <sys/stat.h>

#include <QFile>

namespace files {

FileId IdentityOf(const QString& path) {
  struct stat st {};
  if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
  return FileId{quint64(st.st_dev), quint64(st.st_ino), true};
}

}  // namespace files
