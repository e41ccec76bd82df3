#pragma once
// The rows the Files list shows: the rows of a ModListModel whose internal
// name holds the filter text (letter case ignored), in the model's own order.
// Hidden rows stay in the model, so whatever reads the model itself (Update)
// sees the whole mod. Without a filter text every row is shown and each change
// of the model passes straight through.
#include <QAbstractProxyModel>
#include <QPersistentModelIndex>
#include <functional>
#include <vector>

#include "archive/NameFilter.h"

class ModListModel;

class FilteredRows : public QAbstractProxyModel {
  Q_OBJECT
 public:
  explicit FilteredRows(ModListModel* rows, QObject* parent = nullptr);

  // Shows the rows that match text; a shown row that it hides leaves the
  // selection.
  void SetFilterText(const QString& text);
  QString FilterText() const { return filter_.Text(); }
  int ShownCount() const { return rowCount(); }
  int TotalCount() const;
  // The model row of a shown row and back; -1 for none, or for a hidden row.
  int SourceRow(int shownRow) const;
  int ShownRow(int sourceRow) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  // Without a pass through the model: the view asks for every row's flags at
  // each layout.
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
  QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;

 signals:
  // The number of shown rows or of all rows may have changed.
  void countsChanged();

 private:
  bool Filtering() const { return !filter_.IsEmpty(); }
  void BuildShown();
  bool Matches(int sourceRow) const;
  // Runs change, which changes which rows are shown, as one layout change.
  void Relayout(const std::function<void()>& change);
  // The first place in shown_ whose model row is row or after it.
  int LowerBound(int sourceRow) const;

  void RowsAboutToBeInserted(int first, int last);
  void RowsInserted(int first, int last);
  void RowsAboutToBeRemoved(int first, int last);
  void RowsRemoved(int first, int last);
  void LayoutAboutToBeChanged();
  void LayoutChanged();
  void ModelReset();
  void DataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles);

  ModListModel* rows_;
  names::NameFilter filter_;
  // While filtering: the model rows shown, ascending.
  std::vector<int> shown_;
  // Shown rows between a removal's two signals.
  int removeFrom_ = 0, removeTo_ = 0;
  // Persistent indexes across a change of the model's layout.
  QModelIndexList layoutShown_;
  QList<QPersistentModelIndex> layoutSource_;
};
