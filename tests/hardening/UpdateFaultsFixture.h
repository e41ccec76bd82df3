#pragma once
// The update fault tests' fixture: a mod holding the fixtures' sheets, the
// sources an Update adds to it, and a child process (the test executable
// again, running only childUpdate) that opens the mod, adds the sources,
// clicks Update and reports what the user was shown. Afterwards the archive
// must hold exactly its old entries or exactly its new ones.
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "ArchiveBuilder.h"
#include "Fixtures.h"
#include "Workspace.h"
#include "archive/ArchiveReader.h"

namespace faults {

using Contents = QMap<QByteArray, QByteArray>;

inline const QByteArray kChildArchive = "QF_CHILD_ARCHIVE";
inline const QByteArray kChildSources = "QF_CHILD_SOURCES";  // "source|name" pairs joined by '\n'
inline const QByteArray kChildDeleteSources = "QF_CHILD_DELETE_SOURCES";
// The number of the file data sync during Update that fails (FileCallHooks).
inline const QByteArray kChildFailSync = "QF_CHILD_FAIL_SYNC";

struct ChildRun {
  bool finished = false;  // exited normally (not killed)
  QStringList messages;   // every message box and error box, in order
  QString updateState;    // "on" while changes are still pending
  int pumps = 0;
};

inline ChildRun Parse(const QByteArray& output, bool finished) {
  ChildRun run;
  run.finished = finished;
  // The child's standard output is text: on Windows its lines end in CR LF.
  for (const QByteArray& line : QByteArray(output).replace('\r', "").split('\n')) {
    if (line.startsWith("CHILD MESSAGE ")) run.messages << QString::fromLocal8Bit(line.mid(14));
    if (line.startsWith("CHILD UPDATE ")) run.updateState = QString::fromLatin1(line.mid(13));
    if (line == "CHILD PUMP") ++run.pumps;
  }
  return run;
}

// Every entry the listing names, read through the program's own reader; ok is
// false when the archive or any listed entry cannot be read.
inline Contents ReadBack(const QString& archive, bool* ok) {
  Contents contents;
  LineList names;
  *ok = ReadEntryLines(archive, "(listfile)", names);
  for (const QByteArray& name : names) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    *ok = ReadEntryToStream(archive, name, buffer) && *ok;
    contents.insert(name, buffer.data());
  }
  return contents;
}

class Fixture : public QObject {
 protected:
  QTemporaryDir scratch_;
  QString folder_;   // holds the archive alone
  QString archive_;  // the mod under update
  QString sources_;  // the files the child adds
  QString childTemp_;
  QByteArray pristine_;
  Contents before_;
  Contents after_;  // what a committed update leaves
  QStringList pairs_;
  int failSync_ = 0;  // for the next child

  // Starts the child. prepare may set up its process before it starts.
  ChildRun RunChild(const std::function<void(QProcess&)>& prepare = {}, bool deleteSources = false,
                    int killAfterPumps = -1, int killAfterMs = -1) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), childTemp_);
    env.insert(QString::fromLatin1(kChildArchive), archive_);
    env.insert(QString::fromLatin1(kChildSources), pairs_.join('\n'));
    if (deleteSources) env.insert(QString::fromLatin1(kChildDeleteSources), QStringLiteral("1"));
    if (failSync_ > 0) env.insert(QString::fromLatin1(kChildFailSync), QString::number(failSync_));
    // Leaks are not what these runs look for, and a killed child reports none.
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    child.setProcessEnvironment(env);
    if (prepare) prepare(child);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("childUpdate")});
    if (!child.waitForStarted(10000)) return {};
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    bool killed = false;
    while (child.state() != QProcess::NotRunning) {
      child.waitForReadyRead(killAfterMs >= 0 ? 2 : 50);
      output += child.readAllStandardOutput();
      const bool pumpsDone = killAfterPumps >= 0 && output.count("CHILD PUMP") >= killAfterPumps;
      const bool timeUp = killAfterMs >= 0 && clock.elapsed() >= killAfterMs;
      if (!killed && (pumpsDone || timeUp)) {
        child.kill();
        killed = true;
      }
      if (clock.elapsed() > 50000) child.kill();
    }
    output += child.readAllStandardOutput();
    return Parse(output, !killed && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0);
  }

  void Restore() {
    QFile::remove(archive_);
    QVERIFY(fixtures::writeAll(archive_, pristine_));
    QVERIFY(QFile::setPermissions(
        archive_, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(QFile::setPermissions(folder_, QFile::permissions(folder_) | QFile::WriteOwner));
    // A killed update leaves its unfinished copy for the next one to sweep.
    for (const QString& f : QDir(folder_).entryList(QDir::Files | QDir::Hidden))
      if (f != QStringLiteral("mod.QLM")) QFile::remove(folder_ + '/' + f);
  }

  // The archive reads back completely, holding its old contents or, when
  // committed may be true, its new ones.
  void VerifyIntact(bool mayBeCommitted, bool* committed = nullptr, bool killed = false) {
    if (!killed) {
      const QStringList left = QDir(folder_).entryList(QDir::Files | QDir::Hidden);
      QCOMPARE(left, QStringList{QStringLiteral("mod.QLM")});
    }
    bool ok = false;
    const Contents now = ReadBack(archive_, &ok);
    QVERIFY2(ok, "the archive cannot be read back");
    const Contents nowGame = WithoutRecord(now);
    const bool isOld = nowGame == WithoutRecord(before_);
    const bool isNew = nowGame == WithoutRecord(after_);
    QVERIFY2(isOld || (mayBeCommitted && isNew), "the archive holds neither its old nor its new entries");
    if (!mayBeCommitted) QCOMPARE(fixtures::readAll(archive_), pristine_);
    if (committed) *committed = !isOld;
  }

  static Contents WithoutRecord(Contents c) {
    c.remove("(modinfo)");
    return c;
  }

  // The mod and the sources; in the children, nothing.
  void SetUp() {
    folder_ = scratch_.filePath(QStringLiteral("mods"));
    sources_ = scratch_.filePath(QStringLiteral("sources"));
    QVERIFY(QDir().mkpath(folder_) && QDir().mkpath(sources_));
    // The children's temporary folder: a killed child leaves its scratch
    // folder and record file there, and they go with the parent's.
    childTemp_ = scratch_.filePath(QStringLiteral("child-tmp"));
    QVERIFY(QDir().mkpath(childTemp_));
    archive_ = folder_ + QStringLiteral("/mod.QLM");

    // The mod holds the sheets; the update replaces two and adds the rest of
    // the fixtures, several megabytes, so that killing it lands everywhere.
    testarchive::Entries sheets;
    const auto tree = cmd::FixtureTree(QStringLiteral("data/global/excel"));
    for (auto it = tree.begin(); it != tree.end(); ++it)
      sheets.append({it.key().toLatin1().replace('/', '\\'), it.value()});
    QVERIFY(testarchive::Build(archive_, sheets));
    pristine_ = fixtures::readAll(archive_);
    bool ok = false;
    before_ = ReadBack(archive_, &ok);
    QVERIFY(ok);
    after_ = before_;
    const QDir root(fixtures::modDir());
    for (const QString& file : fixtures::allFiles()) {
      const QByteArray name = fixtures::internalName(file);
      if (before_.contains(name) && !name.endsWith("Arena.txt") && !name.endsWith("misc.txt")) continue;
      const QString source = sources_ + '/' + QString::number(pairs_.size());
      QByteArray bytes = fixtures::readAll(file);
      if (before_.contains(name)) bytes += "\r\nchanged\r\n";
      QVERIFY(fixtures::writeAll(source, bytes));
      pairs_ << source + '|' + QString::fromLatin1(name);
      after_.insert(name, bytes);
    }
    QVERIFY(pairs_.size() >= 8);
  }

  // Run by the children only: open the mod, add every source, Update
  // (beforeUpdate runs just before it).
  void ChildUpdate(const std::function<void()>& beforeUpdate = {}) {
    const QString archive = qEnvironmentVariable(kChildArchive);
    if (archive.isEmpty()) QSKIP("runs in the children of the other tests");
    cmd::Workspace ws;
    ws.ui.SetFailOnUnanswered(false);
    ws.Open(archive);
    QStringList files;
    QList<std::optional<QByteArray>> names;
    for (const QString& pair : qEnvironmentVariable(kChildSources).split('\n')) {
      files << pair.section('|', 0, 0);
      names << pair.section('|', 1).toLatin1();
    }
    // Names the mod already holds are replaced.
    for (const auto& name : names)
      if (ws.RowOf(*name) >= 0) ws.ui.AnswerMessage(ui::idYes);
    ws.Add(files, names);
    if (qEnvironmentVariableIsSet(kChildDeleteSources))
      for (const QString& file : files) QFile::remove(file);
    const qsizetype before = ws.ui.messages.size();
    ws.ui.OnPump([] {
      fputs("CHILD PUMP\n", stdout);
      fflush(stdout);
    });
    if (beforeUpdate) beforeUpdate();
    ws.Update();
    ws.ui.OnPump({});
    for (qsizetype i = before; i < ws.ui.messages.size(); ++i)
      printf("CHILD MESSAGE %s\n", ws.ui.messages[i].text.toLocal8Bit().constData());
    printf("CHILD UPDATE %s\n", qPrintable(ws.UpdateState()));
    fflush(stdout);
  }
};

}  // namespace faults
