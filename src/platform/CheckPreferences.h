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

// As the preferences file holds them now; empty when it or the key is missing.
QString StoredGameFolder();
QString StoredRulesFile();

}  // namespace prefs
