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
};
