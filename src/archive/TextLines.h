#pragma once
// The one rule by which the program turns bytes into a list of lines
// ("(listfile)", sheets from the archive and from disk): a NUL byte ends the
// text; lines end at CR, LF or CR LF; a line end at the very end starts no
// further line; empty text gives no lines.
#include <QByteArray>
#include <QList>

using LineList = QList<QByteArray>;

LineList SplitLines(const char* data, qsizetype size);
inline LineList SplitLines(const QByteArray& bytes) { return SplitLines(bytes.constData(), bytes.size()); }
