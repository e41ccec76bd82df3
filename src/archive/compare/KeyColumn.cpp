#include "archive/compare/KeyColumn.h"

namespace compare {

KeyColumnProvider SheetKeyColumns() {
  return FirstColumnKey;
}

}  // namespace compare
