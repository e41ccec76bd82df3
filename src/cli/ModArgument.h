#pragma once
// The mod a command reads: a file that opens as an archive. Each refusal is
// one line on the error stream.
#include <QByteArray>
#include <QString>

#include "archive/TextLines.h"
#include "cli/CliIo.h"

namespace cli {

// False, after saying why, when path is missing, a folder, or no archive.
bool CheckModToRead(Io& io, const QString& path);

// Why a mod that could not be read may be so: "PATH: in use by another
// program: ..." when another program holds the file; empty otherwise.
QString HeldModReason(const QString& path);

// The lines of the mod's "(listfile)"; false, after saying so, when it has none.
bool ReadListFile(Io& io, const QString& path, LineList& names);

// The bytes of the mod's "(modinfo)" record into record (left empty, and
// present false, when the mod holds none). False, after saying so, when the
// mod holds one that cannot be read: it is no empty record, and nothing may
// be written over it.
bool ReadModRecord(Io& io, const QString& path, QByteArray& record, bool& present);

inline const QByteArray kListFileName = QByteArrayLiteral("(listfile)");
inline const QByteArray kModInfoName = QByteArrayLiteral("(modinfo)");

}  // namespace cli
