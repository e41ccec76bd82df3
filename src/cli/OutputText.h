#pragma once
// How single-byte text (internal names, mod information) is written on the
// command line and read from it. Each byte stands for its Windows-1252
// character (the five bytes that code page leaves undefined for U+0081,
// U+008D, U+008F, U+0090 and U+009D), written in UTF-8; arguments are read
// back the same way, so every byte a terminal can pass round-trips.
#include <QByteArray>
#include <QString>
#include <cstdio>

#include "cli/CliIo.h"

namespace cli {

// The text as one line: as it is, or, when it holds a control character
// (a byte below 32, or 127) or starts with a double quote, in double quotes
// with C escapes: \" \\ \t \n \r, and \ooo (three octal digits) for the other
// control bytes, as git quotes file names.
QByteArray LineText(const QByteArray& bytes);
// The same for text already decoded (a string table's UTF-8 text).
QByteArray DecodedLineText(const QString& text);

// The text as a JSON string, double quotes included: " and \ escaped, the
// control characters below 32 as \b \f \n \r \t or \u00XX, and DEL and
// U+0080..U+009F as \u00XX (each the byte's own character, as above), every
// other character in UTF-8.
QByteArray JsonText(const QByteArray& bytes);

// An argument (as the program got it) as single-byte text. False, after
// naming what the argument is for (an option, "a name pattern") and the
// character, when one of its characters has no Windows-1252 byte: a '?' in
// its place would be written, or matched, as something the user never typed.
bool ArgumentBytes(Io& io, const QString& what, const QString& argument, QByteArray& bytes);

// A disk path as messages show it.
QString ShownPath(const QString& path);

void Write(std::FILE* stream, const QByteArray& bytes);
// The bytes and a line end.
void WriteLine(std::FILE* stream, const QByteArray& line);

// One line on the error stream: "quillforge: " and the message.
void Complain(Io& io, const QString& message);
// The same for one command: "quillforge check: " and the message.
void Complain(Io& io, const char* command, const QString& message);

}  // namespace cli
