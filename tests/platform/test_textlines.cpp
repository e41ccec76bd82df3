#include <QtTest>

#include "archive/TextLines.h"

class TestTextLines : public QObject {
  Q_OBJECT
 private slots:
  void splitting_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<QByteArray>>("lines");
    using L = QList<QByteArray>;
    QTest::newRow("empty") << QByteArray() << L{};
    QTest::newRow("no line end") << QByteArray("a") << L{"a"};
    QTest::newRow("crlf end starts no line") << QByteArray("a\r\nb\r\n") << L{"a", "b"};
    QTest::newRow("bare cr and bare lf") << QByteArray("a\rb\nc") << L{"a", "b", "c"};
    QTest::newRow("lf cr is two ends") << QByteArray("a\n\rb") << L{"a", "", "b"};
    QTest::newRow("empty lines kept") << QByteArray("\r\n\r\nx") << L{"", "", "x"};
    QTest::newRow("lone line end") << QByteArray("\n") << L{""};
    QTest::newRow("nul ends text") << QByteArray("ab\ncd\0ef\ngh", 11) << L{"ab", "cd"};
    QTest::newRow("leading nul") << QByteArray("\0abc", 4) << L{};
    QTest::newRow("high bytes kept") << QByteArray("\xff\x80\t\x01\r\n") << L{"\xff\x80\t\x01"};
    QTest::newRow("cr far after lf") << QByteArray("a\nb\nc\rd") << L{"a", "b", "c", "d"};
    QTest::newRow("lf far after cr") << QByteArray("a\rb\rc\r\nd\n") << L{"a", "b", "c", "d"};
  }
  // The copies and the views are the same lines.
  void splitting() {
    QFETCH(QByteArray, text);
    QFETCH(QList<QByteArray>, lines);
    QCOMPARE(SplitLines(text), lines);
    QList<QByteArray> viewed;
    for (QByteArrayView line : LineViews(text)) viewed << line.toByteArray();
    QCOMPARE(viewed, lines);
  }
};

QTEST_GUILESS_MAIN(TestTextLines)
#include "test_textlines.moc"
