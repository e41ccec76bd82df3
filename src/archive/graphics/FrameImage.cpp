#include "archive/graphics/FrameImage.h"

#include <QHash>

namespace graphics {

namespace {

void SetOffsets(QImage& image, const IndexFrame& frame) {
  image.setText(QLatin1String(kOffsetXKey), QString::number(frame.offsetX));
  image.setText(QLatin1String(kOffsetYKey), QString::number(frame.offsetY));
}

int OffsetText(const QImage& image, const char* key) {
  bool ok = false;
  const int value = image.text(QLatin1String(key)).trimmed().toInt(&ok);
  return ok ? value : 0;
}

// Weighted by the pair's mean red ("redmean"): close to how far apart the
// eye sees two colours, for the price of a few multiplications.
int Distance(QRgb a, QRgb b) {
  const int meanRed = (qRed(a) + qRed(b)) / 2;
  const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
  return (((512 + meanRed) * dr * dr) >> 8) + 4 * dg * dg + (((767 - meanRed) * db * db) >> 8);
}

}  // namespace

QImage ToImage(const IndexFrame& frame, const Palette& palette) {
  QImage image(frame.width, frame.height, QImage::Format_ARGB32);
  for (int y = 0; y < frame.height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const auto* row = reinterpret_cast<const uint8_t*>(frame.pixels.constData()) + qsizetype(y) * frame.width;
    for (int x = 0; x < frame.width; ++x) line[x] = row[x] ? palette.colours[row[x]] : 0;
  }
  SetOffsets(image, frame);
  return image;
}

QImage ToIndexedImage(const IndexFrame& frame, const Palette& palette) {
  QImage image(frame.width, frame.height, QImage::Format_Indexed8);
  QList<QRgb> table(palette.colours.begin(), palette.colours.end());
  table[0] = qRgba(qRed(table[0]), qGreen(table[0]), qBlue(table[0]), 0);
  image.setColorTable(table);
  for (int y = 0; y < frame.height; ++y)
    std::memcpy(image.scanLine(y), frame.pixels.constData() + qsizetype(y) * frame.width,
                size_t(frame.width));
  SetOffsets(image, frame);
  return image;
}

uint8_t NearestIndex(QRgb colour, const Palette& palette) {
  int best = 1;
  int bestDistance = Distance(colour, palette.colours[1]);
  for (int i = 2; i < 256 && bestDistance > 0; ++i) {
    const int d = Distance(colour, palette.colours[i]);
    if (d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return uint8_t(best);
}

IndexFrame FromImage(const QImage& image, const Palette& palette) {
  IndexFrame frame = BlankFrame(image.width(), image.height(), OffsetText(image, kOffsetXKey),
                                OffsetText(image, kOffsetYKey));
  char* out = frame.pixels.data();
  if (image.format() == QImage::Format_Indexed8) {
    for (int y = 0; y < frame.height; ++y)
      std::memcpy(out + qsizetype(y) * frame.width, image.constScanLine(y), size_t(frame.width));
    return frame;
  }
  const QImage rgba = image.convertToFormat(QImage::Format_ARGB32);
  QHash<QRgb, uint8_t> seen;
  for (int y = 0; y < frame.height; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgba.constScanLine(y));
    for (int x = 0; x < frame.width; ++x) {
      if (qAlpha(line[x]) < 128) continue;
      const QRgb colour = line[x] | 0xFF000000u;
      auto it = seen.constFind(colour);
      if (it == seen.constEnd()) it = seen.insert(colour, NearestIndex(colour, palette));
      out[qsizetype(y) * frame.width + x] = char(*it);
    }
  }
  return frame;
}

bool OffsetTextsSound(const QImage& image, QString& fault) {
  for (const char* key : {kOffsetXKey, kOffsetYKey}) {
    const QString text = image.text(QLatin1String(key));
    bool ok = text.isEmpty();
    if (!ok) text.trimmed().toInt(&ok);
    if (!ok) {
      fault = QStringLiteral("its %1 text \"%2\" is not a whole number of pixels").arg(QLatin1String(key), text.left(40));
      return false;
    }
  }
  return true;
}

}  // namespace graphics
