#include "forms/problems/ProblemsDock.h"

#include <QAction>
#include <QBoxLayout>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTreeView>

#include "forms/problems/ProblemsModel.h"

ProblemsDock::ProblemsDock(QWidget* parent) : QDockWidget(QStringLiteral("Problems"), parent) {
  setObjectName(QStringLiteral("dockProblems"));
  setAccessibleName(QStringLiteral("Problems"));
  setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);

  model_ = new ProblemsModel(this);
  sorted_ = new QSortFilterProxyModel(this);
  sorted_->setSourceModel(model_);
  tblProblems = new QTreeView(this);
  tblProblems->setObjectName(QStringLiteral("tblProblems"));
  tblProblems->setAccessibleName(QStringLiteral("Problems"));
  tblProblems->setModel(sorted_);
  tblProblems->setSortingEnabled(true);
  tblProblems->sortByColumn(-1, Qt::AscendingOrder);  // the checker's order until a header is clicked
  tblProblems->setSelectionBehavior(QAbstractItemView::SelectRows);
  tblProblems->setSelectionMode(QAbstractItemView::SingleSelection);
  tblProblems->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tblProblems->setUniformRowHeights(true);
  tblProblems->setWordWrap(false);
  // Activation alone opens and closes a message's places, so a double-click
  // does it once, as Enter does.
  tblProblems->setExpandsOnDoubleClick(false);
  tblProblems->header()->setStretchLastSection(true);
  tblProblems->setColumnWidth(ProblemsModel::kSeverity, 80);
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
  connect(tblProblems, &QAbstractItemView::activated, this, &ProblemsDock::Activate);

  mniAllowValue = new QAction(QStringLiteral("&Allow Value in Rules File..."), this);
  mniAllowValue->setObjectName(QStringLiteral("mniAllowValue"));
  mniAllowValue->setStatusTip(
      QStringLiteral("Accept this value where Check Mod reported it, with a line in the mod's rules file."));
  tblProblems->addAction(mniAllowValue);
  tblProblems->setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(mniAllowValue, &QAction::triggered, this, [this] {
    const QModelIndex current = sorted_->mapToSource(tblProblems->currentIndex());
    std::vector<check::Finding> findings;
    for (const check::Finding* f : model_->GroupAt(current)) findings.push_back(*f);
    if (!findings.empty() && !findings.front().value.isEmpty()) emit allowValueAsked(findings);
  });
  connect(tblProblems->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &ProblemsDock::UpdateAllowValue);
  UpdateAllowValue();
}

void ProblemsDock::ShowReport(const check::CheckReport& report) {
  model_->SetFindings(report.findings);
  checked_ = true;
  ShowOutOfDate(false);
  setWindowTitle(QStringLiteral("Problems (%1)").arg(Count()));
  if (sorted_->rowCount() > 0) tblProblems->setCurrentIndex(sorted_->index(0, 0));
  UpdateAllowValue();
}

int ProblemsDock::Count() const {
  return model_->FindingCount();
}

const check::Finding& ProblemsDock::FindingAt(int shownRow) const {
  return *model_->GroupAt(sorted_->mapToSource(sorted_->index(shownRow, 0))).front();
}

const check::Finding* ProblemsDock::PlaceAt(const QModelIndex& shown) const {
  return model_->PlaceAt(sorted_->mapToSource(shown));
}

void ProblemsDock::Activate(const QModelIndex& shown) {
  if (!shown.isValid()) return;
  if (const check::Finding* place = PlaceAt(shown)) {
    emit findingChosen(*place);
    return;
  }
  const QModelIndex first = shown.siblingAtColumn(0);
  tblProblems->setExpanded(first, !tblProblems->isExpanded(first));
}

void ProblemsDock::UpdateAllowValue() {
  const std::vector<const check::Finding*> group = model_->GroupAt(sorted_->mapToSource(tblProblems->currentIndex()));
  mniAllowValue->setEnabled(!group.empty() && !group.front()->value.isEmpty());
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
