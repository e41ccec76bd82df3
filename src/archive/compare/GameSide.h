#pragma once
// The game folder as a side: its archives d2data.mpq, d2exp.mpq and
// patch_d2.mpq, a later one overriding an earlier one. They carry no usable
// "(listfile)", so the side holds those of the wanted names (the other
// side's) that one of them has.
#include <array>
#include <memory>

#include "archive/compare/CompareSide.h"
#include "archive/compare/HeldArchive.h"
#include "archive/compare/SideNames.h"

namespace compare {

class GameSide : public Side {
 public:
  explicit GameSide(const QString& folder) : folder_(folder) {}

  QString Label() const override { return folder_; }
  bool ListsOwnNames() const override { return false; }
  void Want(const QList<QByteArray>& names) override { wanted_ = names; }
  bool Open() override;
  void Close() override;
  QList<QByteArray> Names() const override { return names_.List(); }
  qint64 Size(const QByteArray& name) override;
  bool Read(const QByteArray& name, QByteArray& bytes) override;

  // The archives in the order they are read, later ones overriding.
  static const std::array<const char*, 3>& ArchiveNames();

 private:
  // The last opened archive whose tables name the entry, a damaged one too
  // (its read then fails, rather than an older copy standing in for it);
  // null when none does.
  const HeldArchive* Holder(const QByteArray& name) const;

  QString folder_;
  QList<QByteArray> wanted_;
  std::array<HeldArchive, 3> archives_;
  SideNames names_;
};

}  // namespace compare
