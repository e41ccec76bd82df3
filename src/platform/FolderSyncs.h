#pragma once
// The folders that a run of many files wrote into, brought to disk together
// at its end: one sync of the file system for every file's bytes, then each
// folder once for the names in it, instead of two syncs for every file.
#include <QSet>
#include <QString>

namespace files {

class FolderSyncs {
 public:
  void Add(const QString& folder) { folders_.insert(folder); }
  // False when a sync failed: the files may not survive a power loss.
  bool SyncAll();

 private:
  QSet<QString> folders_;
};

}  // namespace files
