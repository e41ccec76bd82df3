#include "Ansi.h"

#include <array>
#include <utility>

namespace {

// Windows-1252 bytes 0x80..0x9F; the undefined ones map to their C1 control.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t decode(unsigned char b) {
  return (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char16_t(b);
}

int encode(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == c) return 0x80 + i;
  return -1;
}

// The character of the UTF-8 sequence at in[i] and its length; a length of 0
// when no well-formed sequence (no overlong form, no surrogate) starts there.
std::pair<char32_t, int> Utf8At(const QByteArray& in, qsizetype i) {
  const auto at = [&](qsizetype k) { return k < in.size() ? static_cast<unsigned char>(in[k]) : 0u; };
  const unsigned lead = at(i);
  int length = 0;
  unsigned low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {0, 0};
  }
  char32_t c = lead & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    const unsigned b = at(i + k);
    if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) return {0, 0};
    c = (c << 6) | (b & 0x3F);
  }
  return {c, length};
}

}  // namespace

namespace ansi {

qsizetype utf8Length(const QByteArray& name, qsizetype at) {
  if (static_cast<unsigned char>(name[at]) < 0x80) return 1;
  return Utf8At(name, at).second;
}

bool fromDiskName(const QByteArray& name, QByteArray& bytes) {
  bytes.clear();
  bytes.reserve(name.size());
  for (qsizetype i = 0; i < name.size();) {
    const auto [c, length] = Utf8At(name, i);
    if (length == 0) {
      bytes += name[i++];
      continue;
    }
    const int b = c <= 0xFFFF ? encode(char16_t(c)) : -1;
    if (b < 0) return false;
    bytes += char(b);
    i += length;
  }
  return true;
}


QString toDisplay(const char* data, qsizetype size) {
  QString out(size, Qt::Uninitialized);
  QChar* dst = out.data();
  for (qsizetype i = 0; i < size; ++i) dst[i] = QChar(decode(static_cast<unsigned char>(data[i])));
  return out;
}

QString toDisplay(const QByteArray& bytes) { return toDisplay(bytes.constData(), bytes.size()); }

QByteArray fromDisplay(const QString& text) {
  QByteArray out(text.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const int b = encode(text.at(i).unicode());
    out[i] = char(b < 0 ? '?' : b);
  }
  return out;
}

qsizetype firstWithoutByte(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i)
    if (encode(text.at(i).unicode()) < 0) return i;
  return -1;
}

}  // namespace ansi
