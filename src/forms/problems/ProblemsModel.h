#pragma once
// The Problems dock's tree: Check Mod's findings grouped by message, in the
// columns Severity, File, Line, Column and Message. A message met once is a
// row of its own; one met in many places is a row naming the first place
// and the count, with one child row per place. Texts are shown as
// Windows-1252.
#include <QAbstractItemModel>
#include <vector>

#include "archive/check/CheckReport.h"
#include "archive/check/FindingGroups.h"

class ProblemsModel : public QAbstractItemModel {
  Q_OBJECT
 public:
  enum Column { kSeverity, kFile, kLine, kColumn, kMessage, kColumnCount };

  explicit ProblemsModel(QObject* parent = nullptr) : QAbstractItemModel(parent) {}

  void SetFindings(std::vector<check::Finding> findings);
  int FindingCount() const { return int(findings_.size()); }

  // The place a row stands for: a child row, or the row of a message met
  // once; null for the row of a message met in many places.
  const check::Finding* PlaceAt(const QModelIndex& index) const;
  // The findings of the row's message (a child row: its parent's), in order.
  std::vector<const check::Finding*> GroupAt(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  // The Line column gives numbers, so it sorts as numbers.
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  // A child's internal id is its group's row plus one; a group row's is 0.
  const check::FindingGroup* GroupOf(const QModelIndex& index) const;

  std::vector<check::Finding> findings_;
  std::vector<check::FindingGroup> groups_;
};
