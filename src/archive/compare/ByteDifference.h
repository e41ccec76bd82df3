#pragma once
// How two versions of an entry that is no sheet differ: their sizes and the
// first byte at which they part.
#include <QByteArray>

namespace compare {

struct ByteDifference {
  qint64 sizeHere = 0;
  qint64 sizeThere = 0;
  // The offset of the first byte that differs, or where the shorter one ends;
  // -1 when both are the same.
  qint64 firstDifference = -1;
};

ByteDifference CompareBytes(const QByteArray& here, const QByteArray& there);

}  // namespace compare
