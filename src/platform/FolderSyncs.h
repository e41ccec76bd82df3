#pragma once
// The folders that a run of many files wrote into, brought to disk together
// at its end: one sync of the file system for every file's bytes, then each
// folder once for the names in it, instead of two syncs for every file.
#include <sys/types.h>

#include <QSet>
#include <QString>
#include <set>

namespace files {

// Brings one open folder to disk: the bytes of every file on its file system
// first (once per file system: dataSynced holds those done), then the names
// in the folder. False when a sync failed.
bool SyncFolder(int fd, std::set<dev_t>& dataSynced);

class FolderSyncs {
 public:
  void Add(const QString& folder) { folders_.insert(folder); }
  // False when a sync failed: the files may not survive a power loss.
  bool SyncAll();

 private:
  QSet<QString> folders_;
};

}  // namespace files
