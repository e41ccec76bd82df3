#include "archive/check/CheckRules.h"

namespace check {

QByteArray Fold(QByteArrayView text) {
  QByteArray out(text.size(), Qt::Uninitialized);
  char* o = out.data();
  for (char c : text) *o++ = (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c;
  return out;
}

QByteArray FileNameOf(const QByteArray& name) {
  const qsizetype cut = qMax(name.lastIndexOf('\\'), name.lastIndexOf('/'));
  return name.mid(cut + 1);
}

QByteArray ColumnKey(QByteArrayView sheetFileName, QByteArrayView column) {
  return Fold(sheetFileName) + '\t' + Fold(column);
}

const KeySet* Rules::Key(const QByteArray& name) const {
  const QByteArray folded = Fold(name);
  for (const KeySet& k : keys)
    if (Fold(k.name) == folded) return &k;
  return nullptr;
}

Severity Rules::SeverityOf(const QByteArray& check) const {
  return severities.value(Fold(check), Severity::Error);
}

bool Rules::IsOff(const QByteArray& check, const QByteArray& sheetFileName) const {
  const QByteArray id = Fold(check);
  return off.contains(id) || off.contains(id + '\t' + Fold(FileNameOf(sheetFileName)));
}

QList<QByteArray> Rules::Sheets() const {
  QList<QByteArray> out;
  QSet<QByteArray> seen;
  auto add = [&](const QList<QByteArray>& sheets) {
    for (const QByteArray& s : sheets)
      if (!seen.contains(Fold(s))) {
        seen.insert(Fold(s));
        out.append(s);
      }
  };
  for (const KeySet& k : keys) add(k.sheets);
  for (const Relation& r : relations) add(r.sheets);
  return out;
}

}  // namespace check

QByteArray KeyColumnFor(const check::Rules& rules, const QByteArray& sheetFileName) {
  const QByteArray wanted = check::Fold(check::FileNameOf(sheetFileName));
  for (const check::KeySet& k : rules.keys)
    for (const QByteArray& s : k.sheets)
      if (check::Fold(s) == wanted) return k.column;
  return {};
}
