#include "StringText.h"

namespace stringtext {

int Utf8SequenceLength(QByteArrayView bytes, qsizetype at) {
  const auto byte = [&](qsizetype i) { return at + i < bytes.size() ? uchar(bytes[at + i]) : 0u; };
  const auto cont = [&](qsizetype i, uchar low = 0x80, uchar high = 0xBF) {
    const uint b = byte(i);
    return b >= low && b <= high;
  };
  const uint lead = byte(0);
  if (at >= bytes.size()) return 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return cont(1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    const uchar low = lead == 0xE0 ? 0xA0 : 0x80;
    const uchar high = lead == 0xED ? 0x9F : 0xBF;
    return cont(1, low, high) && cont(2) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    const uchar low = lead == 0xF0 ? 0x90 : 0x80;
    const uchar high = lead == 0xF4 ? 0x8F : 0xBF;
    return cont(1, low, high) && cont(2) && cont(3) ? 4 : 0;
  }
  return 0;
}

bool IsUtf8(QByteArrayView bytes) {
  for (qsizetype at = 0; at < bytes.size();) {
    // ASCII runs are the common case.
    if (uchar(bytes[at]) < 0x80) {
      ++at;
      continue;
    }
    const int length = Utf8SequenceLength(bytes, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

QString ToDisplay(QByteArrayView bytes) {
  if (IsUtf8(bytes)) return QString::fromUtf8(bytes);
  QString shown;
  shown.reserve(bytes.size() + 16);
  qsizetype at = 0;
  while (at < bytes.size()) {
    const int length = Utf8SequenceLength(bytes, at);
    if (length == 0) {
      shown += QString::asprintf("\\x%02X", uint(uchar(bytes[at])));
      ++at;
    } else if (bytes[at] == '\\') {
      shown += QLatin1String("\\\\");
      ++at;
    } else {
      shown += QString::fromUtf8(bytes.sliced(at, length));
      at += length;
    }
  }
  return shown;
}

QString OnOneLine(QString shown) {
  return shown.replace(QLatin1Char('\n'), kLineEndMark);
}

namespace {

int HexValue(QChar c) {
  const ushort u = c.unicode();
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'a' && u <= 'f') return u - 'a' + 10;
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  return -1;
}

}  // namespace

QByteArray FromDisplay(const QString& shown, bool escaped) {
  if (!escaped) return shown.toUtf8();
  QByteArray bytes;
  bytes.reserve(shown.size());
  qsizetype plainFrom = 0;
  const auto flush = [&](qsizetype to) {
    if (to > plainFrom) bytes += QStringView(shown).sliced(plainFrom, to - plainFrom).toUtf8();
  };
  for (qsizetype i = 0; i < shown.size(); ++i) {
    if (shown[i] != QLatin1Char('\\') || i + 1 >= shown.size()) continue;
    if (shown[i + 1] == QLatin1Char('\\')) {
      flush(i);
      bytes += '\\';
      plainFrom = ++i + 1;
    } else if (shown[i + 1] == QLatin1Char('x') && i + 3 < shown.size() && HexValue(shown[i + 2]) >= 0 &&
               HexValue(shown[i + 3]) >= 0) {
      flush(i);
      bytes += char(HexValue(shown[i + 2]) * 16 + HexValue(shown[i + 3]));
      i += 3;
      plainFrom = i + 1;
    }
  }
  flush(shown.size());
  return bytes;
}

}  // namespace stringtext
