#include "forms/files/FilteredRows.h"

#include <algorithm>

#include "forms/main/ModListModel.h"

FilteredRows::FilteredRows(ModListModel* rows, QObject* parent) : QAbstractProxyModel(parent), rows_(rows) {
  QAbstractProxyModel::setSourceModel(rows);
  connect(rows, &QAbstractItemModel::rowsAboutToBeInserted, this,
          [this](const QModelIndex&, int first, int last) { RowsAboutToBeInserted(first, last); });
  connect(rows, &QAbstractItemModel::rowsInserted, this,
          [this](const QModelIndex&, int first, int last) { RowsInserted(first, last); });
  connect(rows, &QAbstractItemModel::rowsAboutToBeRemoved, this,
          [this](const QModelIndex&, int first, int last) { RowsAboutToBeRemoved(first, last); });
  connect(rows, &QAbstractItemModel::rowsRemoved, this,
          [this](const QModelIndex&, int first, int last) { RowsRemoved(first, last); });
  connect(rows, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] { LayoutAboutToBeChanged(); });
  connect(rows, &QAbstractItemModel::layoutChanged, this, [this] { LayoutChanged(); });
  connect(rows, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
  connect(rows, &QAbstractItemModel::modelReset, this, [this] { ModelReset(); });
  connect(rows, &QAbstractItemModel::dataChanged, this, &FilteredRows::DataChanged);
  connect(rows, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
}

int FilteredRows::TotalCount() const {
  return rows_->Count();
}

// ---- Mapping ----------------------------------------------------------------

int FilteredRows::LowerBound(int sourceRow) const {
  return int(std::lower_bound(shown_.begin(), shown_.end(), sourceRow) - shown_.begin());
}

int FilteredRows::SourceRow(int shownRow) const {
  if (shownRow < 0 || shownRow >= rowCount()) return -1;
  return Filtering() ? shown_[shownRow] : shownRow;
}

int FilteredRows::ShownRow(int sourceRow) const {
  if (sourceRow < 0 || sourceRow >= rows_->Count()) return -1;
  if (!Filtering()) return sourceRow;
  const int at = LowerBound(sourceRow);
  return at < int(shown_.size()) && shown_[at] == sourceRow ? at : -1;
}

QModelIndex FilteredRows::index(int row, int column, const QModelIndex& parent) const {
  if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return {};
  return createIndex(row, column);
}

QModelIndex FilteredRows::parent(const QModelIndex&) const {
  return {};
}

int FilteredRows::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return Filtering() ? int(shown_.size()) : rows_->Count();
}

int FilteredRows::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_->columnCount();
}

bool FilteredRows::hasChildren(const QModelIndex& parent) const {
  return !parent.isValid() && rowCount() > 0;
}

Qt::ItemFlags FilteredRows::flags(const QModelIndex& index) const {
  return index.isValid() ? ModListModel::RowFlags() : Qt::NoItemFlags;
}

QVariant FilteredRows::headerData(int section, Qt::Orientation orientation, int role) const {
  // Columns are never filtered; the header stays when every row is hidden.
  return rows_->headerData(section, orientation, role);
}

QModelIndex FilteredRows::mapToSource(const QModelIndex& proxyIndex) const {
  if (!proxyIndex.isValid()) return {};
  return rows_->index(SourceRow(proxyIndex.row()), proxyIndex.column());
}

QModelIndex FilteredRows::mapFromSource(const QModelIndex& sourceIndex) const {
  if (!sourceIndex.isValid()) return {};
  const int row = ShownRow(sourceIndex.row());
  return row < 0 ? QModelIndex() : createIndex(row, sourceIndex.column());
}

// ---- The filter ---------------------------------------------------------------

bool FilteredRows::Matches(int sourceRow) const {
  return filter_.Matches(rows_->Row(sourceRow).Caption);
}

void FilteredRows::BuildShown() {
  shown_.clear();
  for (int row = 0; row < rows_->Count(); ++row)
    if (Matches(row)) shown_.push_back(row);
}

void FilteredRows::SetFilterText(const QString& text) {
  if (text == filter_.Text()) return;
  Relayout([&] {
    filter_.SetText(text);
    if (Filtering())
      BuildShown();
    else
      shown_ = {};
  });
  emit countsChanged();
}

void FilteredRows::Relayout(const std::function<void()>& change) {
  // A layout change, not a reset: the rows still shown keep their selection
  // and the current row; persistent indexes of rows that disappear become
  // invalid, which takes those rows out of the selection.
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  QList<int> sourceRows;
  sourceRows.reserve(before.size());
  for (const QModelIndex& i : before) sourceRows << SourceRow(i.row());
  change();
  QModelIndexList after;
  after.reserve(before.size());
  for (qsizetype i = 0; i < before.size(); ++i) {
    const int row = ShownRow(sourceRows.at(i));
    after << (row < 0 ? QModelIndex() : createIndex(row, before.at(i).column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// ---- Following the model ----------------------------------------------------------

void FilteredRows::RowsAboutToBeInserted(int first, int last) {
  if (!Filtering()) beginInsertRows({}, first, last);
}

void FilteredRows::RowsInserted(int first, int last) {
  if (!Filtering()) {
    endInsertRows();
    emit countsChanged();
    return;
  }
  const int count = last - first + 1;
  std::vector<int> accepted;
  for (int row = first; row <= last; ++row)
    if (Matches(row)) accepted.push_back(row);
  // The shown rows after the new ones move down in the model, not in the list.
  const int at = LowerBound(first);
  for (auto it = shown_.begin() + at; it != shown_.end(); ++it) *it += count;
  if (!accepted.empty()) {
    beginInsertRows({}, at, at + int(accepted.size()) - 1);
    shown_.insert(shown_.begin() + at, accepted.begin(), accepted.end());
    endInsertRows();
  }
  emit countsChanged();
}

void FilteredRows::RowsAboutToBeRemoved(int first, int last) {
  if (!Filtering()) {
    beginRemoveRows({}, first, last);
    return;
  }
  // The shown rows of a run of model rows are a run of the list too.
  removeFrom_ = LowerBound(first);
  removeTo_ = LowerBound(last + 1);
  if (removeFrom_ < removeTo_) beginRemoveRows({}, removeFrom_, removeTo_ - 1);
}

void FilteredRows::RowsRemoved(int first, int last) {
  if (!Filtering()) {
    endRemoveRows();
    emit countsChanged();
    return;
  }
  const int count = last - first + 1;
  shown_.erase(shown_.begin() + removeFrom_, shown_.begin() + removeTo_);
  for (auto it = shown_.begin() + removeFrom_; it != shown_.end(); ++it) *it -= count;
  if (removeFrom_ < removeTo_) endRemoveRows();
  emit countsChanged();
}

void FilteredRows::LayoutAboutToBeChanged() {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  layoutShown_ = persistentIndexList();
  layoutSource_.clear();
  layoutSource_.reserve(layoutShown_.size());
  for (const QModelIndex& i : layoutShown_) layoutSource_ << QPersistentModelIndex(mapToSource(i));
}

void FilteredRows::LayoutChanged() {
  // The model's rows moved (a sort): the shown rows follow.
  if (Filtering()) BuildShown();
  QModelIndexList after;
  after.reserve(layoutShown_.size());
  for (const QPersistentModelIndex& source : std::as_const(layoutSource_)) after << mapFromSource(source);
  changePersistentIndexList(layoutShown_, after);
  layoutShown_.clear();
  layoutSource_.clear();
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FilteredRows::ModelReset() {
  if (Filtering()) BuildShown();
  endResetModel();
  emit countsChanged();
}

void FilteredRows::DataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                               const QList<int>& roles) {
  if (!Filtering()) {
    emit dataChanged(mapFromSource(topLeft), mapFromSource(bottomRight), roles);
    return;
  }
  // A changed name may now match, or no longer match.
  bool moved = false;
  for (int row = topLeft.row(); row <= bottomRight.row() && !moved; ++row)
    moved = Matches(row) != (ShownRow(row) >= 0);
  if (moved) {
    Relayout([this] { BuildShown(); });
    emit countsChanged();
  }
  const int from = LowerBound(topLeft.row()), to = LowerBound(bottomRight.row() + 1);
  if (from < to) emit dataChanged(index(from, topLeft.column()), index(to - 1, bottomRight.column()), roles);
}
