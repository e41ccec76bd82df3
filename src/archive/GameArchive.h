#pragma once
// One of the game's archives (d2data.mpq and the like), held open by a
// caller that asks it for entries by name. Such archives carry no listing of
// their own, so an entry that is not found is taken as not there; that only
// holds when the archive's tables can be trusted.
#include "platform/Storm.h"

// Whether the open archive can answer for its entries: its tables hold
// together and, when it carries a "(listfile)", that listing reads and every
// name in it that the tables know opens. An archive without a listing is
// judged by its tables alone.
bool GameArchiveWhole(storm::Handle archive);
