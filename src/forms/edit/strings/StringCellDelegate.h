#pragma once
// The cell editor of the string table: several lines of plain text. Enter
// (or Tab) takes the text into the cell, Shift+Enter starts a new line in
// it, Escape leaves the cell as it was. What is typed is announced as it is
// typed, before it reaches the cell.
#include <QStyledItemDelegate>

class StringCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const override;

 signals:
  // Each change typed into an open editor: the text as the cell would take it.
  void textTyped(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The open editor's text as the cell takes it (line ends and CRs given back).
  static QString CellText(const QWidget* editor);
};
