// Update writing the fixtures tree into a new mod (the record, every file
// added under its internal name, the archive committed), against smpq
// creating the same archive from the same files.
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QToolButton>

#include "BenchWindow.h"
#include "forms/main/untMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString root = bench::FixturesDir();
  bench::Require(!root.isEmpty(), "find the fixtures (QF_FIXTURES_DIR)");
  QStringList files, relative;
  QList<QByteArray> names;
  for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) files << it.next();
  files.sort();
  for (const QString& file : files) {
    relative << QDir(root).relativeFilePath(file);
    names << relative.last().toLatin1().replace('/', '\\');
  }

  QTemporaryDir dir;
  bench::QuietUi quiet;
  TfrmMain w;
  w.show();
  int run = 0;
  QString mod;
  const double ours = bench::MedianMs(
      5,
      [&] {
        mod = dir.filePath(QStringLiteral("ours%1.QLM").arg(run++));
        quiet.dialogs << QStringList{mod} << files;
        quiet.names = names;
        w.btnNew->click();
        w.btnAdd->click();
      },
      [&] { w.btnUpdate->click(); });
  bench::Require(QFileInfo(mod).size() > 0 && !w.btnUpdate->isEnabled() && w.Rows->Count() == files.size(),
                 "update the mod");

  const double smpq = bench::MedianMs(5, {}, [&] {
    const QString theirs = dir.filePath(QStringLiteral("theirs%1.QLM").arg(run++));
    bench::Require(bench::Smpq(QStringList{"-c", "-C", "PKWARE", "-E", "-M", "1", theirs} + relative, root),
                   "smpq -c");
  });
  bench::Report("commands_update_fixtures", ours, "ms", "smpq_create", smpq, "1");
  return 0;
}
