#include "forms/widgets/FolderEdit.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include "platform/Ui.h"

FolderEdit::FolderEdit(QWidget* parent) : PathEdit(QStringLiteral("Browse for Folder"), parent) {
  Edit()->setReadOnly(true);
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
