#include "platform/DiskNames.h"

#include <windows.h>

#include "platform/WinFiles.h"

namespace files {

namespace {

// The longest file name (one level) NTFS and FAT's long names take, in UTF-16 units.
constexpr qsizetype kMaxNameUnits = 255;

// Names Windows keeps for devices, with any extension: "NUL.txt" opens the
// device too. The serial and parallel ports run from 1 to 9, and Windows
// takes the superscript digits 1, 2 and 3 (the code page's bytes B9, B2, B3)
// for ports as well.
bool IsDeviceName(const QString& name) {
  const QString stem = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
  static const QStringList devices = {QStringLiteral("CON"),    QStringLiteral("PRN"),
                                      QStringLiteral("AUX"),    QStringLiteral("NUL"),
                                      QStringLiteral("CONIN$"), QStringLiteral("CONOUT$")};
  if (devices.contains(stem)) return true;
  if (stem.size() != 4 || !(stem.startsWith(QLatin1String("COM")) || stem.startsWith(QLatin1String("LPT"))))
    return false;
  const QChar digit = stem.at(3);
  return (digit >= QLatin1Char('1') && digit <= QLatin1Char('9')) || digit == QChar(0xB9) || digit == QChar(0xB2) ||
         digit == QChar(0xB3);
}

}  // namespace

bool CanBeFileName(const QString& name) {
  if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
  for (QChar c : name)
    if (c.unicode() < 32 || QStringLiteral("<>:\"/\\|?*").contains(c)) return false;
  if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' '))) return false;
  if (IsDeviceName(name)) return false;
  return name.size() <= kMaxNameUnits;
}

QString CannotHoldName() {
  return QStringLiteral("Windows cannot hold the name");
}

bool IsLink(const QString& path) {
  const DWORD attributes = GetFileAttributesW(win::Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

QString DiskNameKey(const QString& path) {
  // Windows' file systems take names that differ only in letter case for one
  // file: each character against its simple upper case, as the file
  // system's own table has it ("ß" stays itself, never "SS").
  QString key = path;
  for (QChar& c : key) c = c.toUpper();
  return key;
}

}  // namespace files
