// The Files page around its list: the filter above it, the count of shown
// rows beside the filter, and the width of the Size column.
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QStyle>
#include "forms/files/FilesView.h"

#include "forms/files/FilteredRows.h"
#include "forms/main/untMain.h"

namespace {

constexpr int kLeastSizeWidth = 75;

}  // namespace

QWidget* TfrmMain::BuildFilterBar(QWidget* parent) {
  auto* bar = new QWidget(parent);
  bar->setObjectName(QStringLiteral("pnlFilter"));
  edtFilter = new QLineEdit(bar);
  edtFilter->setObjectName(QStringLiteral("edtFilter"));
  edtFilter->setAccessibleName(QStringLiteral("Filter"));
  edtFilter->setPlaceholderText(QStringLiteral("Filter"));
  edtFilter->setClearButtonEnabled(true);
  lblFileCount = new QLabel(bar);
  lblFileCount->setObjectName(QStringLiteral("lblFileCount"));
  lblFileCount->setTextFormat(Qt::PlainText);
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(edtFilter, 1);
  layout->addWidget(lblFileCount);

  // Every keystroke filters at once: the rows only change which are shown.
  connect(edtFilter, &QLineEdit::textChanged, this,
          [this](const QString& text) { Shown->SetFilterText(text); });
  connect(Shown, &FilteredRows::countsChanged, this, &TfrmMain::ShowFileCount);
  // Ctrl+F belongs to the page that has the focus: here it goes to the filter.
  auto* find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), parent);
  find->setContext(Qt::WidgetWithChildrenShortcut);
  connect(find, &QShortcut::activated, this, [this] {
    edtFilter->setFocus(Qt::ShortcutFocusReason);
    edtFilter->selectAll();
  });
  auto* clear = new QShortcut(QKeySequence(Qt::Key_Escape), edtFilter);
  clear->setContext(Qt::WidgetShortcut);
  connect(clear, &QShortcut::activated, edtFilter, &QLineEdit::clear);
  ShowFileCount();
  return bar;
}

void TfrmMain::ClearFilter() {
  edtFilter->clear();
}

void TfrmMain::ShowFileCount() {
  lblFileCount->setText(QStringLiteral("%1 of %2 files").arg(Shown->ShownCount()).arg(Rows->Count()));
}

void TfrmMain::FitSizeColumn() {
  // The widest size text found from the advances of its characters, which
  // needs no text layout per row, then measured as a whole as the view
  // draws it.
  const QFontMetrics metrics = ListView->fontMetrics();
  int advances[128] = {};
  int widest = 0;
  const QString* widestText = nullptr;
  for (const ModEntry& e : Rows->Rows()) {
    int width = 0;
    for (QChar c : e.SizeText) {
      if (c.unicode() >= 128) {
        width += metrics.horizontalAdvance(c);
        continue;
      }
      int& advance = advances[c.unicode()];
      if (advance == 0) advance = metrics.horizontalAdvance(c);
      width += advance;
    }
    if (width > widest) {
      widest = width;
      widestText = &e.SizeText;
    }
  }
  if (widestText) widest = qMax(widest, metrics.horizontalAdvance(*widestText));
  // An item's text keeps a focus-frame margin and one pixel on either side.
  const int margin = ListView->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ListView) + 1;
  const int width = widestText ? widest + 2 * margin : 0;
  ListView->header()->resizeSection(ModListModel::SizeColumn, qMax(kLeastSizeWidth, width));
}
