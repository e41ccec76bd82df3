#pragma once
// Small sheets for the check tests, written as lines of cells.
#include <QByteArray>
#include <QStringList>
#include <initializer_list>

#include "archive/check/CheckReport.h"

namespace checktest {

// The lines joined by CR LF, each line's cells by TAB ("a|b|c" is a, b, c).
inline QByteArray Sheet(std::initializer_list<const char*> lines) {
  QByteArray out;
  for (const char* line : lines) out += QByteArray(line).replace('|', '\t') + "\r\n";
  return out;
}

inline check::SheetFile Excel(const char* fileName, const QByteArray& bytes) {
  return check::SheetFile{QByteArray("data\\global\\excel\\") + fileName, bytes};
}

// Each finding as "file-name:line:column: severity: message".
QStringList Lines(const check::CheckReport& report);

}  // namespace checktest
