#include "forms/edit/SheetFindBar.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "forms/widgets/AnsiLineEdit.h"

namespace {

// A push button: every style marks the one that has the focus. Tab reaches
// it, a click leaves the focus in the field; Enter belongs to the fields.
QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setAccessibleName(caption);
  b->setAutoDefault(false);
  b->setFocusPolicy(Qt::TabFocus);
  return b;
}

AnsiLineEdit* Field(QWidget* parent, const char* name, const QString& accessibleName) {
  auto* field = new AnsiLineEdit(parent);
  field->setObjectName(QString::fromLatin1(name));
  field->setAccessibleName(accessibleName);
  field->setClearButtonEnabled(true);
  return field;
}

QCheckBox* Option(QWidget* parent, const char* name, const QString& caption) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setAccessibleName(caption);
  return box;
}

}  // namespace

SheetFindBar::SheetFindBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("pnlFind"));
  edtFind = Field(this, "edtFind", QStringLiteral("Find"));
  chkMatchCase = Option(this, "chkMatchCase", QStringLiteral("Match case"));
  chkWholeCell = Option(this, "chkWholeCell", QStringLiteral("Whole cell"));
  btnFindNext = Button(this, "btnFindNext", QStringLiteral("Next"));
  btnFindPrevious = Button(this, "btnFindPrevious", QStringLiteral("Previous"));
  btnFindClose = Button(this, "btnFindClose", QStringLiteral("Close"));
  btnFindNext->setToolTip(QStringLiteral("Find the next cell (F3)"));
  btnFindPrevious->setToolTip(QStringLiteral("Find the previous cell (Shift+F3)"));
  btnFindClose->setToolTip(QStringLiteral("Close the find bar (Esc)"));

  replaceLine_ = new QWidget(this);
  edtReplace = Field(replaceLine_, "edtReplace", QStringLiteral("Replace With"));
  btnReplace = Button(replaceLine_, "btnReplace", QStringLiteral("Replace"));
  btnReplaceAll = Button(replaceLine_, "btnReplaceAll", QStringLiteral("Replace All"));

  auto* findLabel = new QLabel(QStringLiteral("Find:"), this);
  findLabel->setBuddy(edtFind);
  auto* replaceLabel = new QLabel(QStringLiteral("Replace With:"), replaceLine_);
  replaceLabel->setBuddy(edtReplace);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(findLabel, 0, 0);
  layout->addWidget(edtFind, 0, 1);
  layout->addWidget(btnFindNext, 0, 2);
  layout->addWidget(btnFindPrevious, 0, 3);
  layout->addWidget(chkMatchCase, 0, 4);
  layout->addWidget(chkWholeCell, 0, 5);
  layout->addWidget(btnFindClose, 0, 6);
  auto* replaceLayout = new QHBoxLayout(replaceLine_);
  replaceLayout->setContentsMargins(0, 0, 0, 0);
  replaceLayout->addWidget(replaceLabel);
  replaceLayout->addWidget(edtReplace, 1);
  replaceLayout->addWidget(btnReplace);
  replaceLayout->addWidget(btnReplaceAll);
  layout->addWidget(replaceLine_, 1, 0, 1, 7);
  layout->setColumnStretch(1, 1);

  connect(btnFindNext, &QPushButton::clicked, this, &SheetFindBar::findNext);
  connect(btnFindPrevious, &QPushButton::clicked, this, &SheetFindBar::findPrevious);
  connect(btnFindClose, &QPushButton::clicked, this, &SheetFindBar::closeRequested);
  connect(btnReplace, &QPushButton::clicked, this, &SheetFindBar::replaceOne);
  connect(btnReplaceAll, &QPushButton::clicked, this, &SheetFindBar::replaceAll);
  // Enter finds on (Shift+Enter back); in the replace field it replaces.
  edtFind->installEventFilter(this);
  edtReplace->installEventFilter(this);

  tabStops_ = {edtFind,       edtReplace,   btnFindNext,  btnFindPrevious, btnReplace,
               btnReplaceAll, chkMatchCase, chkWholeCell, btnFindClose};
  for (qsizetype i = 1; i < tabStops_.size(); ++i) setTabOrder(tabStops_[i - 1], tabStops_[i]);
  hide();
}

void SheetFindBar::Open(bool replacing) {
  replaceLine_->setVisible(replacing);
  show();
  edtFind->setFocus(Qt::ShortcutFocusReason);
  edtFind->selectAll();
}

bool SheetFindBar::Replacing() const {
  return !replaceLine_->isHidden();
}

QByteArray SheetFindBar::FindText() const {
  return edtFind->Bytes();
}

QByteArray SheetFindBar::ReplaceText() const {
  return edtReplace->Bytes();
}

QString SheetFindBar::FindShown() const {
  return edtFind->text();
}

QString SheetFindBar::ReplaceShown() const {
  return edtReplace->text();
}

FindOptions SheetFindBar::Options() const {
  return {chkMatchCase->isChecked(), chkWholeCell->isChecked()};
}

bool SheetFindBar::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
  if (watched == edtReplace)
    emit replaceOne();
  else if (key->modifiers() & Qt::ShiftModifier)
    emit findPrevious();
  else
    emit findNext();
  return true;
}

bool SheetFindBar::focusNextPrevChild(bool next) {
  QList<QWidget*> shown;
  for (QWidget* w : tabStops_)
    if (w->isVisibleTo(this) && w->isEnabled()) shown.append(w);
  const qsizetype at = shown.indexOf(focusWidget());
  if (at < 0) return QWidget::focusNextPrevChild(next);
  // Past the last control Tab comes round to the first rather than leaving
  // for the page's tabs, and Shift+Tab the other way.
  const qsizetype n = shown.size();
  shown[(at + (next ? 1 : n - 1)) % n]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}
