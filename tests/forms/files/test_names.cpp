// Names are the same when their Windows-1252 forms match without regard to
// case; lookups take the first match, and a cached set follows its list.
#include <QtTest>

#include "archive/NameFilter.h"
#include "archive/Names.h"
#include "platform/Ansi.h"

class TestNames : public QObject {
  Q_OBJECT
 private slots:
  void sameName_data() {
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<bool>("same");
    QTest::newRow("ascii case") << QByteArray("data\\Global\\Excel\\ARENA.txt")
                                << QByteArray("DATA\\global\\excel\\arena.TXT") << true;
    QTest::newRow("S caron 8A/9A") << QByteArray("\x8A.txt") << QByteArray("\x9A.txt") << true;
    QTest::newRow("Y diaeresis 9F/FF") << QByteArray("\x9F") << QByteArray("\xFF") << true;
    QTest::newRow("A grave C0/E0") << QByteArray("\xC0") << QByteArray("\xE0") << true;
    QTest::newRow("prefix only") << QByteArray("data\\a.txt") << QByteArray("data\\a.tx") << false;
    QTest::newRow("separator differs") << QByteArray("data\\a") << QByteArray("data/a") << false;
    QTest::newRow("undefined bytes kept apart") << QByteArray("\x81") << QByteArray("\x8D") << false;
    QTest::newRow("empty") << QByteArray() << QByteArray("") << true;
  }
  void sameName() {
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(bool, same);
    QCOMPARE(names::SameName(a, b), same);
    QCOMPARE(names::Key(a) == names::Key(b), same);
  }

  void filterMatchesTheFoldedDisplayText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("matches");
    QTest::newRow("case") << "EXCEL\\a" << QByteArray("data\\excel\\Arena.txt") << true;
    QTest::newRow("S caron") << "\u0160" << QByteArray("x\x9Ay") << true;
    QTest::newRow("overlapping start") << "aab" << QByteArray("aaab") << true;
    QTest::newRow("at the end") << "txt" << QByteArray("a.txt") << true;
    QTest::newRow("longer than the name") << "a.txt" << QByteArray("txt") << false;
    QTest::newRow("no such byte") << "\u4E2D" << QByteArray("?") << false;
    QTest::newRow("empty lets all through") << "" << QByteArray() << true;
  }
  void filterMatchesTheFoldedDisplayText() {
    QFETCH(QString, text);
    QFETCH(QByteArray, name);
    QFETCH(bool, matches);
    names::NameFilter filter;
    filter.SetText(text);
    QCOMPARE(filter.Matches(name), matches);
    QCOMPARE(names::Key(name).contains(text.toCaseFolded()), matches);
  }

  void keyIsTheFoldedDisplayTextOfEveryByte() {
    QByteArray every;
    for (int b = 0; b < 256; ++b) every += char(b);
    QCOMPARE(names::Key(every), ansi::toDisplay(every).toCaseFolded());
  }

  void lookupsTakeTheFirstMatch() {
    const QList<QByteArray> list = {"x", "Data\\A.txt", "data\\a.txt", "(modinfo)"};
    QCOMPARE(names::IndexOf(list, "DATA\\a.TXT"), 1);
    QCOMPARE(names::IndexOf(list, "(MODINFO)"), 3);
    QCOMPARE(names::IndexOf(list, "data\\a"), -1);
    QList<QByteArray> removed = list;
    QCOMPARE(names::RemoveAll(removed, "data\\A.TXT"), 2);
    QCOMPARE(removed, (QList<QByteArray>{"x", "(modinfo)"}));
  }

  void setFollowsItsList() {
    names::NameSet set;
    QList<QByteArray> list = {"a\\B.txt"};
    QVERIFY(set.Contains(list, "A\\b.TXT"));
    QVERIFY(!set.Contains(list, "c"));
    list.append("C");  // changed in place after the set was built
    QVERIFY(set.Contains(list, "c"));
    list.clear();
    QVERIFY(!set.Contains(list, "a\\b.txt"));
    list = {"\xE9"};
    QVERIFY(set.Contains(list, "\xC9"));
  }
};

QTEST_GUILESS_MAIN(TestNames)
#include "test_names.moc"
