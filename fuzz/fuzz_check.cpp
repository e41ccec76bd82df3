// Check Mod over sheets a mod brings. The input is cut into sheets at each
// byte 0x01; each sheet's first byte picks its name among the sheets the
// rules know and whether it is the mod's or the game's. Findings stand only
// in the mod's sheets, on a line the sheet has, shaped as the report prints
// them; the grouping of repeated messages covers every finding once; a value
// the check calls unknown is accepted once the rules line made for it is read.
#include <QByteArray>
#include <set>

#include "FuzzSupport.h"
#include "archive/check/AcceptLines.h"
#include "archive/check/DefaultRules.h"
#include "archive/check/FindingGroups.h"
#include "archive/check/FindingText.h"
#include "archive/check/ModChecker.h"
#include "archive/check/RulesReader.h"
#include "archive/check/SheetLines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::EnsureApp();
  static const check::Rules rules = check::DefaultRules();
  static const QList<QByteArray> names = rules.Sheets();
  check::SheetFiles mod, base;
  const QByteArray all(reinterpret_cast<const char*>(data), qsizetype(size));
  for (const QByteArray& part : all.split('\x01')) {
    if (part.isEmpty()) continue;
    const uchar pick = uchar(part.at(0));
    check::SheetFile sheet{"data\\global\\excel\\" + names.at((pick & 0x7F) % names.size()), part.mid(1)};
    (pick & 0x80 ? base : mod).push_back(sheet);
  }
  const check::CheckReport report = check::CheckSheets(rules, mod, base);
  fuzz::Check(report.sheetsChecked == int(mod.size()), "a mod sheet left unchecked");
  for (const check::Finding& f : report.findings) {
    const auto sheet = std::find_if(mod.begin(), mod.end(), [&](const check::SheetFile& s) { return s.name == f.file; });
    fuzz::Check(sheet != mod.end(), "a finding outside the mod's sheets");
    fuzz::Check(f.line >= 2 && f.line <= check::SheetLines(sheet->bytes).Count(), "a finding on no line");
    fuzz::Check(f.message.endsWith(" [" + f.check + ']'), "a message without its check");
    fuzz::Check(f.value.isEmpty() || f.check == "ref", "a value on a finding other than ref");
  }
  std::set<size_t> covered;
  for (const check::FindingGroup& g : check::GroupFindings(report.findings))
    for (size_t i : g.places) fuzz::Check(covered.insert(i).second, "a finding in two groups");
  fuzz::Check(covered.size() == report.findings.size(), "a finding in no group");
  (void)check::RepeatLines(report, 10);

  // The first unknown value, accepted by its lines, is no longer reported.
  for (const check::Finding& f : report.findings) {
    if (f.value.isEmpty()) continue;
    std::vector<const check::Finding*> group;
    for (const check::Finding& g : report.findings)
      if (g.message == f.message && g.severity == f.severity) group.push_back(&g);
    QList<QByteArray> lines;
    QString why;
    if (!check::AcceptLines(group, lines, why)) break;
    check::Rules more = rules;
    QStringList problems;
    fuzz::Check(check::ReadRules(lines.join('\n'), QString(), more, problems), "an accepting line does not read");
    for (const check::Finding& g : check::CheckSheets(more, mod, base).findings)
      fuzz::Check(!(g.message == f.message && g.file == f.file && g.line == f.line && g.column == f.column),
                  "an accepted value is still reported");
    break;
  }
  return 0;
}
