#pragma once
// Which internal names a filter text lets through: those whose display form
// holds the text, letter case ignored the way names are compared (Key). The
// names are looked at byte by byte, with no key made for any of them.
#include <QByteArray>
#include <QString>

namespace names {

class NameFilter {
 public:
  // An empty text lets every name through.
  void SetText(const QString& text);
  const QString& Text() const { return text_; }
  bool IsEmpty() const { return text_.isEmpty(); }
  bool Matches(const QByteArray& name) const;

 private:
  QString text_;
  QString folded_;
};

}  // namespace names
