#pragma once
// Findings as lines in the shape compilers print them, which editors and
// build servers know how to jump to:
//   data\global\excel\UniqueItems.txt:123:prop4: error: "allskils" is not a Properties code [ref]
#include <QByteArray>
#include <QList>

#include "archive/check/CheckReport.h"

namespace check {

QByteArray SeverityText(Severity severity);
QByteArray FindingLine(const Finding& finding);
// Where a finding stands, as its line begins: "FILE:LINE" or "FILE:LINE:COLUMN".
QByteArray PlaceText(const Finding& finding);
// The messages met more than once, the most repeated first, at most limit,
// each as "N times: MESSAGE, first at PLACE"; then, when more messages
// repeat, how many more.
QList<QByteArray> RepeatLines(const CheckReport& report, int limit);
// "2 errors, 1 warning in 11 sheets", then what went unchecked and why; led
// by "check incomplete: N sheets could not be read; " when any could not.
QByteArray SummaryLine(const CheckReport& report);

}  // namespace check
