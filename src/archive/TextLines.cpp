#include "TextLines.h"

#include <cstring>

LineList SplitLines(const char* data, qsizetype size) {
  if (const void* nul = std::memchr(data, 0, size_t(size))) size = static_cast<const char*>(nul) - data;
  LineList lines;
  qsizetype start = 0;
  for (qsizetype i = 0; i < size; ++i) {
    const char c = data[i];
    if (c != '\r' && c != '\n') continue;
    lines.append(QByteArray(data + start, i - start));
    if (c == '\r' && i + 1 < size && data[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < size) lines.append(QByteArray(data + start, size - start));
  return lines;
}
