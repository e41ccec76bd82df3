#include "forms/edit/strings/StringCellDelegate.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

QWidget* StringCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex&) const {
  auto* editor = new QPlainTextEdit(parent);
  editor->setObjectName(QStringLiteral("edtStringCell"));
  editor->setAccessibleName(QStringLiteral("Cell text"));
  editor->setTabChangesFocus(true);
  editor->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* self = const_cast<StringCellDelegate*>(this);
  connect(editor, &QPlainTextEdit::textChanged, self, [self, editor] {
    if (editor->document()->isModified()) emit self->textTyped(CellText(editor));
  });
  return editor;
}

namespace {

// The editor's document takes a CR for the end of a paragraph, as it takes
// an LF: a CR is shown as this symbol while the cell is edited, and given
// back (unless the text holds the symbol itself, which then stays).
constexpr QChar kCrMark(0x240D);
constexpr char kMarksCr[] = "marksCr";

}  // namespace

void StringCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* text = static_cast<QPlainTextEdit*>(editor);
  QString shown = index.data(Qt::EditRole).toString();
  const bool marksCr = shown.contains(QLatin1Char('\r')) && !shown.contains(kCrMark);
  if (marksCr) shown.replace(QLatin1Char('\r'), kCrMark);
  text->setProperty(kMarksCr, marksCr);
  text->setPlainText(shown);
  text->moveCursor(QTextCursor::End);
}

QString StringCellDelegate::CellText(const QWidget* editor) {
  // The raw text, not the plain one: that would turn no-break spaces into
  // spaces and line separators into line ends, all through the text.
  QString text = static_cast<const QPlainTextEdit*>(editor)->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  if (editor->property(kMarksCr).toBool()) text.replace(kCrMark, QLatin1Char('\r'));
  return text;
}

void StringCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                      const QModelIndex& index) const {
  // Untouched, the cell keeps its bytes: the document has no CR to give back.
  if (!static_cast<QPlainTextEdit*>(editor)->document()->isModified()) return;
  model->setData(index, CellText(editor), Qt::EditRole);
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
