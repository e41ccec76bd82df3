#pragma once
// The find bar under the Edit page's grid: the text to find with its two
// options and Next / Previous, and, for replacing, a second line with the
// replacement and Replace / Replace All. It only collects what the user
// asks for; the page does the finding. Tab goes round the bar's own
// controls, fields first, and a focused button shows its focus.
#include <QList>
#include <QWidget>

#include "archive/sheetedit/SheetFinder.h"

class AnsiLineEdit;
class QCheckBox;
class QPushButton;

class SheetFindBar : public QWidget {
  Q_OBJECT
 public:
  explicit SheetFindBar(QWidget* parent = nullptr);

  // Shows the bar (with the replace line or without) and puts the focus in
  // the find field, its text selected.
  void Open(bool replacing);
  bool Replacing() const;

  // A sheet's single-byte text, as the cells hold it.
  QByteArray FindText() const;
  QByteArray ReplaceText() const;
  // The fields' text as typed, for a string table's texts (UTF-8): no
  // character is lost to a code page on the way.
  QString FindShown() const;
  QString ReplaceShown() const;
  FindOptions Options() const;

  AnsiLineEdit *edtFind, *edtReplace;
  QCheckBox *chkMatchCase, *chkWholeCell;
  QPushButton *btnFindNext, *btnFindPrevious, *btnFindClose, *btnReplace, *btnReplaceAll;

 signals:
  void findNext();
  void findPrevious();
  void replaceOne();
  void replaceAll();
  void closeRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Tab and Shift+Tab from any of the bar's controls.
  bool focusNextPrevChild(bool next) override;

 private:
  QWidget* replaceLine_;
  // The Tab stops in order; hidden ones (the replace line) are passed over.
  QList<QWidget*> tabStops_;
};
