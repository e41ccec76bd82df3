#include "archive/compare/ByteDifference.h"

#include <algorithm>

namespace compare {

ByteDifference CompareBytes(const QByteArray& here, const QByteArray& there) {
  ByteDifference d{here.size(), there.size(), -1};
  const qsizetype common = std::min(here.size(), there.size());
  const auto [a, b] = std::mismatch(here.constBegin(), here.constBegin() + common, there.constBegin());
  const qsizetype at = a - here.constBegin();
  if (at < common || here.size() != there.size()) d.firstDifference = at;
  return d;
}

}  // namespace compare
