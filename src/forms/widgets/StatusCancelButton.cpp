#include "forms/widgets/StatusCancelButton.h"

#include <QApplication>
#include <QKeyEvent>

StatusCancelButton::StatusCancelButton(QWidget* parent) : QToolButton(parent) {
  setText(QStringLiteral("Cancel"));
  setObjectName(QStringLiteral("btnCancelProgress"));
  setAccessibleName(QStringLiteral("Cancel"));
  setToolTip(QStringLiteral("Stop (Esc)"));
  // Off, and out of sight, while there is nothing to stop.
  setVisible(false);
  setEnabled(false);
  connect(this, &QToolButton::clicked, this, [this] { requested_ = true; });
}

void StatusCancelButton::Begin() {
  requested_ = false;
  setEnabled(true);
  setVisible(true);
  // Esc is watched for the whole application while the step runs: whatever
  // control has the focus (the filter clears itself on Esc otherwise), the
  // key stops the step.
  qApp->installEventFilter(this);
}

void StatusCancelButton::End() {
  qApp->removeEventFilter(this);
  setVisible(false);
  setEnabled(false);
}

bool StatusCancelButton::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type == QEvent::KeyPress || type == QEvent::ShortcutOverride) &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == window()) {
    if (type == QEvent::KeyPress) requested_ = true;
    return true;
  }
  return QToolButton::eventFilter(watched, event);
}
