// A mod kept as a folder tree, in and out: Add Folder of a 10,000-file tree
// made from the fixtures until the rows are listed, against a plain walk that
// stats every file; the Update that builds the mod from those rows, against
// smpq creating the same archive from the same tree; Export All of that mod
// into an empty folder, against smpq extracting the same archive.
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QToolButton>
#include <filesystem>

#include "BenchWindow.h"
#include "forms/main/untMain.h"

namespace {

constexpr int kFiles = 10000;

// kFiles files spread over the fixtures' folders (about 190 to a folder),
// each a slice of the fixtures' bytes under a fixture's name and extension.
QStringList MakeTree(const QString& fixtures, const QString& root) {
  QStringList sources;
  for (QDirIterator it(fixtures, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
    sources << it.next();
  sources.sort();
  QByteArray pool;
  for (const QString& file : sources) {
    QFile f(file);
    bench::Require(f.open(QIODevice::ReadOnly), "read the fixtures");
    pool += f.readAll();
  }
  QStringList relative;
  for (int i = 0; i < kFiles; ++i) {
    const QFileInfo source(sources.at(i % sources.size()));
    const QString folder = QDir(fixtures).relativeFilePath(source.absolutePath()) +
                           QStringLiteral("/set%1").arg(i / (sources.size() * 10));
    const QString name = QStringLiteral("%1/%2_%3.%4")
                             .arg(folder, source.completeBaseName())
                             .arg(i, 5, 10, QLatin1Char('0'))
                             .arg(source.suffix().isEmpty() ? QStringLiteral("bin") : source.suffix());
    const qsizetype length = 64 + (qsizetype(i) * 37) % 4000;
    const qsizetype offset = (qsizetype(i) * 4099) % (pool.size() - length);
    QDir(root).mkpath(folder);
    QFile out(QDir(root).filePath(name));
    bench::Require(out.open(QIODevice::WriteOnly) && out.write(pool.mid(offset, length)) == length,
                   "write the tree");
    relative << name;
  }
  return relative;
}

// The peer of the walk: every file below root visited and stat()ed.
qint64 PlainWalk(const QString& root) {
  qint64 total = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root.toStdString()))
    if (entry.is_regular_file()) total += qint64(std::filesystem::file_size(entry.path()));
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString fixtures = bench::FixturesDir();
  bench::Require(!fixtures.isEmpty(), "find the fixtures (QF_FIXTURES_DIR)");
  QTemporaryDir dir;
  const QString tree = dir.filePath(QStringLiteral("tree"));
  const QStringList relative = MakeTree(fixtures, tree);

  bench::QuietUi quiet;
  TfrmMain w;
  w.show();
  int run = 0;
  QString mod;
  auto newMod = [&] {
    w.CommandsUpdated();  // no save-changes question
    mod = dir.filePath(QStringLiteral("ours%1.QLM").arg(run++));
    quiet.dialogs << QStringList{mod};
    w.btnNew->click();
  };
  const double add = bench::MedianMs(5, newMod, [&] {
    quiet.folders << tree + QStringLiteral("/data");
    quiet.names << QByteArray("data\\");
    w.mniAddFolder->trigger();
    QCoreApplication::processEvents();
  });
  bench::Require(w.Rows->Count() == kFiles && quiet.messages == 0, "add the folder");
  qint64 bytes = 0;
  const double walk = bench::MedianMs(5, {}, [&] { bytes = PlainWalk(tree); });
  bench::Require(bytes > 0, "walk the tree");
  bench::Report("commands_addfolder_10000", add, "ms", "plain_stat_walk", walk, "3");

  const double update = bench::MedianMs(
      3,
      [&] {
        newMod();
        quiet.folders << tree + QStringLiteral("/data");
        quiet.names << QByteArray("data\\");
        w.mniAddFolder->trigger();
      },
      [&] { w.btnUpdate->click(); });
  bench::Require(QFileInfo(mod).size() > 0 && !w.btnUpdate->isEnabled() && quiet.messages == 0,
                 "update the mod");
  const QString theirs = dir.filePath(QStringLiteral("theirs.QLM"));
  const double smpqCreate = bench::MedianMs(1, {}, [&] {
    bench::Require(bench::Smpq(QStringList{"-c", "-C", "PKWARE", "-E", "-M", "1", theirs} + relative, tree),
                   "smpq -c");
  });
  bench::Report("commands_update_10000_from_folder", update, "ms", "smpq_create", smpqCreate, "1");

  quiet.dialogs << QStringList{mod};
  w.btnOpen->click();
  bench::Require(w.Rows->Count() == kFiles, "open the mod");
  const double exportAll = bench::MedianMs(3, {}, [&] {
    quiet.folders << dir.filePath(QStringLiteral("ours_out%1").arg(run++));
    w.mniExportAll->trigger();
  });
  bench::Require(quiet.messages == 0, "export every file");
  const double smpqExtract = bench::MedianMs(3, {}, [&] {
    const QString out = dir.filePath(QStringLiteral("theirs_out%1").arg(run++));
    QDir().mkpath(out);
    bench::Require(bench::Smpq(QStringList{"-x", mod}, out), "smpq -x");
  });
  bench::Report("commands_exportall_10000", exportAll, "ms", "smpq_extract", smpqExtract, "1");
  return 0;
}
