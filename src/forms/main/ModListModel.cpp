#include "forms/main/ModListModel.h"

#include <QDir>
#include <QFont>
#include <algorithm>
#include <cstring>
#include <memory>
#include <numeric>

#include "archive/Names.h"
#include "platform/Ansi.h"

namespace {

// The leading number of a size text ("123 Bytes"); sizes sort by value.
qint64 sizeValue(const QString& text) {
  const qsizetype space = text.indexOf(QLatin1Char(' '));
  bool ok = false;
  const qint64 v = QStringView(text).left(space < 0 ? text.size() : space).toLongLong(&ok);
  return ok ? v : 0;
}

}  // namespace

ModListModel::SortKey ModListModel::KeyOf(const ModEntry& e) {
  // The same fold as every other case-blind lookup of a name, one table
  // lookup a byte.
  return SortKey{names::Key(e.Caption), sizeValue(e.SizeText), &e.Caption};
}

bool ModListModel::Less(const SortKey& a, const SortKey& b, int column) {
  if (column == SizeColumn && a.size != b.size) return a.size < b.size;
  const int c = a.folded.compare(b.folded);
  return c != 0 ? c < 0 : *a.caption < *b.caption;
}

ModListModel::ModListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ModListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

int ModListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

bool ModListModel::Deleted(const ModEntry& entry) const {
  return pending_ && removedNames_ && !removedNames_->isEmpty() &&
         removedSet_.Contains(*removedNames_, entry.Caption);
}

QVariant ModListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  const ModEntry& e = rows_.at(index.row());
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
      return index.column() == NameColumn ? ansi::toDisplay(e.Caption) : e.SizeText;
    case Qt::FontRole: {
      // Bold only in the Name column: the Size column is as wide as its
      // texts in the list's own font.
      const bool written = pending_ && !e.SourcePath.isEmpty() && index.column() == NameColumn;
      const bool deleted = Deleted(e);
      if (!written && !deleted) return {};
      QFont font;
      font.setBold(written);
      font.setStrikeOut(deleted);
      return font;
    }
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
      if (Deleted(e)) return QStringLiteral("Update deletes this entry: a row of the same name was removed.");
      if (e.SourcePath.isEmpty()) return {};
      return (pending_ ? QStringLiteral("Update writes %1") : QStringLiteral("From %1"))
          .arg(QDir::toNativeSeparators(e.SourcePath));
    default:
      return {};
  }
}

QVariant ModListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == NameColumn ? QStringLiteral("Name") : QStringLiteral("Size");
}

Qt::ItemFlags ModListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? RowFlags() : Qt::NoItemFlags;
}

bool ModListModel::Before(const SortKey& a, const SortKey& b) const {
  return sortOrder_ == Qt::AscendingOrder ? Less(a, b, sortColumn_) : Less(b, a, sortColumn_);
}

void ModListModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= ColumnCount) return;
  sortColumn_ = column;
  sortOrder_ = order;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  // Each row's key is made once, not once per comparison.
  std::vector<SortKey> keys;
  keys.reserve(rows_.size());
  for (const ModEntry& e : rows_) keys.push_back(KeyOf(e));
  std::vector<int> perm(rows_.size());
  std::iota(perm.begin(), perm.end(), 0);
  std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) { return Before(keys[a], keys[b]); });
  QList<ModEntry> sorted;
  sorted.reserve(rows_.size());
  std::vector<int> newRow(rows_.size());
  for (int i = 0; i < int(perm.size()); ++i) {
    sorted << rows_.at(perm[i]);
    newRow[perm[i]] = i;
  }
  rows_ = std::move(sorted);
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  to.reserve(from.size());
  for (const QModelIndex& i : from) to << index(newRow[i.row()], i.column());
  changePersistentIndexList(from, to);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  emit sortStateChanged(sortColumn_, sortOrder_);
}

int ModListModel::Append(const ModEntry& entry) {
  int at = Count();
  if (sortColumn_ >= 0) {
    const SortKey key = KeyOf(entry);
    at = int(std::upper_bound(rows_.begin(), rows_.end(), key,
                              [this](const SortKey& k, const ModEntry& e) { return Before(k, KeyOf(e)); }) -
             rows_.begin());
  }
  beginInsertRows({}, at, at);
  rows_.insert(at, entry);
  endInsertRows();
  return at;
}

void ModListModel::AppendMany(QList<ModEntry> entries) {
  if (entries.isEmpty()) return;
  beginInsertRows({}, Count(), Count() + int(entries.size()) - 1);
  rows_.append(std::move(entries));
  endInsertRows();
  // A sorted list stays sorted.
  if (sortColumn_ >= 0) sort(sortColumn_, sortOrder_);
}

void ModListModel::SetEntry(int row, const ModEntry& entry) {
  if (row < 0 || row >= Count()) return;
  rows_[row] = entry;
  emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void ModListModel::SetSourcePath(int row, const QString& path) {
  if (row < 0 || row >= Count()) return;
  rows_[row].SourcePath = path;  // not shown: no column changes
}

void ModListModel::RemoveRows(int first, int count) {
  if (first < 0 || count <= 0 || first + count > Count()) return;
  beginRemoveRows({}, first, first + count - 1);
  if (first < Count() - first - count) {
    // Fewer rows stand before the cut than after it: those move down over
    // the removed ones by their bytes (rows are relocatable), and the list
    // then lets go of its first slots, which costs no copy at all.
    ModEntry* row = rows_.data();
    std::destroy(row + first, row + first + count);
    std::memmove(static_cast<void*>(row + count), static_cast<const void*>(row),
                 sizeof(ModEntry) * size_t(first));
    std::uninitialized_value_construct(row, row + count);
    rows_.remove(0, count);
  } else {
    rows_.remove(first, count);
  }
  endRemoveRows();
}

void ModListModel::ShowPendingMarks(bool pending, const QList<QByteArray>& removedNames) {
  pending_ = pending;
  removedNames_ = &removedNames;
  if (Count() > 0)
    emit dataChanged(index(0, 0), index(Count() - 1, ColumnCount - 1),
                     {Qt::FontRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
  emit pendingChanged();
}

void ModListModel::Clear() {
  beginResetModel();
  rows_.clear();
  endResetModel();
  if (sortColumn_ >= 0) {
    sortColumn_ = -1;
    sortOrder_ = Qt::AscendingOrder;
    emit sortStateChanged(sortColumn_, sortOrder_);
  }
}
