#pragma once
// A string's text as the user sees and types it. Texts are UTF-8 bytes; a
// text that is valid UTF-8 shows decoded. A text that is not (a table
// written in another code page, a damaged one) shows every byte of a broken
// sequence as \xNN and every backslash as \\, so that typing into it and
// saving loses no byte: the rule a text is taken back by is the one its
// stored bytes were shown by.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace stringtext {

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsUtf8(QByteArrayView bytes);

// Whether the text shows with escapes (it is not valid UTF-8).
inline bool Escaped(QByteArrayView bytes) {
  return !IsUtf8(bytes);
}

QString ToDisplay(QByteArrayView bytes);

// What a line end inside a key or text shows as where the text must stay on
// one line (a table cell, a list row).
inline constexpr QChar kLineEndMark{char16_t(0x21B5)};
// The shown text with each line end as that mark.
QString OnOneLine(QString shown);

// The bytes for a shown text; escaped: \xNN and \\ are read back (a
// backslash before anything else stays a backslash).
QByteArray FromDisplay(const QString& shown, bool escaped);

// The bytes of a valid UTF-8 sequence starting at `at`, 0 when none does.
int Utf8SequenceLength(QByteArrayView bytes, qsizetype at);

}  // namespace stringtext
