#pragma once
// Check Mod's engine: the mod's sheets checked row by row and against each
// other and the base game's sheets, by the rules. Findings are only ever in
// the mod's sheets; the base game's sheets give keys and nothing else. Knows
// no files, archives or widgets: the caller brings the bytes.
#include "archive/check/CheckReport.h"
#include "archive/check/CheckRules.h"

namespace check {

// mod: every sheet to check ("cells" and "space" look at any sheet; the
// other checks at the sheets the rules name, found by file name in any
// letter case, one under data\global\excel\ first). base: the game's own
// sheets; one whose file name a mod sheet has is left out, as the game would.
CheckReport CheckSheets(const Rules& rules, const SheetFiles& mod, const SheetFiles& base = {});

}  // namespace check
