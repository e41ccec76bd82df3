#include "archive/EntryKind.h"

QByteArray EntryExtension(const QByteArray& name) {
  const qsizetype dot = name.lastIndexOf('.');
  if (dot < 0) return {};
  for (qsizetype i = dot + 1; i < name.size(); ++i)
    if (name.at(i) == '\\' || name.at(i) == ':') return {};
  return name.mid(dot);
}

namespace {

bool HasExtension(const QByteArray& name, const char* lower) {
  return EntryExtension(name).toLower() == lower;
}

}  // namespace

bool IsSheetEntry(const QByteArray& name) {
  return HasExtension(name, ".txt");
}

bool IsStringTableEntry(const QByteArray& name) {
  return HasExtension(name, ".tbl");
}
