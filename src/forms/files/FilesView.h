#pragma once
// The Files list's view: a list of rows in columns, drawn as a report (no
// grid, no row numbers, a whole row selected at once). It is a table view
// rather than a tree view because a tree view lays out every row again after
// each removed row, which makes removing rows from a long list slow.
#include <QTableView>

class QHeaderView;

class FilesView : public QTableView {
  Q_OBJECT
 public:
  explicit FilesView(QWidget* parent = nullptr);

  // The column headers.
  QHeaderView* header() const { return horizontalHeader(); }

  void setModel(QAbstractItemModel* model) override;

  // Typing finds a row by its name, whichever cell of the row is current.
  void keyboardSearch(const QString& search) override;

 protected:
  // The keys move between rows as in a list: Home and End to the first and
  // last row, Left and Right nowhere; the current cell stays in the Name
  // column.
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  // Rows as high as the style draws one line of text in the view's font.
  void changeEvent(QEvent* event) override;
  // Tab into a list with nothing selected selects the current row (the first
  // row when none is current): the row the focus shows is the one Enter,
  // Delete and Export act on, without a Space first.
  void focusInEvent(QFocusEvent* event) override;
  // Fits the scroll bars, headers and margins to the rows and columns.
  void updateGeometries() override;
  // The rows are not edited in place: a new current row asks nothing of its
  // cell's delegate.
  using QTableView::edit;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

 private:
  void FitRowHeight();

  // Rows were removed since the geometries were last fitted.
  bool rowsRemoved_ = false;
  QMetaObject::Connection removals_;
  // What the last full fit of the geometries saw.
  struct Fitted {
    int rows = 0;
    int rowHeight = 0;
    QSize viewport;
    int columns = 0;
  } fitted_;
};
