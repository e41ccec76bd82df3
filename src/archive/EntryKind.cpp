#include "archive/EntryKind.h"

namespace {

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

}  // namespace

QByteArray EntryExtension(const QByteArray& name) {
  const qsizetype dot = name.lastIndexOf('.');
  if (dot < 0) return {};
  for (qsizetype i = dot + 1; i < name.size(); ++i)
    if (name.at(i) == '\\' || name.at(i) == ':') return {};
  return name.mid(dot);
}

namespace {

bool HasExtension(const QByteArray& name, const char* lower) {
  const QByteArray ext = EntryExtension(name);
  if (ext.size() != qsizetype(qstrlen(lower))) return false;
  for (qsizetype i = 0; i < ext.size(); ++i)
    if (AsciiLower(ext.at(i)) != lower[i]) return false;
  return true;
}

}  // namespace

bool IsSheetEntry(const QByteArray& name) {
  return HasExtension(name, ".txt");
}

bool IsStringTableEntry(const QByteArray& name) {
  return HasExtension(name, ".tbl");
}
