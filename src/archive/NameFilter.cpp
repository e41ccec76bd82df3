#include "archive/NameFilter.h"

#include "archive/Names.h"

namespace names {

void NameFilter::SetText(const QString& text) {
  text_ = text;
  folded_ = text.toCaseFolded();
}

bool NameFilter::Matches(const QByteArray& name) const {
  const qsizetype length = folded_.size();
  if (length == 0) return true;
  const char16_t* folded = FoldedBytes();
  const char16_t* needle = reinterpret_cast<const char16_t*>(folded_.constData());
  const auto* bytes = reinterpret_cast<const unsigned char*>(name.constData());
  for (qsizetype at = 0; at + length <= name.size(); ++at) {
    if (folded[bytes[at]] != needle[0]) continue;
    qsizetype i = 1;
    while (i < length && folded[bytes[at + i]] == needle[i]) ++i;
    if (i == length) return true;
  }
  return false;
}

}  // namespace names
