#include "forms/preferences/RulesFileEdit.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include "platform/Ui.h"
#include "platform/UiFileDialog.h"

RulesFileEdit::RulesFileEdit(QWidget* parent) : QWidget(parent) {
  edit_ = new QLineEdit(this);
  button_ = new QToolButton(this);
  button_->setText(QStringLiteral("..."));
  button_->setToolTip(QStringLiteral("Browse for a rules file"));
  button_->setAccessibleName(QStringLiteral("Browse"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(edit_, 1);
  layout->addWidget(button_);
  setFocusProxy(edit_);
  connect(button_, &QToolButton::clicked, this, [this] { ui::RunCommand([this] { Browse(); }); });
}

QString RulesFileEdit::text() const {
  return edit_->text().trimmed();
}

void RulesFileEdit::setText(const QString& path) {
  edit_->setText(path);
}

void RulesFileEdit::Browse() {
  FileDialog dialog(FileDialog::Open);
  dialog.Filter = QStringLiteral("Check Rules (*.rules;*.txt)|*.rules;*.txt|All Files (*.*)|*.*");
  dialog.Options = kOpenOptions;
  dialog.Title = QStringLiteral("Choose a Rules File");
  dialog.InitialDir = text().isEmpty() ? QString() : QFileInfo(text()).absolutePath();
  if (dialog.Execute()) setText(dialog.FileName);
}
