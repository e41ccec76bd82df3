#pragma once
// The sheet grid's cell editor: a plain line editor that stores every change
// in the cell as it is typed, and that neither Enter nor Escape closes.
// Keys the grid wants for itself (its undo, its block clipboard, moving the
// block) are offered to a hook first: a key it takes never reaches the editor.
#include <QStyledItemDelegate>
#include <functional>

class QKeyEvent;
class QLineEdit;

class LiveCellDelegate : public QStyledItemDelegate {
 public:
  // Gets each key press and shortcut override the editor receives; true:
  // the grid took it.
  using KeyHook = std::function<bool(QKeyEvent*, QLineEdit*)>;

  explicit LiveCellDelegate(QObject* parent, KeyHook hook = {});

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  KeyHook hook_;
};
