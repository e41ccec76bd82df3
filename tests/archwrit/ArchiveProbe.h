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

namespace probe {

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
