#pragma once
// A folder tree as a side: every file below it under the internal name Add
// Folder gives it (the internal folder typed for it, then the path below the
// folder, backslashes between levels, letter case kept), read from disk.
// Of two files that become one entry, the one build takes is read, and the
// other is named in Notes() as build names it.
#include "archive/compare/CompareSide.h"
#include "archive/compare/SideNames.h"

namespace compare {

class FolderSide : public Side {
 public:
  // prefix: the internal folder the names begin with ("data\\"), or empty.
  explicit FolderSide(const QString& folder, const QByteArray& prefix = {}) : folder_(folder), prefix_(prefix) {}

  QString Label() const override { return folder_; }
  bool Open() override;
  QList<QByteArray> Names() const override { return names_.List(); }
  qint64 Size(const QByteArray& name) override;
  bool Read(const QByteArray& name, QByteArray& bytes) override;

 private:
  struct File {
    QByteArray diskPath;
    qint64 size;
  };
  QString folder_;
  QByteArray prefix_;
  SideNames names_;
  QList<File> files_;  // by the index of the name in names_
};

}  // namespace compare
