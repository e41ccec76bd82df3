#include "forms/widgets/StatusProgressBar.h"

StatusProgressBar::StatusProgressBar(QWidget* parent) : QProgressBar(parent) {
  setTextVisible(false);
  Show();
}

void StatusProgressBar::SetMin(int min) {
  min_ = min;
  SetPosition(position_);
}

void StatusProgressBar::SetMax(int max) {
  max_ = max;
  SetPosition(position_);
}

void StatusProgressBar::SetPosition(int position) {
  position_ = qMax(min_, qMin(position, qMax(min_, max_)));
  Show();
}

void StatusProgressBar::StepIt() {
  const int next = position_ + step_;
  SetPosition(next > max_ ? min_ : next);
}

void StatusProgressBar::Show() {
  if (max_ > min_) {
    setRange(min_, max_);
    setValue(position_);
  } else {
    setRange(0, 1);
    setValue(0);
  }
}
