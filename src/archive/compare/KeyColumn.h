#pragma once
// Which column identifies a sheet's rows. The rules of a mod check know it
// sheet by sheet; without them it is the first column.
#include <QByteArray>
#include <QList>
#include <functional>

namespace compare {

// The key column's index in header; -1 when the sheet has none (its rows
// are then matched by position).
using KeyColumnProvider =
    std::function<int(const QByteArray& sheetFileName, const QList<QByteArray>& header)>;

inline int FirstColumnKey(const QByteArray& /*sheetFileName*/, const QList<QByteArray>& header) {
  return header.isEmpty() ? -1 : 0;
}

// The key columns the comparisons of the program use.
KeyColumnProvider SheetKeyColumns();

}  // namespace compare
