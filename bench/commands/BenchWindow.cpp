#include "BenchWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace bench {

QuietUi::QuietUi() : previous_(ui::SetBackend(this)) {}
QuietUi::~QuietUi() {
  ui::SetBackend(previous_);
}

bool QuietUi::ExecuteFileDialog(const FileDialog&, QStringList& chosen) {
  if (dialogs.isEmpty()) return false;
  chosen = dialogs.takeFirst();
  return true;
}

int QuietUi::MessageBox(const QString&, const QString&, int) {
  ++messages;
  return ui::idOk;
}

bool QuietUi::InputQuery(const QString&, const QString&, QByteArray& value) {
  if (names.isEmpty()) return false;
  value = names.takeFirst();
  return true;
}

bool QuietUi::BrowseFolder(const QString&, const QString&, QString& chosen) {
  if (folders.isEmpty()) return false;
  chosen = folders.takeFirst();
  return true;
}
void QuietUi::SetCursor(int) {}
void QuietUi::ProcessMessages() {
  QCoreApplication::processEvents();
}

QString FixturesDir() {
  const QString dir = qEnvironmentVariable("QF_FIXTURES_DIR", QStringLiteral(QF_DEFAULT_FIXTURES_DIR));
  return QDir(dir).exists(QStringLiteral("data")) ? QDir(dir).absolutePath() : QString();
}

bool Smpq(const QStringList& args, const QString& folder) {
  QProcess p;
  p.setWorkingDirectory(folder);
  p.setStandardOutputFile(QProcess::nullDevice());
  p.start(QStringLiteral("/usr/bin/smpq"), args);
  return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

double MedianMs(int runs, const std::function<void()>& setup, const std::function<void()>& work) {
  QList<double> times;
  for (int i = 0; i < runs; ++i) {
    if (setup) setup();
    QElapsedTimer timer;
    timer.start();
    work();
    times << timer.nsecsElapsed() / 1e6;
  }
  std::sort(times.begin(), times.end());
  return times.at(times.size() / 2);
}

void Report(const char* name, double value, const char* unit, const char* peer, double peerValue,
            const char* target) {
  std::printf("BENCH %s %.1f %s vs %s %.1f ratio %.2f target %s\n", name, value, unit, peer, peerValue,
              peerValue > 0 ? value / peerValue : 0.0, target);
  std::fflush(stdout);
}

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "benchmark step failed: %s\n", what);
  std::exit(1);
}

}  // namespace bench
