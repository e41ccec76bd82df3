#include "forms/about/AboutScroll.h"

#include <QFontMetrics>
#include <QPainter>

#include "forms/about/AboutPicture.h"
#include "platform/Ansi.h"

QList<QByteArray> AboutScroll::Lines() {
  return {
      QByteArray(19, '_'),
      QByteArray("Quillforge\x99"),
      QByteArray(19, '\xAF'),
      "Welcome to the Quillforge.",
      "With this program it is possible",
      "to create Diablo 2 modules,",
      "for use with the Hearthwarden.",
      "",
      "ARCHWRIT 1.04",
      "archive writing by the Quillforge team",
      "",
      "This version is still a BETA version,",
      "so many options are not yet available",
      "or will be added in the future.",
      "",
      "Also be aware of bugs which may not",
      "be fixed yet.",
      "",
      "Beta testing and good advice:",
      "Maren Holt",
      "",
      "If you have any comments or",
      "remarks, e-mail them to",
      "quillforge@example.org",
  };
}

AboutScroll::AboutScroll(QWidget* parent) : QFrame(parent), lines_(Lines()), picture_(about::Picture()) {
  setObjectName(QStringLiteral("Scroll"));
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  pal.setColor(QPalette::WindowText, Qt::white);
  setPalette(pal);
  font_ = QFont(QStringLiteral("Arial"));
  font_.setPixelSize(11);
  timer_.setInterval(kStepMs);
  connect(&timer_, &QTimer::timeout, this, &AboutScroll::Step);
}

int AboutScroll::LineHeight() const {
  const QFontMetrics m(font_);
  return qMax(m.height(), m.height() + m.leading());
}

int AboutScroll::CycleLength() const {
  return TextArea().height() + LineHeight() * int(lines_.size());
}

QRect AboutScroll::TextArea() const {
  QRect area = contentsRect();
  area.setLeft(area.left() + picture_.width());
  return area;
}

void AboutScroll::Start() {
  offset_ = 0;
  Render();
  timer_.start();
  update();
}

void AboutScroll::Stop() {
  timer_.stop();
  frame_ = QImage();
  offset_ = 0;
  update();
}

void AboutScroll::Step() {
  offset_ = offset_ >= CycleLength() ? 0 : offset_ + 1;
  Render();
  update(TextArea());
}

void AboutScroll::Render() {
  const QRect area = TextArea();
  if (frame_.size() != area.size()) frame_ = QImage(area.size(), QImage::Format_RGB32);
  frame_.fill(Qt::black);
  QPainter p(&frame_);
  p.setFont(font_);
  p.setPen(Qt::white);
  const int height = LineHeight();
  for (int i = 0; i < lines_.size(); ++i) {
    const int top = area.height() - offset_ + i * height;
    if (top + height <= 0 || top >= area.height()) continue;
    const QString text = ansi::toDisplay(lines_[i].left(kMaxLineChars));
    p.drawText(QRect(0, top, area.width(), height), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
               text);
  }
}

void AboutScroll::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter p(this);
  const QRect inside = contentsRect();
  p.drawPixmap(inside.left(), inside.top() + (inside.height() - picture_.height()) / 2, picture_);
  if (!frame_.isNull()) p.drawImage(TextArea().topLeft(), frame_);
}
