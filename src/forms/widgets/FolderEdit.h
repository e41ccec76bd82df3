#pragma once
// A folder field: a read-only path with a browse button at its right end that
// opens the folder-browse dialog. Confirming a folder replaces the path;
// cancelling leaves it as it was.
#include "forms/widgets/PathEdit.h"

class FolderEdit : public PathEdit {
  Q_OBJECT
 public:
  explicit FolderEdit(QWidget* parent = nullptr);

  // Where browsing starts: the folder shown; for an empty field, the folder
  // last chosen in it; the root folder when that is none or names no folder.
  QString BrowseStart() const;
  void Browse() override;

 signals:
  void folderChosen(const QString& path);

 private:
  QString lastChosen_;
};
