#include "forms/problems/ProblemsDock.h"

#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QTableView>

#include "forms/problems/ProblemsModel.h"

ProblemsDock::ProblemsDock(QWidget* parent) : QDockWidget(QStringLiteral("Problems"), parent) {
  setObjectName(QStringLiteral("dockProblems"));
  setAccessibleName(QStringLiteral("Problems"));
  setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);

  model_ = new ProblemsModel(this);
  sorted_ = new QSortFilterProxyModel(this);
  sorted_->setSourceModel(model_);
  tblProblems = new QTableView(this);
  tblProblems->setObjectName(QStringLiteral("tblProblems"));
  tblProblems->setAccessibleName(QStringLiteral("Problems"));
  tblProblems->setModel(sorted_);
  tblProblems->setSortingEnabled(true);
  tblProblems->sortByColumn(-1, Qt::AscendingOrder);  // the checker's order until a header is clicked
  tblProblems->setSelectionBehavior(QAbstractItemView::SelectRows);
  tblProblems->setSelectionMode(QAbstractItemView::SingleSelection);
  tblProblems->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tblProblems->setWordWrap(false);
  tblProblems->verticalHeader()->hide();
  tblProblems->verticalHeader()->setDefaultSectionSize(18);
  tblProblems->horizontalHeader()->setStretchLastSection(true);
  tblProblems->setColumnWidth(ProblemsModel::kSeverity, 60);
  tblProblems->setColumnWidth(ProblemsModel::kFile, 200);
  tblProblems->setColumnWidth(ProblemsModel::kLine, 50);
  tblProblems->setColumnWidth(ProblemsModel::kColumn, 90);
  setWidget(tblProblems);
  // Activation is a double-click, or Enter on the current row.
  connect(tblProblems, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
    if (index.isValid()) emit findingChosen(FindingAt(index.row()));
  });
}

void ProblemsDock::ShowReport(const check::CheckReport& report) {
  model_->SetFindings(report.findings);
  setWindowTitle(QStringLiteral("Problems (%1)").arg(Count()));
  if (Count() > 0) tblProblems->setCurrentIndex(sorted_->index(0, 0));
}

int ProblemsDock::Count() const {
  return model_->rowCount();
}

const check::Finding& ProblemsDock::FindingAt(int shownRow) const {
  return model_->At(sorted_->mapToSource(sorted_->index(shownRow, 0)).row());
}
