#pragma once
// Reads a rules file into Rules, adding to what they hold, so the program's
// own rules and then a user's file can be read into one set. The format is
// described in docs/check-rules.md: one statement a line, words separated by
// blanks, a word with blanks in double quotes, {1..7} and {a,b} expanded
// inside a word as a shell does, "#" starting a comment line.
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include "archive/check/CheckRules.h"

namespace check {

// Every line that cannot be understood is left out and described in problems
// ("rules.txt:12: ..."), source naming the file; true when there was none.
bool ReadRules(QByteArrayView text, const QString& source, Rules& rules, QStringList& problems);

// The words of one line, quotes removed and braces expanded; false (with
// why) for an unclosed quote or brace.
bool SplitRuleWords(QByteArrayView line, QList<QByteArray>& words, QString& why);

}  // namespace check
