#pragma once
// The progress bar of the status bar: a range, a position and a step of 1.
// A range whose maximum is not above its minimum shows an empty bar (Qt would
// show a busy animation), and the position always stays inside the range.
#include <QProgressBar>

class StatusProgressBar : public QProgressBar {
  Q_OBJECT
 public:
  explicit StatusProgressBar(QWidget* parent = nullptr);

  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  int Step() const { return step_; }

  void SetMin(int min);
  void SetMax(int max);
  void SetPosition(int position);
  // Advances by one step; past the maximum it starts again at the minimum.
  void StepIt();

 private:
  void Show();

  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
  int step_ = 1;
};
