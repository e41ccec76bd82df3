#pragma once
// The about box: a black panel with a picture and the program's text
// scrolling upward while the box is shown.
#include "forms/widgets/ToolDialog.h"

class AboutScroll;

class TfrmAbout : public ToolDialog {
  Q_OBJECT
 public:
  explicit TfrmAbout(QWidget* parent = nullptr);

  AboutScroll* Scroll;

  // Starts the text again from the bottom.
  void FormShow() override;
  void FormHide() override;
};
