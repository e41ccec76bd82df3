#include "forms/problems/ProblemsDock.h"

#include <QBoxLayout>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
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
  currentPalette_ = tblProblems->palette();

  pnlProblemsOutOfDate = new QFrame(this);
  pnlProblemsOutOfDate->setObjectName(QStringLiteral("pnlProblemsOutOfDate"));
  pnlProblemsOutOfDate->setFrameShape(QFrame::StyledPanel);
  lblProblemsOutOfDate =
      new QLabel(QStringLiteral("The mod has changed since this check: these findings may no longer hold. "
                                "Check again (F7) to bring them up to date."),
                 pnlProblemsOutOfDate);
  lblProblemsOutOfDate->setObjectName(QStringLiteral("lblProblemsOutOfDate"));
  lblProblemsOutOfDate->setAccessibleName(QStringLiteral("Findings out of date"));
  lblProblemsOutOfDate->setWordWrap(true);
  btnProblemsCheckAgain = new QPushButton(QStringLiteral("Check Again"), pnlProblemsOutOfDate);
  btnProblemsCheckAgain->setObjectName(QStringLiteral("btnProblemsCheckAgain"));
  btnProblemsCheckAgain->setAccessibleName(QStringLiteral("Check Again"));
  btnProblemsCheckAgain->setToolTip(QStringLiteral("Check the mod again (F7)"));
  btnProblemsCheckAgain->setAutoDefault(false);
  auto* bannerLayout = new QHBoxLayout(pnlProblemsOutOfDate);
  bannerLayout->setContentsMargins(6, 3, 3, 3);
  bannerLayout->addWidget(lblProblemsOutOfDate, 1);
  bannerLayout->addWidget(btnProblemsCheckAgain);
  pnlProblemsOutOfDate->hide();
  connect(btnProblemsCheckAgain, &QPushButton::clicked, this, &ProblemsDock::checkRequested);

  auto* content = new QWidget(this);
  content->setObjectName(QStringLiteral("pnlProblems"));
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(pnlProblemsOutOfDate);
  layout->addWidget(tblProblems, 1);
  setWidget(content);
  // Activation is a double-click, or Enter on the current row.
  connect(tblProblems, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
    if (index.isValid()) emit findingChosen(FindingAt(index.row()));
  });
}

void ProblemsDock::ShowReport(const check::CheckReport& report) {
  model_->SetFindings(report.findings);
  checked_ = true;
  ShowOutOfDate(false);
  setWindowTitle(QStringLiteral("Problems (%1)").arg(Count()));
  if (Count() > 0) tblProblems->setCurrentIndex(sorted_->index(0, 0));
}

int ProblemsDock::Count() const {
  return model_->rowCount();
}

const check::Finding& ProblemsDock::FindingAt(int shownRow) const {
  return model_->At(sorted_->mapToSource(sorted_->index(shownRow, 0)).row());
}

void ProblemsDock::MarkOutOfDate() {
  if (checked_ && !outOfDate_) ShowOutOfDate(true);
}

void ProblemsDock::ShowOutOfDate(bool outOfDate) {
  outOfDate_ = outOfDate;
  pnlProblemsOutOfDate->setVisible(outOfDate);
  // Greyed as disabled text is, yet still chosen and opened as before: the
  // old findings may still lead to a fault that holds.
  QPalette palette = currentPalette_;
  if (outOfDate)
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
      palette.setColor(group, QPalette::Text, currentPalette_.color(QPalette::Disabled, QPalette::Text));
  tblProblems->setPalette(palette);
}
