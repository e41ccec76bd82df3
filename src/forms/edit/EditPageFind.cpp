#include "forms/edit/EditPageFind.h"

#include <QApplication>
#include <QStringList>

#include "archive/sheetedit/ClipboardText.h"
#include "forms/edit/EditPageGrid.h"
#include "forms/edit/SheetFindBar.h"
#include "forms/edit/SheetGridModel.h"
#include "forms/edit/strings/StringTablePage.h"
#include "platform/Ansi.h"

EditPageFind::EditPageFind(EditPageGrid& grid, StringTablePage& strings, SheetFindBar& bar, Status status)
    : QObject(&bar), grid_(grid), strings_(strings), bar_(bar), status_(std::move(status)) {}

void EditPageFind::Open(bool replacing) {
  bar_.Open(replacing);
}

void EditPageFind::Close() {
  Forget();
  // The focus goes back to the grid before the bar hides: hiding first would
  // hand it to the next control in the window, and coming back into the page
  // from there refills the grid.
  if (bar_.isAncestorOf(QApplication::focusWidget())) {
    if (strings_.Active())
      strings_.Grid()->setFocus(Qt::ShortcutFocusReason);
    else
      grid_.setFocus(Qt::ShortcutFocusReason);
  }
  bar_.hide();
}

void EditPageFind::Forget() {
  headerHit_ = {};
  headerHitAt_ = QPersistentModelIndex();
  grid_.GridModel()->SetMarkedHeader(-1);
}

SheetCell EditPageFind::Origin() const {
  if (headerHit_.row >= 0 && headerHitAt_.isValid() && headerHitAt_ == grid_.currentIndex())
    return headerHit_;
  const SheetCell current = grid_.CurrentCell();
  return current.row >= 0 ? current : SheetCell{-1, grid_.Grid().FixedRows()};
}

void EditPageFind::Find(bool forward) {
  const QByteArray text = bar_.FindText();
  if (text.isEmpty()) return Open(bar_.Replacing());
  if (strings_.Active()) return status_(strings_.Find(bar_.FindShown(), bar_.Options(), forward));
  const SheetFinder finder(text, bar_.Options());
  const SheetCell from = Origin();
  const SheetFinder::Hit hit = forward ? finder.Next(grid_.Grid(), from.col, from.row)
                                       : finder.Previous(grid_.Grid(), from.col, from.row);
  Forget();
  if (!hit.Found()) return status_(QStringLiteral("Cannot find \"%1\".").arg(ansi::toDisplay(text)));

  QStringList notes;
  if (hit.wrapped)
    notes << (forward ? QStringLiteral("Passed the end of the sheet, went on from the top.")
                      : QStringLiteral("Passed the top of the sheet, went on from the end."));
  grid_.ShowCell({hit.col, hit.row});
  if (hit.row < grid_.Grid().FixedRows()) {
    headerHit_ = {hit.col, hit.row};
    headerHitAt_ = grid_.currentIndex();
    grid_.GridModel()->SetMarkedHeader(hit.col);
    notes << QStringLiteral("Found in the header row.");
  }
  status_(notes.join(QLatin1Char(' ')));
}

void EditPageFind::Replace() {
  const QByteArray text = bar_.FindText();
  if (text.isEmpty()) return Open(true);
  if (strings_.Active())
    return status_(strings_.Replace(bar_.FindShown(), bar_.ReplaceShown(), bar_.Options()));
  if (RefusesReplacement()) return;
  // The cell a search found (the current one) is replaced, then the next found.
  const SheetCell at = Origin();
  grid_.Editor().ReplaceInCell(at.col, at.row, SheetFinder(text, bar_.Options()), bar_.ReplaceText());
  Find(true);
}

bool EditPageFind::RefusesReplacement() {
  // One value goes into every cell replaced: it can be no block of cells.
  if (clipboardtext::ControlCount(bar_.ReplaceText()) == 0) return false;
  status_(clipboardtext::RefusedValueNote());
  return true;
}

void EditPageFind::ReplaceAll() {
  const QByteArray text = bar_.FindText();
  if (text.isEmpty()) return Open(true);
  if (strings_.Active())
    return status_(strings_.ReplaceAll(bar_.FindShown(), bar_.ReplaceShown(), bar_.Options()));
  if (RefusesReplacement()) return;
  const int changed = grid_.Editor().ReplaceAll(SheetFinder(text, bar_.Options()), bar_.ReplaceText());
  status_(changed == 1 ? QStringLiteral("Replace All changed 1 cell.")
                       : QStringLiteral("Replace All changed %1 cells.").arg(changed));
}
