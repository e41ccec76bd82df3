#include "archive/compare/KeyColumn.h"

#include <memory>

#include "archive/check/CheckRules.h"
#include "archive/check/DefaultRules.h"

namespace compare {

// The key column the check rules name for the sheet, looked up in its header
// with letter case ignored, as the game's sheets spell column names; the first
// column where the rules name none, or the header lacks the named one.
KeyColumnProvider SheetKeyColumns() {
  auto rules = std::make_shared<check::Rules>(check::DefaultRules());
  return [rules](const QByteArray& sheetFileName, const QList<QByteArray>& header) {
    const QByteArray key = KeyColumnFor(*rules, sheetFileName);
    if (!key.isEmpty())
      for (int i = 0; i < header.size(); ++i)
        if (header.at(i).compare(key, Qt::CaseInsensitive) == 0) return i;
    return FirstColumnKey(sheetFileName, header);
  };
}

}  // namespace compare
