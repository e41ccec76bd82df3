#include "StringClipboard.h"

namespace stringclipboard {

namespace {

bool NeedsQuotes(const QString& cell) {
  return cell.startsWith(QLatin1Char('"')) || cell.contains(QLatin1Char('\t')) ||
         cell.contains(QLatin1Char('\n')) || cell.contains(QLatin1Char('\r'));
}

bool LineEnd(QChar c) {
  return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

}  // namespace

QString FromRows(const std::vector<QStringList>& rows) {
  QString text;
  for (const QStringList& row : rows) {
    for (qsizetype c = 0; c < row.size(); ++c) {
      if (c > 0) text += QLatin1Char('\t');
      const QString& cell = row[c];
      if (NeedsQuotes(cell)) {
        QString quoted = cell;
        quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
        text += QLatin1Char('"') + quoted + QLatin1Char('"');
      } else {
        text += cell;
      }
    }
    text += QLatin1String("\r\n");
  }
  return text;
}

std::vector<QStringList> Rows(const QString& text) {
  std::vector<QStringList> rows;
  const qsizetype size = text.size();
  qsizetype at = 0;
  while (at < size) {
    QStringList row;
    for (;;) {
      QString cell;
      if (at < size && text[at] == QLatin1Char('"')) {
        // Quoted: runs to the quote not doubled; what follows it up to the
        // next TAB or line end is kept as a spreadsheet would.
        ++at;
        while (at < size) {
          if (text[at] == QLatin1Char('"')) {
            if (at + 1 < size && text[at + 1] == QLatin1Char('"')) {
              cell += QLatin1Char('"');
              at += 2;
              continue;
            }
            ++at;
            break;
          }
          cell += text[at++];
        }
      }
      const qsizetype from = at;
      while (at < size && text[at] != QLatin1Char('\t') && !LineEnd(text[at])) ++at;
      cell += QStringView(text).sliced(from, at - from);
      row << cell;
      if (at < size && text[at] == QLatin1Char('\t')) {
        ++at;
        continue;
      }
      break;
    }
    // The line end: CR, LF or CR LF.
    if (at < size && text[at] == QLatin1Char('\r')) {
      ++at;
      if (at < size && text[at] == QLatin1Char('\n')) ++at;
    } else if (at < size && text[at] == QLatin1Char('\n')) {
      ++at;
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace stringclipboard
