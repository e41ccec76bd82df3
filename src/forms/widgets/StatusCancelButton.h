#pragma once
// The Cancel button beside the status bar's progress bar, shown while a
// long step can be stopped. Clicking it, or pressing Esc anywhere in the
// window, asks the step to stop; the step looks at Requested() between
// pieces of its work, while it lets the window handle messages.
#include <QToolButton>

class StatusCancelButton : public QToolButton {
  Q_OBJECT
 public:
  explicit StatusCancelButton(QWidget* parent = nullptr);

  // Shows the button, with no stop asked yet, until End.
  void Begin();
  void End();
  bool Requested() const { return requested_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool requested_ = false;
};
