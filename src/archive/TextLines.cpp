#include "TextLines.h"

LineList SplitLines(const char* data, qsizetype size) {
  LineList lines;
  EachLine(data, size,
           [&](qsizetype start, qsizetype length) { lines.append(QByteArray(data + start, length)); });
  return lines;
}

std::vector<QByteArrayView> LineViews(const QByteArray& bytes) {
  const char* data = bytes.constData();
  std::vector<QByteArrayView> lines;
  lines.reserve(size_t(bytes.size() / 64 + 1));
  EachLine(data, bytes.size(),
           [&](qsizetype start, qsizetype length) { lines.emplace_back(data + start, length); });
  return lines;
}
