#include "cli/OutputText.h"

#include <QDir>
#include <algorithm>

#include "platform/Ansi.h"
#include "platform/ConsoleText.h"

namespace cli {

namespace {

bool IsControl(uchar c) {
  return c < 32 || c == 127;
}

}  // namespace

QByteArray LineText(const QByteArray& bytes) {
  return DecodedLineText(ansi::toDisplay(bytes));
}

QByteArray DecodedLineText(const QString& text) {
  const auto control = [](QChar c) { return c.unicode() < 128 && IsControl(uchar(c.unicode())); };
  if (!text.startsWith(QLatin1Char('"')) && std::none_of(text.cbegin(), text.cend(), control))
    return text.toUtf8();
  QByteArray quoted = "\"";
  // Runs of plain characters go over whole, so no surrogate pair is split.
  qsizetype plainFrom = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar ch = text[i];
    const char* escape = nullptr;
    switch (ch.unicode()) {
      case u'"':
        escape = "\\\"";
        break;
      case u'\\':
        escape = "\\\\";
        break;
      case u'\t':
        escape = "\\t";
        break;
      case u'\n':
        escape = "\\n";
        break;
      case u'\r':
        escape = "\\r";
        break;
      default:
        if (!control(ch)) continue;
    }
    quoted += QStringView(text).sliced(plainFrom, i - plainFrom).toUtf8();
    plainFrom = i + 1;
    if (escape)
      quoted += escape;
    else
      quoted += '\\' + QByteArray::number(ch.unicode(), 8).rightJustified(3, '0');
  }
  quoted += QStringView(text).sliced(plainFrom).toUtf8();
  return quoted + '"';
}

QByteArray JsonText(const QByteArray& bytes) {
  const QString text = ansi::toDisplay(bytes);
  QByteArray json = "\"";
  for (const QChar ch : text) {
    const char16_t c = ch.unicode();
    switch (c) {
      case u'"':
        json += "\\\"";
        break;
      case u'\\':
        json += "\\\\";
        break;
      case u'\b':
        json += "\\b";
        break;
      case u'\f':
        json += "\\f";
        break;
      case u'\n':
        json += "\\n";
        break;
      case u'\r':
        json += "\\r";
        break;
      case u'\t':
        json += "\\t";
        break;
      default:
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
          json += "\\u" + QByteArray::number(c, 16).rightJustified(4, '0');
        else
          json += QString(ch).toUtf8();
    }
  }
  return json + '"';
}

bool ArgumentBytes(Io& io, const QString& what, const QString& argument, QByteArray& bytes) {
  const qsizetype at = ansi::firstWithoutByte(argument);
  if (at < 0) {
    bytes = ansi::fromDisplay(argument);
    return true;
  }
  const char32_t c = argument.at(at).isHighSurrogate() && at + 1 < argument.size()
                         ? QChar::surrogateToUcs4(argument.at(at), argument.at(at + 1))
                         : argument.at(at).unicode();
  const QString character = QString::fromUcs4(&c, 1);
  Complain(io, QStringLiteral("%1: \"%2\" (U+%3) has no Windows-1252 byte; nothing was written")
                   .arg(what, character, QString::number(uint(c), 16).toUpper().rightJustified(4, '0')));
  return false;
}

QString ShownPath(const QString& path) {
  return QDir::toNativeSeparators(path);
}

void Write(std::FILE* stream, const QByteArray& bytes) {
  files::WriteText(stream, bytes.constData(), size_t(bytes.size()));
}

void WriteLine(std::FILE* stream, const QByteArray& line) {
  Write(stream, line + '\n');  // one piece, as a console is handed it
}

void Complain(Io& io, const QString& message) {
  WriteLine(io.err, "quillforge: " + message.toUtf8());
}

void Complain(Io& io, const char* command, const QString& message) {
  WriteLine(io.err, "quillforge " + QByteArray(command) + ": " + message.toUtf8());
}

}  // namespace cli
