#include "platform/DiskNames.h"

#include <windows.h>

#include "platform/WinFiles.h"

namespace files {

namespace {

// The longest file name (one level) NTFS and FAT's long names take, in UTF-16 units.
constexpr qsizetype kMaxNameUnits = 255;

// Names Windows keeps for devices, with any extension: "NUL.txt" opens the device too.
bool IsDeviceName(const QString& name) {
  const QString stem = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
  static const QStringList devices = {QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                      QStringLiteral("NUL")};
  if (devices.contains(stem)) return true;
  return stem.size() == 4 && (stem.startsWith(QLatin1String("COM")) || stem.startsWith(QLatin1String("LPT"))) &&
         stem.at(3) >= QLatin1Char('1') && stem.at(3) <= QLatin1Char('9');
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
