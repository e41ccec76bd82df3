#pragma once
// The one rule by which the program turns bytes into a list of lines
// ("(listfile)", sheets from the archive and from disk, the check's and the
// comparison's views of a sheet): a NUL byte ends the text; lines end at CR,
// LF or CR LF; a line end at the very end starts no further line; empty text
// gives no lines.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <cstring>
#include <vector>

using LineList = QList<QByteArray>;

// Calls take(start, length) for each line, in order, with the line's offset
// from data. The next LF and CR are remembered past the line they were found
// for, so a text with only one kind of line end is searched once.
template <typename Take>
void EachLine(const char* data, qsizetype size, Take&& take) {
  const char* end = data + size;
  if (const void* nul = std::memchr(data, 0, size_t(size))) end = static_cast<const char*>(nul);
  const char* lf = nullptr;
  const char* cr = nullptr;
  const char* p = data;
  while (p < end) {
    if (!lf || lf < p) {
      lf = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
      if (!lf) lf = end;
    }
    if (!cr || cr < p) {
      cr = static_cast<const char*>(std::memchr(p, '\r', size_t(end - p)));
      if (!cr) cr = end;
    }
    const char* stop = cr < lf ? cr : lf;
    take(qsizetype(p - data), qsizetype(stop - p));
    if (stop == end) break;
    p = stop + 1;
    if (*stop == '\r' && p < end && *p == '\n') ++p;
  }
}

LineList SplitLines(const char* data, qsizetype size);
inline LineList SplitLines(const QByteArray& bytes) {
  return SplitLines(bytes.constData(), bytes.size());
}

// The same lines as views into bytes, which must outlive them.
std::vector<QByteArrayView> LineViews(const QByteArray& bytes);
