#pragma once
// A sheet's bytes as lines and cells without a copy of any of them: the lines
// by the program's one rule (TextLines.h), the cells split at TABs on demand
// into views of those bytes.
#include <QByteArray>
#include <string_view>
#include <vector>

namespace check {

class SheetLines {
 public:
  explicit SheetLines(const QByteArray& bytes);

  qsizetype Count() const { return qsizetype(lines_.size()); }
  // Line i, counted from 0 (the header); the file's line number is i + 1.
  std::string_view Line(qsizetype i) const {
    return std::string_view(bytes_.constData() + lines_[size_t(i)].first, lines_[size_t(i)].second);
  }

 private:
  QByteArray bytes_;  // shared with the caller's copy, kept alive for the views
  std::vector<std::pair<qsizetype, qsizetype>> lines_;  // start, length
};

// The line's cells in order (cells is cleared first); a line always has at
// least one, maybe empty, cell.
void SplitCells(std::string_view line, std::vector<std::string_view>& cells);

// Cell col of the line (empty when the line has fewer cells), found without
// splitting the cells after it; firstCell gets cell 0.
std::string_view CellAt(std::string_view line, int col, std::string_view& firstCell);

// Spaces cut off both ends.
std::string_view TrimSpaces(std::string_view text);

}  // namespace check
