#pragma once
// The Problems dock below the pages: Check Mod's findings in a sortable
// table, their count in the title. Double-click or Enter on a finding asks
// for its cell to be shown. Once the mod has changed since the check, a line
// above the table says so and offers to check again; the findings stay,
// greyed, until the next check replaces them.
#include <QDockWidget>
#include <QPalette>

#include "archive/check/CheckReport.h"

class ProblemsModel;
class QFrame;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

class ProblemsDock : public QDockWidget {
  Q_OBJECT
 public:
  explicit ProblemsDock(QWidget* parent = nullptr);

  QTableView* tblProblems;
  QFrame* pnlProblemsOutOfDate;
  QLabel* lblProblemsOutOfDate;
  QPushButton* btnProblemsCheckAgain;

  // Shows the report's findings, in the order of the column last sorted by.
  void ShowReport(const check::CheckReport& report);
  int Count() const;
  // The finding in the table's row as it is sorted now.
  const check::Finding& FindingAt(int shownRow) const;

  // The mod's pending state has changed: the findings shown, if any, may no
  // longer hold. Nothing happens before the first check.
  void MarkOutOfDate();
  bool OutOfDate() const { return outOfDate_; }

 signals:
  void findingChosen(const check::Finding& finding);
  void checkRequested();

 private:
  ProblemsModel* model_;
  QSortFilterProxyModel* sorted_;
  QPalette currentPalette_;
  bool checked_ = false;
  bool outOfDate_ = false;

  void ShowOutOfDate(bool outOfDate);
};
