#include "forms/edit/CellLineEdit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>

#include "archive/sheetedit/ClipboardText.h"
#include "platform/Ansi.h"

CellLineEdit::CellLineEdit(QWidget* parent, InsertHook hook) : QLineEdit(parent), hook_(std::move(hook)) {
  setObjectName(QStringLiteral("edtCell"));
  setAccessibleName(QStringLiteral("Cell"));
  // Connected before anyone stores the change, so a refused one is never stored.
  connect(this, &QLineEdit::textEdited, this, &CellLineEdit::Edited);
}

void CellLineEdit::SetCellText(const QString& text) {
  filled_ = true;
  before_ = text;
  setText(text);
}

bool CellLineEdit::HookTakes(QClipboard::Mode mode) {
  return hook_ && hook_(QGuiApplication::clipboard()->text(mode));
}

void CellLineEdit::Edited(const QString& text) {
  const QByteArray after = ansi::fromDisplay(text);
  const bool bringsControl =
      clipboardtext::ControlCount(after) > clipboardtext::ControlCount(ansi::fromDisplay(before_));
  if (bringsControl && hook_ && hook_(text)) {
    // Put back without a signal: the text before is what the cell holds.
    const QSignalBlocker quiet(this);
    setText(before_);
    return;
  }
  before_ = text;
}

void CellLineEdit::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  // The menu's Paste goes by the hook too. It is known by its text (with
  // its key after a TAB), as QLineEdit names it.
  const QString pasteText = QCoreApplication::translate("QLineEdit", "&Paste");
  for (QAction* action : menu->actions()) {
    if (action->text().section(QLatin1Char('\t'), 0, 0) != pasteText) continue;
    action->setObjectName(QStringLiteral("edit-paste"));
    disconnect(action, &QAction::triggered, this, &QLineEdit::paste);
    connect(action, &QAction::triggered, this, [this] {
      if (!HookTakes(QClipboard::Clipboard)) paste();
    });
  }
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

void CellLineEdit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste) && !isReadOnly() && HookTakes(QClipboard::Clipboard)) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void CellLineEdit::mouseReleaseEvent(QMouseEvent* event) {
  // The middle button pastes the selection where the system keeps one.
  if (event->button() == Qt::MiddleButton && !isReadOnly() &&
      QGuiApplication::clipboard()->supportsSelection() && HookTakes(QClipboard::Selection)) {
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}

void CellLineEdit::dropEvent(QDropEvent* event) {
  if (!isReadOnly() && event->mimeData()->hasText() && hook_ && hook_(event->mimeData()->text())) {
    event->acceptProposedAction();
    return;
  }
  QLineEdit::dropEvent(event);
}
