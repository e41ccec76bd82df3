#pragma once
// Internal names compared the way the user sees them: two single-byte names
// are the same name when their Windows-1252 display forms are equal without
// regard to letter case. Lookups find the first match in list order.
#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

namespace names {

// The form two names share exactly when they are the same name.
QString Key(const QByteArray& name);
// Each byte's character in Key: its display character, case-folded.
const char16_t* FoldedBytes();

bool SameName(const QByteArray& a, const QByteArray& b);

// The first line of list that is the same name as name; -1 when none is.
qsizetype IndexOf(const QList<QByteArray>& list, const QByteArray& name);
inline bool Contains(const QList<QByteArray>& list, const QByteArray& name) {
  return IndexOf(list, name) >= 0;
}

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
