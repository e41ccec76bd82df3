#include "platform/UiFileDialog.h"

#include <QDir>
#include <QFileInfo>

#include "platform/Ui.h"

namespace {
bool emptyDirIsCurrent = false;
}

void FileDialog::SetEmptyInitialDirIsCurrent(bool on) {
  emptyDirIsCurrent = on;
}
bool FileDialog::EmptyInitialDirIsCurrent() {
  return emptyDirIsCurrent;
}

bool FileDialog::Execute() {
  const QString before = QDir::currentPath();
  QStringList chosen;
  const bool confirmed = ui::Backend().ExecuteFileDialog(*this, chosen) && !chosen.isEmpty();
  if (confirmed) {
    Files = chosen;
    FileName = chosen.first();
  }
  if (Options & ofNoChangeDir) {
    if (QDir::currentPath() != before) QDir::setCurrent(before);
  } else if (confirmed) {
    QDir::setCurrent(QFileInfo(FileName).absolutePath());
  }
  return confirmed;
}
