#pragma once
// A file that appears at its place whole or not at all: it is written under a
// temporary name in the same folder and renamed over its place once every
// byte is written. Leaving without Commit, or a failed write, removes the
// temporary file and the folders Open made for it, so a failure never leaves
// half a file, an empty one, or an old file changed.
//
// A file placed below a folder (Export All) never goes through a link below
// that folder: each folder level is opened relative to the one above it
// without following a link, and a level or a file name that is a link is
// refused, so a link planted in the folder cannot send the file elsewhere.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace files {

class FolderSyncs;

class ReplacingFile {
 public:
  // The file at target, a path as the user chose it.
  explicit ReplacingFile(QString target);
  // The file below folder: levels are its folders, then its name.
  ReplacingFile(QString folder, QStringList levels);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Creates the temporary file in the target's folder, making that folder
  // and those above it first when makeFolders is set. False when the file or
  // a folder cannot be made, or a level below the folder is a link.
  bool Open(bool makeFolders = false);
  // Where the content goes, after Open.
  QIODevice& Device();
  // True once the complete file stands at the target, replacing what was
  // there; false, and nothing left behind, when a write or the rename failed.
  // Without syncs the file's bytes reach the disk before the rename and its
  // folder's names after it; with syncs its folders are left to them.
  bool Commit(FolderSyncs* syncs = nullptr);

  // Tests: a file refuses every byte past the first bytes written to it
  // (as a full disk would); a negative value turns this off.
  static void SetWriteLimitForTesting(qint64 bytes);
  static qint64 WriteLimitForTesting();

 private:
  // The temporary file, refusing bytes past the write limit.
  class TempFile : public QFile {
   public:
    using QFile::QFile;

   protected:
    qint64 writeData(const char* data, qint64 size) override;

   private:
    qint64 written_ = 0;
  };
  // Opens (or makes) the folder levels; the fd of the file's folder, or -1.
  int OpenFolder(bool makeFolders);
  void RemoveMadeFolders();

  QString folder_;
  QStringList levels_;  // the folders below folder_, then the file's name
  bool belowFolder_;
  int dirFd_ = -1;
  QString tempName_;
  std::unique_ptr<TempFile> file_;
  // Folders Open made, outermost first: the fd of the folder each is in.
  struct Made {
    int parentFd;
    QString name;
  };
  std::vector<Made> made_;
};

// Whether a file below folder already stands there: Link when one of its
// folder levels or the file itself is a link (which is never followed).
enum class PlaceState { Missing, Exists, Link };
PlaceState StateBelow(const QString& folder, const QStringList& levels);

// Writes bytes to the file name in the open folder folderFd, whole or not at
// all: they go to a file without a name (or, where the file system has none
// of those, under a temporary name) that takes the name only once every byte
// is written, replacing a file standing there. A name that is a link is never
// written through nor replaced, nor one that is only another file's short
// name (Windows' LONGFI~1.TXT for longfilename.txt). The folder's names are left for the caller
// to sync. Honours SetWriteLimitForTesting.
enum class WriteResult { Written, NotCreated, NotWritten };
WriteResult WriteFileAt(int folderFd, const QString& name, const QByteArray& bytes);

// Appends the bytes of the file at path to device. False when the file
// cannot be read or the device does not take every byte.
bool CopyInto(const QString& path, QIODevice& device);

}  // namespace files
