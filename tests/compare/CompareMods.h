#pragma once
// Two mods made of the fixtures for the comparison tests: the fixtures as
// they are ("here"), and a copy with known differences ("there"):
//  - weapons.txt: Hand Axe's mindam 2 -> 5; the second Axe's maxdam 22 -> 24;
//    Ahab Spear taken out; Quill Blade put in after Hand Axe; Ancient Bow
//    moved to the end;
//  - misc.txt: a column "quillflag" added at the end;
//  - overlap.DC6: one byte changed;
//  - Arena.txt stored as DATA\GLOBAL\EXCEL\ARENA.TXT, bytes unchanged;
//  - lowqualityitems.txt left out; QuillExtra.txt added.
#include <QByteArray>
#include <QString>

#include "ArchiveBuilder.h"

namespace comparemods {

inline const QByteArray kWeapons = "data\\global\\excel\\weapons.txt";
inline const QByteArray kMisc = "data\\global\\excel\\misc.txt";
inline const QByteArray kOverlap = "data\\global\\ui\\panel\\overlap.DC6";
inline const QByteArray kArena = "data\\global\\excel\\Arena.txt";
inline const QByteArray kArenaThere = "DATA\\GLOBAL\\EXCEL\\ARENA.TXT";
inline const QByteArray kLowQuality = "data\\global\\excel\\lowqualityitems.txt";
inline const QByteArray kExtra = "data\\global\\excel\\QuillExtra.txt";

testarchive::Entries Here();
testarchive::Entries There();

// The content of name in entries (exact spelling); empty when not there.
QByteArray Content(const testarchive::Entries& entries, const QByteArray& name);

// Writes the entries below folder as files, one folder level per backslash.
bool WriteFolder(const QString& folder, const testarchive::Entries& entries);

// weapons.txt with the changes above made to its lines.
QByteArray EditedWeapons(const QByteArray& weapons);

}  // namespace comparemods
