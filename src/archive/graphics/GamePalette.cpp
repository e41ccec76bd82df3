#include "archive/graphics/GamePalette.h"

#include <QDir>
#include <QRegularExpression>
#include <functional>

#include "archive/ArchiveHold.h"
#include "platform/FileBytes.h"
#include "platform/Storm.h"

namespace graphics {

namespace {

constexpr const char* kArchives[] = {"patch_d2.mpq", "d2exp.mpq", "d2data.mpq"};

// Runs use on the archive at path, opened for reading; false when it cannot
// be opened.
bool InArchive(const QString& path, const std::function<bool(storm::Handle)>& use) {
  storm::Handle archive = nullptr;
  if (!OpenArchiveAt(path, &archive)) return false;
  const bool ok = use(archive);
  storm::CloseArchive(archive);
  return ok;
}

// The entry's bytes, read only when its size is one accepted.
bool ReadArchiveEntry(const QString& path, const QByteArray& name, QByteArray& bytes,
                      const std::function<bool(quint32)>& sizeFits) {
  return InArchive(path, [&](storm::Handle archive) {
    storm::Handle entry = nullptr;
    bool ok = false;
    if (storm::OpenEntry(archive, name.constData(), 0, &entry)) {
      const quint32 size = storm::EntrySize(entry, nullptr);
      if (sizeFits(size)) {
        bytes = QByteArray(qsizetype(size), Qt::Uninitialized);
        quint32 got = 0;
        ok = storm::ReadEntry(entry, bytes.data(), size, &got, nullptr) && got == size;
      }
      storm::CloseEntry(entry);
    }
    return ok;
  });
}

// The entry's file in an extracted game folder, found whatever its letter
// case; empty when there is none.
QString ExtractedFile(const QString& folder, const QByteArray& name) {
  return files::FindCaseBlind(folder, QString::fromLatin1(name).split(QLatin1Char('\\'), Qt::SkipEmptyParts));
}

bool PaletteSize(quint32 size) {
  return size == quint32(kPalDatSize) || size == quint32(kPl2Size);
}

QString FindArchive(const QString& folder, const char* archive) {
  return files::FindCaseBlind(folder, {QString::fromLatin1(archive)});
}

}  // namespace

bool ReadGameFile(const QString& folder, const QByteArray& name, QByteArray& bytes, qsizetype maxSize) {
  if (!files::FolderExists(folder)) return false;
  const QString extracted = ExtractedFile(folder, name);
  if (!extracted.isEmpty() && files::ReadFileBytes(extracted, bytes) && bytes.size() <= maxSize) return true;
  for (const char* archive : kArchives) {
    const QString path = FindArchive(folder, archive);
    if (!path.isEmpty() &&
        ReadArchiveEntry(path, name, bytes, [maxSize](quint32 size) { return qsizetype(size) <= maxSize; }))
      return true;
  }
  return false;
}

bool GameHoldsFile(const QString& folder, const QByteArray& name) {
  if (!files::FolderExists(folder) || name.contains('\0')) return false;
  if (!ExtractedFile(folder, name).isEmpty()) return true;
  for (const char* archive : kArchives) {
    const QString path = FindArchive(folder, archive);
    if (!path.isEmpty() &&
        InArchive(path, [&](storm::Handle handle) { return storm::HoldsEntry(handle, name.constData()); }))
      return true;
  }
  return false;
}

QByteArray ActPaletteName(int act) {
  return "data\\global\\palette\\ACT" + QByteArray::number(act) + "\\pal.dat";
}

int ActOfWord(const QString& word) {
  static const QRegularExpression act(QStringLiteral("^act([1-5])$"),
                                      QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch match = act.match(word);
  return match.hasMatch() ? match.captured(1).toInt() : 0;
}

bool ReadGamePalette(const QString& folder, int act, Palette& palette, QString& fault) {
  if (!files::FolderExists(folder)) {
    fault = QStringLiteral("the game folder %1 does not exist").arg(QDir::toNativeSeparators(folder));
    return false;
  }
  QByteArray bytes;
  const QString extracted = files::FindCaseBlind(
      folder, {QStringLiteral("data"), QStringLiteral("global"), QStringLiteral("palette"),
               QStringLiteral("ACT%1").arg(act), QStringLiteral("pal.dat")});
  bool found = !extracted.isEmpty() && files::ReadFileBytes(extracted, bytes);
  for (const char* archive : kArchives) {
    if (found) break;
    const QString path = FindArchive(folder, archive);
    found = !path.isEmpty() && ReadArchiveEntry(path, ActPaletteName(act), bytes, PaletteSize);
  }
  if (!found) {
    fault = QStringLiteral("the game folder %1 holds no %2")
                .arg(QDir::toNativeSeparators(folder), QString::fromLatin1(ActPaletteName(act)));
    return false;
  }
  if (!ReadPalette(bytes, palette, fault)) {
    fault = QStringLiteral("the game's %1: %2").arg(QString::fromLatin1(ActPaletteName(act)), fault);
    return false;
  }
  return true;
}

}  // namespace graphics
