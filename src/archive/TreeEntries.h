#pragma once
// A walked folder tree's files as the entries they become, the way build
// makes a mod of them and Compare reads a folder: the internal name is the
// prefix, then the path below the folder. Two files can become one entry
// (names that differ only in ASCII letter case, or two disk names for the
// same bytes: a raw "caf\xE9" and the UTF-8 "caf\xC3\xA9"); one is kept, the
// same one every time, and the other is reported.
#include <QByteArray>
#include <QList>
#include <QString>

#include "platform/FolderWalk.h"

namespace names {

struct TreeEntry {
  QByteArray name;  // the internal name
  QByteArray key;   // the entry it becomes (ArchiveKey of the name)
  const files::FoundFile* file = nullptr;
};

TreeEntry EntryOfFile(const QByteArray& name, const files::FoundFile& file);

// A file left out because another one becomes the same entry.
struct TreeClash {
  const files::FoundFile* kept = nullptr;
  const files::FoundFile* left = nullptr;
};

// Sorts the entries by the entry they become, then by name, then by disk
// path (so the order the file system lists them in does not decide), keeps
// the first file of each entry and returns the ones left out.
QList<TreeClash> KeepOnePerEntry(QList<TreeEntry>& entries);

// "left out: PATH (the same entry name as PATH)", each file's path as the
// system shows it.
QString ClashText(const QString& folder, const TreeClash& clash);
// The file's path for messages: the full path, or where Qt cannot spell it,
// the folder and the path below it.
QString ShownPath(const QString& folder, const files::FoundFile& file);

}  // namespace names
