#include "archive/compare/StringTableRows.h"

#include <QString>

#include "archive/strings/StringTableCodec.h"

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

}  // namespace compare
