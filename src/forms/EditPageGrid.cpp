#include "forms/EditPageGrid.h"

#include "forms/SheetGridModel.h"

EditPageGrid::EditPageGrid(QWidget* parent) : SheetGridView(parent) {
  // Filling the grid resets the model; only cell edits signal a change.
  connect(GridModel(), &QAbstractItemModel::dataChanged, this, [this] { modified_ = true; });
  connect(GridModel(), &QAbstractItemModel::headerDataChanged, this, [this] { modified_ = true; });
}
