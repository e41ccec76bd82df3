#include "forms/problems/ProblemsModel.h"

#include "platform/Ansi.h"

void ProblemsModel::SetFindings(std::vector<check::Finding> findings) {
  beginResetModel();
  findings_ = std::move(findings);
  endResetModel();
}

int ProblemsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(findings_.size());
}

int ProblemsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant ProblemsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  const check::Finding& f = At(index.row());
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
      return ansi::toDisplay(f.message);
    default:
      return {};
  }
}

QVariant ProblemsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[kColumnCount] = {"Severity", "File", "Line", "Column", "Message"};
  return section >= 0 && section < kColumnCount ? QString::fromLatin1(kTitles[section]) : QVariant();
}
