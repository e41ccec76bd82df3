#include "forms/files/FilesView.h"

#include <QEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMetaMethod>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <utility>

namespace {

// The list's row header. Every row is as high as the next and none is
// hidden, so when rows go, the header only has to be as many rows shorter;
// Qt's own handler also walks every remaining row to carry hidden rows along,
// which made each Remove in a long list cost a pass over it.
class RowsHeader : public QHeaderView {
 public:
  explicit RowsHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {}

  void setModel(QAbstractItemModel* model) override {
    disconnect(shorten_);
    QHeaderView::setModel(model);
    if (!model) return;
    const QMetaObject* header = &QHeaderView::staticMetaObject;
    const int slot = header->indexOfSlot("_q_sectionsRemoved(QModelIndex,int,int)");
    const int signal = QAbstractItemModel::staticMetaObject.indexOfSignal("rowsRemoved(QModelIndex,int,int)");
    // Where Qt names its handler differently, its own handler stays.
    if (slot < 0 || signal < 0 ||
        !disconnect(model, QAbstractItemModel::staticMetaObject.method(signal), this, header->method(slot)))
      return;
    shorten_ = connect(model, &QAbstractItemModel::rowsRemoved, this, [this] {
      // The two-argument form cuts the tail; the other one walks every row.
      const int rows = this->model()->rowCount(rootIndex());
      if (rows > 0)
        initializeSections(0, rows - 1);
      else
        initializeSections();
    });
  }

 private:
  QMetaObject::Connection shorten_;
};

}  // namespace

FilesView::FilesView(QWidget* parent) : QTableView(parent) {
  setShowGrid(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  // Tab leaves the list, as it leaves any other control.
  setTabKeyNavigation(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

  auto* rows = new RowsHeader(this);
  setVerticalHeader(rows);
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setMinimumSectionSize(1);
  FitRowHeight();

  QHeaderView* columns = horizontalHeader();
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  columns->setHighlightSections(false);
}

void FilesView::FitRowHeight() {
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.text = QStringLiteral("Xg");
  option.features |= QStyleOptionViewItem::HasDisplay;
  verticalHeader()->setDefaultSectionSize(
      qMax(1, style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).height()));
}

void FilesView::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) FitRowHeight();
}

void FilesView::focusInEvent(QFocusEvent* event) {
  // Qt's own handler makes the first row current, selecting nothing.
  QTableView::focusInEvent(event);
  const Qt::FocusReason reason = event->reason();
  QItemSelectionModel* selection = selectionModel();
  if ((reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason) || !selection ||
      selection->hasSelection())
    return;
  QModelIndex row = currentIndex();
  if (!row.isValid() && model()) row = model()->index(0, 0, rootIndex());
  if (row.isValid())
    selection->setCurrentIndex(row.siblingAtColumn(0),
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QModelIndex FilesView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  switch (action) {
    case MoveHome:
    case MoveEnd:
      modifiers |= Qt::ControlModifier;  // the first or last row
      break;
    case MoveLeft:
    case MoveRight:
      return currentIndex();
    default:
      break;
  }
  return QTableView::moveCursor(action, modifiers).siblingAtColumn(0);
}

void FilesView::keyboardSearch(const QString& search) {
  const QModelIndex current = currentIndex();
  if (current.isValid() && current.column() != 0)
    selectionModel()->setCurrentIndex(current.siblingAtColumn(0), QItemSelectionModel::NoUpdate);
  QTableView::keyboardSearch(search);
}

void FilesView::updateGeometries() {
  QScrollBar* bar = verticalScrollBar();
  const int rowHeight = qMax(1, verticalHeader()->defaultSectionSize());
  const int rows = model() ? model()->rowCount(rootIndex()) : 0;
  const int inView = qMax(1, viewport()->height() / rowHeight);
  // Only rows were removed, in a list still at least two screens
  // long: the scroll bar stays and only its range changes. Qt's full fit
  // also measures the scroll bars, headers and margins, which cost a Remove
  // in a long list as much again as the rest of its work.
  const bool removed = std::exchange(rowsRemoved_, false);
  if (removed && rows < fitted_.rows && rows > 2 * inView && bar->isVisible() && verticalScrollMode() == ScrollPerItem &&
      rowHeight == fitted_.rowHeight && viewport()->size() == fitted_.viewport &&
      horizontalHeader()->length() == fitted_.columns) {
    fitted_.rows = rows;
    const int top = rows - inView;
    // The scroll area answers every change of range by deciding again
    // whether the bar shows, through a queued call per change; here it stays
    // shown, so while the bar's position stands, the range changes quietly.
    {
      const QSignalBlocker quiet(bar->value() <= top ? bar : nullptr);
      bar->setRange(0, top);
    }
    // As the full fit does: at the end of the list, its last row ends at
    // the bottom of the view.
    if (bar->value() == top)
      verticalHeader()->setOffsetToLastSection();
    else
      verticalHeader()->setOffsetToSectionPosition(bar->value());
    return;
  }
  QTableView::updateGeometries();
  fitted_ = {rows, rowHeight, viewport()->size(), horizontalHeader()->length()};
}

void FilesView::setModel(QAbstractItemModel* model) {
  disconnect(removals_);
  QTableView::setModel(model);
  fitted_ = {};
  rowsRemoved_ = false;
  if (model) removals_ = connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { rowsRemoved_ = true; });
}

bool FilesView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  if (!event && trigger == CurrentChanged && !(editTriggers() & CurrentChanged)) return false;
  return QTableView::edit(index, trigger, event);
}
