#include "LiveCellDelegate.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <limits>

LiveCellDelegate::LiveCellDelegate(QObject* parent, KeyHook hook, InsertHook insert)
    : QStyledItemDelegate(parent), hook_(std::move(hook)), insert_(std::move(insert)) {}

QWidget* LiveCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex&) const {
  auto* line = new CellLineEdit(parent, insert_);
  line->setFrame(false);
  // The default limit of 32767 characters would cut long cells on opening.
  line->setMaxLength(std::numeric_limits<int>::max());
  auto* self = const_cast<LiveCellDelegate*>(this);
  // Every change the user makes (typing, cut, paste) is stored at once; the
  // text the model itself puts in the editor is not a change.
  connect(line, &QLineEdit::textEdited, self, [self, line] { emit self->commitData(line); });
  return line;
}

void LiveCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* line = static_cast<CellLineEdit*>(editor);
  const QString text = index.data(Qt::EditRole).toString();
  // Entering a cell selects its whole text, so typing replaces the value.
  if (!line->Filled()) {
    line->SetCellText(text);
    line->selectAll();
    return;
  }
  // The model echoes each commit back; leave the caret where the user has it.
  if (line->text() == text) return;
  const int caret = line->cursorPosition();
  line->SetCellText(text);
  line->setCursorPosition(std::min(caret, int(text.size())));
}

void LiveCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                    const QModelIndex& index) const {
  model->setData(index, static_cast<QLineEdit*>(editor)->text(), Qt::EditRole);
}

bool LiveCellDelegate::eventFilter(QObject* object, QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    auto* line = qobject_cast<QLineEdit*>(object);
    // A shortcut override left unaccepted lets the grid's shortcut fire.
    if (hook_ && line && hook_(key, line)) return true;
  }
  // Enter and Escape would close the editor, which stays open in this grid;
  // every change is already stored, so there is nothing to submit or revert.
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) return true;
  }
  return QStyledItemDelegate::eventFilter(object, event);
}
