#pragma once
// The about box's panel: black, the picture at the left, and the 24 lines of
// text rising through the area to its right one pixel per step, cycling.
// Each step renders the visible lines into an off-screen frame of the text
// area's size, which the panel then shows; all of it on the GUI thread.
#include <QByteArray>
#include <QFont>
#include <QFrame>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QTimer>

class AboutScroll : public QFrame {
  Q_OBJECT
 public:
  static constexpr int kStepMs = 70;
  static constexpr int kMaxLineChars = 255;

  explicit AboutScroll(QWidget* parent = nullptr);

  // The text, one single-byte line per row.
  static QList<QByteArray> Lines();

  // Scrolling from the beginning: offset 0, the first line just below the
  // bottom edge, the timer running.
  void Start();
  // Stops the timer and discards the frame and the offset.
  void Stop();
  bool IsScrolling() const { return timer_.isActive(); }
  // One step: the offset grows by 1; once the last line has left the top, the
  // next step starts again from 0. Renders the frame and repaints.
  void Step();

  int Offset() const { return offset_; }
  // The offset at which the last line has just left the top edge.
  int CycleLength() const;
  int LineHeight() const;
  // The text area inside the panel, right of the picture.
  QRect TextArea() const;
  // The last rendered frame; null while still.
  const QImage& Frame() const { return frame_; }
  const QTimer& Timer() const { return timer_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Render();

  QList<QByteArray> lines_;
  QFont font_;
  QPixmap picture_;
  QImage frame_;
  QTimer timer_;
  int offset_ = 0;
};
