#pragma once
// The lines of a rules file that accept a value Check Mod reported as
// unknown, for every place it was reported: one "allow" line (for a cube
// qualifier, "qualifier") per sheet, naming the columns it stands in there.
#include <QList>
#include <QString>
#include <vector>

#include "archive/check/CheckReport.h"

namespace check {

// False, with why, when the findings name no such value, or when the value,
// a sheet or a column cannot be written as a word of a rules file (a quote,
// a brace or a line end in it). Each line is read back by the rules reader
// before it is given, so it says exactly this.
bool AcceptLines(const std::vector<const Finding*>& findings, QList<QByteArray>& lines, QString& why);

}  // namespace check
