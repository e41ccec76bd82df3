#include "forms/preferences/RulesFileEdit.h"

#include <QFileInfo>

#include "platform/UiFileDialog.h"

RulesFileEdit::RulesFileEdit(QWidget* parent) : PathEdit(QStringLiteral("Browse for a rules file"), parent) {}

QString RulesFileEdit::text() const {
  return PathEdit::text().trimmed();
}

void RulesFileEdit::Browse() {
  FileDialog dialog(FileDialog::Open);
  dialog.Filter = QStringLiteral("Check Rules (*.rules;*.txt)|*.rules;*.txt|All Files (*.*)|*.*");
  dialog.Options = kOpenOptions;
  dialog.Title = QStringLiteral("Choose a Rules File");
  dialog.InitialDir = text().isEmpty() ? QString() : QFileInfo(text()).absolutePath();
  if (dialog.Execute()) setText(dialog.FileName);
}
