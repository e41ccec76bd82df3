#pragma once
// The palettes of the game's five acts (data\global\palette\ACTn\pal.dat),
// taken from a game folder: from the palette folder extracted below it, else
// from its archives (patch_d2.mpq, then d2exp.mpq, then d2data.mpq: the
// first that holds the entry, as a later archive overrides an earlier one).
#include <QByteArray>
#include <QString>

#include "archive/graphics/Palette.h"

namespace graphics {

// The internal name of act's palette (1..5).
QByteArray ActPaletteName(int act);

// 1..5 for "act1".."act5" in any letter case, else 0.
int ActOfWord(const QString& word);

// False with why when the folder holds no readable palette for the act.
bool ReadGamePalette(const QString& folder, int act, Palette& palette, QString& fault);

// Any small file of the game (a colour map, say) by its internal name: from
// the folder extracted below the game folder, else from its archives in the
// same order. False when none holds it or it is larger than kMaxGameFile.
constexpr qsizetype kMaxGameFile = qsizetype(1) << 20;
bool ReadGameFile(const QString& folder, const QByteArray& name, QByteArray& bytes,
                  qsizetype maxSize = kMaxGameFile);
// Whether the game folder (extracted or in its archives) holds the name.
bool GameHoldsFile(const QString& folder, const QByteArray& name);
// What a layer's DCC read from the game may take.
constexpr qsizetype kMaxGameDcc = qsizetype(16) << 20;

}  // namespace graphics
