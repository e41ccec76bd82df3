#include "archive/compare/StringTableRows.h"

#include <QString>

#include "archive/strings/StringTableCodec.h"
#include "archive/strings/StringText.h"
#include "platform/Ansi.h"

namespace compare {

namespace {

void AppendEscaped(QByteArray& out, const QByteArray& text) {
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += c;
    }
  }
}

}  // namespace

std::optional<QByteArray> StringTableRows(const QByteArray& bytes) {
  StringTable table;
  QString fault;
  if (!stringtable::Read(bytes, table, fault)) return std::nullopt;
  QByteArray out;
  out.reserve(bytes.size() + 16);
  out += "Key\tText\r\n";
  for (const TableString& s : table.strings) {
    AppendEscaped(out, s.key);
    out += '\t';
    AppendEscaped(out, s.text);
    out += "\r\n";
  }
  return out;
}

QByteArray StringTableCell(QByteArrayView cell) {
  QByteArray out;
  out.reserve(cell.size());
  for (qsizetype i = 0; i < cell.size(); ++i) {
    const char c = cell[i];
    if (c != '\\' || i + 1 == cell.size()) {
      out += c;
      continue;
    }
    switch (const char next = cell[++i]) {
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      default:
        out += next;
    }
  }
  return out;
}

QString ShownStringCell(int column, QByteArrayView cell) {
  const QByteArray bytes = StringTableCell(cell);
  return column == kStringTextColumn ? stringtext::ToDisplay(bytes) : ansi::toDisplay(bytes);
}

}  // namespace compare
