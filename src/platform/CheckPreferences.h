#pragma once
// The two preferences Check Mod reads, kept in the preferences file beside the
// input and output folders: the game's folder (its archives or extracted
// sheets) and a user's own rules file. Both are plain single-byte paths,
// empty when not set.
#include <QString>

namespace prefs {

inline constexpr char kFilesSection[] = "Files";
inline constexpr char kGameKey[] = "Game";
inline constexpr char kRulesKey[] = "Rules";

// A folder or file path as the preferences file holds it: UTF-8, so that any
// name reads back as it was chosen, whatever the system's 8-bit encoding can
// spell. A value that is not UTF-8 was written in that encoding (by an older
// program) and is read in it.
QByteArray PathForFile(const QString& path);
QString PathFromFile(const QByteArray& stored);

// As the preferences file holds them now; empty when it or the key is missing.
QString StoredGameFolder();
QString StoredRulesFile();

}  // namespace prefs
