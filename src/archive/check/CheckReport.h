#pragma once
// What Check Mod reads and what it finds.
#include <QByteArray>
#include <QList>
#include <vector>

#include "archive/check/CheckRules.h"

namespace check {

// One sheet to check: its internal name ("data\global\excel\weapons.txt")
// and its bytes, from wherever they came (the archive, a pending file, an
// unsaved grid).
struct SheetFile {
  QByteArray name;
  QByteArray bytes;
};
using SheetFiles = std::vector<SheetFile>;

struct Finding {
  Severity severity = Severity::Error;
  QByteArray file;     // the sheet's internal name
  int line = 0;        // the line number in the file, the header being 1
  QByteArray column;   // the column's header text; empty for a whole row
  QByteArray check;    // "cells", "space", "dup", "ref"
  QByteArray message;  // ending with the check id in brackets
  // For a reference that names nothing known: the value it names, which a
  // rules file's "allow" (or, for a cube qualifier, "qualifier") line for the
  // sheet and column would accept. Empty for other findings.
  QByteArray value;
  bool qualifier = false;
};

struct CheckReport {
  std::vector<Finding> findings;  // by sheet in the order given, then line
  // Sheets that references point into but that were neither in the mod nor
  // in the base game, so those references went unchecked.
  QList<QByteArray> missingSheets;
  int sheetsChecked = 0;
  // Sheets of the mod that could not be read, set by whoever read them: the
  // check left them out, so it is incomplete, whatever it found.
  int sheetsUnread = 0;

  int Count(Severity severity) const {
    int n = 0;
    for (const Finding& f : findings) n += f.severity == severity;
    return n;
  }
};

}  // namespace check
