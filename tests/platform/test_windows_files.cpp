// The file promises as Windows keeps them: names Windows cannot hold refused
// by name and nothing else; names told apart as its file systems tell them
// (letter case ignored); characters beyond the code page and paths past 260
// characters reached through the wide calls; a file another program holds
// open left whole; the preferences file where Windows users look for it.
#include <windows.h>

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "Fixtures.h"
#include "platform/ConfigLocation.h"
#include "platform/DiskNames.h"
#include "platform/FileIdentity.h"
#include "platform/FileInUse.h"
#include "platform/FolderHandles.h"
#include "platform/FolderListing.h"
#include "platform/ReplacingFile.h"

namespace {

using files::WriteResult;

QStringList Names(const QString& folder) {
  QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  names.sort();
  return names;
}

// Opens path the way a program that shares nothing does (the game holding its mod).
HANDLE HoldExclusively(const QString& path) {
  return CreateFileW(QDir::toNativeSeparators(path).toStdWString().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

class TestWindowsFiles : public QObject {
  Q_OBJECT
 private slots:
  void namesWindowsCannotHoldAreRefusedByName() {
    for (const char* bad : {"CON", "con", "Con.txt", "PRN", "AUX.dat", "nul", "NUL.tar.gz", "COM1", "com9.txt",
                            "LPT1", "lpt9.log", "name.", "name ", "a<b", "a>b", "a:b", "a\"b", "a|b", "a?b",
                            "a*b", "a/b", "a\\b", "tab\there", "bell\x07", "CONIN$", "conout$.txt", "COM\xB9",
                            "lpt\xB2.txt", "LPT\xB3"})
      QVERIFY2(!files::CanBeFileName(QString::fromLatin1(bad)), bad);
    for (const char* good : {"CONSOLE", "CONFIG.INI", "COM0", "COM10", "LPT", "LPTX.txt", "AUXILIARY", "NULL",
                             "CONIN", "CONOUT$$", "COM\xB4", "LPT\xB9\xB9", "a.b", ".hidden", "name.txt", "x y"})
      QVERIFY2(files::CanBeFileName(QString::fromLatin1(good)), good);
    QVERIFY(files::CanBeFileName(QString::fromUtf8("caf\xC3\xA9 \xCE\xA9")));
    QVERIFY(files::CanBeFileName(QString(255, u'x')));
    QVERIFY(!files::CanBeFileName(QString(256, u'x')));
    QCOMPARE(files::PathBelow("C:/mods", {"data", "CON"}), QString());
  }

  // Names that differ only in letter case are one file here, and only those.
  void namesAreFoldedAsTheFileSystemFoldsThem() {
    QCOMPARE(files::DiskNameKey("Data\\Global\\ARMOR.txt"), files::DiskNameKey("data\\global\\armor.TXT"));
    QCOMPARE(files::DiskNameKey(QString::fromUtf8("caf\xC3\xA9")), files::DiskNameKey(QString::fromUtf8("CAF\xC3\x89")));
    QVERIFY(files::DiskNameKey(QString::fromUtf8("stra\xC3\x9F" "e")) != files::DiskNameKey("STRASSE"));
    QVERIFY(files::DiskNameKey("a.txt") != files::DiskNameKey("a.txt "));

    QTemporaryDir dir;
    QVERIFY(fixtures::writeAll(dir.filePath("Armor.txt"), "one"));
    const files::FileId id = files::IdentityOf(dir.filePath("Armor.txt"));
    QVERIFY(id.known);
    QVERIFY(files::SameFile(id, files::IdentityOf(dir.filePath("ARMOR.TXT"))));
    QVERIFY(!files::SameFile(id, files::IdentityOf(dir.path())));
  }

  // A name with a Windows-1252 character and one beyond it, deep enough that
  // the path passes 260 characters: written, listed and read back by name.
  void wideNamesAndLongPathsAreReached() {
    QTemporaryDir dir;
    QStringList levels;
    for (int i = 0; i < 12; ++i) levels << QString(24, QChar(u'a' + i));
    const QString cafe = QString::fromUtf8("caf\xC3\xA9.txt"), omega = QString::fromUtf8("\xCE\xA9mega.txt");
    for (const QString& name : {cafe, omega}) {
      files::ReplacingFile file(dir.path(), levels + QStringList{name});
      QVERIFY(file.Open(true));
      file.Device().write(name.toUtf8());
      QVERIFY(file.Commit());
    }
    const QByteArray folder = files::DiskPath(dir.path() + '/' + levels.join('/'));
    QVERIFY(folder.size() > 300);
    QList<files::ListedEntry> entries;
    QVERIFY(files::ListFolder(folder, entries));
    QCOMPARE(entries.size(), 2);
    std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.shown < b.shown; });
    QCOMPARE(entries[0].shown, cafe);
    QVERIFY(entries[0].mapped);
    QCOMPARE(entries[0].bytes, QByteArray("caf\xE9.txt"));
    QCOMPARE(entries[1].shown, omega);
    QVERIFY(!entries[1].mapped);
    QVERIFY(entries[1].file && entries[1].readable && !entries[1].link);
    QByteArray bytes;
    QVERIFY(files::ReadDiskFile(folder + '/' + entries[1].diskName, bytes));
    QCOMPARE(bytes, omega.toUtf8());
    QVERIFY(files::IdentityOf(QString::fromUtf8(folder + '/' + entries[0].diskName)).known);
  }

  // Another program holds the file without sharing it: the write fails,
  // the old bytes stay, and no temporary file is left beside them.
  void aFileHeldByAnotherProgramIsLeftWhole() {
    QTemporaryDir dir;
    QVERIFY(fixtures::writeAll(dir.filePath("mod.QLM"), "old"));
    const HANDLE held = HoldExclusively(dir.filePath("mod.QLM"));
    QVERIFY(held != INVALID_HANDLE_VALUE);
    files::FolderHandles folders(dir.path());
    QCOMPARE(files::WriteFileAt(folders.Open({}, false), "mod.QLM", "new"), WriteResult::NotWritten);
    {
      files::ReplacingFile file(dir.filePath("mod.QLM"));
      QVERIFY(file.Open());
      file.Device().write("new");
      QVERIFY(!file.Commit());
    }
    // The hold is told as one, so that the user hears who has the file.
    QVERIFY(files::HeldByAnotherProgram(dir.filePath("mod.QLM"), false));
    CloseHandle(held);
    QCOMPARE(fixtures::readAll(dir.filePath("mod.QLM")), QByteArray("old"));
    QCOMPARE(Names(dir.path()), QStringList{"mod.QLM"});
    QVERIFY(!files::HeldByAnotherProgram(dir.filePath("mod.QLM"), true));
    // The game shares its mod for reading only: it can be read, not updated.
    const HANDLE reading = CreateFileW(QDir::toNativeSeparators(dir.filePath("mod.QLM")).toStdWString().c_str(),
                                       GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                       nullptr);
    QVERIFY(reading != INVALID_HANDLE_VALUE);
    QVERIFY(!files::HeldByAnotherProgram(dir.filePath("mod.QLM"), false));
    QVERIFY(files::HeldByAnotherProgram(dir.filePath("mod.QLM"), true));
    CloseHandle(reading);
    // No right to write is not a hold.
    QVERIFY(SetFileAttributesW(QDir::toNativeSeparators(dir.filePath("mod.QLM")).toStdWString().c_str(),
                               FILE_ATTRIBUTE_READONLY));
    QVERIFY(!files::HeldByAnotherProgram(dir.filePath("mod.QLM"), true));
    SetFileAttributesW(QDir::toNativeSeparators(dir.filePath("mod.QLM")).toStdWString().c_str(),
                       FILE_ATTRIBUTE_NORMAL);
  }

  // A name that is another file's short name there (LONGFI~1.TXT) reaches
  // that file: an entry so named is not written over it, while a file of
  // its own name is replaced as ever.
  void aShortNameNeverReplacesTheFileItNames() {
    QTemporaryDir dir;
    files::FolderHandles folders(dir.path());
    const int folder = folders.Open({}, false);
    QCOMPARE(files::WriteFileAt(folder, "longfilename.txt", "long"), WriteResult::Written);
    std::wstring shortPath(MAX_PATH, L'\0');
    const std::wstring longPath = QDir::toNativeSeparators(dir.filePath("longfilename.txt")).toStdWString();
    shortPath.resize(GetShortPathNameW(longPath.c_str(), shortPath.data(), MAX_PATH));
    const QString shortName = QFileInfo(QString::fromStdWString(shortPath)).fileName();
    if (shortName.isEmpty() || shortName == "longfilename.txt") QSKIP("this volume gives files no short names");
    QCOMPARE(files::WriteFileAt(folder, shortName, "short"), WriteResult::NotWritten);
    QCOMPARE(fixtures::readAll(dir.filePath("longfilename.txt")), QByteArray("long"));
    QCOMPARE(Names(dir.path()), QStringList{"longfilename.txt"});
    QCOMPARE(files::WriteFileAt(folder, "LONGFILENAME.TXT", "again"), WriteResult::Written);
    QCOMPARE(fixtures::readAll(dir.filePath("longfilename.txt")), QByteArray("again"));
    // A folder level likewise: what goes below the short name does not land
    // in the folder it names.
    QVERIFY(QDir(dir.path()).mkdir("longfoldername"));
    const std::wstring folderPath = QDir::toNativeSeparators(dir.filePath("longfoldername")).toStdWString();
    shortPath.assign(MAX_PATH, L'\0');
    shortPath.resize(GetShortPathNameW(folderPath.c_str(), shortPath.data(), MAX_PATH));
    const QString shortFolder = QFileInfo(QString::fromStdWString(shortPath)).fileName();
    QVERIFY(!shortFolder.isEmpty() && shortFolder != "longfoldername");
    QVERIFY(folders.Open({shortFolder}, true) < 0);
    QVERIFY(folders.Open({"LONGFOLDERNAME"}, false) >= 0);
  }

  // An installed copy (below Program Files, which an administrator can
  // write) keeps QUILL.INI in %APPDATA%\Quillforge; a copy in a folder that
  // can be written, beside itself.
  void preferencesLiveBesideAPortableCopyElseInAppData() {
    const QString programFiles = QDir::fromNativeSeparators(qEnvironmentVariable("ProgramFiles"));
    QVERIFY(!programFiles.isEmpty());
    QVERIFY(config::IsSharedProgramFolder(programFiles + "/Quillforge"));
    QVERIFY(config::IsSharedProgramFolder(programFiles.toUpper()));
    QVERIFY(!config::IsSharedProgramFolder("C:/Games/Quillforge"));
    const QString home = config::ConfigHome();
    QCOMPARE(home, QDir::cleanPath(QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"))));
    const auto foldersWritable = [](const QString& path) { return !path.endsWith("QUILL.INI"); };
    QCOMPARE(config::ChooseIniFile(programFiles + "/Quillforge", home, foldersWritable),
             home + "/Quillforge/QUILL.INI");
    QCOMPARE(config::ChooseIniFile("C:/Games/Quillforge", home, foldersWritable),
             QString("C:/Games/Quillforge/QUILL.INI"));
  }
};

QTEST_GUILESS_MAIN(TestWindowsFiles)
#include "test_windows_files.moc"
