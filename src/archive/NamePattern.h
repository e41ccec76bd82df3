#pragma once
// A pattern for internal names: * stands for any run of characters
// (backslashes included), ? for any one character, every other character for
// itself; letter case is ignored the way names are compared (Key).
#include <QByteArray>
#include <QString>

namespace names {

class NamePattern {
 public:
  explicit NamePattern(const QByteArray& pattern);
  bool Matches(const QByteArray& name) const;
  // Without wildcards the pattern matches exactly one name (letter case aside).
  bool HasWildcards() const { return wild_; }

 private:
  QString key_;
  bool wild_ = false;
};

}  // namespace names
