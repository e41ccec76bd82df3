#pragma once
// Internal names compared two ways. The window's lists (its rows and the
// archive's listing it keeps) compare them the way the user sees them: two
// single-byte names are the same name when their Windows-1252 display forms
// are equal without regard to letter case; lookups find the first match in
// list order. Where the archive's own entries are told apart, its rule
// holds instead (ArchiveKey).
#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

namespace names {

// The form two names share exactly when they are the same name.
QString Key(const QByteArray& name);

// The form two names share exactly when an archive holds them as one entry:
// its name hash folds the ASCII letters only, so "caf\xE9.txt" and
// "CAF\xC9.TXT" are two entries, and '/' and '\' stay two characters.
QByteArray ArchiveKey(const QByteArray& name);
bool SameEntry(const QByteArray& a, const QByteArray& b);
// Each byte's character in Key: its display character, case-folded.
const char16_t* FoldedBytes();

bool SameName(const QByteArray& a, const QByteArray& b);

// The first line of list that is the same name as name; -1 when none is.
qsizetype IndexOf(const QList<QByteArray>& list, const QByteArray& name);
inline bool Contains(const QList<QByteArray>& list, const QByteArray& name) {
  return IndexOf(list, name) >= 0;
}

// The internal folder every name lies below (up to and with its last shared
// backslash, ASCII letter case aside, spelt as the first name spells it);
// empty when they share none.
QByteArray SharedFolder(const QList<QByteArray>& names);

// Takes every line that is the same name as name out of list; returns how many.
qsizetype RemoveAll(QList<QByteArray>& list, const QByteArray& name);

// Membership in a list that is asked about many names: the keys are built
// once and built again only when the list has been changed since (a changed
// QList no longer shares its data with the copy kept here).
class NameSet {
 public:
  bool Contains(const QList<QByteArray>& list, const QByteArray& name);

 private:
  QList<QByteArray> source_;
  QSet<QString> keys_;
  bool built_ = false;
};

}  // namespace names
