#include "platform/UiQt.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>

#include "platform/UiFileDialog.h"
#include "platform/UiInputDialog.h"

namespace ui {

QStringList QtNameFilters(const QString& filter) {
  QStringList result;
  if (filter.isEmpty()) return result;
  const QStringList parts = filter.split(QLatin1Char('|'));
  for (qsizetype i = 0; i < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    if (i + 1 >= parts.size()) {
      result << description;
      break;
    }
    const QString pattern = parts[i + 1].trimmed();
    // Descriptions usually already end with "(pattern)"; show it once.
    const QString shown = QLatin1Char('(') + pattern + QLatin1Char(')');
    if (description.endsWith(shown)) description.chop(shown.size());
    // "*.*" matches every file in the classic dialogs, a name without a dot
    // too; here it would match only names holding a dot.
    QStringList qtPatterns = pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& p : qtPatterns)
      if (p.trimmed() == QLatin1String("*.*")) p = QStringLiteral("*");
    const QString qtPattern = qtPatterns.join(QLatin1Char(' '));
    description = description.trimmed();
    result << (description.isEmpty() ? qtPattern : description) + QStringLiteral(" (") + qtPattern +
                  QLatin1Char(')');
  }
  return result;
}

void ConfigureFileDialog(QFileDialog& qt, const FileDialog& dialog) {
  const bool save = dialog.kind() == FileDialog::Save;
  const quint32 options = dialog.Options;
  QString title = dialog.Title;
  if (title.isEmpty()) title = save ? QStringLiteral("Save As") : QStringLiteral("Open");
  qt.setWindowTitle(title);
  qt.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (save)
    qt.setFileMode(QFileDialog::AnyFile);
  else if (options & ofAllowMultiSelect)
    qt.setFileMode(QFileDialog::ExistingFiles);
  else if (options & ofFileMustExist)
    qt.setFileMode(QFileDialog::ExistingFile);
  else
    qt.setFileMode(QFileDialog::AnyFile);
  qt.setOption(QFileDialog::DontConfirmOverwrite, !(options & ofOverwritePrompt));
  qt.setSizeGripEnabled(options & ofEnableSizing);
  qt.setDefaultSuffix(dialog.DefaultExt);

  const QStringList filters = QtNameFilters(dialog.Filter);
  qt.setNameFilters(filters.isEmpty() ? QStringList{QStringLiteral("All Files (*)")} : filters);
  if (!filters.isEmpty()) qt.selectNameFilter(filters.first());

  QString folder = dialog.InitialDir;
  if (folder.isEmpty() && FileDialog::EmptyInitialDirIsCurrent()) folder = QDir::currentPath();
  if (!folder.isEmpty()) qt.setDirectory(folder);
  if (!dialog.FileName.isEmpty()) qt.selectFile(dialog.FileName);
}

void ConfigureMessageBox(QMessageBox& box, const QString& text, const QString& title, int flags) {
  box.setTextFormat(Qt::PlainText);  // names and paths may hold '<' and '&'
  box.setText(text);
  box.setWindowTitle(title);
  QList<QMessageBox::StandardButton> buttons;
  switch (flags & 0x0F) {
    case mbOkCancel:
      buttons = {QMessageBox::Ok, QMessageBox::Cancel};
      break;
    case mbAbortRetryIgnore:
      buttons = {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
      break;
    case mbYesNoCancel:
      buttons = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
      break;
    case mbYesNo:
      buttons = {QMessageBox::Yes, QMessageBox::No};
      break;
    case mbRetryCancel:
      buttons = {QMessageBox::Retry, QMessageBox::Cancel};
      break;
    default:
      buttons = {QMessageBox::Ok};
      break;
  }
  QMessageBox::StandardButtons set;
  for (auto b : buttons) set |= b;
  box.setStandardButtons(set);
  const int defaultIndex = (flags >> 8) & 0x0F;
  box.setDefaultButton(buttons.value(defaultIndex, buttons.first()));
  switch (flags & 0xF0) {
    case mbIconError:
      box.setIcon(QMessageBox::Critical);
      break;
    case mbIconQuestion:
      box.setIcon(QMessageBox::Question);
      break;
    case mbIconExclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case mbIconInformation:
      box.setIcon(QMessageBox::Information);
      break;
    default:
      box.setIcon(QMessageBox::NoIcon);
      break;
  }
}

int MessageBoxResult(int standardButton) {
  switch (standardButton) {
    case QMessageBox::Ok:
      return idOk;
    case QMessageBox::Abort:
      return idAbort;
    case QMessageBox::Retry:
      return idRetry;
    case QMessageBox::Ignore:
      return idIgnore;
    case QMessageBox::Yes:
      return idYes;
    case QMessageBox::No:
      return idNo;
    default:
      return idCancel;
  }
}

QWidget* DialogParent() {
  QWidget* parent = QApplication::activeModalWidget();
  if (!parent) parent = QApplication::activeWindow();
  return parent && parent->isVisible() ? parent : nullptr;
}

bool QtUiBackend::ExecuteFileDialog(const FileDialog& dialog, QStringList& chosen) {
  QFileDialog qt(DialogParent());
  ConfigureFileDialog(qt, dialog);
  if (qt.exec() != QDialog::Accepted) return false;
  chosen = qt.selectedFiles();
  return !chosen.isEmpty();
}

int QtUiBackend::MessageBox(const QString& text, const QString& title, int flags) {
  QMessageBox box(DialogParent());
  ConfigureMessageBox(box, text, title, flags);
  box.exec();
  // A box closed without a button (only possible when Qt found an escape
  // button) reports that button.
  QAbstractButton* clicked = box.clickedButton();
  return MessageBoxResult(clicked ? box.standardButton(clicked) : QMessageBox::Cancel);
}

bool QtUiBackend::InputQuery(const QString& caption, const QString& prompt, QByteArray& value) {
  UiInputDialog dialog(caption, prompt, value, DialogParent());
  if (dialog.exec() != QDialog::Accepted) return false;
  value = dialog.value();
  return true;
}

bool QtUiBackend::BrowseFolder(const QString& caption, const QString& startDir, QString& chosen) {
  const QString folder =
      QFileDialog::getExistingDirectory(DialogParent(), caption, startDir, QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return false;
  chosen = QDir::toNativeSeparators(folder);
  return true;
}

bool QtUiBackend::ChooseColour(const QString& caption, QColor& colour) {
  const QColor chosen = QColorDialog::getColor(colour, DialogParent(), caption);
  if (!chosen.isValid()) return false;
  colour = chosen;
  return true;
}

int QtUiBackend::Choose(const QString& caption, const QString& text, const QStringList& buttons,
                        int defaultButton) {
  QMessageBox box(DialogParent());
  box.setTextFormat(Qt::PlainText);
  box.setText(text);
  box.setWindowTitle(caption);
  box.setIcon(QMessageBox::Question);
  QList<QPushButton*> choices;
  for (qsizetype i = 0; i < buttons.size(); ++i) {
    QPushButton* button = box.addButton(buttons.at(i), QMessageBox::AcceptRole);
    button->setObjectName(QStringLiteral("btnChoice%1").arg(i));
    button->setAccessibleName(QString(buttons.at(i)).remove(QLatin1Char('&')));
    choices << button;
  }
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  box.setEscapeButton(cancel);
  box.setDefaultButton(choices.value(defaultButton, cancel));
  box.exec();
  const qsizetype chosen = choices.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
  return chosen < 0 ? kChoiceCancelled : int(chosen);
}

void QtUiBackend::SetCursor(int code) {
  if (code == crDefault) {
    if (overrideActive_) QApplication::restoreOverrideCursor();
    overrideActive_ = false;
    return;
  }
  const QCursor cursor(code == crHourGlass ? Qt::WaitCursor : Qt::ArrowCursor);
  if (overrideActive_)
    QApplication::changeOverrideCursor(cursor);
  else
    QApplication::setOverrideCursor(cursor);
  overrideActive_ = true;
}

void QtUiBackend::ProcessMessages() {
  QCoreApplication::processEvents();
}

}  // namespace ui
