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
// Where the first character with no Windows-1252 byte starts in text (a
// character beyond U+FFFF takes two places); -1 when every one has a byte.
qsizetype firstWithoutByte(const QString& text);

// A file name as the system gives it in bytes, as single bytes: each UTF-8
// sequence stands for its character's Windows-1252 byte, and every other
// byte for itself (tools that unpack archives write the names' own bytes).
// So "caf\xC3\xA9" and "caf\xE9" both give "caf\xE9". False when a UTF-8
// character has no Windows-1252 byte.
bool fromDiskName(const QByteArray& name, QByteArray& bytes);
// The length of the well-formed UTF-8 sequence at name[at] (1 for ASCII); 0
// when none starts there.
qsizetype utf8Length(const QByteArray& name, qsizetype at);

}  // namespace ansi
