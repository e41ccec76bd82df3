#pragma once
// What every fuzz target shares: a Qt core application (file and temp-folder
// services need one) and a scratch file of its own on a memory file system.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace fuzz {

// Creates the application object on first use.
void EnsureApp();

// A path, unique to this process, for the target's scratch file.
const QString& ScratchPath(const char* suffix);

// Replaces the file at path with bytes; aborts when it cannot (the run would
// otherwise test nothing).
void WriteFileOrDie(const QString& path, const char* data, size_t size);

// Sets the file's modification time an hour back.
void AgeFile(const QString& path);

// Ends the run with a message when an invariant does not hold, so libFuzzer
// keeps the input.
[[noreturn]] void Fail(const char* what);
inline void Check(bool holds, const char* what) {
  if (!holds) Fail(what);
}

}  // namespace fuzz
