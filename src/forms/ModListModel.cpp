#include "forms/ModListModel.h"

#include <algorithm>
#include <numeric>

#include "platform/Ansi.h"

namespace {

// The leading number of a size text ("123 Bytes"); sizes sort by value.
qint64 sizeValue(const QString& text) {
  const qsizetype space = text.indexOf(QLatin1Char(' '));
  bool ok = false;
  const qint64 v = QStringView(text).left(space < 0 ? text.size() : space).toLongLong(&ok);
  return ok ? v : 0;
}

int compareNames(const QByteArray& a, const QByteArray& b) {
  const int folded = ansi::toDisplay(a).compare(ansi::toDisplay(b), Qt::CaseInsensitive);
  return folded != 0 ? folded : (a < b ? -1 : (b < a ? 1 : 0));
}

}  // namespace

ModListModel::ModListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ModListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

int ModListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant ModListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
  const ModEntry& e = rows_.at(index.row());
  return index.column() == NameColumn ? ansi::toDisplay(e.Caption) : e.SizeText;
}

QVariant ModListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == NameColumn ? QStringLiteral("Name") : QStringLiteral("Size");
}

Qt::ItemFlags ModListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                         : Qt::NoItemFlags;
}

bool ModListModel::Less(const ModEntry& a, const ModEntry& b, int column) {
  if (column == SizeColumn) {
    const qint64 sa = sizeValue(a.SizeText), sb = sizeValue(b.SizeText);
    if (sa != sb) return sa < sb;
  }
  return compareNames(a.Caption, b.Caption) < 0;
}

bool ModListModel::Before(const ModEntry& a, const ModEntry& b) const {
  return sortOrder_ == Qt::AscendingOrder ? Less(a, b, sortColumn_) : Less(b, a, sortColumn_);
}

void ModListModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= ColumnCount) return;
  sortColumn_ = column;
  sortOrder_ = order;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<int> perm(rows_.size());
  std::iota(perm.begin(), perm.end(), 0);
  std::stable_sort(perm.begin(), perm.end(),
                   [this](int a, int b) { return Before(rows_.at(a), rows_.at(b)); });
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
  if (sortColumn_ >= 0)
    at = int(std::upper_bound(rows_.begin(), rows_.end(), entry,
                              [this](const ModEntry& a, const ModEntry& b) { return Before(a, b); }) -
             rows_.begin());
  beginInsertRows({}, at, at);
  rows_.insert(at, entry);
  endInsertRows();
  return at;
}

void ModListModel::AppendMany(QList<ModEntry> entries) {
  if (entries.isEmpty()) return;
  if (sortColumn_ >= 0) {
    beginResetModel();
    rows_.append(std::move(entries));
    std::stable_sort(rows_.begin(), rows_.end(),
                     [this](const ModEntry& a, const ModEntry& b) { return Before(a, b); });
    endResetModel();
    return;
  }
  beginInsertRows({}, Count(), Count() + int(entries.size()) - 1);
  rows_.append(std::move(entries));
  endInsertRows();
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
  rows_.remove(first, count);
  endRemoveRows();
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
