#include "archive/check/FindingText.h"

namespace check {
namespace {

QByteArray Counted(int n, const char* one, const char* many) {
  return QByteArray::number(n) + ' ' + (n == 1 ? one : many);
}

}  // namespace

QByteArray SeverityText(Severity severity) {
  return severity == Severity::Error ? "error" : "warning";
}

QByteArray FindingLine(const Finding& f) {
  QByteArray line = f.file + ':' + QByteArray::number(f.line) + ':';
  if (!f.column.isEmpty()) line += f.column + ':';
  return line + ' ' + SeverityText(f.severity) + ": " + f.message;
}

QByteArray SummaryLine(const CheckReport& report) {
  QByteArray line = Counted(report.Count(Severity::Error), "error", "errors") + ", " +
                    Counted(report.Count(Severity::Warning), "warning", "warnings") + " in " +
                    Counted(report.sheetsChecked, "sheet", "sheets");
  if (!report.missingSheets.isEmpty())
    line +=
        "; references into sheets not at hand were not checked (missing: " + report.missingSheets.join(", ") +
        ")";
  return line;
}

}  // namespace check
