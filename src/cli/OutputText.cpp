#include "cli/OutputText.h"

#include <QDir>
#include <algorithm>

#include "platform/Ansi.h"

namespace cli {

namespace {

bool IsControl(uchar c) {
  return c < 32 || c == 127;
}

}  // namespace

QByteArray LineText(const QByteArray& bytes) {
  const bool plain = !bytes.startsWith('"') &&
                     std::none_of(bytes.cbegin(), bytes.cend(), [](char c) { return IsControl(uchar(c)); });
  if (plain) return ansi::toDisplay(bytes).toUtf8();
  QByteArray quoted = "\"";
  for (const char c : bytes) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\t':
        quoted += "\\t";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      default:
        if (IsControl(uchar(c)))
          quoted += '\\' + QByteArray::number(uchar(c), 8).rightJustified(3, '0');
        else
          quoted += ansi::toDisplay(&c, 1).toUtf8();
    }
  }
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

QByteArray ArgumentBytes(const QString& argument) {
  return ansi::fromDisplay(argument);
}

QString ShownPath(const QString& path) {
  return QDir::toNativeSeparators(path);
}

void Write(std::FILE* stream, const QByteArray& bytes) {
  if (!bytes.isEmpty()) std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void WriteLine(std::FILE* stream, const QByteArray& line) {
  Write(stream, line);
  std::fputc('\n', stream);
}

void Complain(Io& io, const QString& message) {
  WriteLine(io.err, "quillforge: " + message.toUtf8());
}

void Complain(Io& io, const char* command, const QString& message) {
  WriteLine(io.err, "quillforge " + QByteArray(command) + ": " + message.toUtf8());
}

}  // namespace cli
