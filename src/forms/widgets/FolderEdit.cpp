#include "forms/widgets/FolderEdit.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include "platform/Ui.h"

FolderEdit::FolderEdit(QWidget* parent) : QWidget(parent) {
  edit_ = new QLineEdit(this);
  edit_->setReadOnly(true);
  button_ = new QToolButton(this);
  button_->setText(QStringLiteral("..."));
  button_->setToolTip(QStringLiteral("Browse for Folder"));
  button_->setAccessibleName(QStringLiteral("Browse"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(edit_, 1);
  layout->addWidget(button_);
  setFocusProxy(edit_);
  connect(button_, &QToolButton::clicked, this, [this] { ui::RunCommand([this] { Browse(); }); });
}

QString FolderEdit::text() const {
  return edit_->text();
}

void FolderEdit::setText(const QString& path) {
  edit_->setText(path);
}

QString FolderEdit::BrowseStart() const {
  const QString candidate = text().isEmpty() ? lastChosen_ : text();
  if (!candidate.isEmpty() && QFileInfo(candidate).isDir()) return candidate;
  return QDir::rootPath();
}

void FolderEdit::Browse() {
  QString chosen;
  if (!ui::BrowseFolder(QStringLiteral("Browse for Folder"), BrowseStart(), chosen)) return;
  lastChosen_ = chosen;
  setText(chosen);
  emit folderChosen(chosen);
}
