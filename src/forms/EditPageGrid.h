#pragma once
// The Edit page's grid: the sheet grid view, and whether its cells hold
// changes that no Save has written yet, so that refilling the page can ask
// before it throws them away.
#include "forms/SheetGridView.h"

class EditPageGrid : public SheetGridView {
  Q_OBJECT
 public:
  explicit EditPageGrid(QWidget* parent = nullptr);

  // Set by every change made to a cell through the view; the page clears it
  // whenever it fills the grid and when Save has written it.
  bool Modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

 private:
  bool modified_ = false;
};
