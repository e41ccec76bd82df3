#include "Ansi.h"

#include <array>

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

}  // namespace

namespace ansi {

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

}  // namespace ansi
