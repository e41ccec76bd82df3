#pragma once
// What the workspace commands share: the file dialogs' filters and the scope
// guards that put the window back in order on every way out of a command.
#include <QWidget>

inline constexpr char kModFilter[] = "Diablo II Mods (*.QLM)|*.QLM|All Files (*.*)|*.*";
inline constexpr char kAllFilesFilter[] = "All Files (*.*)|*.*";

// Turns a widget's repainting off or on until the scope ends.
class ScopedUpdates {
 public:
  ScopedUpdates(QWidget* widget, bool on) : widget_(widget), was_(widget->updatesEnabled()) {
    widget_->setUpdatesEnabled(on);
  }
  ~ScopedUpdates() { widget_->setUpdatesEnabled(was_); }
  ScopedUpdates(const ScopedUpdates&) = delete;
  ScopedUpdates& operator=(const ScopedUpdates&) = delete;

 private:
  QWidget* widget_;
  bool was_;
};

// Suspends a widget's repainting until the scope ends.
class ScopedNoRepaint : public ScopedUpdates {
 public:
  explicit ScopedNoRepaint(QWidget* widget) : ScopedUpdates(widget, false) {}
};
