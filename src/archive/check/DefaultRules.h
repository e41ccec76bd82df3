#pragma once
// The rules the program carries: its resource default.rules.
#include <QByteArray>

#include "archive/check/CheckRules.h"

namespace check {

// The text of the program's own rules file.
QByteArray DefaultRulesText();
// Those rules read; they are part of the program, so they always read clean.
Rules DefaultRules();

}  // namespace check
