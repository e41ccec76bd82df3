#include "archive/graphics/Palette.h"

#include <QByteArray>

namespace graphics {

bool ReadPalette(QByteArrayView bytes, Palette& palette, QString& fault) {
  const auto* b = reinterpret_cast<const uint8_t*>(bytes.data());
  Palette read;
  if (bytes.size() == kPalDatSize) {
    for (int i = 0; i < 256; ++i) read.colours[i] = qRgb(b[3 * i + 2], b[3 * i + 1], b[3 * i]);
  } else if (bytes.size() == kPl2Size) {
    for (int i = 0; i < 256; ++i) read.colours[i] = qRgb(b[4 * i], b[4 * i + 1], b[4 * i + 2]);
  } else {
    fault = QStringLiteral("not a palette: %1 bytes, where a pal.dat holds 768 and a .PL2 443175")
                .arg(bytes.size());
    return false;
  }
  palette = read;
  return true;
}

Palette GreyPalette() {
  Palette grey;
  for (int i = 0; i < 256; ++i) grey.colours[i] = qRgb(i, i, i);
  return grey;
}

QByteArray PalDatBytes(const Palette& palette) {
  QByteArray bytes(kPalDatSize, '\0');
  for (int i = 0; i < 256; ++i) {
    bytes[3 * i] = char(qBlue(palette.colours[i]));
    bytes[3 * i + 1] = char(qGreen(palette.colours[i]));
    bytes[3 * i + 2] = char(qRed(palette.colours[i]));
  }
  return bytes;
}

}  // namespace graphics
