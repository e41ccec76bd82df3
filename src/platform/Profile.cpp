#include "platform/Profile.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

#include "platform/Ansi.h"

namespace {

// One line of the file: its text and the line end that followed it.
struct Line {
  QByteArray text;
  QByteArray end;
};

QList<Line> splitLines(const QByteArray& bytes) {
  QList<Line> lines;
  qsizetype start = 0;
  const qsizetype n = bytes.size();
  while (start < n) {
    qsizetype i = start;
    while (i < n && bytes[i] != '\r' && bytes[i] != '\n') ++i;
    Line line{bytes.mid(start, i - start), {}};
    if (i < n) {
      const qsizetype endLength = (bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n') ? 2 : 1;
      line.end = bytes.mid(i, endLength);
      i += endLength;
    }
    lines << line;
    start = i;
  }
  return lines;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

QByteArray trimmed(const QByteArray& s) {
  qsizetype b = 0, e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  return s.mid(b, e - b);
}

bool sameName(const QByteArray& a, const QByteArray& b) {
  return ansi::toDisplay(a).compare(ansi::toDisplay(b), Qt::CaseInsensitive) == 0;
}

bool isSection(const QByteArray& text) {
  return trimmed(text).startsWith('[');
}

// The name of the section a section line opens.
QByteArray sectionOf(const QByteArray& text) {
  const QByteArray t = trimmed(text);
  const qsizetype close = t.indexOf(']');
  return trimmed(t.mid(1, close < 0 ? -1 : close - 1));
}

bool isKeyLine(const QByteArray& text, const QByteArray& key) {
  const qsizetype eq = text.indexOf('=');
  return eq >= 0 && !isSection(text) && sameName(trimmed(text.left(eq)), key);
}

QByteArray unquoted(const QByteArray& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    return value.mid(1, value.size() - 2);
  return value;
}

QByteArray stored(const QByteArray& value) {
  const bool blankEnds = !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()));
  return (blankEnds || unquoted(value) != value) ? '"' + value + '"' : value;
}

bool safeText(const QByteArray& s) {
  return !s.contains('\r') && !s.contains('\n') && !s.contains('\0');
}

// The index of the section's line, or -1.
qsizetype findSection(const QList<Line>& lines, const QByteArray& section) {
  for (qsizetype i = 0; i < lines.size(); ++i)
    if (isSection(lines[i].text) && sameName(sectionOf(lines[i].text), section)) return i;
  return -1;
}

}  // namespace

QByteArray Profile::ReadString(const QByteArray& section, const QByteArray& key,
                               const QByteArray& defaultValue) const {
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly)) return defaultValue;
  const QList<Line> lines = splitLines(file.readAll());
  const qsizetype s = findSection(lines, section);
  if (s < 0) return defaultValue;
  for (qsizetype i = s + 1; i < lines.size() && !isSection(lines[i].text); ++i) {
    const QByteArray& text = lines[i].text;
    if (isKeyLine(text, key)) return unquoted(trimmed(text.mid(text.indexOf('=') + 1)));
  }
  return defaultValue;
}

bool Profile::WriteString(const QByteArray& section, const QByteArray& key, const QByteArray& value) const {
  if (!safeText(section) || !safeText(key) || !safeText(value) || key.contains('=') || section.contains(']'))
    return false;

  QByteArray old;
  if (QFileInfo::exists(path_)) {
    // Never replace what we could not read, nor a file that is write-protected.
    QFile in(path_);
    if (!QFileInfo(path_).isWritable() || !in.open(QIODevice::ReadOnly)) return false;
    old = in.readAll();
  }
  QList<Line> lines = splitLines(old);
  // New lines follow the file's own line ends.
  QByteArray eol = "\r\n";
  for (const Line& l : lines)
    if (!l.end.isEmpty()) {
      eol = l.end;
      break;
    }

  const QByteArray keyLine = trimmed(key) + '=' + stored(value);
  const qsizetype s = findSection(lines, section);
  if (s < 0) {
    if (!lines.isEmpty() && lines.back().end.isEmpty()) lines.back().end = eol;
    lines << Line{'[' + trimmed(section) + ']', eol} << Line{keyLine, eol};
  } else {
    qsizetype lastFilled = s;  // new keys go after the section's last non-blank line
    qsizetype found = -1;
    qsizetype i = s + 1;
    for (; i < lines.size() && !isSection(lines[i].text); ++i) {
      if (isKeyLine(lines[i].text, key)) {
        found = i;
        break;
      }
      if (!trimmed(lines[i].text).isEmpty()) lastFilled = i;
    }
    if (found >= 0) {
      const QByteArray& text = lines[found].text;
      lines[found].text = trimmed(text.left(text.indexOf('='))) + '=' + stored(value);
    } else {
      if (lines[lastFilled].end.isEmpty()) lines[lastFilled].end = eol;
      lines.insert(lastFilled + 1, Line{keyLine, eol});
    }
  }

  QByteArray bytes;
  for (const Line& l : lines) bytes += l.text + l.end;
  QSaveFile out(path_);
  out.setDirectWriteFallback(true);  // a writable file in a folder we may not create files in
  if (!out.open(QIODevice::WriteOnly)) return false;
  if (out.write(bytes) != bytes.size()) {
    out.cancelWriting();
    return false;
  }
  return out.commit();
}
