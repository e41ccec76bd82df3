#include "archive/check/SheetLines.h"

#include <cstring>

#include "archive/TextLines.h"

namespace check {

SheetLines::SheetLines(const QByteArray& bytes) : bytes_(bytes) {
  EachLine(bytes_.constData(), bytes_.size(),
           [this](qsizetype start, qsizetype length) { lines_.emplace_back(start, length); });
}

void SplitCells(std::string_view line, std::vector<std::string_view>& cells) {
  cells.clear();
  const char* p = line.data();
  const char* const end = p + line.size();
  for (;;) {
    const char* tab = static_cast<const char*>(std::memchr(p, '\t', size_t(end - p)));
    if (!tab) break;
    cells.emplace_back(p, size_t(tab - p));
    p = tab + 1;
  }
  cells.emplace_back(p, size_t(end - p));
}

std::string_view CellAt(std::string_view line, int col, std::string_view& firstCell) {
  const char* p = line.data();
  const char* const end = p + line.size();
  std::string_view cell;
  for (int c = 0;; ++c) {
    const char* tab = static_cast<const char*>(std::memchr(p, '\t', size_t(end - p)));
    const char* stop = tab ? tab : end;
    if (c == 0) firstCell = std::string_view(p, size_t(stop - p));
    if (c == col) return std::string_view(p, size_t(stop - p));
    if (!tab) return cell;
    p = tab + 1;
  }
}

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace check
