#include "archive/check/RulesReader.h"

#include <algorithm>

#include "archive/TextLines.h"

namespace check {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The most words one line may stand for once its braces are expanded, and
// the most sheet and column pairs one statement may name: braces multiply,
// so a few characters could otherwise ask for billions of words.
constexpr qsizetype kMaxLineWords = 4096;
constexpr qsizetype kMaxPairs = 4096;
// Each brace in a word is one level of expansion, each holding a copy of the
// word; a word needs a few.
constexpr qsizetype kMaxWordBraces = 16;

// "{1..12}" or "{a,b}" at the start of text (past the brace): its parts.
bool BraceParts(const QByteArray& inner, QList<QByteArray>& parts) {
  const qsizetype dots = inner.indexOf("..");
  if (dots > 0) {
    bool okFrom = false, okTo = false;
    const int from = inner.left(dots).toInt(&okFrom);
    const int to = inner.mid(dots + 2).toInt(&okTo);
    if (!okFrom || !okTo || to < from || qint64(to) - qint64(from) > 1000) return false;
    for (int i = from; i <= to; ++i) parts.append(QByteArray::number(i));
    return true;
  }
  for (const QByteArray& part : inner.split(',')) parts.append(part);
  return true;
}

// Every word a word with braces stands for, in order.
bool Expand(const QByteArray& word, QList<QByteArray>& out, QString& why) {
  const qsizetype open = word.indexOf('{');
  if (open < 0) {
    if (out.size() >= kMaxLineWords) {
      why = QStringLiteral("more than %1 words once its braces are expanded").arg(kMaxLineWords);
      return false;
    }
    out.append(word);
    return true;
  }
  const qsizetype close = word.indexOf('}', open);
  if (close < 0) {
    why = QStringLiteral("a \"{\" without its \"}\"");
    return false;
  }
  QList<QByteArray> parts;
  if (!BraceParts(word.mid(open + 1, close - open - 1), parts)) {
    why = QStringLiteral("\"%1\" is no range such as {1..7}")
              .arg(QString::fromLatin1(word.mid(open, close - open + 1)));
    return false;
  }
  for (const QByteArray& p : parts)
    if (!Expand(word.left(open) + p + word.mid(close + 1), out, why)) return false;
  return true;
}

// The words between two markers (":", "->", "="), or to the end.
QList<QByteArray> Between(const QList<QByteArray>& words, qsizetype from, qsizetype to) {
  return words.mid(from, (to < 0 ? words.size() : to) - from);
}

class LineReader {
 public:
  LineReader(Rules& rules, QString& why) : rules_(rules), why_(why) {}

  bool Read(const QList<QByteArray>& words) {
    const QByteArray verb = Fold(words.first());
    if (verb == "key") return Key(words);
    if (verb == "unique") return Unique(words);
    if (verb == "ref" || verb == "cube") return Reference(words, verb == "cube");
    if (verb == "allow") return Values(words, rules_.allowed);
    if (verb == "qualifier") return Values(words, rules_.qualifiers);
    if (verb == "severity") return SeverityLine(words);
    if (verb == "off") return Off(words);
    return Fail(QStringLiteral("unknown statement \"%1\"").arg(QString::fromLatin1(words.first())));
  }

 private:
  bool Fail(const QString& why) {
    why_ = why;
    return false;
  }

  // SHEET... : COLUMN... <marker> REST...; false unless every part has a word.
  bool Parts(const QList<QByteArray>& words, const char* marker, QList<QByteArray>& sheets,
             QList<QByteArray>& columns, QList<QByteArray>& rest) {
    const qsizetype colon = words.indexOf(QByteArray(":"));
    const qsizetype mark = marker ? words.indexOf(QByteArray(marker)) : -1;
    if (colon < 2) return Fail(QStringLiteral("expected sheets, then \":\" and columns"));
    if (marker && mark < colon + 2)
      return Fail(QStringLiteral("expected columns, then \"%1\"").arg(QString::fromLatin1(marker)));
    sheets = Between(words, 1, colon);
    columns = Between(words, colon + 1, marker ? mark : -1);
    if (marker) rest = Between(words, mark + 1, -1);
    if (marker && rest.isEmpty())
      return Fail(QStringLiteral("nothing after \"%1\"").arg(QString::fromLatin1(marker)));
    if (sheets.size() * columns.size() > kMaxPairs)
      return Fail(QStringLiteral("more than %1 sheet and column pairs").arg(kMaxPairs));
    return true;
  }

  bool Key(const QList<QByteArray>& words) {
    const qsizetype colon = words.indexOf(QByteArray(":"));
    if (colon < 3 || colon + 2 > words.size() || colon + 3 < words.size())
      return Fail(QStringLiteral("expected: key NAME SHEET... : COLUMN [\"DESCRIPTION\"]"));
    KeySet k;
    k.name = words.at(1);
    k.sheets = Between(words, 2, colon);
    k.column = words.at(colon + 1);
    if (colon + 2 < words.size()) {
      k.description = words.at(colon + 2);
    } else {
      QByteArray sheet = k.sheets.first();
      if (sheet.size() > 4 && Fold(sheet.right(4)) == ".txt") sheet.chop(4);
      k.description = sheet + ' ' + k.column;
    }
    for (KeySet& old : rules_.keys)
      if (Fold(old.name) == Fold(k.name)) {
        k.unique = old.unique;
        old = k;
        return true;
      }
    rules_.keys.push_back(k);
    return true;
  }

  bool Unique(const QList<QByteArray>& words) {
    if (words.size() < 2) return Fail(QStringLiteral("expected: unique NAME..."));
    for (const QByteArray& name : words.mid(1)) {
      auto k = std::find_if(rules_.keys.begin(), rules_.keys.end(),
                            [&](const KeySet& key) { return Fold(key.name) == Fold(name); });
      if (k == rules_.keys.end())
        return Fail(QStringLiteral("no key \"%1\" defined before").arg(QString::fromLatin1(name)));
      k->unique = true;
    }
    return true;
  }

  bool Reference(const QList<QByteArray>& words, bool cube) {
    Relation r;
    QList<QByteArray> targets;
    if (!Parts(words, "->", r.sheets, r.columns, targets)) return false;
    const QByteArray last = Fold(targets.last());
    if (last == "[error]" || last == "[warning]") {
      r.hasSeverity = true;
      r.severity = last == "[error]" ? Severity::Error : Severity::Warning;
      targets.removeLast();
    }
    if (targets.isEmpty()) return Fail(QStringLiteral("nothing after \"->\""));
    for (const QByteArray& t : targets)
      if (!rules_.Key(t))
        return Fail(QStringLiteral("no key \"%1\" defined before").arg(QString::fromLatin1(t)));
    r.targets = targets;
    r.cube = cube;
    rules_.relations.push_back(r);
    return true;
  }

  bool Values(const QList<QByteArray>& words, QHash<QByteArray, QSet<QByteArray>>& table) {
    QList<QByteArray> sheets, columns, values;
    if (!Parts(words, "=", sheets, columns, values)) return false;
    QSet<QByteArray> folded;
    for (const QByteArray& v : values) folded.insert(Fold(v));
    // Each pair shares the one set until a later line adds to it.
    for (const QByteArray& s : sheets)
      for (const QByteArray& c : columns) table[ColumnKey(s, c)].unite(folded);
    return true;
  }

  bool SeverityLine(const QList<QByteArray>& words) {
    const QByteArray level = words.size() == 3 ? Fold(words.at(2)) : QByteArray();
    if (level != "error" && level != "warning")
      return Fail(QStringLiteral("expected: severity CHECK error|warning"));
    rules_.severities.insert(Fold(words.at(1)), level == "error" ? Severity::Error : Severity::Warning);
    return true;
  }

  bool Off(const QList<QByteArray>& words) {
    if (words.size() < 2) return Fail(QStringLiteral("expected: off CHECK [SHEET...]"));
    const QByteArray id = Fold(words.at(1));
    if (words.size() == 2) rules_.off.insert(id);
    for (const QByteArray& sheet : words.mid(2)) rules_.off.insert(id + '\t' + Fold(FileNameOf(sheet)));
    return true;
  }

  Rules& rules_;
  QString& why_;
};

}  // namespace

bool SplitRuleWords(QByteArrayView line, QList<QByteArray>& words, QString& why) {
  qsizetype i = 0;
  while (i < line.size()) {
    if (IsBlank(line[i])) {
      ++i;
      continue;
    }
    QByteArray word;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
      if (line[i] == '"')
        quoted = !quoted;
      else
        word += line[i];
      ++i;
    }
    if (quoted) {
      why = QStringLiteral("a quote without its end");
      return false;
    }
    if (word.count('{') > kMaxWordBraces) {
      why = QStringLiteral("more than %1 braces in a word").arg(kMaxWordBraces);
      return false;
    }
    if (!Expand(word, words, why)) return false;
  }
  return true;
}

bool ReadRules(QByteArrayView text, const QString& source, Rules& rules, QStringList& problems) {
  const LineList lines = SplitLines(text.data(), text.size());
  bool clean = true;
  for (qsizetype n = 0; n < lines.size(); ++n) {
    const QByteArray line = lines.at(n).trimmed();
    if (line.isEmpty() || line.startsWith('#')) continue;
    QList<QByteArray> words;
    QString why;
    if (!SplitRuleWords(line, words, why) || words.isEmpty() || !LineReader(rules, why).Read(words)) {
      problems.append(QStringLiteral("%1:%2: %3").arg(source).arg(n + 1).arg(why));
      clean = false;
    }
  }
  return clean;
}

}  // namespace check
