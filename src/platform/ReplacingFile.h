#pragma once
// A file that appears at its place whole or not at all: it is written with no
// name in the target's folder (or, where the file system cannot do that,
// under a temporary name there) and given its place once every byte is
// written. Leaving without Commit, or a failed write, removes the
// temporary file, so a failure never leaves half a file, an empty one, or an
// old file changed.
#include <QString>
#include <memory>

class QIODevice;

namespace files {

class ReplacingFile {
 public:
  explicit ReplacingFile(QString target);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Creates the temporary file in the target's folder, making that folder
  // and those above it first when makeFolders is set. False when the file or
  // a folder cannot be made.
  bool Open(bool makeFolders = false);
  // Where the content goes, after Open.
  QIODevice& Device();
  // True once the complete file stands at the target, replacing what was
  // there; false, and nothing left behind, when a write or the rename failed.
  bool Commit();

  // Tests: a file refuses every byte past the first bytes written to it
  // (as a full disk would); a negative value turns this off.
  static void SetWriteLimitForTesting(qint64 bytes);

 private:
  class TempFile;
  bool CommitUnnamed();
  QString target_;
  std::unique_ptr<TempFile> file_;
};

// Appends the bytes of the file at path to device. False when the file
// cannot be read or the device does not take every byte.
bool CopyInto(const QString& path, QIODevice& device);

}  // namespace files
