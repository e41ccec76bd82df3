#include "archive/NamePattern.h"

#include "archive/Names.h"

namespace names {

NamePattern::NamePattern(const QByteArray& pattern)
    : key_(Key(pattern)), wild_(pattern.contains('*') || pattern.contains('?')) {}

bool NamePattern::Matches(const QByteArray& name) const {
  const QString key = Key(name);
  if (!wild_) return key == key_;
  // Greedy with one step back to the last star: linear for the patterns
  // people type, never exponential.
  qsizetype p = 0, n = 0, star = -1, resume = 0;
  while (n < key.size()) {
    if (p < key_.size() && (key_.at(p) == u'?' || key_.at(p) == key.at(n))) {
      ++p;
      ++n;
    } else if (p < key_.size() && key_.at(p) == u'*') {
      star = p++;
      resume = n;
    } else if (star >= 0) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < key_.size() && key_.at(p) == u'*') ++p;
  return p == key_.size();
}

}  // namespace names
