#pragma once
// A path field: a line edit with a browse button ("...") at its right end.
// The button runs Browse as a command; what browsing chooses, and whether
// the path may be typed, is the subclass's.
#include <QString>
#include <QWidget>

class QLineEdit;
class QToolButton;

class PathEdit : public QWidget {
  Q_OBJECT
 public:
  QString text() const;
  void setText(const QString& path);

  virtual void Browse() = 0;

  QLineEdit* Edit() const { return edit_; }
  QToolButton* BrowseButton() const { return button_; }

 protected:
  // buttonTip: the browse button's tooltip.
  PathEdit(const QString& buttonTip, QWidget* parent);

 private:
  QLineEdit* edit_;
  QToolButton* button_;
};
