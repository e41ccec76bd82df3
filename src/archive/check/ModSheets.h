#pragma once
// The sheets of a mod archive as it stands on disk: every name of its
// "(listfile)" with the extension ".txt", read through the archive reader.
#include <QString>
#include <QStringList>

#include "archive/check/CheckReport.h"

namespace check {

// Whether an internal name is a sheet's: its extension is ".txt" in any
// letter case.
bool IsSheetName(const QByteArray& name);

// False when the archive or its "(listfile)" cannot be read. A listed sheet
// that cannot be read is left out and named in unread.
bool ReadModSheets(const QString& modPath, SheetFiles& sheets, QList<QByteArray>& unread);

}  // namespace check
