#pragma once
// The rules Check Mod works by, as data: which columns hold keys, which cells
// must name a key of another sheet, the other values such a cell may hold,
// how much each kind of finding weighs and which checks are off. The program
// carries one set (DefaultRules); a user's rules file adds to it. Sheets and
// columns are named as the game's sheets spell them and matched without
// regard to letter case; sheets by their file name alone.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <vector>

namespace check {

enum class Severity { Error, Warning };

// One set of keys: a column of one or more sheets taken together.
struct KeySet {
  QByteArray name;  // what relations call it
  QList<QByteArray> sheets;
  QByteArray column;
  QByteArray description;  // "Properties code", "item code"
  bool unique = false;     // a repeated key is a fault
};

// Cells of the columns of the sheets that must name a key of one of the
// targets (or a value allowed for their column). A cube relation looks at
// the part before the first comma and takes the parts after it as qualifiers.
struct Relation {
  QList<QByteArray> sheets;
  QList<QByteArray> columns;
  QList<QByteArray> targets;  // KeySet names
  bool cube = false;
  bool hasSeverity = false;
  Severity severity = Severity::Error;
};

struct Rules {
  std::vector<KeySet> keys;
  std::vector<Relation> relations;
  // Folded "sheet\tcolumn" -> folded values.
  QHash<QByteArray, QSet<QByteArray>> allowed;
  QHash<QByteArray, QSet<QByteArray>> qualifiers;
  // Check id -> its weight; an id missing here is an error.
  QHash<QByteArray, Severity> severities;
  // Folded check ids that are off everywhere, and folded "id\tsheet" pairs
  // off for one sheet.
  QSet<QByteArray> off;

  const KeySet* Key(const QByteArray& name) const;
  Severity SeverityOf(const QByteArray& check) const;
  bool IsOff(const QByteArray& check, const QByteArray& sheetFileName) const;
  // Every sheet file name the rules mention, each once, in the order met.
  QList<QByteArray> Sheets() const;
};

// ASCII letters folded to lower case: how sheet, column and value names are
// compared.
QByteArray Fold(QByteArrayView text);
// The part of an internal name or path after its last backslash or slash.
QByteArray FileNameOf(const QByteArray& name);
// The pair key of the allowed and qualifier tables.
QByteArray ColumnKey(QByteArrayView sheetFileName, QByteArrayView column);

}  // namespace check

// The column that holds a sheet's keys (as the rules spell it: "code",
// "Treasure Class"), the sheet given by its file name or internal name in any
// letter case; empty when the rules name no key column for it.
QByteArray KeyColumnFor(const check::Rules& rules, const QByteArray& sheetFileName);
