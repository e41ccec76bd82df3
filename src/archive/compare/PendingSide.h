#pragma once
// The open mod as its next Update would leave it: each row of the Files list,
// read from its source file when it has one and from the mod's archive
// otherwise.
#include "archive/compare/CompareSide.h"
#include "archive/compare/HeldArchive.h"
#include "archive/compare/SideNames.h"

namespace compare {

struct PendingRow {
  QByteArray name;
  QString source;  // empty: the entry stays as the archive holds it
};

class PendingSide : public Side {
 public:
  PendingSide(const QString& archivePath, const QList<PendingRow>& rows) : path_(archivePath), rows_(rows) {}

  QString Label() const override { return path_; }
  bool Open() override;
  void Close() override { archive_.Close(); }
  QList<QByteArray> Names() const override { return names_.List(); }
  qint64 Size(const QByteArray& name) override;
  bool Read(const QByteArray& name, QByteArray& bytes) override;

 private:
  QString path_;
  QList<PendingRow> rows_;
  HeldArchive archive_;
  SideNames names_;
  QList<QString> sources_;  // by the index of the name in names_
};

}  // namespace compare
