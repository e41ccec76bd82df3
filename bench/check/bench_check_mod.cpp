// Check Mod on a full mod's worth of sheets: the fixture mod's sheets, each
// one's rows repeated until the whole is about 25 MB, checked with the
// program's rules and the mod's own (its engine's cube qualifiers); against
// a plain split of the same bytes into string_view cells, in the same run.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "PlainSheet.h"
#include "archive/check/CheckRules.h"
#include "archive/check/DefaultRules.h"
#include "archive/check/ModChecker.h"
#include "archive/check/RulesReader.h"

namespace {

constexpr int kRuns = 7;
constexpr qsizetype kTargetBytes = 25 * 1024 * 1024;

using bench::PlainParse;
using bench::PlainSheet;

QString ExcelDir() {
  QString dir = qEnvironmentVariable("QF_FIXTURES_DIR");
  if (dir.isEmpty()) dir = QStringLiteral(QF_FIXTURES_DIR);
  return dir + QStringLiteral("/data/global/excel");
}

// The sheet with its rows after the header repeated times times.
QByteArray Repeated(const QByteArray& sheet, int times) {
  const qsizetype headerEnd = sheet.indexOf('\n') + 1;
  QByteArray body = sheet.mid(headerEnd);
  if (!body.isEmpty() && !body.endsWith('\n')) body += "\r\n";
  QByteArray out = sheet.left(headerEnd);
  for (int i = 0; i < times; ++i) out += body;
  return out;
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QDir excel(ExcelDir());
  check::SheetFiles fixture;
  qsizetype fixtureBytes = 0;
  for (const QString& name : excel.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
    QFile file(excel.filePath(name));
    if (!file.open(QIODevice::ReadOnly)) continue;
    fixture.push_back({"data\\global\\excel\\" + name.toLatin1(), file.readAll()});
    fixtureBytes += fixture.back().bytes.size();
  }
  if (fixture.empty()) {
    std::fprintf(stderr, "no fixture sheets in %s\n", qPrintable(excel.path()));
    return 1;
  }
  const int times = qMax(1, qRound(double(kTargetBytes) / double(fixtureBytes)));
  check::SheetFiles mod;
  qsizetype total = 0;
  for (const check::SheetFile& s : fixture) {
    mod.push_back({s.name, Repeated(s.bytes, times)});
    total += mod.back().bytes.size();
  }
  const QByteArray userRules =
      "qualifier cubemain.txt : \"input {1..7}\" output \"output b\" \"output c\" = any rem nru\n";

  std::vector<double> ours, peer;
  size_t findings = 0, cells = 0;
  for (int run = 0; run < kRuns; ++run) {
    QElapsedTimer t;
    t.start();
    check::Rules rules = check::DefaultRules();
    QStringList problems;
    check::ReadRules(userRules, QStringLiteral("mod.rules"), rules, problems);
    const check::CheckReport report = check::CheckSheets(rules, mod);
    ours.push_back(double(t.nsecsElapsed()) / 1e9);
    findings = report.findings.size();

    t.restart();
    size_t count = 0;
    for (const check::SheetFile& s : mod) {
      const PlainSheet rows = PlainParse(s.bytes);
      for (const auto& row : rows) count += row.size();
    }
    peer.push_back(double(t.nsecsElapsed()) / 1e9);
    cells = count;
  }
  std::printf("# %zu sheets, %lld bytes (rows repeated %d times), %zu cells, %zu findings\n", mod.size(),
              (long long)total, times, cells, findings);
  const double value = Median(ours);
  const double peerValue = Median(peer);
  std::printf("BENCH check_mod_25mb %.4f s vs plain_split %.4f ratio %.2f target %g\n", value, peerValue,
              value / peerValue, 2.0);
  return 0;
}
