#pragma once
// Entries that would land on one disk file. Two entries the archive tells
// apart can still name one file where the file system takes two names as one
// (one that ignores letter case takes "caf\xE9.txt" and "CAF\xC9.TXT" so): the
// later would replace what the earlier wrote, so it is not written at all and
// is reported instead.
#include <QList>
#include <QString>
#include <functional>

#include "archive/ExportBatch.h"

// The form two disk paths share exactly when they name one file.
using DiskKey = std::function<QString(const QString& path)>;

// For each job, the index of the earlier job whose target is the same file;
// -1 when none is.
QList<qsizetype> EarlierSameTarget(const QList<ExportJob>& jobs, const DiskKey& diskKey);
