#include "archive/TargetClashes.h"

#include <QHash>

QList<qsizetype> EarlierSameTarget(const QList<ExportJob>& jobs, const DiskKey& diskKey) {
  QList<qsizetype> earlier(jobs.size(), -1);
  QHash<QString, qsizetype> first;
  first.reserve(jobs.size());
  for (qsizetype i = 0; i < jobs.size(); ++i) {
    const QString key = diskKey(jobs.at(i).target);
    const auto at = first.constFind(key);
    if (at != first.cend())
      earlier[i] = *at;
    else
      first.insert(key, i);
  }
  return earlier;
}
