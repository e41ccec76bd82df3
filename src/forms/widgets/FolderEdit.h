#pragma once
// A folder field: a read-only path with a browse button at its right end that
// opens the folder-browse dialog. Confirming a folder replaces the path;
// cancelling leaves it as it was.
#include <QString>
#include <QWidget>

class QLineEdit;
class QToolButton;

class FolderEdit : public QWidget {
  Q_OBJECT
 public:
  explicit FolderEdit(QWidget* parent = nullptr);

  QString text() const;
  void setText(const QString& path);

  // Where browsing starts: the folder shown; for an empty field, the folder
  // last chosen in it; the root folder when that is none or names no folder.
  QString BrowseStart() const;
  void Browse();

  QLineEdit* Edit() const { return edit_; }
  QToolButton* BrowseButton() const { return button_; }

 signals:
  void folderChosen(const QString& path);

 private:
  QLineEdit* edit_;
  QToolButton* button_;
  QString lastChosen_;
};
