#include "archive/NameFilter.h"

namespace names {

void NameFilter::SetText(const QString& text) {
  text_ = text;
  // Folded like the keys, so that the comparison itself needs no case rule.
  matcher_.setPattern(text.toCaseFolded());
  matcher_.setCaseSensitivity(Qt::CaseSensitive);
}

}  // namespace names
