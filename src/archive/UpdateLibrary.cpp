#include "archive/UpdateLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "platform/DynLib.h"
#include "platform/FolderListing.h"
#include "platform/Storm.h"

namespace {

using InitializeFn = qint32 (*)();
using OpenFn = void* (*)(const char*, quint32, quint32);
using CloseFn = qint32 (*)(void*, quint32);
using AddFn = qint32 (*)(void*, const char*, const char*, quint32);
using DeleteFn = qint32 (*)(void*, const char*);

struct Binding {
  DynLib library;
  OpenFn open = nullptr;
  CloseFn close = nullptr;
  AddFn add = nullptr;
  DeleteFn remove = nullptr;
  QString fileForTesting;

  void Release() {
    open = nullptr;
    close = nullptr;
    add = nullptr;
    remove = nullptr;
    library.Release();
  }
};

Binding& binding() {
  static Binding b;
  return b;
}

#ifdef _WIN32
const QString kLibraryFile = QStringLiteral("ARCHWRIT.DLL");
#else
const QString kLibraryFile = QStringLiteral("libARCHWRIT.so");
#endif

bool LoadLibraryFile(DynLib& library) {
  const Binding& b = binding();
  if (!b.fileForTesting.isEmpty()) return library.Load(b.fileForTesting);
  // The copy shipped beside the program comes first.
  if (QCoreApplication::instance()) {
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(kLibraryFile);
    if (QFileInfo::exists(beside) && library.Load(beside)) return true;
  }
  return library.Load(kLibraryFile);
}

// Text arguments travel NUL-terminated; one holding a NUL would name
// something else.
bool Passable(const QByteArray& bytes) {
  return !bytes.contains('\0');
}

}  // namespace

bool LoadUpdateLibrary() {
  Binding& b = binding();
  b.Release();
  if (!LoadLibraryFile(b.library)) return false;

  // Every export must be there, the never-called version string included:
  // a library lacking any of them is not the one this program was built for.
  void* init = b.library.Resolve("MpqInitialize");
  void* version = b.library.Resolve("MpqGetVersionString");
  void* open = b.library.Resolve("MpqOpenArchiveForUpdate");
  void* close = b.library.Resolve("MpqCloseUpdatedArchive");
  void* add = b.library.Resolve("MpqAddFileToArcive");
  void* remove = b.library.Resolve("MpqDeleteFile");
  if (!init || !version || !open || !close || !add || !remove) {
    b.Release();
    return false;
  }
  if (reinterpret_cast<InitializeFn>(init)() == 0) {
    b.Release();
    return false;
  }
  b.open = reinterpret_cast<OpenFn>(open);
  b.close = reinterpret_cast<CloseFn>(close);
  b.add = reinterpret_cast<AddFn>(add);
  b.remove = reinterpret_cast<DeleteFn>(remove);
  return true;
}

void UnloadUpdateLibrary() {
  binding().Release();
  storm::cache::Drop();
}

namespace UpdateLibrary {

ArchiveHandle MpqOpenArchiveForUpdate(const QString& archivePath, quint32 openValue, quint32 maxFiles) {
  const Binding& b = binding();
  const QByteArray path = files::DiskPath(archivePath);
  if (!b.open || !Passable(path)) return nullptr;
  // The reader must not go on using its copy of an archive about to change.
  storm::cache::Drop();
  return b.open(path.constData(), openValue, maxFiles);
}

qint32 MpqCloseUpdatedArchive(ArchiveHandle archive, quint32 reserved) {
  const Binding& b = binding();
  if (!b.close || !archive) return 0;
  const qint32 result = b.close(archive, reserved);
  storm::cache::Drop();
  return result;
}

qint32 MpqAddFileToArcive(ArchiveHandle archive, const QString& sourcePath, const QByteArray& entryName,
                          quint32 flags) {
  return MpqAddDiskFile(archive, files::DiskPath(sourcePath), entryName, flags);
}

qint32 MpqAddDiskFile(ArchiveHandle archive, const QByteArray& source, const QByteArray& entryName,
                      quint32 flags) {
  const Binding& b = binding();
  if (!b.add || !archive || !Passable(source) || !Passable(entryName)) return 0;
  return b.add(archive, source.constData(), entryName.constData(), flags);
}

qint32 MpqDeleteFile(ArchiveHandle archive, const QByteArray& entryName) {
  const Binding& b = binding();
  if (!b.remove || !archive || !Passable(entryName)) return 0;
  return b.remove(archive, entryName.constData());
}

void SetLibraryFileForTesting(const QString& path) {
  binding().fileForTesting = path;
}

}  // namespace UpdateLibrary
