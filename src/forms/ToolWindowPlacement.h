#pragma once
// Where a tool window appears: centred over its parent window the first time
// it is shown, and afterwards where it was when it was last hidden.
#include <QPoint>
#include <optional>

class QWidget;

class ToolWindowPlacement {
 public:
  // Call from the window's show event.
  void BeforeShow(QWidget* window);
  // Call from the window's hide event.
  void AfterHide(QWidget* window);

  bool HasBeenShown() const { return last_.has_value(); }

 private:
  std::optional<QPoint> last_;
};
