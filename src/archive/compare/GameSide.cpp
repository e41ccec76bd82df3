#include "archive/compare/GameSide.h"

#include <QDir>

namespace compare {
namespace {

// The file in folder named name in any letter case (game folders copied from
// Windows spell them either way); empty when there is none.
QString FindCaseBlind(const QDir& folder, const QString& name) {
  if (folder.exists(name)) return folder.filePath(name);
  for (const QString& entry : folder.entryList(QDir::Files | QDir::Hidden))
    if (entry.compare(name, Qt::CaseInsensitive) == 0) return folder.filePath(entry);
  return {};
}

}  // namespace

const std::array<const char*, 3>& GameSide::ArchiveNames() {
  static const std::array<const char*, 3> names{"d2data.mpq", "d2exp.mpq", "patch_d2.mpq"};
  return names;
}

bool GameSide::Open() {
  names_.Clear();
  const QDir folder(folder_);
  bool any = false;
  for (size_t i = 0; i < archives_.size(); ++i) {
    const QString path = FindCaseBlind(folder, QString::fromLatin1(ArchiveNames()[i]));
    if (path.isEmpty()) continue;
    // Without one of its archives the game is another game: entries it would
    // give or replace would show the wrong version, or none.
    if (!archives_[i].Open(path) || !archives_[i].IsWholeGameArchive()) {
      error_ = QStringLiteral("%1 cannot be read as an archive").arg(QDir::toNativeSeparators(path));
      Close();
      return false;
    }
    any = true;
  }
  if (!any) {
    error_ = QStringLiteral("%1 holds none of the game's archives d2data.mpq, d2exp.mpq, patch_d2.mpq")
                 .arg(QDir::toNativeSeparators(folder_));
    return false;
  }
  for (const QByteArray& name : wanted_)
    if (Holder(name)) names_.Add(name);
  return true;
}

void GameSide::Close() {
  for (HeldArchive& archive : archives_) archive.Close();
}

const HeldArchive* GameSide::Holder(const QByteArray& name) const {
  for (auto it = archives_.rbegin(); it != archives_.rend(); ++it)
    if (it->IsOpen() && it->Holds(name)) return &*it;
  return nullptr;
}

qint64 GameSide::Size(const QByteArray& name) {
  const HeldArchive* holder = Holder(name);
  return holder ? holder->Size(name) : -1;
}

bool GameSide::Read(const QByteArray& name, QByteArray& bytes) {
  const HeldArchive* holder = Holder(name);
  return holder && holder->Read(name, bytes);
}

}  // namespace compare
