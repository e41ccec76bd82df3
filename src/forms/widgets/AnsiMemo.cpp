#include "forms/widgets/AnsiMemo.h"

#include <QTextDocument>

#include "platform/Ansi.h"

AnsiMemo::AnsiMemo(QWidget* parent) : QPlainTextEdit(parent) {}

QString AnsiMemo::Shown() const {
  // The raw text keeps no-break spaces (byte 0xA0) that toPlainText would turn
  // into blanks; paragraph and line separators are the typed line breaks.
  QString text = document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
  text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
  return text;
}

QByteArray AnsiMemo::Bytes() const {
  const QString shown = Shown();
  return shown == shown_ ? bytes_ : ansi::fromDisplay(shown);
}

void AnsiMemo::SetBytes(const QByteArray& bytes) {
  bytes_ = bytes;
  shown_ = ansi::toDisplay(bytes);
  shown_.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown_.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  shown_.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  setPlainText(ansi::toDisplay(bytes));
  shown_ = Shown();
}
