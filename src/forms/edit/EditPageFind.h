#pragma once
// Find and replace on the Edit page: the find bar's requests carried out on
// the grid. A search starts from the current cell (or from the header cell
// the last search found) and covers every cell, the fixed header row too;
// a find there brings its column into view and marks its header section.
// Replacing writes only cells that are not fixed, each time as one step.
#include <QObject>
#include <QPersistentModelIndex>
#include <functional>

#include "archive/sheetedit/SheetEditor.h"

class EditPageGrid;
class SheetFindBar;

class EditPageFind : public QObject {
  Q_OBJECT
 public:
  using Status = std::function<void(const QString&)>;

  EditPageFind(EditPageGrid& grid, SheetFindBar& bar, Status status);

  void Open(bool replacing);
  void Close();
  void Next() { Find(true); }
  void Previous() { Find(false); }
  void Replace();
  void ReplaceAll();

 private:
  void Find(bool forward);
  SheetCell Origin() const;
  void Forget();

  EditPageGrid& grid_;
  SheetFindBar& bar_;
  Status status_;
  // A find in the header row: where, and the current cell it left, so the
  // next search goes on from the header cell while the user stays there.
  SheetCell headerHit_;
  QPersistentModelIndex headerHitAt_;
};
