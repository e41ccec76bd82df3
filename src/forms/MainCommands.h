#pragma once
// What the workspace commands share: the file dialogs' filters and the scope
// guards that put the window back in order on every way out of a command.
#include <QWidget>

inline constexpr char kModFilter[] = "Diablo II Mods (*.QLM)|*.QLM|All Files (*.*)|*.*";
inline constexpr char kAllFilesFilter[] = "All Files (*.*)|*.*";

// Suspends a widget's repainting until the scope ends.
class ScopedNoRepaint {
 public:
  explicit ScopedNoRepaint(QWidget* widget) : widget_(widget), was_(widget->updatesEnabled()) {
    widget_->setUpdatesEnabled(false);
  }
  ~ScopedNoRepaint() { widget_->setUpdatesEnabled(was_); }
  ScopedNoRepaint(const ScopedNoRepaint&) = delete;
  ScopedNoRepaint& operator=(const ScopedNoRepaint&) = delete;

 private:
  QWidget* widget_;
  bool was_;
};

// Lets a widget repaint until the scope ends, inside a ScopedNoRepaint.
class ScopedRepaint {
 public:
  explicit ScopedRepaint(QWidget* widget) : widget_(widget), was_(widget->updatesEnabled()) {
    widget_->setUpdatesEnabled(true);
  }
  ~ScopedRepaint() { widget_->setUpdatesEnabled(was_); }
  ScopedRepaint(const ScopedRepaint&) = delete;
  ScopedRepaint& operator=(const ScopedRepaint&) = delete;

 private:
  QWidget* widget_;
  bool was_;
};
