#include "platform/FolderSyncs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <set>

namespace files {

bool SyncFolder(int fd, std::set<dev_t>& dataSynced) {
  struct stat st {};
  bool synced = ::fstat(fd, &st) == 0 && (!dataSynced.insert(st.st_dev).second || ::syncfs(fd) == 0);
  if (::fsync(fd) != 0) synced = false;
  return synced;
}

bool FolderSyncs::SyncAll() {
  bool synced = true;
  std::set<dev_t> dataSynced;
  for (const QString& folder : std::as_const(folders_)) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
      synced = false;
      continue;
    }
    if (!SyncFolder(fd, dataSynced)) synced = false;
    ::close(fd);
  }
  folders_.clear();
  return synced;
}

}  // namespace files
