#pragma once
// Builds MPQ archives for the reader tests with StormLib directly, so entry
// names are stored exactly as given (backslashes, case, high bytes).
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

namespace testarchive {

using Entries = QList<QPair<QByteArray, QByteArray>>;  // name, content

// Sound: compressed as the game stores its sounds, ADPCM (mono) then Huffman.
enum class Storage { Plain, CompressedEncrypted, Sound };
// The game's own archives carry no "(listfile)"; a mod always has one.
// PlainListfile stores it as plain text, so a test can edit its names in place.
enum class Listing { WithListfile, NoListfile, PlainListfile };

// Writes a new archive at path (replacing a file there) holding the entries
// and, unless told otherwise, a "(listfile)". False when StormLib refuses any step.
bool Build(const QString& path, const Entries& entries, Storage storage = Storage::CompressedEncrypted,
           Listing listing = Listing::WithListfile);

// Damage as a bad download or disk leaves it. DamageHeader overwrites the
// archive's header, so the file no longer opens as an archive. DamageEntry
// overwrites the stored bytes of one compressed entry (its sector table and
// data) and leaves the header and tables whole, so the archive opens and
// names the entry but cannot read it. DamageTable overwrites the hash or the
// block table and leaves the header whole, so the library still opens the
// archive but finds nothing in it. False when the file or entry is not found.
bool DamageHeader(const QString& path);
bool DamageEntry(const QString& path, const QByteArray& name);
enum class Table { Hash, Block };
bool DamageTable(const QString& path, Table table);

// Sets the file's modification time (its change time becomes now).
bool SetModified(const QString& path, const QDateTime& when);
// Sets the modification time an hour back, so the reader no longer counts the
// file as just written.
bool MakeOld(const QString& path);

}  // namespace testarchive
