#include "forms/about/AboutPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace about {

namespace {
// The backdrop colour, which the bottom-left pixel carries.
const QColor kBackdrop(255, 0, 255);
}  // namespace

QImage PictureImage() {
  QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
  image.fill(kBackdrop);
  QPainter p(&image);

  // A sheet of parchment with rolled ends.
  QLinearGradient parchment(0, 0, kPictureWidth, 0);
  parchment.setColorAt(0, QColor(196, 160, 96));
  parchment.setColorAt(0.5, QColor(240, 220, 170));
  parchment.setColorAt(1, QColor(196, 160, 96));
  p.setPen(QPen(QColor(110, 80, 40), 1));
  p.setBrush(parchment);
  p.drawRect(16, 28, 82, 96);
  p.setBrush(QColor(170, 130, 70));
  p.drawRoundedRect(10, 20, 94, 12, 6, 6);
  p.drawRoundedRect(10, 120, 94, 12, 6, 6);

  // Lines of writing.
  p.setPen(QPen(QColor(90, 60, 30), 1));
  for (int y = 44; y < 112; y += 9) p.drawLine(26, y, 26 + 50 + (y * 7) % 13, y);

  // The quill, crossing the sheet.
  QPainterPath vane;
  vane.moveTo(100, 4);
  vane.cubicTo(80, 20, 60, 60, 44, 100);
  vane.cubicTo(62, 70, 92, 36, 100, 4);
  QLinearGradient feather(44, 100, 100, 4);
  feather.setColorAt(0, QColor(250, 250, 250));
  feather.setColorAt(1, QColor(150, 170, 210));
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(60, 70, 100), 1));
  p.setBrush(feather);
  p.drawPath(vane);
  p.setPen(QPen(QColor(40, 40, 40), 2));
  p.drawLine(QPointF(98, 8), QPointF(40, 110));
  p.end();

  // The backdrop corner keeps its exact colour whatever the smoothing did.
  image.setPixelColor(0, kPictureHeight - 1, kBackdrop);
  return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
}

QPixmap Picture() {
  QImage image = PictureImage().convertToFormat(QImage::Format_ARGB32);
  const QRgb transparent = image.pixel(0, image.height() - 1);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if (line[x] == transparent) line[x] = qRgba(0, 0, 0, 0);
  }
  return QPixmap::fromImage(image);
}

}  // namespace about
