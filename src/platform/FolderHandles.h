#pragma once
// The folders below one chosen folder, held open for a run of many files, so
// that writing a file there costs one open of the file instead of one open
// of every folder level on its way.
//
// Each folder is opened relative to the one above it and never through a
// link, exactly as a single file below the folder would be: a descriptor held
// here names the folder that was checked, so a link planted later beside or
// below it is still refused when a deeper level is opened. At most capacity
// descriptors are held; the least recently used one is closed beyond that.
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <list>

namespace files {

class FolderHandles {
 public:
  static constexpr qsizetype kCapacity = 256;

  explicit FolderHandles(QString root, qsizetype capacity = kCapacity);
  ~FolderHandles();
  FolderHandles(const FolderHandles&) = delete;
  FolderHandles& operator=(const FolderHandles&) = delete;

  // The descriptor of the folder at levels below the root (no levels: the
  // root itself), opened level by level without following a link; with make,
  // missing levels are made (and the root too). -1 when a level is missing,
  // a link, not a folder, or cannot be made. The descriptor stays this
  // object's, valid until its next call.
  int Open(const QStringList& levels, bool make);

  // Closes every folder held open (the root's stays), so that a run that
  // only needed them to make the folders does not keep them while others
  // hold theirs. The folders made are still known.
  void Release();

  // The folders Open made, outermost first, each as its levels joined by '/'.
  const QStringList& Made() const { return made_; }
  // Removes again the made folders not in kept (levels joined by '/'),
  // innermost first; one that something was put into stays.
  void RemoveMadeExcept(const QSet<QString>& kept);
  // Brings written files and folders to disk: one sync of the file system
  // for every file's bytes, then each of folders (levels joined by '/', ""
  // for the root) for the names in it. False when a sync failed.
  bool Sync(const QSet<QString>& folders);

  // Tests: how many descriptors are held now, besides the root's.
  qsizetype HeldForTesting() const { return qsizetype(order_.size()); }

 private:
  struct Held {
    QString key;
    int fd;
  };
  int Root(bool make);
  void Hold(const QString& key, int fd);

  QString root_;
  qsizetype capacity_;
  int rootFd_ = -1;
  std::list<Held> order_;  // most recently used first
  QHash<QString, std::list<Held>::iterator> byKey_;
  QStringList made_;
};

}  // namespace files
