#pragma once
// Whether another program holds a file so that it cannot be opened now. On
// systems whose programs can deny others a file while they hold it open (the
// game holding the mod, a virus scanner a fresh file), opening it is refused
// for as long as they hold it; elsewhere no file is ever held that way.
#include <QString>

namespace files {

// True when the file at path is there but another program's hold keeps it
// from being opened now: for reading, or (toWrite) for reading and writing.
bool HeldByAnotherProgram(const QString& path, bool toWrite);

// A message's reason for a file HeldByAnotherProgram finds held.
inline QString HeldByAnotherProgramReason() {
  return QStringLiteral("in use by another program: close it there and try again");
}

}  // namespace files
