#pragma once
// How an entry's two versions are compared, by its name's extension (as
// archive/EntryKind tells it): sheets by cell, string tables by key,
// anything else by bytes.
#include <QByteArray>

namespace compare {

enum class EntryKind { Sheet, StringTable, Bytes };

EntryKind KindOf(const QByteArray& name);

}  // namespace compare
