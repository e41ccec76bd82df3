#include "archive/check/AcceptLines.h"

#include <algorithm>

#include "archive/check/RulesReader.h"

namespace check {
namespace {

// The word as the rules reader reads it back: in quotes when it holds a
// blank. Quotes, braces and line ends have no way to be written, and a
// marker word (":", "->", "=") would be read as one.
bool Word(const QByteArray& text, QByteArray& word) {
  if (text.isEmpty() || text == ":" || text == "->" || text == "=") return false;
  if (std::any_of(text.begin(), text.end(), [](char c) {
        return c == '"' || c == '{' || c == '}' || c == '\r' || c == '\n' || c == '\0';
      }))
    return false;
  const bool blank = text.contains(' ') || text.contains('\t');
  word = blank ? '"' + text + '"' : text;
  return true;
}

struct SheetColumns {
  QByteArray sheet;  // the file name as the first finding spells it
  QList<QByteArray> columns;
};

}  // namespace

bool AcceptLines(const std::vector<const Finding*>& findings, QList<QByteArray>& lines, QString& why) {
  lines.clear();
  if (findings.empty() || findings.front()->value.isEmpty()) {
    why = QStringLiteral("This finding names no value a rules file could accept.");
    return false;
  }
  const QByteArray value = findings.front()->value;
  const bool qualifier = findings.front()->qualifier;
  std::vector<SheetColumns> sheets;
  for (const Finding* f : findings) {
    if (f->value != value || f->qualifier != qualifier || f->column.isEmpty()) continue;
    const QByteArray sheet = FileNameOf(f->file);
    auto s = std::find_if(sheets.begin(), sheets.end(),
                          [&](const SheetColumns& x) { return Fold(x.sheet) == Fold(sheet); });
    if (s == sheets.end()) s = sheets.insert(sheets.end(), SheetColumns{sheet, {}});
    if (std::none_of(s->columns.begin(), s->columns.end(),
                     [&](const QByteArray& c) { return Fold(c) == Fold(f->column); }))
      s->columns.append(f->column);
  }
  const QByteArray verb = qualifier ? "qualifier" : "allow";
  QByteArray valueWord;
  bool written = Word(value, valueWord);
  for (const SheetColumns& s : sheets) {
    QByteArray line = verb + ' ';
    QByteArray word;
    written = written && Word(s.sheet, word);
    line += word + " :";
    for (const QByteArray& c : s.columns) {
      written = written && Word(c, word);
      line += ' ' + word;
    }
    line += " = " + valueWord;
    if (!written) break;
    // Read back into rules of its own: every pair must now accept the value.
    Rules back;
    QStringList problems;
    const auto& table = qualifier ? back.qualifiers : back.allowed;
    written = ReadRules(line, QString(), back, problems) &&
              std::all_of(s.columns.begin(), s.columns.end(), [&](const QByteArray& c) {
                return table.value(ColumnKey(s.sheet, c)).contains(Fold(value));
              });
    if (!written) break;
    lines.append(line);
  }
  if (!written || lines.isEmpty()) {
    lines.clear();
    why = QStringLiteral(
        "The value cannot be written in a rules file as it stands (it holds a quote, a brace or a line end); "
        "turn the check off for the sheet instead (off ref SHEET).");
    return false;
  }
  return true;
}

}  // namespace check
