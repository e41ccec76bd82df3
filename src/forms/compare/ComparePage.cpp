#include "forms/compare/ComparePage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "forms/compare/CompareCellModel.h"
#include "forms/compare/CompareEntryFilter.h"
#include "forms/compare/CompareEntryModel.h"

namespace {

template <typename T>
T* Named(T* widget, const char* name, const QString& accessible) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setAccessibleName(accessible);
  return widget;
}

void SetUpList(QTreeView* view) {
  view->setRootIsDecorated(false);
  view->setItemsExpandable(false);
  view->setUniformRowHeights(true);
  view->setAllColumnsShowFocus(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

}  // namespace

ComparePage::ComparePage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("tbsCompare"));
  Entries = new CompareEntryModel(this);
  Filter = new CompareEntryFilter(this);
  Filter->setSourceModel(Entries);
  Cells = new CompareCellModel(this);

  lblCompareSides = Named(new QLabel(this), "lblCompareSides", QStringLiteral("Compared sides"));
  lblCompareCounts = Named(new QLabel(this), "lblCompareCounts", QStringLiteral("Counts"));
  edtCompareFilter = Named(new QLineEdit(this), "edtCompareFilter", QStringLiteral("Filter"));
  edtCompareFilter->setPlaceholderText(QStringLiteral("Filter"));
  edtCompareFilter->setClearButtonEnabled(true);
  edtCompareFilter->setToolTip(QStringLiteral("Show only the entries whose name holds this text."));
  chkCompareChanged = MakeStateSwitch("chkCompareChanged", QStringLiteral("changed"), 0);
  chkCompareOnlyHere = MakeStateSwitch("chkCompareOnlyHere", QStringLiteral("only here"), 1);
  chkCompareOnlyThere = MakeStateSwitch("chkCompareOnlyThere", QStringLiteral("only there"), 2);
  chkCompareSame = MakeStateSwitch("chkCompareSame", QStringLiteral("same"), 3);
  btnTakeTheirs = Named(new QPushButton(QStringLiteral("Take Theirs"), this), "btnTakeTheirs",
                        QStringLiteral("Take Theirs"));
  btnTakeTheirs->setToolTip(
      QStringLiteral("Make the other side's version of the selected entries this mod's."));
  btnCompareUndo = Named(new QPushButton(QStringLiteral("Undo"), this), "btnCompareUndo",
                         QStringLiteral("Undo Take Theirs"));
  btnCompareUndo->setToolTip(QStringLiteral("Take back the last Take Theirs."));
  btnCompareUndo->setEnabled(false);
  btnCompareFiles = Named(new QPushButton(QStringLiteral("Files"), this), "btnCompareFiles",
                          QStringLiteral("Back to the Files page"));
  btnCompareFiles->setToolTip(QStringLiteral("Back to the Files page."));

  lvCompare = Named(new QTreeView(this), "lvCompare", QStringLiteral("Compared entries"));
  SetUpList(lvCompare);
  lvCompare->setModel(Filter);
  lvCompare->header()->setStretchLastSection(false);
  lvCompare->header()->setSectionResizeMode(CompareEntryModel::NameColumn, QHeaderView::Stretch);
  lvCompare->header()->setSectionResizeMode(CompareEntryModel::StateColumn, QHeaderView::ResizeToContents);

  lblCompareDetail = Named(new QLabel(this), "lblCompareDetail", QStringLiteral("Differences"));
  lblCompareDetail->setWordWrap(true);
  lvCompareCells = Named(new QTreeView(this), "lvCompareCells", QStringLiteral("Changed rows"));
  SetUpList(lvCompareCells);
  // A long key keeps its start and end in view; its tooltip holds it whole.
  lvCompareCells->setTextElideMode(Qt::ElideMiddle);
  lvCompareCells->setModel(Cells);
  btnTakeRows = Named(new QPushButton(QStringLiteral("Take Selected Rows"), this), "btnTakeRows",
                      QStringLiteral("Take Selected Rows"));
  btnTakeRows->setToolTip(
      QStringLiteral("Copy the other side's version of the selected rows into this sheet."));
  btnTakeRows->setEnabled(false);

  auto* bar = new QHBoxLayout;
  bar->addWidget(edtCompareFilter, 1);
  for (QWidget* w :
       std::initializer_list<QWidget*>{chkCompareChanged, chkCompareOnlyHere, chkCompareOnlyThere,
                                       chkCompareSame, btnTakeTheirs, btnCompareUndo, btnCompareFiles})
    bar->addWidget(w);
  auto* cellPanel = Named(new QWidget(this), "pnlCompareCells", QStringLiteral("Cell view"));
  auto* cellLayout = new QVBoxLayout(cellPanel);
  cellLayout->setContentsMargins(0, 0, 0, 0);
  cellLayout->addWidget(lblCompareDetail);
  cellLayout->addWidget(lvCompareCells, 1);
  cellLayout->addWidget(btnTakeRows, 0, Qt::AlignLeft);
  auto* split = Named(new QSplitter(Qt::Vertical, this), "splCompare", QStringLiteral("Entries and cells"));
  split->addWidget(lvCompare);
  split->addWidget(cellPanel);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(lblCompareSides);
  layout->addWidget(lblCompareCounts);
  layout->addLayout(bar);
  layout->addWidget(split, 1);

  connect(edtCompareFilter, &QLineEdit::textChanged, Filter, &CompareEntryFilter::SetText);
  connect(Entries, &CompareEntryModel::countsChanged, this, &ComparePage::ShowCounts);
  connect(lvCompare->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this] { emit entryChosen(CurrentEntry()); });
  connect(lvCompareCells->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { btnTakeRows->setEnabled(!SelectedCellRows().empty()); });
}

QCheckBox* ComparePage::MakeStateSwitch(const char* name, const QString& caption, int state) {
  auto* box = Named(new QCheckBox(caption, this), name, QStringLiteral("Show %1").arg(caption));
  box->setChecked(Filter->StateShown(compare::EntryState(state)));
  box->setToolTip(QStringLiteral("Show the entries that are %1.").arg(caption));
  connect(box, &QCheckBox::toggled, this,
          [this, state](bool on) { Filter->SetStateShown(compare::EntryState(state), on); });
  return box;
}

void ComparePage::ShowCounts() {
  lblCompareCounts->setText(Entries->CountsText());
}

QList<int> ComparePage::SelectedEntries() const {
  QList<int> rows;
  for (const QModelIndex& index : lvCompare->selectionModel()->selectedRows())
    rows << Filter->mapToSource(index).row();
  std::sort(rows.begin(), rows.end());
  return rows;
}

int ComparePage::CurrentEntry() const {
  const QModelIndex current = lvCompare->currentIndex();
  return current.isValid() ? Filter->mapToSource(current).row() : -1;
}

std::vector<int> ComparePage::SelectedCellRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : lvCompareCells->selectionModel()->selectedRows())
    rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}
