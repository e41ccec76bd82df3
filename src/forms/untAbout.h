#pragma once
// The about box: a black panel with a picture and the program's text
// scrolling upward while the box is shown.
#include <QDialog>

#include "forms/ToolWindowPlacement.h"

class AboutScroll;

class TfrmAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmAbout(QWidget* parent = nullptr);

  AboutScroll* Scroll;

  // Starts the text again from the bottom.
  void FormShow();
  void FormHide();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  ToolWindowPlacement placement_;
};
