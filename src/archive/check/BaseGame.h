#pragma once
// The game's own sheets, which a mod's references usually point into: read
// from the game's archives in a folder (d2data.mpq, then d2exp.mpq, then
// patch_d2.mpq, each later one replacing what an earlier one gave) and from
// sheets extracted below that folder (data\global\excel\...), which replace
// the archives' copies. The game's archives carry no usable "(listfile)", so
// the sheets are asked for by their known names.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "archive/check/CheckReport.h"

namespace check {

struct BaseGame {
  SheetFiles sheets;     // named "d2exp.mpq:data\global\excel\Armor.txt" and the like
  // Archives, and sheets in them or in the folder, that are there but cannot
  // be read: sheets the check would have taken from them are missing or come
  // from an older archive, so a check by what was read cannot be trusted.
  QStringList problems;
};

// False, with why, when the folder does not exist or holds neither an
// archive nor an extracted sheet folder.
bool ReadBaseGame(const QString& folder, const QList<QByteArray>& sheetNames, BaseGame& base, QString& why);

}  // namespace check
