#include "forms/files/FilesView.h"

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
  // One line of text and the item's margins, as a report list draws its rows.
  rows->setDefaultSectionSize(fontMetrics().height() +
                              2 * style()->pixelMetric(QStyle::PM_FocusFrameVMargin) + 2);

  QHeaderView* columns = horizontalHeader();
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  columns->setHighlightSections(false);
}
