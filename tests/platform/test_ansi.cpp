#include <QtTest>

#include "platform/Ansi.h"

class TestAnsi : public QObject {
  Q_OBJECT
 private slots:
  void everyByteRoundTrips() {
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i) all[i] = char(i);
    const QString shown = ansi::toDisplay(all);
    QCOMPARE(shown.size(), 256);
    QCOMPARE(ansi::fromDisplay(shown), all);
    // Every byte shows as a different character.
    QSet<QChar> distinct(shown.begin(), shown.end());
    QCOMPARE(distinct.size(), 256);
  }

  void windows1252Letters() {
    QCOMPARE(ansi::toDisplay(QByteArray("\x80\x99\xAF\xE9", 4)), QString::fromUtf8("€™¯é"));
    QCOMPARE(ansi::toDisplay(QByteArray("\x81\x8D\x8F\x90\x9D", 5)),
             QString(QStringList{QChar(0x81), QChar(0x8D), QChar(0x8F), QChar(0x90), QChar(0x9D)}.join("")));
  }

  void unmappableBecomesQuestionMark() {
    QCOMPARE(ansi::fromDisplay(QString::fromUtf8("a\u4e2db\u20ac")), QByteArray("a?b\x80"));
  }
};

QTEST_GUILESS_MAIN(TestAnsi)
#include "test_ansi.moc"
