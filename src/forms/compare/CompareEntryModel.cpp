#include "forms/compare/CompareEntryModel.h"

#include "platform/Ansi.h"

int CompareEntryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(entries_.size());
}

int CompareEntryModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant CompareEntryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= entries_.size()) return {};
  const compare::Entry& e = entries_.at(index.row());
  if (role == StateRole) return int(e.state);
  if (role == Qt::ToolTipRole && e.state != compare::EntryState::OnlyHere &&
      e.state != compare::EntryState::OnlyThere && e.here != e.there)
    return QStringLiteral("There: %1").arg(ansi::toDisplay(e.there));
  if (role != Qt::DisplayRole) return {};
  if (index.column() == NameColumn) return ansi::toDisplay(e.Name());
  QString state = QString::fromLatin1(compare::StateText(e.state));
  if (e.unreadable) state += QStringLiteral(" (cannot be read)");
  return state;
}

QVariant CompareEntryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == NameColumn ? QStringLiteral("Name") : QStringLiteral("State");
}

void CompareEntryModel::SetEntries(const compare::EntryList& list) {
  beginResetModel();
  entries_ = list.entries;
  endResetModel();
  emit countsChanged();
}

void CompareEntryModel::SetState(int row, compare::EntryState state) {
  entries_[row].state = state;
  entries_[row].unreadable = false;
  emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
  emit countsChanged();
}

void CompareEntryModel::Insert(int row, const compare::Entry& entry) {
  row = qBound(0, row, int(entries_.size()));
  beginInsertRows({}, row, row);
  entries_.insert(row, entry);
  endInsertRows();
  emit countsChanged();
}

void CompareEntryModel::Remove(int row) {
  beginRemoveRows({}, row, row);
  entries_.removeAt(row);
  endRemoveRows();
  emit countsChanged();
}

int CompareEntryModel::RowOf(const compare::Entry& entry) const {
  for (int i = 0; i < entries_.size(); ++i)
    if (entries_.at(i).here == entry.here && entries_.at(i).there == entry.there) return i;
  return -1;
}

QString CompareEntryModel::CountsText() const {
  qsizetype counts[compare::kEntryStates] = {};
  for (const compare::Entry& e : entries_) ++counts[int(e.state)];
  QStringList parts;
  for (int s = 0; s < compare::kEntryStates; ++s)
    parts << QStringLiteral("%1 %2").arg(counts[s]).arg(
        QString::fromLatin1(compare::StateText(compare::EntryState(s))));
  return parts.join(QStringLiteral(", "));
}
