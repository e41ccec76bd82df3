#include "forms/main/MainIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <functional>

namespace icons {

namespace {

QIcon standard(QStyle::StandardPixmap which) {
  return QApplication::style()->standardIcon(which);
}

// A 16x16 picture: a sheet of paper with a coloured sign drawn over it.
QIcon drawn(const QColor& colour, const std::function<void(QPainter&)>& sign) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(90, 90, 90), 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(2.5, 1.5, 9, 12));
  p.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  sign(p);
  p.end();
  return QIcon(pixmap);
}

}  // namespace

QIcon NewMod() {
  return standard(QStyle::SP_FileIcon);
}
QIcon OpenMod() {
  return standard(QStyle::SP_DialogOpenButton);
}
QIcon UpdateMod() {
  return standard(QStyle::SP_DialogSaveButton);
}
QIcon SaveSheet() {
  return standard(QStyle::SP_DialogSaveButton);
}
QIcon ImportSheet() {
  return standard(QStyle::SP_DialogOpenButton);
}

QIcon AddFile() {
  return drawn(QColor(0, 140, 0), [](QPainter& p) {
    p.drawLine(QPointF(11, 8), QPointF(11, 15));
    p.drawLine(QPointF(7.5, 11.5), QPointF(14.5, 11.5));
  });
}

QIcon RemoveFile() {
  return drawn(QColor(200, 0, 0), [](QPainter& p) { p.drawLine(QPointF(7.5, 11.5), QPointF(14.5, 11.5)); });
}

QIcon ExportFile() {
  return drawn(QColor(0, 90, 200), [](QPainter& p) {
    p.drawLine(QPointF(7, 11.5), QPointF(14.5, 11.5));
    QPainterPath head;
    head.moveTo(11.5, 8.5);
    head.lineTo(14.5, 11.5);
    head.lineTo(11.5, 14.5);
    p.drawPath(head);
  });
}

}  // namespace icons
