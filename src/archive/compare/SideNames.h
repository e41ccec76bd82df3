#pragma once
// The name list every side keeps: each name once, compared the way the
// archive tells its entries apart (ASCII letter case aside), the first
// spelling kept.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace compare {

class SideNames {
 public:
  // False (nothing added) for a name already held in any ASCII letter case.
  bool Add(const QByteArray& name);
  void Clear();
  const QList<QByteArray>& List() const { return names_; }
  // The index of the held spelling of name; -1 when none.
  qsizetype IndexOf(const QByteArray& name) const;

 private:
  QList<QByteArray> names_;
  QHash<QByteArray, qsizetype> index_;
};

// The entries an archive keeps for itself, and the mod's information record:
// none of them is a game file to compare.
bool IsArchiveOwnEntry(const QByteArray& name);

}  // namespace compare
