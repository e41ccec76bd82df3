#pragma once
// A mod archive (any MPQ with a "(listfile)") as a side: the names its
// "(listfile)" lists that its tables hold, read through the storm layer.
#include "archive/compare/CompareSide.h"
#include "archive/compare/HeldArchive.h"
#include "archive/compare/SideNames.h"

namespace compare {

class ArchiveSide : public Side {
 public:
  explicit ArchiveSide(const QString& path) : path_(path) {}

  QString Label() const override { return path_; }
  bool Open() override;
  void Close() override { archive_.Close(); }
  QList<QByteArray> Names() const override { return names_.List(); }
  qint64 Size(const QByteArray& name) override { return archive_.Size(name); }
  bool Read(const QByteArray& name, QByteArray& bytes) override { return archive_.Read(name, bytes); }

 private:
  QString path_;
  HeldArchive archive_;
  SideNames names_;
};

}  // namespace compare
