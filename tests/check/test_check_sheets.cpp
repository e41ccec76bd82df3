// Check Mod's checks on small sheets made for each of them, and on the
// fixture mod's real sheets.
#include <QDir>
#include <QtTest>

#include "CheckSheetsHelp.h"
#include "Fixtures.h"
#include "archive/TextLines.h"
#include "archive/check/DefaultRules.h"
#include "archive/check/FindingText.h"
#include "archive/check/ModChecker.h"
#include "archive/check/RulesReader.h"
#include "archive/check/SheetLines.h"

using namespace check;
using checktest::Excel;
using checktest::Lines;
using checktest::Sheet;

namespace {

// Weapons, armor and misc with a handful of codes, and their item types.
SheetFiles ItemSheets() {
  return {Excel("weapons.txt", Sheet({"name|type|code|level|normcode", "Axe|axe|axe|5|axe", "Expansion",
                                      "Hand Axe|axe|hax|3|hax"})),
          Excel("armor.txt", Sheet({"name|type|code|level|normcode", "Cap|helm|cap|1|cap"})),
          Excel("misc.txt", Sheet({"name|type|code|level", "Ring|ring|rin|1"})),
          Excel("ItemTypes.txt", Sheet({"ItemType|Code|Equiv1|Equiv2", "Axe|axe|weap|", "Helm|helm|armo|",
                                        "Ring|ring|misc|", "Weapon|weap||", "Armor|armo||", "Misc|misc||"})),
          Excel("Properties.txt", Sheet({"code|func|stat1", "allskills|1|", "dmg%|7|"}))};
}

SheetFiles With(SheetFiles sheets, const SheetFile& extra) {
  for (SheetFile& s : sheets)
    if (FileNameOf(s.name).compare(FileNameOf(extra.name), Qt::CaseInsensitive) == 0) {
      s = extra;
      return sheets;
    }
  sheets.push_back(extra);
  return sheets;
}

}  // namespace

class TestCheckSheets : public QObject {
  Q_OBJECT

 private slots:
  // Line numbers of findings are the grid's: lines split by the program's
  // one rule (CR, LF, CR LF, LF CR as two, a NUL ending the text).
  void linesSplitAsTheGridSplitsThem() {
    for (const QByteArray& text : {QByteArray("a\rb\nc\r\nd"), QByteArray("a\n\rb\r\r\n"),
                                   QByteArray("a\tb\r\nc\0d\ne", 10), QByteArray("\n\nx")}) {
      const SheetLines lines(text);
      QList<QByteArray> got;
      for (qsizetype i = 0; i < lines.Count(); ++i)
        got.append(QByteArray::fromStdString(std::string(lines.Line(i))));
      QCOMPARE(got, SplitLines(text));
    }
  }

  // A missing TAB moves the later cells left, an extra one right; the
  // finding names the first column whose cell is out of place. Empty cells
  // after the last column and one-column sheets give nothing.
  void cellsFindsTheShiftedColumn() {
    const QByteArray weapons =
        Sheet({"name|code|type|level|cost", "Axe|axe|axe|5|100", "Sword|ssd|swor|7|120",
               "Hand Axe|haxaxe|3|50",  // TAB lost between code and type
               "Club|clb||club|2|40",   // a TAB too many after the code
               "Mace|mac|mace|4|80|",   // an empty cell past the end: harmless
               "Wand|wnd|wand",         // the row just ends early
               "Expansion", "", "Scepter|scp|scep|9|90|extra"});
    const SheetFiles mod = {Excel("weapons.txt", weapons),
                            Excel("Aiparms.txt", Sheet({"Notes on the AI", "P1|chance", "P2|chance|x"}))};
    const CheckReport report = CheckSheets(DefaultRules(), mod);
    QCOMPARE(
        Lines(report),
        QStringList({"weapons.txt:4:type: error: row has 4 cells, the header 5; first shifted column "
                     "\"type\" [cells]",
                     "weapons.txt:5:type: error: row has 6 cells, the header 5; first shifted column "
                     "\"type\" [cells]",
                     "weapons.txt:7:level: error: row has 3 cells, the header 5; cells missing from column "
                     "\"level\" on [cells]",
                     "weapons.txt:10:cost: error: row has 6 cells, the header 5; cells after the last "
                     "column [cells]"}));
    QCOMPARE(report.sheetsChecked, 2);
  }

  // Spaces around a key or a reference warn; elsewhere they are the sheet's
  // own business. A row whose cells shifted is reported once, as shifted.
  void spaceInKeyAndReferenceCells() {
    const SheetFiles mod =
        With(ItemSheets(), Excel("weapons.txt", Sheet({"name|type|code|level|normcode", "Axe |axe|axe |5|axe",
                                                       "Hand Axe| axe|hax|3|hax", "Club|club|clb|2"})));
    const CheckReport report = CheckSheets(DefaultRules(), mod);
    QCOMPARE(Lines(report),
             QStringList({"weapons.txt:2:code: warning: \"axe \" ends with a space [space]",
                          "weapons.txt:3:type: warning: \" axe\" starts with a space [space]",
                          "weapons.txt:4:normcode: error: row has 4 cells, the header 5; cells missing from "
                          "column \"normcode\" on [cells]"}));
  }

  // Item codes are one set over weapons, armor and misc; comments,
  // "Expansion" rows and empty cells hold no key. A key only the base game
  // repeats is reported at the mod's row.
  void dupAcrossSheetsTakenTogether() {
    SheetFiles mod =
        With(ItemSheets(), Excel("misc.txt", Sheet({"name|type|code|level", "Ring|ring|rin|1",
                                                    "Cap again|ring|cap|1", "*Note|ring|*rin|1",
                                                    "Expansion|||", "Empty|ring||1", "Ring 2|ring|rin|2"})));
    CheckReport report = CheckSheets(DefaultRules(), mod);
    QCOMPARE(Lines(report),
             QStringList(
                 {"misc.txt:3:code: error: \"cap\" repeats the key at data\\global\\excel\\armor.txt:2 [dup]",
                  "misc.txt:7:code: error: \"rin\" repeats the key at line 2 [dup]"}));

    // The mod's weapons come before the base game's armor in the item codes.
    const SheetFiles base = {Excel("armor.txt", Sheet({"name|type|code", "Cap|helm|cap", "Ring|ring|rin"}))};
    const SheetFiles modOnly = {
        Excel("weapons.txt", Sheet({"name|type|code", "Axe|axe|axe", "Cap|helm|cap"}))};
    report = CheckSheets(DefaultRules(), modOnly, base);
    QCOMPARE(Lines(report), QStringList({"weapons.txt:3:code: error: \"cap\" is also the key at "
                                         "data\\global\\excel\\armor.txt:2 [dup]"}));
  }

  // A reference names a key of its target, in any letter case; empty
  // cells, comments and "Expansion" rows are not references.
  void refFindsNamesThatAreNoKey() {
    const SheetFiles mod =
        With(ItemSheets(),
             Excel("UniqueItems.txt",
                   Sheet({"index|code|prop1|prop2|prop3|prop4", "Axe of Fire|axe|allskills|DMG%||allskils",
                          "Expansion|xxx|nothing||", "*Draft|axe|*later|||", "Bad Cap|cqp||||"})));
    const CheckReport report = CheckSheets(DefaultRules(), mod);
    QCOMPARE(Lines(report),
             QStringList({"UniqueItems.txt:2:prop4: error: \"allskils\" is not a Properties code [ref]",
                          "UniqueItems.txt:5:code: error: \"cqp\" is not an item code [ref]"}));
    // Properties name stats, and no ItemStatCost is at hand.
    QCOMPARE(report.missingSheets, QList<QByteArray>({"ItemStatCost.txt"}));
  }

  // A reference into sheets not all at hand is left alone, and the report
  // names what was missing; the other checks still run.
  void refSkippedWithoutItsTarget() {
    const SheetFiles mod = {Excel("UniqueItems.txt", Sheet({"index|code|prop1", "Thing|zzz|nothing"})),
                            Excel("weapons.txt", Sheet({"name|type|code", "Axe|axe|axe"}))};
    const CheckReport report = CheckSheets(DefaultRules(), mod);
    QVERIFY2(report.findings.empty(), qPrintable(Lines(report).join('\n')));
    QCOMPARE(report.missingSheets,
             QList<QByteArray>({"armor.txt", "ItemTypes.txt", "misc.txt", "Properties.txt"}));
  }

  // Cube cells: quotes dropped, the first part an item, a type, a unique
  // item or one of the words the column allows; each later part a known
  // qualifier; the mod columns are Properties codes.
  void cubeInputsOutputsAndQualifiers() {
    SheetFiles mod = ItemSheets();
    mod.push_back(Excel("UniqueItems.txt", Sheet({"index|code", "The Gnasher|hax"})));
    mod.push_back(Excel("SetItems.txt", Sheet({"index|item|set", "Sander's Cap|cap|"})));
    mod.push_back(
        Excel("cubemain.txt", Sheet({"description|input 1|input 2|output|mod 1|output b",
                                     "ok|\"axe,qty=3\"|The Gnasher|\"usetype,mag,pre=20\"|dmg%|Cow Portal",
                                     "types|\"weap,nor\"|Sander's Cap|\"rin, uni\"||",
                                     "bad item|\"axx,qty=2\"|any|Red Portal|alskills|",
                                     "bad qualifier|\"ring,rmv,sock=2\"|ring|rin||Cow Portal",
                                     "portal as input|Cow Portal|rin|cap,nrw||"})));
    const CheckReport report = CheckSheets(DefaultRules(), mod);
    QCOMPARE(
        Lines(report),
        QStringList({"cubemain.txt:4:input 1: error: \"axx\" is not an item code, an ItemTypes Code, a "
                     "UniqueItems index or a SetItems index [ref]",
                     "cubemain.txt:4:mod 1: error: \"alskills\" is not a Properties code [ref]",
                     "cubemain.txt:5:input 1: error: \"rmv\" is not a known qualifier [ref]",
                     "cubemain.txt:6:input 1: error: \"Cow Portal\" is not an item code, an ItemTypes Code, "
                     "a UniqueItems index or a SetItems index [ref]",
                     "cubemain.txt:6:output: error: \"nrw\" is not a known qualifier [ref]"}));
  }

  // Recipes written as the game's cube syntax allows them, every qualifier
  // in the column kind it is documented for, raise nothing.
  void cubeQualifiersOfTheGame() {
    SheetFiles mod = ItemSheets();
    mod.push_back(Excel("UniqueItems.txt", Sheet({"index|code"})));
    mod.push_back(Excel("SetItems.txt", Sheet({"index|item"})));
    mod.push_back(Excel(
        "cubemain.txt",
        Sheet({"description|input 1|input 2|input 3|output|output b|output c",
               "grades|\"axe,low\"|\"axe,nor\"|\"axe,hiq\"|\"useitem,sup\"|\"usetype,mag\"|\"rin,rar\"",
               "more grades|\"ring,set\"|\"ring,uni\"|\"ring,crf\"|\"ring,tmp\"|\"usetype,crf\"|\"usetype,tmp\"",
               "sockets|\"weap,nos\"|\"weap,sock=4\"|\"helm,nru\"|\"useitem,rem\"|\"useitem,uns\"|\"useitem,reg\"",
               "ethereal|\"weap,eth\"|\"weap,noe\"|\"weap,upg\"|\"useitem,eth,sock=2\"|\"useitem,rep\"|\"useitem,rch\"",
               "tiers|\"axe,bas\"|\"axe,exc\"|\"axe,eli\"|\"useitem,exc,mod\"|\"usetype,eli\"|\"usetype,bas\"",
               "affixes|any|\"rin,qty=3\"|\"axe,nor,bas,noe,nos,nru\"|\"rin,pre=1,suf=2\"|\"cap,lvl=99,qty=2\"|"})));
    const CheckReport report = CheckSheets(DefaultRules(), mod);
    QVERIFY2(report.findings.empty(), qPrintable(Lines(report).join('\n')));
    for (const char* target : {"armor.txt", "ItemTypes.txt", "UniqueItems.txt", "SetItems.txt"})
      QVERIFY(!report.missingSheets.contains(target));
  }

  // A user's rules file adds what a mod's engine knows and turns checks
  // off, wholly or for one sheet.
  void userRulesAddValuesAndTurnChecksOff() {
    const SheetFiles mod = {Excel("cubemain.txt", Sheet({"description|input 1|output", "a|\"axe,rmv\"|void",
                                                         "b|\"axe,nos\"|\"axe,zzz\""})),
                            Excel("weapons.txt", Sheet({"name|code|type", "Axe|axe |axe", "Short|sho"})),
                            Excel("armor.txt", Sheet({"name|code|type", "Cap|cap|helm"})),
                            Excel("misc.txt", Sheet({"name|code"})),
                            Excel("ItemTypes.txt", Sheet({"Code", "axe", "helm"})),
                            Excel("UniqueItems.txt", Sheet({"index"})),
                            Excel("SetItems.txt", Sheet({"index"}))};
    Rules rules = DefaultRules();
    QCOMPARE(Lines(CheckSheets(rules, mod)).size(), 5);

    QStringList problems;
    const QByteArray user =
        "# the mod's engine\n"
        "qualifier cubemain.txt : \"input {1..7}\" output = rmv\n"
        "allow cubemain.txt : output = void\n"
        "off space\n"
        "off cells Weapons.TXT\n";
    QVERIFY(ReadRules(user, QStringLiteral("mine.rules"), rules, problems));
    QVERIFY(problems.isEmpty());
    QCOMPARE(Lines(CheckSheets(rules, mod)),
             QStringList({"cubemain.txt:3:output: error: \"zzz\" is not a known qualifier [ref]"}));

    QVERIFY(ReadRules("off ref cubemain.txt\nseverity cells warning\n", QStringLiteral("more.rules"), rules,
                      problems));
    QVERIFY(CheckSheets(rules, mod).findings.empty());
  }

  // Messages met more than once, the most repeated first (equal counts in
  // the order met), at most as many as asked, then how many more.
  void repeatedMessagesLargestFirst() {
    CheckReport report;
    int line = 1;
    for (const char* message : {"x [ref]", "y [ref]", "y [ref]", "z [ref]", "x [ref]", "y [ref]", "z [ref]", "once"}) {
      Finding f;
      f.file = "data\\a.txt";
      f.line = ++line;
      f.column = "c";
      f.message = message;
      report.findings.push_back(f);
    }
    QCOMPARE(RepeatLines(report, 2), QList<QByteArray>({"3 times: y [ref], first at data\\a.txt:3:c",
                                                        "2 times: x [ref], first at data\\a.txt:2:c",
                                                        "and 1 more message repeated"}));
    QCOMPARE(RepeatLines(report, 10).size(), 3);
  }

  // The fixture mod's sheets raise nothing but what its engine adds to the
  // cube (the qualifier "any"); with that in a user's rules file nothing at
  // all.
  void fixtureModOnlyItsEngineAdditions() {
    QF_REQUIRE_FIXTURES();
    SheetFiles mod;
    const QString excel = fixtures::modDir() + QStringLiteral("/data/global/excel");
    for (const QString& name : QDir(excel).entryList({QStringLiteral("*.txt")}, QDir::Files))
      mod.push_back(
          SheetFile{fixtures::internalName(excel + '/' + name), fixtures::readAll(excel + '/' + name)});
    QCOMPARE(int(mod.size()), 11);
    Rules rules = DefaultRules();
    const CheckReport report = CheckSheets(rules, mod);
    QCOMPARE(report.sheetsChecked, 11);
    QVERIFY(report.findings.size() > 1000);
    QSet<QByteArray> kinds;
    for (const Finding& f : report.findings) {
      QCOMPARE(f.check, QByteArray("ref"));
      QCOMPARE(FileNameOf(f.file), QByteArray("cubemain.txt"));
      kinds.insert(f.message);
    }
    QCOMPARE(kinds, QSet<QByteArray>({"\"any\" is not a known qualifier [ref]"}));
    QVERIFY(report.missingSheets.contains("armor.txt"));

    QStringList problems;
    QVERIFY(ReadRules(
        "qualifier cubemain.txt : \"input {1..7}\" = any\n",
        QStringLiteral("engine.rules"), rules, problems));
    QVERIFY(CheckSheets(rules, mod).findings.empty());
  }
};

QTEST_GUILESS_MAIN(TestCheckSheets)
#include "test_check_sheets.moc"
