#include "forms/files/FilesView.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>

FilesView::FilesView(QWidget* parent) : QTableView(parent) {
  setShowGrid(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  // Tab leaves the list, as it leaves any other control.
  setTabKeyNavigation(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

  QHeaderView* rows = verticalHeader();
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
