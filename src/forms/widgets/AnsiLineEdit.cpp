#include "forms/widgets/AnsiLineEdit.h"

#include "platform/Ansi.h"

AnsiLineEdit::AnsiLineEdit(QWidget* parent) : QLineEdit(parent) {}

QByteArray AnsiLineEdit::Bytes() const {
  return text() == shown_ ? bytes_ : ansi::fromDisplay(text());
}

void AnsiLineEdit::SetBytes(const QByteArray& bytes) {
  // Remember what the field made of the bytes before textChanged reaches
  // anyone who might read them back.
  bytes_ = bytes;
  shown_ = ansi::toDisplay(bytes).left(maxLength());
  setText(ansi::toDisplay(bytes));
  shown_ = text();
}
