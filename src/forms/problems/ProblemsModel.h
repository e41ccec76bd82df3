#pragma once
// The Problems dock's table: one row per finding of Check Mod, in the columns
// Severity, File, Line, Column and Message. Texts are shown as Windows-1252.
#include <QAbstractTableModel>
#include <vector>

#include "archive/check/CheckReport.h"

class ProblemsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { kSeverity, kFile, kLine, kColumn, kMessage, kColumnCount };

  explicit ProblemsModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  void SetFindings(std::vector<check::Finding> findings);
  const check::Finding& At(int row) const { return findings_[size_t(row)]; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  // The Line column gives numbers, so it sorts as numbers.
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  std::vector<check::Finding> findings_;
};
