#include "forms/ToolWindowPlacement.h"

#include <QScreen>
#include <QWidget>

void ToolWindowPlacement::BeforeShow(QWidget* window) {
  if (last_) {
    window->move(*last_);
    return;
  }
  QRect over;
  if (QWidget* parent = window->parentWidget()) over = parent->window()->frameGeometry();
  if (over.isEmpty() && window->screen()) over = window->screen()->availableGeometry();
  if (over.isEmpty()) return;
  window->move(over.center() - QPoint(window->width() / 2, window->height() / 2));
}

void ToolWindowPlacement::AfterHide(QWidget* window) {
  last_ = window->pos();
}
