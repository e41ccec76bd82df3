#include "forms/widgets/ToolDialog.h"

#include <QHideEvent>
#include <QScreen>
#include <QShowEvent>

#include "platform/Ui.h"

ToolDialog::ToolDialog(QWidget* parent) : QDialog(parent, Qt::Tool) {}

void ToolDialog::showEvent(QShowEvent* event) {
  // Spontaneous events come from the window system (a restore), not a showing.
  if (!event->spontaneous()) {
    if (lastPos_) {
      move(*lastPos_);
    } else {
      QRect over;
      if (QWidget* parent = parentWidget()) over = parent->window()->frameGeometry();
      if (over.isEmpty() && screen()) over = screen()->availableGeometry();
      if (!over.isEmpty()) move(over.center() - QPoint(width() / 2, height() / 2));
    }
    ui::RunCommand([this] { FormShow(); });
  }
  QDialog::showEvent(event);
}

void ToolDialog::hideEvent(QHideEvent* event) {
  if (!event->spontaneous()) {
    lastPos_ = pos();
    ui::RunCommand([this] { FormHide(); });
  }
  QDialog::hideEvent(event);
}
