#pragma once
// Many entries of one mod written below a folder, decoded and written on
// every core. Each file appears whole or not at all (as ExportEntry writes it), and
// no file is written through a link: a link on the way below the folder, or
// at the file's own place, stops that file.
#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

#include "archive/EntryExport.h"

struct ExportJob {
  QByteArray name;     // the entry's internal name
  QString sourcePath;  // a pending source file to copy instead, or empty
  QString target;      // the file to write, below the batch's folder (folder/level/.../name)
};

// Told on the calling thread, now and then, how many jobs are done.
using ExportBatchProgress = std::function<void(qsizetype done, qsizetype total)>;

// Writes every job, making the folders on the way; returns each job's result,
// in the jobs' order. Worker threads write the files while the calling thread
// tells progress. The folders made for files not written are taken away
// again. The files and their folders are synced once, at the end;
// synced tells whether the disk confirmed them.
QList<ExportResult> ExportEntries(const QString& archivePath, const QString& folder,
                                  const QList<ExportJob>& jobs, const ExportBatchProgress& progress = {},
                                  bool* synced = nullptr);
