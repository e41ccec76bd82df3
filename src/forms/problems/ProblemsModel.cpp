#include "forms/problems/ProblemsModel.h"

#include "platform/Ansi.h"

void ProblemsModel::SetFindings(std::vector<check::Finding> findings) {
  beginResetModel();
  findings_ = std::move(findings);
  groups_ = check::GroupFindings(findings_);
  endResetModel();
}

const check::FindingGroup* ProblemsModel::GroupOf(const QModelIndex& index) const {
  if (!index.isValid()) return nullptr;
  const size_t row = index.internalId() == 0 ? size_t(index.row()) : size_t(index.internalId() - 1);
  return row < groups_.size() ? &groups_[row] : nullptr;
}

const check::Finding* ProblemsModel::PlaceAt(const QModelIndex& index) const {
  const check::FindingGroup* group = GroupOf(index);
  if (!group) return nullptr;
  if (index.internalId() != 0) return &findings_[group->places[size_t(index.row())]];
  return group->places.size() == 1 ? &findings_[group->places.front()] : nullptr;
}

std::vector<const check::Finding*> ProblemsModel::GroupAt(const QModelIndex& index) const {
  std::vector<const check::Finding*> out;
  if (const check::FindingGroup* group = GroupOf(index))
    for (size_t i : group->places) out.push_back(&findings_[i]);
  return out;
}

QModelIndex ProblemsModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column < 0 || column >= kColumnCount || row >= rowCount(parent)) return {};
  return createIndex(row, column, parent.isValid() ? quintptr(parent.row()) + 1 : quintptr(0));
}

QModelIndex ProblemsModel::parent(const QModelIndex& child) const {
  if (!child.isValid() || child.internalId() == 0) return {};
  return createIndex(int(child.internalId() - 1), 0, quintptr(0));
}

int ProblemsModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return int(groups_.size());
  if (parent.internalId() != 0 || parent.column() != 0) return 0;
  const check::FindingGroup* group = GroupOf(parent);
  return group && group->places.size() > 1 ? int(group->places.size()) : 0;
}

int ProblemsModel::columnCount(const QModelIndex&) const {
  return kColumnCount;
}

QVariant ProblemsModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole) return {};
  const check::FindingGroup* group = GroupOf(index);
  if (!group) return {};
  const bool many = index.internalId() == 0 && group->places.size() > 1;
  const check::Finding& f =
      findings_[index.internalId() == 0 ? group->places.front() : group->places[size_t(index.row())]];
  switch (index.column()) {
    case kSeverity:
      return f.severity == check::Severity::Error ? QStringLiteral("Error") : QStringLiteral("Warning");
    case kFile:
      return ansi::toDisplay(f.file);
    case kLine:
      return f.line;
    case kColumn:
      return ansi::toDisplay(f.column);
    case kMessage:
      // The row of many places names the first; the count says how many.
      return many ? QStringLiteral("%1 (%2 times)").arg(ansi::toDisplay(f.message)).arg(group->places.size())
                  : ansi::toDisplay(f.message);
    default:
      return {};
  }
}

QVariant ProblemsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[kColumnCount] = {"Severity", "File", "Line", "Column", "Message"};
  return section >= 0 && section < kColumnCount ? QString::fromLatin1(kTitles[section]) : QVariant();
}
