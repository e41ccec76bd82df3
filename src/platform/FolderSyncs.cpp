#include "platform/FolderSyncs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <set>

namespace files {

bool FolderSyncs::SyncAll() {
  bool synced = true;
  std::set<dev_t> dataSynced;
  for (const QString& folder : std::as_const(folders_)) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
      synced = false;
      continue;
    }
    // The files' bytes first (all of them, one sync per file system), then
    // the folder's names.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || (dataSynced.insert(st.st_dev).second && ::syncfs(fd) != 0)) synced = false;
    if (::fsync(fd) != 0) synced = false;
    ::close(fd);
  }
  folders_.clear();
  return synced;
}

}  // namespace files
