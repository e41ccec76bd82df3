#pragma once
// Reads archives back through StormLib directly, independent of ARCHWRIT,
// and drives ARCHWRIT's exports for the tests.
#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace probe {

// A test's scratch folder: paths in it, and source files written into it.
class Scratch {
 public:
  QString scratchFolder() const { return dir_.path(); }
  QString path(const QString& name) const { return dir_.filePath(name); }
  // Writes bytes to the file name in the folder; its path.
  QString source(const QString& name, const QByteArray& bytes) const;

 private:
  QTemporaryDir dir_;
};

// Entry name -> bytes, for every name that "(listfile)" lists. ok is false
// when the archive cannot be opened or a listed entry cannot be read.
QMap<QByteArray, QByteArray> contents(const QString& archive, bool* ok = nullptr);

// The lines of "(listfile)", in stored order; empty when it cannot be read.
QByteArrayList listfile(const QString& archive);

// File flags (MPQ_FILE_*) of one entry; 0 when it is missing.
quint32 entryFlags(const QString& archive, const QByteArray& name);

// Format version from the header (0 = version 1); -1 when it cannot be opened.
int formatVersion(const QString& archive);

// Whether the archive holds an entry of that name (looked up directly, not through the listfile).
bool hasEntry(const QString& archive, const QByteArray& name);

// Number of entries in the archive, including the library's own.
int entryCount(const QString& archive);

// Bytes of the file that its header, tables and entries use; the rest is
// space that replaced and removed entries left behind.
qint64 usedBytes(const QString& archive);

// Looks at every stored sector of every listed entry and of "(listfile)",
// decrypted with StormLib's own cipher: one stored smaller than its size must
// start with the PKWARE DCL mask (0x08), one stored at full size must be one
// that StormLib's compressor cannot shrink either. Returns the names of the
// entries where that fails (or that cannot be read); counts the compressed
// and the stored-as-is sectors seen.
QByteArrayList sectorFaults(const QString& archive, int* packed = nullptr, int* raw = nullptr);

// One ARCHWRIT update: open with openValue, add every (name, source) pair
// with addFlags, delete every name in deletions, close. Returns the close
// result, or -1 when the open returned NULL; each add/delete result is
// appended to results when given.
struct Change {
  QByteArray name;
  QString source;  // empty: delete name
};
int update(const QString& archive, quint32 openValue, const QList<Change>& changes,
           quint32 addFlags = 0x10200, QList<int>* results = nullptr);

// Every fixture file as a change under its internal name.
QList<Change> fixtureChanges();
// The expected contents after those changes: name -> bytes of the source.
QMap<QByteArray, QByteArray> expectedContents(const QList<Change>& changes,
                                              QMap<QByteArray, QByteArray> before = {});

// Names of the files in a folder, hidden ones included.
QStringList folderEntries(const QString& folder);

}  // namespace probe
