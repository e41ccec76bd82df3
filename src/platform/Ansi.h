#pragma once
// Internal names, sheet cells and mod information are single-byte text that
// must survive byte for byte. They are shown as Windows-1252; the five bytes
// that code page leaves undefined show as the C1 controls U+0081.. and map back.
#include <QByteArray>
#include <QString>

namespace ansi {

QString toDisplay(const QByteArray& bytes);
QString toDisplay(const char* data, qsizetype size);

// Characters with no Windows-1252 byte become '?'.
QByteArray fromDisplay(const QString& text);

}  // namespace ansi
