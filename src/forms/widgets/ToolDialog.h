#pragma once
// A small tool window shown modally: centred over its parent window the first
// time, afterwards where it was when last hidden. Each showing runs FormShow
// and each hiding FormHide, whatever closed it; an error either raises goes
// to the application error box.
#include <QDialog>
#include <QPoint>
#include <optional>

class ToolDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ToolDialog(QWidget* parent = nullptr);

  virtual void FormShow() = 0;
  virtual void FormHide() = 0;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  std::optional<QPoint> lastPos_;
};
