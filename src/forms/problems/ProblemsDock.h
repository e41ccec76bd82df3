#pragma once
// The Problems dock below the pages: Check Mod's findings in a sortable
// table, their count in the title. Double-click or Enter on a finding asks
// for its cell to be shown.
#include <QDockWidget>

#include "archive/check/CheckReport.h"

class ProblemsModel;
class QSortFilterProxyModel;
class QTableView;

class ProblemsDock : public QDockWidget {
  Q_OBJECT
 public:
  explicit ProblemsDock(QWidget* parent = nullptr);

  QTableView* tblProblems;

  // Shows the report's findings, in the order of the column last sorted by.
  void ShowReport(const check::CheckReport& report);
  int Count() const;
  // The finding in the table's row as it is sorted now.
  const check::Finding& FindingAt(int shownRow) const;

 signals:
  void findingChosen(const check::Finding& finding);

 private:
  ProblemsModel* model_;
  QSortFilterProxyModel* sorted_;
};
