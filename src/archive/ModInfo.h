#pragma once
// The mod information record, the content of the "(modinfo)" entry: a 40-byte
// header of six text lengths and four reserved words (32-bit little-endian),
// then the six texts' bytes back to back, with no terminator.
#include <QByteArray>
#include <QString>
#include <array>

struct ModInfoHeader {
  static constexpr int kSize = 40;
  std::array<qint32, 6> lengths{};
  std::array<quint32, 4> reserved{};
};

struct ModInfo {
  // Record order: title, author, game version(s), web address, mod version,
  // description (its lines joined by CR LF).
  enum Text { Title, Author, D2Version, URL, ModVersion, Description, TextCount };
  QByteArray texts[TextCount];
};

QByteArray EncodeModInfo(const ModInfo& info);

// Never reads outside the record: missing header bytes count as 0, and a
// length that is negative or runs past the end takes only what remains. Each
// text is cut at its first NUL, as its field would show it, unless keepNul
// asks for every byte (a change of one text then keeps the others whole).
ModInfo DecodeModInfo(const QByteArray& record, bool keepNul = false);

// Writes the record to a new file in the temporary folder, created exclusively
// under a unique name, and returns its path. Raises AppError("Cannot create
// file <path>") when it cannot be created, AppError("Stream write error") (the
// file then removed) when it cannot be written.
QString WriteModInfoFile(const ModInfo& info);
