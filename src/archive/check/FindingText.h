#pragma once
// Findings as lines in the shape compilers print them, which editors and
// build servers know how to jump to:
//   data\global\excel\UniqueItems.txt:123:prop4: error: "allskils" is not a Properties code [ref]
#include <QByteArray>

#include "archive/check/CheckReport.h"

namespace check {

QByteArray SeverityText(Severity severity);
QByteArray FindingLine(const Finding& finding);
// "2 errors, 1 warning in 11 sheets", then what went unchecked and why.
QByteArray SummaryLine(const CheckReport& report);

}  // namespace check
