#include "platform/DiskNames.h"

namespace files {

QString DiskNameKey(const QString& path) {
  // The file systems these systems use tell every byte of a name apart.
  return path;
}

}  // namespace files
