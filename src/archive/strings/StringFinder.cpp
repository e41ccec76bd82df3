#include "StringFinder.h"

#include "archive/AsciiCase.h"
#include "archive/strings/StringTableEditor.h"
#include "platform/Ansi.h"

namespace {

// The key needle: keys are single-byte text, and a text with a character
// they cannot hold is in no key (not turned into '?', which would find and
// replace question marks).
QByteArray KeyNeedle(const QString& text) {
  QByteArray needle = ansi::fromDisplay(text);
  return ansi::toDisplay(needle) == text ? needle : QByteArray();
}

}  // namespace

StringFinder::StringFinder(const QString& text, FindOptions options)
    : keys_(KeyNeedle(text), options), textNeedle_(text.toUtf8()), options_(options) {
  if (!options_.matchCase) textNeedle_ = textNeedle_.toLower();
}

qsizetype StringFinder::TextIndexIn(QByteArrayView hay, qsizetype from) const {
  const qsizetype n = textNeedle_.size();
  if (options_.matchCase) return hay.indexOf(textNeedle_, from);
  for (qsizetype at = from; at + n <= hay.size(); ++at) {
    qsizetype k = 0;
    while (k < n && AsciiLower(hay[at + k]) == textNeedle_[k]) ++k;
    if (k == n) return at;
  }
  return -1;
}

bool StringFinder::Matches(int col, QByteArrayView cell) const {
  if (Empty()) return false;
  if (col == StringTableEditor::kKeyCol) return keys_.Matches(cell);
  if (options_.wholeCell) return cell.size() == textNeedle_.size() && TextIndexIn(cell, 0) == 0;
  return TextIndexIn(cell, 0) >= 0;
}

QByteArray StringFinder::TextReplaced(QByteArrayView cell, const QByteArray& with) const {
  QByteArray out;
  qsizetype from = 0;
  for (qsizetype at = TextIndexIn(cell, 0); at >= 0; at = TextIndexIn(cell, from)) {
    out += cell.sliced(from, at - from);
    out += with;
    from = at + textNeedle_.size();
  }
  out += cell.sliced(from);
  return out;
}

QByteArray StringFinder::Replaced(int col, QByteArrayView cell, const QString& with) const {
  if (!Matches(col, cell)) return cell.toByteArray();
  if (col == StringTableEditor::kKeyCol) return keys_.Replaced(cell, ansi::fromDisplay(with));
  if (options_.wholeCell) return with.toUtf8();
  return TextReplaced(cell, with.toUtf8());
}

StringFinder::Hit StringFinder::Next(const StringTableEditor& table, int col, int index) const {
  const int count = table.Count();
  if (Empty() || count == 0) return {};
  // Cells numbered in reading order, two a string.
  const int cells = 2 * count;
  const int start = index < 0 || index >= count ? -1 : 2 * index + (col < 0 ? -1 : col);
  for (int step = 1; step <= cells; ++step) {
    const int cell = start + step;
    const int at = cell % cells;
    if (Matches(at % 2, table.Cell(at % 2, at / 2))) return {at % 2, at / 2, cell >= cells};
  }
  return {};
}

StringFinder::Hit StringFinder::Previous(const StringTableEditor& table, int col, int index) const {
  const int count = table.Count();
  if (Empty() || count == 0) return {};
  const int cells = 2 * count;
  const int start = index < 0 || index >= count ? cells : 2 * index + (col < 0 ? 0 : col);
  for (int step = 1; step <= cells; ++step) {
    const int cell = start - step;
    const int at = (cell + cells) % cells;
    if (Matches(at % 2, table.Cell(at % 2, at / 2))) return {at % 2, at / 2, cell < 0};
  }
  return {};
}
