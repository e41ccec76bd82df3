#include "forms/edit/EditPageSheetEntry.h"

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

bool IsSheetEntry(const QByteArray& name) {
  static constexpr char kSheet[] = ".txt";
  const QByteArray ext = EntryExtension(name);
  if (ext.size() != qsizetype(sizeof kSheet - 1)) return false;
  for (qsizetype i = 0; i < ext.size(); ++i)
    if (AsciiLower(ext.at(i)) != kSheet[i]) return false;
  return true;
}
