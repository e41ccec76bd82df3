#pragma once
// The rows of the Files list: a flat table of ModEntry with the columns "Name"
// and "Size". Sorting reorders the rows themselves, so row 0 is always the
// first row in the order the user sees. Rows go in one at a time or in bulk.
// While the mod has pending changes, the rows the next Update writes from a
// file show their names in bold, and rows whose entry it deletes (another
// row of the same name was removed) are struck out; a row's tooltip names
// its file.
#include <QAbstractTableModel>
#include <QList>

#include "archive/Names.h"
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

  // What the marks follow: whether changes are pending, and the names the
  // next Update deletes (a list that outlives the model). Call it again
  // after either has changed.
  void ShowPendingMarks(bool pending, const QList<QByteArray>& removedNames);

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
  // ShowPendingMarks was called: what the next Update writes has changed.
  void pendingChanged();

 private:
  bool Before(const SortKey& a, const SortKey& b) const;

  // Whether the next Update deletes this row's entry.
  bool Deleted(const ModEntry& entry) const;

  QList<ModEntry> rows_;
  bool pending_ = false;
  const QList<QByteArray>* removedNames_ = nullptr;
  mutable names::NameSet removedSet_;
  int sortColumn_ = -1;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};
