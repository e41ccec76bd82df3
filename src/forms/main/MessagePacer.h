#pragma once
// Lets the window handle waiting messages during a long loop, at most once
// every few milliseconds: often enough to repaint and move the progress bar,
// seldom enough not to slow a loop over thousands of small files.
#include <QElapsedTimer>

#include "platform/Ui.h"

class MessagePacer {
 public:
  void Pump() {
    if (timer_.isValid() && timer_.elapsed() < kEveryMs) return;
    timer_.start();
    ui::ProcessMessages();
  }

 private:
  static constexpr qint64 kEveryMs = 15;
  QElapsedTimer timer_;
};
