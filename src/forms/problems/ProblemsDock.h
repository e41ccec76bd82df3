#pragma once
// The Problems dock below the pages: Check Mod's findings in a sortable
// tree, grouped by message, their count in the title. Double-click or Enter
// on a place asks for its cell to be shown, on a message met in many places
// opens or closes its list of places. The context menu offers to accept a
// reported value in the rules file. Once the mod has changed since the check,
// a line above the tree says so and offers to check again; the findings stay,
// greyed, until the next check replaces them.
#include <QDockWidget>
#include <QPalette>
#include <vector>

#include "archive/check/CheckReport.h"

class ProblemsModel;
class QAction;
class QFrame;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTreeView;

class ProblemsDock : public QDockWidget {
  Q_OBJECT
 public:
  explicit ProblemsDock(QWidget* parent = nullptr);

  QTreeView* tblProblems;
  // Allow Value in Rules File: on a finding whose value a rules file can
  // accept (a reference naming nothing known), for every place of its message.
  QAction* mniAllowValue;
  QFrame* pnlProblemsOutOfDate;
  QLabel* lblProblemsOutOfDate;
  QPushButton* btnProblemsCheckAgain;

  // Shows the report's findings, in the order of the column last sorted by.
  void ShowReport(const check::CheckReport& report);
  // How many findings (places) the report had.
  int Count() const;
  // The first finding of the top-level row as it is sorted now.
  const check::Finding& FindingAt(int shownRow) const;
  // The place a shown row stands for; null for a message met in many places.
  const check::Finding* PlaceAt(const QModelIndex& shown) const;

  // The mod's pending state has changed: the findings shown, if any, may no
  // longer hold. Nothing happens before the first check.
  void MarkOutOfDate();
  bool OutOfDate() const { return outOfDate_; }

 signals:
  void findingChosen(const check::Finding& finding);
  // Every finding of the chosen message, for a rules line that accepts its value.
  void allowValueAsked(const std::vector<check::Finding>& findings);
  void checkRequested();

 private:
  void Activate(const QModelIndex& shown);
  void UpdateAllowValue();

  ProblemsModel* model_;
  QSortFilterProxyModel* sorted_;
  QPalette currentPalette_;
  bool checked_ = false;
  bool outOfDate_ = false;

  void ShowOutOfDate(bool outOfDate);
};
