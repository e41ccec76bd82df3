#include "forms/edit/strings/StringCellDelegate.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCursor>

QWidget* StringCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex&) const {
  auto* editor = new QPlainTextEdit(parent);
  editor->setObjectName(QStringLiteral("edtStringCell"));
  editor->setAccessibleName(QStringLiteral("Cell text"));
  editor->setTabChangesFocus(true);
  editor->setLineWrapMode(QPlainTextEdit::NoWrap);
  return editor;
}

void StringCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* text = static_cast<QPlainTextEdit*>(editor);
  text->setPlainText(index.data(Qt::EditRole).toString());
  text->moveCursor(QTextCursor::End);
}

void StringCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                      const QModelIndex& index) const {
  model->setData(index, static_cast<QPlainTextEdit*>(editor)->toPlainText(), Qt::EditRole);
}

void StringCellDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                              const QModelIndex& index) const {
  // Room for a few lines below the cell, so a text with line ends can be read.
  QRect rect = option.rect;
  const int lines = std::min(6, int(index.data(Qt::EditRole).toString().count(QLatin1Char('\n'))) + 1);
  rect.setHeight(std::max(rect.height(), option.fontMetrics.lineSpacing() * lines + 8));
  editor->setGeometry(rect);
}

bool StringCellDelegate::eventFilter(QObject* watched, QEvent* event) {
  auto* editor = qobject_cast<QPlainTextEdit*>(watched);
  if (editor && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      if (key->modifiers() & Qt::ShiftModifier) {
        // A plain line end: the editor's own Shift+Enter would put in a
        // Unicode line separator.
        editor->insertPlainText(QStringLiteral("\n"));
        return true;
      }
      emit commitData(editor);
      emit closeEditor(editor, QAbstractItemDelegate::NoHint);
      return true;
    }
  }
  return QStyledItemDelegate::eventFilter(watched, event);
}
