#include "archive/check/BaseGame.h"

#include <QDir>
#include <QHash>

#include "archive/ArchiveHold.h"
#include "archive/GameArchive.h"
#include "archive/check/CheckRules.h"
#include "platform/FileBytes.h"
#include "platform/Storm.h"

namespace check {
namespace {

constexpr const char* kArchives[] = {"d2data.mpq", "d2exp.mpq", "patch_d2.mpq"};
constexpr char kSheetFolder[] = "data\\global\\excel\\";

// One archive held open while every sheet is asked of it.
class OpenArchive {
 public:
  explicit OpenArchive(const QString& path) {
    if (!OpenArchiveAt(path, &archive_)) archive_ = nullptr;
  }
  ~OpenArchive() {
    if (archive_) storm::CloseArchive(archive_);
  }
  OpenArchive(const OpenArchive&) = delete;
  OpenArchive& operator=(const OpenArchive&) = delete;

  bool IsOpen() const { return archive_ != nullptr; }
  bool IsWhole() const { return GameArchiveWhole(archive_); }

  enum class Got { Missing, Read, Unreadable };

  // An entry the archive's tables name but that cannot be opened or read in
  // full is damaged, which is not the same as not being there.
  Got Read(const QByteArray& name, QByteArray& bytes) const {
    if (!storm::HoldsEntry(archive_, name.constData())) return Got::Missing;
    storm::Handle entry = nullptr;
    if (!storm::OpenEntry(archive_, name.constData(), 0, &entry)) return Got::Unreadable;
    const quint32 size = storm::EntrySize(entry, nullptr);
    bool ok = size != 0xFFFFFFFFu;
    if (ok) {
      bytes = QByteArray(qsizetype(size), Qt::Uninitialized);
      quint32 got = 0;
      ok = (storm::ReadEntry(entry, bytes.data(), size, &got, nullptr) && got == size) || size == 0;
      bytes.truncate(qsizetype(qMin(got, size)));
    }
    storm::CloseEntry(entry);
    return ok ? Got::Read : Got::Unreadable;
  }

 private:
  storm::Handle archive_ = nullptr;
};

}  // namespace

bool ReadBaseGame(const QString& folder, const QList<QByteArray>& sheetNames, BaseGame& base, QString& why) {
  if (!files::FolderExists(folder)) {
    why = QStringLiteral("The game folder %1 does not exist.").arg(QDir::toNativeSeparators(folder));
    return false;
  }
  // Later sources replace what earlier ones gave, sheet by sheet.
  QHash<QByteArray, qsizetype> slot;
  auto put = [&](const QByteArray& sheet, SheetFile file) {
    const QByteArray key = Fold(sheet);
    if (slot.contains(key)) {
      base.sheets[size_t(slot.value(key))] = std::move(file);
    } else {
      slot.insert(key, qsizetype(base.sheets.size()));
      base.sheets.push_back(std::move(file));
    }
  };
  bool found = false;
  for (const char* archiveName : kArchives) {
    const QString path = files::FindCaseBlind(folder, {QString::fromLatin1(archiveName)});
    if (path.isEmpty()) continue;
    found = true;
    const OpenArchive archive(path);
    // Tables that make no sense find no sheet, which reads as a game
    // without them: as unreadable as a damaged header.
    if (!archive.IsOpen() || !archive.IsWhole()) {
      base.problems.append(QStringLiteral("%1 cannot be read as an archive").arg(QDir::toNativeSeparators(path)));
      continue;
    }
    for (const QByteArray& sheet : sheetNames) {
      const QByteArray internal = kSheetFolder + sheet;
      QByteArray bytes;
      switch (archive.Read(internal, bytes)) {
        case OpenArchive::Got::Read:
          put(sheet, SheetFile{archiveName + (':' + internal), bytes});
          break;
        case OpenArchive::Got::Unreadable:
          base.problems.append(QStringLiteral("%1 cannot be read from %2")
                                   .arg(QString::fromLatin1(internal), QDir::toNativeSeparators(path)));
          break;
        case OpenArchive::Got::Missing:
          break;
      }
    }
  }
  const QString excel = files::FindCaseBlind(
      folder, {QStringLiteral("data"), QStringLiteral("global"), QStringLiteral("excel")});
  if (files::FolderExists(excel)) {
    found = true;
    for (const QByteArray& sheet : sheetNames) {
      const QString path = files::FindCaseBlind(excel, {QString::fromLatin1(sheet)});
      if (path.isEmpty()) continue;
      QByteArray bytes;
      if (files::ReadFileBytes(path, bytes))
        put(sheet, SheetFile{"game folder:" + (kSheetFolder + sheet), bytes});
      else
        base.problems.append(QStringLiteral("%1 cannot be read").arg(QDir::toNativeSeparators(path)));
    }
  }
  if (!found) {
    why = QStringLiteral(
              "The game folder %1 holds neither the game's archives (d2data.mpq, d2exp.mpq, "
              "patch_d2.mpq) nor its sheets in data\\global\\excel.")
              .arg(QDir::toNativeSeparators(folder));
    return false;
  }
  return true;
}

}  // namespace check
