#pragma once
// One update of a mod archive through the archive-update library, as Update
// makes it: the library loaded, the archive opened (or a new one created),
// entries added and deleted, then every change committed at once. Leaving
// without Commit still commits what was done (the library has no way back)
// and releases the library.
#include <QByteArray>
#include <QString>

class ArchiveUpdate {
 public:
  enum class Opened { Yes, NoLibrary, Refused };

  ArchiveUpdate() = default;
  ~ArchiveUpdate();
  ArchiveUpdate(const ArchiveUpdate&) = delete;
  ArchiveUpdate& operator=(const ArchiveUpdate&) = delete;

  // Loads the library and opens the archive at path, or creates it when
  // create is set (the new file appears only at Commit).
  Opened Open(const QString& path, bool create);
  // Stores the disk file source under name; replace asks for an entry of
  // that name to be replaced. False when the library could not store it.
  bool Add(const QString& source, const QByteArray& name, bool replace);
  // The same for a source named by its disk path (the bytes the system's
  // calls take), which a name that is no valid text needs.
  bool AddFromDisk(const QByteArray& diskPath, const QByteArray& name, bool replace);
  bool Delete(const QByteArray& name);
  // True when every change is in the file on disk.
  bool Commit();

 private:
  void* archive_ = nullptr;
  bool loaded_ = false;
};

// When the archive at path is in a later format than the game's, which the
// update library does not write (it refuses to open it): that reason, as a
// clause for a message; empty for any other file.
QString UnwritableFormat(const QString& path);
// Why the update library refused to open the archive at path: its format,
// or else the causes the library does not tell apart (the file is in use by
// another update, or may not be written).
QString UpdateRefusal(const QString& path);
