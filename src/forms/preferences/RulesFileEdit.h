#pragma once
// The rules-file field of the preferences: the path of a user's rules file
// for Check Mod, typed (or emptied) in place, or chosen with the browse
// button at its right end.
#include <QString>
#include <QWidget>

class QLineEdit;
class QToolButton;

class RulesFileEdit : public QWidget {
  Q_OBJECT
 public:
  explicit RulesFileEdit(QWidget* parent = nullptr);

  QString text() const;
  void setText(const QString& path);
  // The open dialog, starting in the folder of the file shown.
  void Browse();

  QLineEdit* Edit() const { return edit_; }
  QToolButton* BrowseButton() const { return button_; }

 private:
  QLineEdit* edit_;
  QToolButton* button_;
};
