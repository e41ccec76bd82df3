#include "archive/check/FindingText.h"

#include "archive/check/FindingGroups.h"

namespace check {
namespace {

QByteArray Counted(int n, const char* one, const char* many) {
  return QByteArray::number(n) + ' ' + (n == 1 ? one : many);
}

}  // namespace

QByteArray SeverityText(Severity severity) {
  return severity == Severity::Error ? "error" : "warning";
}

QByteArray PlaceText(const Finding& f) {
  QByteArray place = f.file + ':' + QByteArray::number(f.line);
  if (!f.column.isEmpty()) place += ':' + f.column;
  return place;
}

QByteArray FindingLine(const Finding& f) {
  return PlaceText(f) + ": " + SeverityText(f.severity) + ": " + f.message;
}

QList<QByteArray> RepeatLines(const CheckReport& report, int limit) {
  const std::vector<FindingGroup> groups = RepeatedGroups(report.findings);
  QList<QByteArray> lines;
  for (const FindingGroup& g : groups) {
    if (lines.size() == limit) break;
    const Finding& first = report.findings[g.places.front()];
    lines.append(QByteArray::number(qulonglong(g.places.size())) + " times: " + first.message + ", first at " +
                 PlaceText(first));
  }
  if (groups.size() > size_t(lines.size()))
    lines.append("and " + Counted(int(groups.size()) - int(lines.size()), "more message", "more messages") +
                 " repeated");
  return lines;
}

QByteArray SummaryLine(const CheckReport& report) {
  QByteArray line;
  if (report.sheetsUnread > 0)
    line = "check incomplete: " +
           Counted(report.sheetsUnread, "sheet could not be read", "sheets could not be read") + "; ";
  line += Counted(report.Count(Severity::Error), "error", "errors") + ", " +
          Counted(report.Count(Severity::Warning), "warning", "warnings") + " in " +
          Counted(report.sheetsChecked, "sheet", "sheets");
  if (!report.missingSheets.isEmpty())
    line +=
        "; references into sheets not at hand were not checked (missing: " + report.missingSheets.join(", ") +
        ")";
  return line;
}

}  // namespace check
