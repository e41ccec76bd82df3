#pragma once
// The rows of the Files list: a flat table of ModEntry with the columns "Name"
// and "Size". Sorting reorders the rows themselves, so row 0 is always the
// first row in the order the user sees. Rows go in one at a time or in bulk.
#include <QAbstractTableModel>
#include <QList>

#include "forms/main/ModEntry.h"

class ModListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { NameColumn, SizeColumn, ColumnCount };

  explicit ModListModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Every row's flags: selectable, never with children, not editable.
  static constexpr Qt::ItemFlags RowFlags() {
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  }
  // Stable sort by the column; the rows keep this order until the next sort.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  int Count() const { return int(rows_.size()); }
  const ModEntry& Row(int row) const { return rows_.at(row); }
  const QList<ModEntry>& Rows() const { return rows_; }

  // Adds a row at the end, or at its place while the list is sorted; returns
  // its index.
  int Append(const ModEntry& entry);
  // Adds many rows in one go (the fast path for a whole listfile).
  void AppendMany(QList<ModEntry> entries);
  void SetEntry(int row, const ModEntry& entry);
  void SetSourcePath(int row, const QString& path);
  void RemoveRows(int first, int count = 1);
  // No rows, and no sort order: rows then stand in the order they are added.
  void Clear();

  // -1 while unsorted.
  int SortColumn() const { return sortColumn_; }
  Qt::SortOrder SortOrder() const { return sortOrder_; }

  // What a row sorts by: its name without regard to letter case (the exact
  // bytes breaking ties), and for the Size column first its size's value.
  struct SortKey {
    QString folded;
    qint64 size;
    const QByteArray* caption;
  };
  static SortKey KeyOf(const ModEntry& entry);
  // Whether a goes before b in the given column, ascending.
  static bool Less(const SortKey& a, const SortKey& b, int column);

 signals:
  void sortStateChanged(int column, Qt::SortOrder order);

 private:
  bool Before(const SortKey& a, const SortKey& b) const;

  QList<ModEntry> rows_;
  int sortColumn_ = -1;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};
