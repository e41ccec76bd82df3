// The base game a mod's references point into: its archives (which carry no
// "(listfile)"), later ones replacing earlier ones, and its extracted sheets.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "ArchiveBuilder.h"
#include "CheckSheetsHelp.h"
#include "archive/ArchiveReader.h"
#include "archive/check/BaseGame.h"
#include "archive/check/DefaultRules.h"
#include "archive/check/ModChecker.h"

using namespace check;
using checktest::Excel;
using checktest::Lines;
using checktest::Sheet;

namespace {

QByteArray Internal(const char* fileName) {
  return QByteArray("data\\global\\excel\\") + fileName;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The mod: unique items that name armor codes and properties.
SheetFiles Mod() {
  return {Excel("UniqueItems.txt", Sheet({"index|code|prop1", "Old Cap|old|fire", "New Cap|cap|fire",
                                          "Odd Cap|cap|cold", "Blade|bld|fire"})),
          Excel("weapons.txt", Sheet({"name|type|code", "Blade|swor|bld"})),
          Excel("misc.txt", Sheet({"name|type|code", "Ring|ring|rin"}))};
}

QByteArray Names(const BaseGame& base) {
  QByteArrayList names;
  for (const SheetFile& s : base.sheets) names.append(s.name);
  return names.join(' ');
}

}  // namespace

class TestCheckBase : public QObject {
  Q_OBJECT

 private slots:
  // Archives as the game ships them, without "(listfile)": each later one
  // replaces a sheet an earlier one gave; the mod's own sheets replace the
  // game's (the bad weapons sheet in d2data never counts).
  void archivesLaterOverridingEarlier() {
    QTemporaryDir dir;
    using testarchive::Build;
    const auto none = testarchive::Listing::NoListfile;
    const auto packed = testarchive::Storage::CompressedEncrypted;
    QVERIFY(Build(dir.filePath("d2data.mpq"),
                  {{Internal("armor.txt"), Sheet({"name|type|code", "Old Cap|helm|old"})},
                   {Internal("weapons.txt"), Sheet({"name|type|code", "Bad|bad|bld", "Bad|bad|bld"})},
                   {Internal("Properties.txt"), Sheet({"code", "fire"})}},
                  packed, none));
    QVERIFY(Build(dir.filePath("D2EXP.MPQ"),
                  {{Internal("Armor.txt"), Sheet({"name|type|code", "Cap|helm|cap"})}}, packed, none));
    QVERIFY(Build(dir.filePath("patch_d2.mpq"),
                  {{Internal("properties.txt"), Sheet({"code", "fire", "cold"})}}, packed, none));
    LineList listing;
    QVERIFY(!ReadEntryLines(dir.filePath("d2data.mpq"), "(listfile)", listing));

    const Rules rules = DefaultRules();
    BaseGame base;
    QString why;
    QVERIFY2(ReadBaseGame(dir.path(), rules.Sheets(), base, why), qPrintable(why));
    QCOMPARE(Names(base), QByteArray("d2data.mpq:data\\global\\excel\\weapons.txt "
                                     "d2exp.mpq:data\\global\\excel\\armor.txt "
                                     "patch_d2.mpq:data\\global\\excel\\Properties.txt"));
    QVERIFY(base.problems.isEmpty());

    const CheckReport report = CheckSheets(rules, Mod(), base.sheets);
    QCOMPARE(Lines(report),
             QStringList({"UniqueItems.txt:2:code: error: \"old\" is not an item code [ref]"}));
    QVERIFY(!report.missingSheets.contains("armor.txt"));
    QVERIFY(!report.missingSheets.contains("Properties.txt"));
  }

  // Extracted sheets below the folder, found in any letter case, replace
  // the archives' copies.
  void extractedFolderOverArchives() {
    QTemporaryDir dir;
    QVERIFY(testarchive::Build(dir.filePath("patch_d2.mpq"),
                               {{Internal("Properties.txt"), Sheet({"code", "fire", "cold"})},
                                {Internal("armor.txt"), Sheet({"name|type|code", "Cap|helm|cap"})}},
                               testarchive::Storage::CompressedEncrypted, testarchive::Listing::NoListfile));
    QVERIFY(WriteFile(dir.filePath("Data/Global/EXCEL/PROPERTIES.TXT"), Sheet({"code", "fire"})));
    const Rules rules = DefaultRules();
    BaseGame base;
    QString why;
    QVERIFY(ReadBaseGame(dir.path(), rules.Sheets(), base, why));
    QCOMPARE(Names(base), QByteArray("patch_d2.mpq:data\\global\\excel\\armor.txt "
                                     "game folder:data\\global\\excel\\Properties.txt"));
    const CheckReport report = CheckSheets(rules, Mod(), base.sheets);
    QCOMPARE(Lines(report),
             QStringList({"UniqueItems.txt:2:code: error: \"old\" is not an item code [ref]",
                          "UniqueItems.txt:4:prop1: error: \"cold\" is not a Properties code [ref]"}));

    // A folder of extracted sheets alone is a base game too.
    QTemporaryDir extracted;
    QVERIFY(WriteFile(extracted.filePath("data/global/excel/armor.txt"),
                      Sheet({"name|type|code", "Cap|helm|old"})));
    QVERIFY(ReadBaseGame(extracted.path(), rules.Sheets(), base = BaseGame(), why));
    QCOMPARE(Names(base), QByteArray("game folder:data\\global\\excel\\armor.txt"));
  }

  // A folder that is not there or holds no game says so; an archive that
  // cannot be read is named and the others still count.
  void folderWithoutAGame() {
    QTemporaryDir dir;
    BaseGame base;
    QString why;
    QVERIFY(!ReadBaseGame(dir.filePath("nowhere"), {"armor.txt"}, base, why));
    QVERIFY(why.contains("does not exist"));
    QVERIFY(!ReadBaseGame(dir.path(), {"armor.txt"}, base, why));
    QVERIFY(why.contains("d2data.mpq"));

    QVERIFY(WriteFile(dir.filePath("d2data.mpq"), "not an archive"));
    QVERIFY(testarchive::Build(dir.filePath("d2exp.mpq"), {{Internal("armor.txt"), Sheet({"code", "cap"})}}));
    QVERIFY(ReadBaseGame(dir.path(), {"armor.txt"}, base, why));
    QCOMPARE(base.problems.size(), 1);
    QVERIFY(base.problems.first().contains("d2data.mpq"));
    QCOMPARE(base.sheets.size(), size_t(1));
  }
};

QTEST_GUILESS_MAIN(TestCheckBase)
#include "test_check_base.moc"
