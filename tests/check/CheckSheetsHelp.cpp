#include "CheckSheetsHelp.h"

#include "archive/check/CheckRules.h"
#include "archive/check/FindingText.h"

namespace checktest {

QStringList Lines(const check::CheckReport& report) {
  QStringList out;
  for (check::Finding f : report.findings) {
    f.file = check::FileNameOf(f.file);
    out.append(QString::fromLatin1(check::FindingLine(f)));
  }
  return out;
}

}  // namespace checktest
