#pragma once
// Which internal names a filter text lets through: those whose display form
// holds the text, letter case ignored the way names are compared (Key).
#include <QString>
#include <QStringMatcher>

namespace names {

class NameFilter {
 public:
  // An empty text lets every name through.
  void SetText(const QString& text);
  const QString& Text() const { return text_; }
  bool IsEmpty() const { return text_.isEmpty(); }
  // key is names::Key of the name.
  bool Matches(const QString& key) const { return text_.isEmpty() || matcher_.indexIn(key) >= 0; }

 private:
  QString text_;
  QStringMatcher matcher_;
};

}  // namespace names
