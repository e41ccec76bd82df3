#include "SheetCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <climits>

#include "platform/AppError.h"

namespace {

[[noreturn]] void CannotCreate(const QString& path) {
  throw AppError(QStringLiteral("Cannot create file ") + path);
}

[[noreturn]] void WriteError() {
  throw AppError(QStringLiteral("Stream write error"));
}

int ClampToInt(qsizetype n) {
  return int(std::min<qsizetype>(n, INT_MAX));
}

// Devices and pipes cannot be replaced by a renamed file; they are written to directly.
void WriteInPlace(const QString& path, const QByteArray& text) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) CannotCreate(path);
  if (file.write(text) != text.size()) WriteError();
}

void WriteWhole(const QString& path, const QByteArray& text) {
  const QFileInfo info(path);
  if (info.exists()) {
    if (info.isDir()) CannotCreate(path);
    // A file without any write permission is read-only even to a superuser.
    constexpr auto kAnyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (!(info.permissions() & kAnyWrite)) CannotCreate(path);
    if (!info.isFile()) return WriteInPlace(path, text);
  }
  // The text goes to a new file beside the target that replaces it only when
  // complete, so a failure part-way leaves the user's sheet as it was.
  QSaveFile file(path);
  file.setDirectWriteFallback(true);
  if (!file.open(QIODevice::WriteOnly)) CannotCreate(path);
  if (file.write(text) != text.size()) WriteError();
  if (!file.commit()) WriteError();
}

}  // namespace

void LinesToGrid(const LineList& lines, SheetGrid& grid) {
  // Dropping the old columns before sizing the rows ends in the same grid and
  // never holds the old width over the new height.
  grid.SetColCount(0);
  grid.SetRowCount(ClampToInt(lines.size()));
  if (lines.isEmpty()) throw AppError(QStringLiteral("List index out of bounds (0)"));
  grid.SetColCount(ClampToInt(lines.first().count('\t') + 1));
  for (int r = 0; r < grid.RowCount(); ++r) grid.FillRowFromLine(r, lines.at(r));
}

void GridToFile(const QString& path, const SheetGrid& grid) {
  qsizetype size = 0;
  for (int r = 0; r < grid.RowCount(); ++r) size += grid.JoinedRowSize(r) + 2;
  QByteArray text;
  text.reserve(size);
  for (int r = 0; r < grid.RowCount(); ++r) {
    grid.AppendJoinedRow(r, text);
    text.append("\r\n", 2);
  }
  WriteWhole(path, text);
}

LineList LoadFileLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw AppError(QStringLiteral("Cannot open file ") + path);
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) throw AppError(QStringLiteral("Stream read error"));
  return SplitLines(bytes);
}
